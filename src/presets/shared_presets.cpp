#include "presets/shared_presets.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

#include "presets/atomic_file.h"
#include "presets/preset_store.h"

namespace trembla {
namespace {

bool all_digits(const std::string& text) {
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

// (release, python version) of a release folder's name; nothing for any other name.
std::optional<std::pair<unsigned long, unsigned long>> release_of(const std::string& name) {
    const std::size_t maya = name.find("-maya");
    if (maya == std::string::npos || maya == 0) return std::nullopt;
    const std::size_t py = name.find("-py", maya + 5);
    if (py == std::string::npos) return std::nullopt;
    const std::string release = name.substr(maya + 5, py - maya - 5);
    const std::string python = name.substr(py + 3);
    if (!all_digits(release) || !all_digits(python)) return std::nullopt;
    return std::make_pair(std::strtoul(release.c_str(), nullptr, 10), std::strtoul(python.c_str(), nullptr, 10));
}

}  // namespace

std::vector<std::string> preset_path_folders(const std::string& value, char separator) {
    std::vector<std::string> folders;
    std::size_t begin = 0;
    while (begin <= value.size()) {
        std::size_t end = value.find(separator, begin);
        if (end == std::string::npos) end = value.size();
        std::string folder = value.substr(begin, end - begin);
        if (!folder.empty() && std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(std::move(folder));
        }
        begin = end + 1;
    }
    return folders;
}

std::vector<ListedPreset> listed_presets(
    const std::vector<std::string>& user_names,
    const std::vector<std::pair<std::string, std::vector<std::string>>>& shared_names) {
    std::vector<ListedPreset> listed;
    std::set<std::string> taken(user_names.begin(), user_names.end());
    for (const std::string& name : user_names) listed.push_back({name, std::nullopt});
    std::vector<ListedPreset> shared;
    for (const auto& [folder, names] : shared_names) {
        for (const std::string& name : names) {
            if (taken.insert(name).second) shared.push_back({name, folder});
        }
    }
    // Sorting by name keeps the folders' own order among equal names, of which there are none.
    std::stable_sort(shared.begin(), shared.end(),
                     [](const ListedPreset& a, const ListedPreset& b) { return a.name < b.name; });
    listed.insert(listed.end(), shared.begin(), shared.end());
    return listed;
}

ImportPlan plan_import(const PresetJson& current, const PresetJson& incoming) {
    ImportPlan plan;
    if (!incoming.is_object()) return plan;
    for (const std::string& name : preset_names_in_list_order(incoming)) {
        const auto found = current.is_object() ? current.find(name) : current.end();
        if (!current.is_object() || found == current.end()) {
            plan.added.push_back(name);
        } else if (*found != incoming.at(name)) {
            plan.replaced.push_back(name);
        }
    }
    return plan;
}

int merge_presets(PresetJson& current, const PresetJson& incoming, bool replace) {
    const ImportPlan plan = plan_import(current, incoming);
    int changed = 0;
    for (const std::string& name : plan.added) {
        current[name] = incoming.at(name);
        ++changed;
    }
    if (replace) {
        for (const std::string& name : plan.replaced) {
            current[name] = incoming.at(name);
            ++changed;
        }
    }
    return changed;
}

bool is_release_folder_name(const std::string& name) { return release_of(name).has_value(); }

std::optional<std::string> other_release_preset_file(const std::string& module_dir) {
    const std::string own = file_name_of(module_dir);
    if (own == module_dir) return std::nullopt;
    const std::string parent = directory_of(module_dir);
    if (!is_release_folder_name(own)) return std::nullopt;

    std::vector<std::pair<std::pair<unsigned long, unsigned long>, std::string>> releases;
    for (const std::string& name : directory_entries(parent)) {
        const auto release = release_of(name);
        if (release && name != own) releases.emplace_back(*release, name);
    }
    std::sort(releases.begin(), releases.end(), [](const auto& a, const auto& b) { return a > b; });
    for (const auto& release : releases) {
        const std::string path = preset_file_path(path_in(parent, release.second));
        const LoadedPresets loaded = load_presets(path);
        if (loaded.status == PresetFileStatus::loaded && !loaded.presets.empty()) return path;
    }
    return std::nullopt;
}

}  // namespace trembla
