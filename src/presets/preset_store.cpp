#include "presets/preset_store.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "presets/atomic_file.h"

namespace trembla {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\:";
constexpr char kSeparator = '\\';
#else
constexpr const char* kSeparators = "/";
constexpr char kSeparator = '/';
#endif

const char* const kLoadFailed = "Trembla: Failed to load presets: ";
const char* const kParseFailed = "Trembla: Failed to parse presets file: ";
const char* const kInvalidStructure = "Trembla: Preset file has invalid structure.";
const char* const kSaveFailed = "Trembla: Failed to save presets: ";

// nlohmann prefixes its messages with "[json.exception.parse_error.101] "; the user needs
// only the position and the reason.
std::string parser_message(const std::exception& error) {
    std::string text = error.what();
    if (!text.empty() && text.front() == '[') {
        const std::size_t end = text.find("] ");
        if (end != std::string::npos) text.erase(0, end + 2);
    }
    return text;
}

LoadedPresets failed_load(PresetFileStatus status, std::string warning) {
    LoadedPresets result;
    result.status = status;
    result.warning = std::move(warning);
    return result;
}

LoadedPresets load_or_throw(const std::string& path) {
    FileRead file = read_whole_file(path);
    if (file.status == FileRead::Status::missing) return LoadedPresets{};
    if (file.status == FileRead::Status::failed) return failed_load(PresetFileStatus::unreadable, kLoadFailed + file.error);

    if (json_text_nesting_depth(file.bytes) > kMaxPresetNesting) {
        return failed_load(PresetFileStatus::unparsable,
                           kParseFailed + ("nesting deeper than " + std::to_string(kMaxPresetNesting) + " levels"));
    }
    PresetJson data;
    try {
        data = PresetJson::parse(file.bytes);
    } catch (const PresetJson::exception& error) {
        // Not only parse_error: a number beyond the double range (1e400) is an out_of_range
        // error, and it too means the text cannot be read as presets.
        return failed_load(PresetFileStatus::unparsable, kParseFailed + parser_message(error));
    }
    if (!validate_preset_data(data)) return failed_load(PresetFileStatus::invalid_structure, kInvalidStructure);

    LoadedPresets result;
    result.presets = std::move(data);
    result.status = PresetFileStatus::loaded;
    return result;
}

// Returns the failure description, or nothing when the file was written.
std::optional<std::string> save_or_throw(const std::string& path, const PresetJson& presets,
                                         ExistingPresetFile existing, std::vector<std::string>& warnings) {
    if (!validate_preset_data(presets)) {
        return std::string("cannot write presets that a load would reject (every preset must be an object, "
                           "and its settings an object)");
    }
    std::string text;
    try {
        text = dump_like_python(presets);
    } catch (const std::invalid_argument& error) {
        return std::string("cannot write ") + error.what();
    }

    if (existing == ExistingPresetFile::back_up_then_replace) {
        const FileRead old = read_whole_file(path);
        if (old.status == FileRead::Status::failed) {
            return "cannot keep a copy of the unusable preset file: " + old.error;
        }
        if (old.status == FileRead::Status::read) {
            const std::string backup = path + kPresetBackupSuffix;
            if (auto error = replace_file_atomically(backup, old.bytes)) {
                return "cannot keep a copy of the unusable preset file: " + *error;
            }
            warnings.push_back("Trembla: Kept a copy of the unusable preset file as " + backup);
        }
    }
    return replace_file_atomically(path, text);
}

}  // namespace

std::string preset_file_path(const std::string& directory) {
    if (directory.empty()) return kPresetFileName;
    if (std::string(kSeparators).find(directory.back()) != std::string::npos) return directory + kPresetFileName;
    return directory + kSeparator + kPresetFileName;
}

std::string script_directory_fallback(const std::string& user_script_dir) {
    const std::size_t last = user_script_dir.find_last_not_of('/');
    return last == std::string::npos ? std::string() : user_script_dir.substr(0, last + 1);
}

bool validate_preset_data(const PresetJson& data) {
    if (!data.is_object()) return false;
    for (const auto& member : data.items()) {
        const PresetJson& record = member.value();
        if (!record.is_object()) return false;
        const auto settings = record.find("settings");
        if (settings != record.end() && !settings->is_object()) return false;
    }
    return true;
}

LoadedPresets load_presets(const std::string& path) {
    try {
        return load_or_throw(path);
    } catch (const std::exception& error) {
        return failed_load(PresetFileStatus::unreadable, kLoadFailed + std::string(error.what()));
    } catch (...) {
        return failed_load(PresetFileStatus::unreadable, kLoadFailed + std::string("unknown error"));
    }
}

ExistingPresetFile existing_file_rule(const LoadedPresets& loaded) {
    switch (loaded.status) {
        case PresetFileStatus::unreadable:
        case PresetFileStatus::unparsable:
        case PresetFileStatus::invalid_structure: return ExistingPresetFile::back_up_then_replace;
        case PresetFileStatus::missing:
        case PresetFileStatus::loaded: break;
    }
    return ExistingPresetFile::replace;
}

SavedPresets save_presets(const std::string& path, const PresetJson& presets, ExistingPresetFile existing) {
    SavedPresets result;
    std::optional<std::string> error;
    try {
        error = save_or_throw(path, presets, existing, result.warnings);
    } catch (const std::exception& caught) {
        error = caught.what();
    } catch (...) {
        error = "unknown error";
    }
    if (error) result.warnings.push_back(kSaveFailed + *error);
    result.ok = !error;
    return result;
}

std::vector<std::string> preset_names_in_list_order(const PresetJson& presets) {
    std::vector<std::string> names;
    if (!presets.is_object()) return names;
    for (const auto& member : presets.items()) names.push_back(member.key());
    // std::string compares bytes as unsigned, and UTF-8 byte order is code point order.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace trembla
