#include "presets/preset_store.h"

#include <algorithm>
#include <exception>
#include <utility>

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

// Follows the parser through the text and stops at the first value that breaks the shape
// validate_preset_data asks for, building nothing.
class PresetShapeCheck {
public:
    using string_t = PresetJson::string_t;

    bool null() { return value(false); }
    bool boolean(bool) { return value(false); }
    bool number_integer(PresetJson::number_integer_t) { return value(false); }
    bool number_unsigned(PresetJson::number_unsigned_t) { return value(false); }
    bool number_float(PresetJson::number_float_t, const string_t&) { return value(false); }
    bool string(string_t&) { return value(false); }
    bool binary(PresetJson::binary_t&) { return value(false); }
    bool start_object(std::size_t) { return value(true) && (++depth_, true); }
    bool start_array(std::size_t) { return value(false) && (++depth_, true); }
    bool end_object() { return --depth_, true; }
    bool end_array() { return --depth_, true; }
    explicit PresetShapeCheck(std::vector<std::string>* names = nullptr) : names_(names) {}

    bool key(string_t& name) {
        settings_ = depth_ == 2 && name == "settings";
        if (depth_ == 1 && names_ != nullptr) names_->push_back(name);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const PresetJson::exception&) { return false; }

private:
    // The file, each preset and each preset's settings must be objects.
    bool value(bool is_object) { return is_object || !(depth_ < 2 || (depth_ == 2 && settings_)); }

    int depth_ = 0;
    bool settings_ = false;
    std::vector<std::string>* names_;  // collects the preset names when given
};

// Whether a load would accept the file, found without building it. A name given twice, first to a
// value of the wrong kind, counts as unusable although a load keeps only the last value: that
// costs at most a needless copy.
bool usable_preset_file(const std::string& path) {
    const FileRead file = read_whole_file(path);
    if (file.status != FileRead::Status::read) return file.status == FileRead::Status::missing;
    if (json_text_nesting_depth(file.bytes) > kMaxPresetNesting) return false;
    PresetShapeCheck check;
    return PresetJson::sax_parse(file.bytes, &check);
}

const RecordFileKind kPresetFile = {
    "Trembla: Failed to load presets: ",
    "Trembla: Failed to parse presets file: ",
    "Trembla: Preset file has invalid structure.",
    "Trembla: Failed to save presets: ",
    "cannot write presets that a load would reject (every preset must be an object, and its settings an object)",
    "preset file",
    validate_preset_data,
    usable_preset_file,
};

LoadedPresets loaded_presets(PresetFileStatus status, std::optional<std::string> warning) {
    LoadedPresets result;
    result.status = status;
    result.warning = std::move(warning);
    return result;
}

}  // namespace

std::string preset_file_path(const std::string& directory) { return path_in(directory, kPresetFileName); }

std::string path_in(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    if (std::string(kSeparators).find(directory.back()) != std::string::npos) return directory + name;
    return directory + kSeparator + name;
}

std::string directory_of(const std::string& path) {
    const std::size_t separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? std::string(".") : path.substr(0, separator);
}

std::string file_name_of(const std::string& path) {
    const std::size_t separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
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

std::optional<LoadedPresets> read_preset_text(const std::string& path, std::string& text) {
    std::optional<std::string> warning;
    const std::optional<PresetFileStatus> outcome = read_record_text(path, text, kPresetFile, warning);
    if (!outcome) return std::nullopt;
    return loaded_presets(*outcome, std::move(warning));
}

LoadedPresets unparsable_preset_file(const PresetJson::exception& error) {
    return loaded_presets(PresetFileStatus::unparsable, unparsable_record_warning(error, kPresetFile));
}

LoadedPresets invalid_preset_file() {
    return loaded_presets(PresetFileStatus::invalid_structure, std::string(kPresetFile.invalid_structure));
}

LoadedPresets load_presets(const std::string& path) {
    LoadedPresets result;
    result.status = load_record_file(path, kPresetFile, result.presets, result.warning);
    return result;
}

ExistingPresetFile existing_file_rule(const LoadedPresets& loaded) { return existing_record_file_rule(loaded.status); }

SavedPresets save_presets(const std::string& path, const PresetJson& presets, ExistingPresetFile existing) {
    SavedPresets result;
    result.ok = save_record_file(path, presets, kPresetFile, existing, result.warnings);
    return result;
}

PresetUpdate update_presets(const std::string& path, const std::function<bool(PresetJson&)>& change) {
    PresetUpdate result;
    result.ok = update_record_file(path, kPresetFile, change, result.changed, result.warnings);
    return result;
}

LoadedPresetNames load_preset_names(const std::string& path) {
    LoadedPresetNames result;
    try {
        std::string text;
        if (std::optional<LoadedPresets> outcome = read_preset_text(path, text)) {
            result.warning = outcome->warning;
            return result;
        }
        PresetShapeCheck check(&result.names);
        if (PresetJson::sax_parse(text, &check)) {
            std::sort(result.names.begin(), result.names.end());
            result.names.erase(std::unique(result.names.begin(), result.names.end()), result.names.end());
            return result;
        }
    } catch (const std::exception&) {
    }
    // The full load says exactly what is wrong (and accepts a name given twice, first to a value of
    // the wrong kind, which the check above refuses).
    const LoadedPresets loaded = load_presets(path);
    result.names = preset_names_in_list_order(loaded.presets);
    result.warning = loaded.warning;
    return result;
}

std::vector<std::string> preset_backups(const std::string& path) { return record_file_backups(path); }

std::vector<std::string> preset_names_in_list_order(const PresetJson& presets) {
    std::vector<std::string> names;
    if (!presets.is_object()) return names;
    for (const auto& member : presets.items()) names.push_back(member.key());
    // std::string compares bytes as unsigned, and UTF-8 byte order is code point order.
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace trembla
