// Fuzzes the preset file loader: the input is the whole content of the preset file.
//
// Invariants: loading never throws; the status says what the file holds (not JSON, JSON of the
// wrong shape, or presets, which then validate and equal the file's JSON); a warning comes with
// exactly the statuses that describe a failure; a loaded result saved and loaded again gives the
// same presets, and an unusable file replaced by a save survives byte for byte as the newest numbered copy;
// the linear parser gives what nlohmann's own parser gives, values, order and errors alike.
// Run with TMPDIR on a memory file system: every input is written to disk a few times.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "fuzz_check.h"
#include "presets/preset_store.h"
#include "presets/settings_snapshot.h"

namespace trembla {
namespace {

// One directory per process, removed at exit (not after a crash, which keeps the evidence).
class ScratchDirectory {
public:
    ScratchDirectory() {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = std::filesystem::temp_directory_path() / ("trembla_fuzz_" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(path_, error)) return;  // false when it exists already
        }
        fuzzing::fail(__FILE__, __LINE__, "create_directory", "no scratch directory");
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    std::string file(const char* name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

const ScratchDirectory& scratch() {
    static const ScratchDirectory directory;
    return directory;
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    FUZZ_REQUIRE(out.good(), "the input file could be written");
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool starts_with(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// The shape a preset file must have, stated apart from the loader's own check.
bool is_object_of_records(const PresetJson& data) {
    if (!data.is_object()) return false;
    return std::all_of(data.begin(), data.end(), [](const PresetJson& record) {
        return record.is_object() && (!record.contains("settings") || record.at("settings").is_object());
    });
}

// What a load of `bytes` must give: the parsed JSON when it is JSON of the right shape.
PresetFileStatus expected_status(const std::string& bytes, PresetJson& parsed) {
    if (json_text_nesting_depth(bytes) > kMaxPresetNesting) return PresetFileStatus::unparsable;
    parsed = PresetJson::parse(bytes, nullptr, /*allow_exceptions=*/false);
    if (parsed.is_discarded()) return PresetFileStatus::unparsable;
    return is_object_of_records(parsed) ? PresetFileStatus::loaded : PresetFileStatus::invalid_structure;
}

void check_outcome(const std::string& bytes, const LoadedPresets& loaded) {
    PresetJson parsed;
    FUZZ_REQUIRE(loaded.status == expected_status(bytes, parsed), "the status says what the file holds");
    switch (loaded.status) {
        case PresetFileStatus::missing:
            fuzzing::fail(__FILE__, __LINE__, "status", "a file that was just written reads as missing");
        case PresetFileStatus::loaded:
            FUZZ_REQUIRE(!loaded.warning, "a loaded file gives no warning");
            FUZZ_REQUIRE(validate_preset_data(loaded.presets), "a loaded result validates");
            FUZZ_REQUIRE(loaded.presets == parsed, "a loaded file gives its presets as written");
            return;
        case PresetFileStatus::unreadable:
            FUZZ_REQUIRE(loaded.warning && starts_with(*loaded.warning, "Trembla: Failed to load presets: "),
                         "an unreadable file gives the load warning");
            break;
        case PresetFileStatus::unparsable:
            FUZZ_REQUIRE(loaded.warning && starts_with(*loaded.warning, "Trembla: Failed to parse presets file: "),
                         "a file that is not JSON gives the parse warning");
            break;
        case PresetFileStatus::invalid_structure:
            FUZZ_REQUIRE(loaded.warning && *loaded.warning == "Trembla: Preset file has invalid structure.",
                         "a file of the wrong shape gives the structure warning");
            break;
    }
    FUZZ_REQUIRE(loaded.presets == PresetJson::object(), "a failed load yields no presets");
}

std::string parse_outcome(const std::function<PresetJson()>& parse) {
    try {
        return "value " + parse().dump();
    } catch (const std::exception& error) {
        return std::string("error ") + error.what();
    }
}

void check_parsers_agree(const std::string& bytes) {
    if (json_text_nesting_depth(bytes) > kMaxPresetNesting) return;  // neither is asked then
    FUZZ_REQUIRE(parse_outcome([&] { return parse_preset_text(bytes); }) ==
                     parse_outcome([&] { return PresetJson::parse(bytes); }),
                 "the linear parser agrees with nlohmann's parser");
}

void check_presets_survive_a_save(const PresetJson& presets) {
    const std::string copy = scratch().file("saved.json");
    const SavedPresets saved = save_presets(copy, presets);
    FUZZ_REQUIRE(saved.ok && saved.warnings.empty(), "a loaded result can be saved");
    const LoadedPresets reloaded = load_presets(copy);
    FUZZ_REQUIRE(reloaded.status == PresetFileStatus::loaded, "a saved file loads");
    FUZZ_REQUIRE(reloaded.presets == presets, "saving and loading again gives the same presets");
    FUZZ_REQUIRE(dump_like_python(reloaded.presets) == read_bytes(copy), "the written layout is stable");
}

void check_unusable_file_is_kept(const std::string& path, const std::string& bytes, const LoadedPresets& loaded) {
    const SavedPresets saved = save_presets(path, PresetJson::object(), existing_file_rule(loaded));
    FUZZ_REQUIRE(saved.ok, "a save replaces an unusable file");
    const std::vector<std::string> backups = preset_backups(path);
    FUZZ_REQUIRE(!backups.empty() && read_bytes(backups.back()) == bytes,
                 "the unusable file is kept as the newest copy");
    FUZZ_REQUIRE(backups.size() <= static_cast<std::size_t>(kPresetBackupsKept), "only the newest copies are kept");
    const LoadedPresets reloaded = load_presets(path);
    FUZZ_REQUIRE(reloaded.status == PresetFileStatus::loaded && reloaded.presets.empty(),
                 "the replaced file holds the saved presets");
}

void check_list_and_records(const PresetJson& presets) {
    const std::vector<std::string> names = preset_names_in_list_order(presets);
    FUZZ_REQUIRE(names.size() == presets.size() && std::is_sorted(names.begin(), names.end()),
                 "the list shows every preset once, in character-code order");
    for (const auto& member : presets.items()) read_preset_record(member.value());
}

}  // namespace
}  // namespace trembla

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trembla;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = scratch().file(kPresetFileName);
    write_bytes(path, bytes);
    try {
        const LoadedPresets loaded = load_presets(path);
        check_outcome(bytes, loaded);
        check_parsers_agree(bytes);
        if (loaded.status == PresetFileStatus::loaded) {
            check_list_and_records(loaded.presets);
            check_presets_survive_a_save(loaded.presets);
        } else {
            check_unusable_file_is_kept(path, bytes, loaded);
        }
    } catch (const std::exception& error) {
        fuzzing::fail(__FILE__, __LINE__, "no exception", std::string("threw: ") + error.what());
    } catch (...) {
        fuzzing::fail(__FILE__, __LINE__, "no exception", "threw a non-standard exception");
    }
    return 0;
}
