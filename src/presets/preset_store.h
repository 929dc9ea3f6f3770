// The preset file: where it lies, what a valid one looks like, reading it and replacing it.
// Plain functions that report through their results and never throw, so the window's commands
// and the Python module's functions can each pass the messages to the host in their own way.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "presets/preset_json.h"

namespace trembla {

inline constexpr const char* kPresetFileName = "trembla_presets.json";
// A file that a save or delete would replace although it could not be used is first copied here
// (beside it, under its name plus this ending).
inline constexpr const char* kPresetBackupSuffix = ".bak";

// directory joined with the preset file name; a separator is added only when the directory does
// not already end in one (or is empty, which yields the bare file name).
std::string preset_file_path(const std::string& directory);

// The host's user script directory without any trailing "/".
std::string script_directory_fallback(const std::string& user_script_dir);

// True when data is an object whose members are all objects, each with no `settings` member or
// an object there. Nothing else is examined.
bool validate_preset_data(const PresetJson& data);

enum class PresetFileStatus {
    missing,            // nothing at the path: no presets, no message
    loaded,             // parsed and valid
    unreadable,         // something is there but cannot be opened or read
    unparsable,         // not JSON (includes an empty file, text that is not UTF-8 and numbers
                        // beyond the double range)
    invalid_structure,  // JSON, but rejected by validate_preset_data
};

struct LoadedPresets {
    PresetJson presets = PresetJson::object();  // the presets; an empty object unless loaded
    PresetFileStatus status = PresetFileStatus::missing;
    std::optional<std::string> warning;  // for the host's warning command
};

LoadedPresets load_presets(const std::string& path);

// What a save does with the file it replaces.
enum class ExistingPresetFile {
    replace,                // overwrite it
    back_up_then_replace,   // copy it to path + ".bak" first; refuse the save when the copy fails
};

// A save or delete that loaded an unusable file must not silently destroy it (it may be a
// user's hand edit with one typo): pass this to save_presets.
ExistingPresetFile existing_file_rule(const LoadedPresets& loaded);

struct SavedPresets {
    bool ok = false;                    // true when the file now holds `presets`
    std::vector<std::string> warnings;  // for the host's warning command, in order
};

// Replaces the whole file with `presets` in the layout of Python's json.dump(..., indent=2),
// atomically (see replace_file_atomically). A value JSON cannot hold (NaN, infinity, text that is
// not UTF-8) refuses the save; nothing is written then. On any failure the old file is kept.
SavedPresets save_presets(const std::string& path, const PresetJson& presets,
                          ExistingPresetFile existing = ExistingPresetFile::replace);

// The names in the order the preset list shows them: ascending by character code, so that
// upper case comes before lower case.
std::vector<std::string> preset_names_in_list_order(const PresetJson& presets);

}  // namespace trembla
