// Presets from more than the user's own file: the read-only files a studio shares through
// TREMBLA_PRESET_PATH, the files a user imports and exports, and the file another release of the
// package left beside this one. Plain functions over the preset JSON; the files are read and
// written only through preset_store.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "presets/preset_json.h"

namespace trembla {

inline constexpr const char* kPresetPathVariable = "TREMBLA_PRESET_PATH";
// The separator of TREMBLA_PRESET_PATH: Python's os.pathsep, as for PATH and MAYA_MODULE_PATH.
#ifdef _WIN32
inline constexpr char kPresetPathSeparator = ';';
#else
inline constexpr char kPresetPathSeparator = ':';
#endif

// The folders a TREMBLA_PRESET_PATH value names, in order: empty entries are skipped and a folder
// named twice is kept at its first place, so that each file is read once.
std::vector<std::string> preset_path_folders(const std::string& value, char separator = kPresetPathSeparator);

// One entry of the preset list: a user's preset (no folder) or a shared one with its folder.
struct ListedPreset {
    std::string name;
    std::optional<std::string> shared_folder;
    bool operator==(const ListedPreset& other) const {
        return name == other.name && shared_folder == other.shared_folder;
    }
};

// The list: the user's names first, then each shared folder's names that neither the user nor an
// earlier folder holds (the first holder of a name wins), each group in list order.
std::vector<ListedPreset> listed_presets(
    const std::vector<std::string>& user_names,
    const std::vector<std::pair<std::string, std::vector<std::string>>>& shared_names);

// What importing `incoming` into `current` does: names it adds, and names it would replace with a
// different record. A name whose record is the same in both is neither.
struct ImportPlan {
    std::vector<std::string> added;
    std::vector<std::string> replaced;
};
ImportPlan plan_import(const PresetJson& current, const PresetJson& incoming);

// Puts the presets of `incoming` into `current`: new names always, names already there only when
// `replace` is true. Returns how many presets changed.
int merge_presets(PresetJson& current, const PresetJson& incoming, bool replace);

// "<platform>-maya<release>-py<version>", the name the package gives each build's folder.
bool is_release_folder_name(const std::string& name);

// The preset file another release's folder holds beside `module_dir` (a release folder of the
// package), the newest release first; nothing when `module_dir` is not a release folder or no
// other release folder holds a file with presets. `module_dir` has no trailing separator.
std::optional<std::string> other_release_preset_file(const std::string& module_dir);

}  // namespace trembla
