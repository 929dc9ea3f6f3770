// The preset file: where it lies, what a valid one looks like, reading it and replacing it.
// Plain functions that report through their results and never throw, so the window's commands
// and the Python module's functions can each pass the messages to the host in their own way.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "presets/preset_json.h"
#include "presets/record_file.h"

namespace trembla {

inline constexpr const char* kPresetFileName = "trembla_presets.json";
// directory joined with the preset file name; a separator is added only when the directory does
// not already end in one (or is empty, which yields the bare file name).
std::string preset_file_path(const std::string& directory);

// The same joining for any name in a directory.
std::string path_in(const std::string& directory, const std::string& name);

// The folder holding a path ("." when it names no folder), and its last part.
std::string directory_of(const std::string& path);
std::string file_name_of(const std::string& path);

// The host's user script directory without any trailing "/".
std::string script_directory_fallback(const std::string& user_script_dir);

// True when data is an object whose members are all objects, each with no `settings` member or
// an object there. Nothing else is examined.
bool validate_preset_data(const PresetJson& data);

struct LoadedPresets {
    PresetJson presets = PresetJson::object();  // the presets; an empty object unless loaded
    PresetFileStatus status = PresetFileStatus::missing;
    std::optional<std::string> warning;  // for the host's warning command
};

LoadedPresets load_presets(const std::string& path);

// load_presets split around the parse, for a caller that builds its own form of the presets (the
// Python module builds dicts straight from the text): the file's text, or the load's outcome when
// there is nothing to parse (no file, an unreadable one, nesting too deep). Never throws.
std::optional<LoadedPresets> read_preset_text(const std::string& path, std::string& text);
// The outcome of a load whose parse threw `error`, as parse_preset_text throws it.
LoadedPresets unparsable_preset_file(const PresetJson::exception& error);
// The outcome of a load whose content breaks validate_preset_data's rule.
LoadedPresets invalid_preset_file();

// A save or delete that loaded an unusable file must not silently destroy it (it may be a
// user's hand edit with one typo): pass this to save_presets.
ExistingPresetFile existing_file_rule(const LoadedPresets& loaded);

struct SavedPresets {
    bool ok = false;                    // true when the file now holds `presets`
    std::vector<std::string> warnings;  // for the host's warning command, in order
};

// Replaces the whole file with `presets` in the layout of Python's json.dump(..., indent=2),
// atomically (see replace_file_atomically), under the preset file's lock (see preset_lock.h). A
// value JSON cannot hold (NaN, infinity, text that is not UTF-8) refuses the save, as does content
// over kMaxPresetFileBytes; nothing is written then. On any failure the old file is kept.
// Temporary files left by hosts that died while saving are removed first.
SavedPresets save_presets(const std::string& path, const PresetJson& presets,
                          ExistingPresetFile existing = ExistingPresetFile::replace);

struct PresetUpdate {
    bool ok = false;                    // the lock was taken and, when change asked for it, the file written
    bool changed = false;               // change asked for a write
    std::vector<std::string> warnings;  // the load's, then the save's, in order
};

// One read-modify-write of the file under its lock, so that sessions sharing the file never drop
// each other's presets: loads the file as it is now (an unusable one as empty, with its warning),
// lets `change` edit the presets, and saves them when it returns true, keeping a copy of an
// unusable file first. `change` must not call into the host or Python: the lock is held.
PresetUpdate update_presets(const std::string& path, const std::function<bool(PresetJson&)>& change);

struct LoadedPresetNames {
    std::vector<std::string> names;      // in list order (see preset_names_in_list_order)
    std::optional<std::string> warning;  // load_presets's warning, if any
};

// The names load_presets(path) would give, with its warning, without building the presets: what
// the preset list shows, at a fraction of the cost for a large file.
LoadedPresetNames load_preset_names(const std::string& path);

// The paths of the copies of unusable files kept beside the preset file at `path`, oldest first.
std::vector<std::string> preset_backups(const std::string& path);

// The names in the order the preset list shows them: ascending by character code, so that
// upper case comes before lower case.
std::vector<std::string> preset_names_in_list_order(const PresetJson& presets);

}  // namespace trembla
