#include "presets/record_file.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <stdexcept>

#include "core/error_text.h"
#include "presets/atomic_file.h"
#include "presets/preset_lock.h"
#include "presets/preset_store.h"

namespace trembla {
namespace {

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

PresetFileStatus load_or_throw(const std::string& path, const RecordFileKind& kind, PresetJson& records,
                               std::optional<std::string>& warning) {
    std::string text;
    if (std::optional<PresetFileStatus> outcome = read_record_text(path, text, kind, warning)) return *outcome;
    PresetJson data;
    try {
        data = parse_preset_text(text);
    } catch (const PresetJson::exception& error) {
        warning = unparsable_record_warning(error, kind);
        return PresetFileStatus::unparsable;
    }
    if (!kind.valid(data)) {
        warning = kind.invalid_structure;
        return PresetFileStatus::invalid_structure;
    }
    records = std::move(data);
    return PresetFileStatus::loaded;
}

// The text to write, or the reason the records cannot be written.
std::optional<std::string> records_text(const PresetJson& records, const RecordFileKind& kind, std::string& text) {
    if (!kind.valid(records)) return std::string(kind.unwritable);
    try {
        text = dump_like_python(records);
    } catch (const std::invalid_argument& error) {
        return std::string("cannot write ") + error.what();
    }
    if (text.size() > kMaxPresetFileBytes) {
        return "cannot write " + std::to_string(text.size()) + " bytes, more than a " + kind.file + " may hold (" +
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
std::optional<std::string> keep_backup(const std::string& path, const RecordFileKind& kind,
                                       std::vector<std::string>& warnings) {
    const std::string cannot = std::string("cannot keep a copy of the unusable ") + kind.file + ": ";
    const FileRead old = read_whole_file(path);
    if (old.status == FileRead::Status::failed) return cannot + old.error;
    if (old.status != FileRead::Status::read) return std::nullopt;  // gone since the load

    const std::string target = write_target(path);
    std::vector<unsigned long> numbers = backup_numbers(target);
    // Under the lock no other save picks the same number; write_new_file still refuses to replace
    // a file that appeared meanwhile.
    const unsigned long next = numbers.empty() ? 1 : numbers.back() + 1;
    const std::string backup = backup_path(target, next);
    const std::optional<std::string> error = write_new_file(backup, old.bytes);
    if (error) return cannot + *error;
    warnings.push_back(std::string("Trembla: Kept a copy of the unusable ") + kind.file + " as " + backup);

    numbers.push_back(next);
    for (std::size_t i = 0; i + kPresetBackupsKept < numbers.size(); ++i) {
        remove_file(backup_path(target, numbers[i]));
    }
    return std::nullopt;
}

// The save itself, with the lock held. Returns the failure description, or nothing when written.
std::optional<std::string> save_locked(const std::string& path, const std::string& text, ExistingPresetFile existing,
                                       const RecordFileKind& kind, std::vector<std::string>& warnings) {
    remove_stale_temporaries(path);
    if (existing == ExistingPresetFile::back_up_if_unusable) {
        existing = kind.usable(path) ? ExistingPresetFile::replace : ExistingPresetFile::back_up_then_replace;
    }
    if (existing == ExistingPresetFile::back_up_then_replace) {
        if (auto error = keep_backup(path, kind, warnings)) return error;
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

std::optional<PresetFileStatus> read_record_text(const std::string& path, std::string& text, const RecordFileKind& kind,
                                                 std::optional<std::string>& warning) {
    FileRead file = read_whole_file(path);
    if (file.status == FileRead::Status::missing) return PresetFileStatus::missing;
    if (file.status == FileRead::Status::failed) {
        warning = kind.load_failed + file.error;
        return PresetFileStatus::unreadable;
    }
    if (json_text_nesting_depth(file.bytes) > kMaxPresetNesting) {
        warning = kind.parse_failed + ("nesting deeper than " + std::to_string(kMaxPresetNesting) + " levels");
        return PresetFileStatus::unparsable;
    }
    text = std::move(file.bytes);
    return std::nullopt;
}

std::string unparsable_record_warning(const PresetJson::exception& error, const RecordFileKind& kind) {
    // Not only parse_error: a number beyond the double range (1e400) is an out_of_range error,
    // and it too means the text cannot be read.
    return kind.parse_failed + parser_message(error);
}

PresetFileStatus load_record_file(const std::string& path, const RecordFileKind& kind, PresetJson& records,
                                  std::optional<std::string>& warning) {
    records = PresetJson::object();
    warning.reset();
    try {
        return load_or_throw(path, kind, records, warning);
    } catch (const std::exception& error) {
        warning = kind.load_failed + std::string(error.what());
    } catch (...) {
        warning = kind.load_failed + std::string("unknown error");
    }
    records = PresetJson::object();
    return PresetFileStatus::unreadable;
}

ExistingPresetFile existing_record_file_rule(PresetFileStatus loaded) {
    switch (loaded) {
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

bool save_record_file(const std::string& path, const PresetJson& records, const RecordFileKind& kind,
                      ExistingPresetFile existing, std::vector<std::string>& warnings) {
    const std::optional<std::string> error = described([&]() -> std::optional<std::string> {
        std::string text;
        if (auto refused = records_text(records, kind, text)) return refused;
        const PresetFileLock lock(preset_lock_path(path));
        if (lock.failure()) return lock.failure();
        return save_locked(path, text, existing, kind, warnings);
    });
    if (error) warnings.push_back(kind.save_failed + *error);
    return !error;
}

bool update_record_file(const std::string& path, const RecordFileKind& kind,
                        const std::function<bool(PresetJson&)>& change, bool& changed,
                        std::vector<std::string>& warnings) {
    const std::optional<std::string> error = described([&]() -> std::optional<std::string> {
        const PresetFileLock lock(preset_lock_path(path));
        if (lock.failure()) return lock.failure();
        PresetJson records;
        std::optional<std::string> warning;
        const PresetFileStatus status = load_record_file(path, kind, records, warning);
        if (warning) warnings.push_back(*warning);
        if (!change(records)) return std::nullopt;
        changed = true;
        std::string text;
        if (auto refused = records_text(records, kind, text)) return refused;
        return save_locked(path, text, existing_record_file_rule(status), kind, warnings);
    });
    if (error) warnings.push_back(kind.save_failed + *error);
    return !error;
}

std::vector<std::string> record_file_backups(const std::string& path) {
    const std::string target = write_target(path);
    std::vector<std::string> paths;
    for (unsigned long number : backup_numbers(target)) paths.push_back(backup_path(target, number));
    return paths;
}

}  // namespace trembla
