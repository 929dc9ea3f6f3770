#include "presets/preset_store.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "core/error_text.h"
#include "presets/atomic_file.h"
#include "presets/preset_lock.h"

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
    std::string text;
    if (std::optional<LoadedPresets> outcome = read_preset_text(path, text)) return std::move(*outcome);
    PresetJson data;
    try {
        data = parse_preset_text(text);
    } catch (const PresetJson::exception& error) {
        return unparsable_preset_file(error);
    }
    if (!validate_preset_data(data)) return invalid_preset_file();

    LoadedPresets result;
    result.presets = std::move(data);
    result.status = PresetFileStatus::loaded;
    return result;
}

// The text to write, or the reason the presets cannot be written.
std::optional<std::string> presets_text(const PresetJson& presets, std::string& text) {
    if (!validate_preset_data(presets)) {
        return std::string(
            "cannot write presets that a load would reject (every preset must be an object, "
            "and its settings an object)");
    }
    try {
        text = dump_like_python(presets);
    } catch (const std::invalid_argument& error) {
        return std::string("cannot write ") + error.what();
    }
    if (text.size() > kMaxPresetFileBytes) {
        return "cannot write " + std::to_string(text.size()) + " bytes, more than a preset file may hold (" +
               std::to_string(kMaxPresetFileBytes >> 20) + " MiB)";
    }
    return std::nullopt;
}

// The numbers n of the copies "<name>.<n>.bak" beside `target`, ascending.
std::vector<unsigned long> backup_numbers(const std::string& target) {
    const std::string prefix = file_name_of(target) + ".";
    const std::string suffix = kPresetBackupSuffix;
    std::vector<unsigned long> numbers;
    for (const std::string& name : directory_entries(directory_of(target))) {
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) continue;
        numbers.push_back(std::strtoul(digits.c_str(), nullptr, 10));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string backup_path(const std::string& target, unsigned long number) {
    return target + "." + std::to_string(number) + kPresetBackupSuffix;
}

// Copies the unusable file aside under a number no copy has had, then drops the oldest copies.
std::optional<std::string> keep_backup(const std::string& path, std::vector<std::string>& warnings) {
    const FileRead old = read_whole_file(path);
    if (old.status == FileRead::Status::failed) {
        return "cannot keep a copy of the unusable preset file: " + old.error;
    }
    if (old.status != FileRead::Status::read) return std::nullopt;  // gone since the load

    const std::string target = write_target(path);
    std::vector<unsigned long> numbers = backup_numbers(target);
    // Under the lock no other save picks the same number; write_new_file still refuses to replace
    // a file that appeared meanwhile.
    const unsigned long next = numbers.empty() ? 1 : numbers.back() + 1;
    const std::string backup = backup_path(target, next);
    const std::optional<std::string> error = write_new_file(backup, old.bytes);
    if (error) return "cannot keep a copy of the unusable preset file: " + *error;
    warnings.push_back("Trembla: Kept a copy of the unusable preset file as " + backup);

    numbers.push_back(next);
    for (std::size_t i = 0; i + kPresetBackupsKept < numbers.size(); ++i) {
        remove_file(backup_path(target, numbers[i]));
    }
    return std::nullopt;
}

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

// The save itself, with the lock held. Returns the failure description, or nothing when written.
std::optional<std::string> save_locked(const std::string& path, const std::string& text, ExistingPresetFile existing,
                                       std::vector<std::string>& warnings) {
    remove_stale_temporaries(path);
    if (existing == ExistingPresetFile::back_up_if_unusable) {
        existing = usable_preset_file(path) ? ExistingPresetFile::replace : ExistingPresetFile::back_up_then_replace;
    }
    if (existing == ExistingPresetFile::back_up_then_replace) {
        if (auto error = keep_backup(path, warnings)) return error;
    }
    return replace_file_atomically(path, text);
}

// Runs `body` and turns whatever it throws into a description.
template <class Body>
std::optional<std::string> described(Body&& body) {
    try {
        return body();
    } catch (...) {
        return error_text(std::current_exception());
    }
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
    FileRead file = read_whole_file(path);
    if (file.status == FileRead::Status::missing) return LoadedPresets{};
    if (file.status == FileRead::Status::failed)
        return failed_load(PresetFileStatus::unreadable, kLoadFailed + file.error);
    if (json_text_nesting_depth(file.bytes) > kMaxPresetNesting) {
        return failed_load(PresetFileStatus::unparsable,
                           kParseFailed + ("nesting deeper than " + std::to_string(kMaxPresetNesting) + " levels"));
    }
    text = std::move(file.bytes);
    return std::nullopt;
}

LoadedPresets unparsable_preset_file(const PresetJson::exception& error) {
    // Not only parse_error: a number beyond the double range (1e400) is an out_of_range error,
    // and it too means the text cannot be read as presets.
    return failed_load(PresetFileStatus::unparsable, kParseFailed + parser_message(error));
}

LoadedPresets invalid_preset_file() { return failed_load(PresetFileStatus::invalid_structure, kInvalidStructure); }

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
        case PresetFileStatus::invalid_structure:
            return ExistingPresetFile::back_up_then_replace;
        case PresetFileStatus::missing:
        case PresetFileStatus::loaded:
            break;
    }
    return ExistingPresetFile::replace;
}

SavedPresets save_presets(const std::string& path, const PresetJson& presets, ExistingPresetFile existing) {
    SavedPresets result;
    const std::optional<std::string> error = described([&]() -> std::optional<std::string> {
        std::string text;
        if (auto refused = presets_text(presets, text)) return refused;
        const PresetFileLock lock(preset_lock_path(path));
        if (lock.failure()) return lock.failure();
        return save_locked(path, text, existing, result.warnings);
    });
    if (error) result.warnings.push_back(kSaveFailed + *error);
    result.ok = !error;
    return result;
}

PresetUpdate update_presets(const std::string& path, const std::function<bool(PresetJson&)>& change) {
    PresetUpdate result;
    const std::optional<std::string> error = described([&]() -> std::optional<std::string> {
        const PresetFileLock lock(preset_lock_path(path));
        if (lock.failure()) return lock.failure();
        LoadedPresets loaded = load_presets(path);
        if (loaded.warning) result.warnings.push_back(*loaded.warning);
        if (!change(loaded.presets)) return std::nullopt;
        result.changed = true;
        std::string text;
        if (auto refused = presets_text(loaded.presets, text)) return refused;
        return save_locked(path, text, existing_file_rule(loaded), result.warnings);
    });
    if (error) result.warnings.push_back(kSaveFailed + *error);
    result.ok = !error;
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

std::vector<std::string> preset_backups(const std::string& path) {
    const std::string target = write_target(path);
    std::vector<std::string> paths;
    for (unsigned long number : backup_numbers(target)) paths.push_back(backup_path(target, number));
    return paths;
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
