// A file of named JSON records that host sessions share: the preset file and the clip file. What
// they have in common lives here once: how a load reports a file it cannot use, and how a save
// replaces the file - under its lock, atomically, within the size limit, keeping a numbered copy
// of a file that could not be used. Plain functions that report through their results and never
// throw.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "presets/preset_json.h"

namespace trembla {

// A file that a save or delete would replace although it could not be used is first copied beside
// it as "<name>.<n>.bak", n one more than the highest copy there, so no copy is ever overwritten.
// Only the newest kPresetBackupsKept copies are kept.
inline constexpr const char* kPresetBackupSuffix = ".bak";
inline constexpr int kPresetBackupsKept = 10;

enum class PresetFileStatus {
    missing,            // nothing at the path: no records, no message
    loaded,             // parsed and valid
    unreadable,         // something is there but cannot be opened or read
    unparsable,         // not JSON (includes an empty file, text that is not UTF-8 and numbers
                        // beyond the double range)
    invalid_structure,  // JSON, but rejected by the file's validation
};

// What a save does with the file it replaces.
enum class ExistingPresetFile {
    replace,               // overwrite it
    back_up_then_replace,  // keep a numbered copy first; refuse the save when the copy fails
    back_up_if_unusable,   // look at the file under the lock and keep a copy when it cannot be used
};

// One kind of record file: the words of its messages and what a load accepts.
struct RecordFileKind {
    const char* load_failed;        // "Trembla: Failed to load presets: " + the reason
    const char* parse_failed;       // "Trembla: Failed to parse presets file: " + the reason
    const char* invalid_structure;  // the whole warning for valid JSON that `valid` rejects
    const char* save_failed;        // "Trembla: Failed to save presets: " + the reason
    const char* unwritable;         // why records that `valid` rejects are not written
    const char* file;               // "preset file", in the messages about copies and sizes
    bool (*valid)(const PresetJson& records);
    // Whether a load would accept the file at the path now; nothing there counts as usable. May
    // be cheaper than a load.
    bool (*usable)(const std::string& path);
};

// A load split around the parse: the file's text, or the load's outcome (with its warning) when
// there is nothing to parse (no file, an unreadable one, nesting too deep).
std::optional<PresetFileStatus> read_record_text(const std::string& path, std::string& text, const RecordFileKind& kind,
                                                 std::optional<std::string>& warning);
// The warning for a load whose parse threw `error`, as parse_preset_text throws it.
std::string unparsable_record_warning(const PresetJson::exception& error, const RecordFileKind& kind);

// Reads, parses and validates the file into `records` (left an empty object unless loaded).
PresetFileStatus load_record_file(const std::string& path, const RecordFileKind& kind, PresetJson& records,
                                  std::optional<std::string>& warning);

// A save or delete that loaded an unusable file must not silently destroy it.
ExistingPresetFile existing_record_file_rule(PresetFileStatus loaded);

// Replaces the whole file with `records` in the layout of Python's json.dump(..., indent=2),
// atomically, under the file's lock (see preset_lock.h). Records `valid` rejects, a value JSON
// cannot hold (NaN, infinity, text that is not UTF-8) or content over kMaxPresetFileBytes refuse
// the save; nothing is written then. On any failure the old file is kept. Temporary files left
// by hosts that died while saving are removed first. True when the file now holds `records`;
// warnings are appended in order.
bool save_record_file(const std::string& path, const PresetJson& records, const RecordFileKind& kind,
                      ExistingPresetFile existing, std::vector<std::string>& warnings);

// One read-modify-write of the file under its lock: loads it as it is now (an unusable one as
// empty, with its warning), lets `change` edit the records and saves them when it returns true
// (setting `changed`), keeping a copy of an unusable file first. `change` must not call into the
// host or Python: the lock is held. True when the lock was taken and any write asked for was done.
bool update_record_file(const std::string& path, const RecordFileKind& kind,
                        const std::function<bool(PresetJson&)>& change, bool& changed,
                        std::vector<std::string>& warnings);

// The paths of the copies of unusable files kept beside the file at `path`, oldest first.
std::vector<std::string> record_file_backups(const std::string& path);

}  // namespace trembla
