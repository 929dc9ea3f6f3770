// Fuzzes the clip file loader: the input is the whole content of the clip file.
//
// Invariants: loading never throws; a warning comes with exactly the statuses that describe a
// failure, on one line; every clip of a loaded file reads, plays looped over three times its length
// from an offset and resampled without throwing, and saved and loaded again gives the same records;
// an unusable file replaced by a save survives byte for byte as the newest numbered copy.
// Run with TMPDIR on a memory file system: every input is written to disk a few times.
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/clip_playback.h"
#include "fuzz_check.h"
#include "presets/clip_file.h"

namespace trembla {
namespace {

std::filesystem::path scratch() {
    static const std::filesystem::path path = [] {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("trembla_fuzz_clips_" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) return candidate;
        }
        fuzzing::fail(__FILE__, __LINE__, "create_directory", "no scratch directory");
    }();
    return path;
}

std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void check_clips_play(const PresetJson& clips) {
    for (const auto& member : clips.items()) {
        const std::optional<ShakeClip> clip = clip_from_record(member.value());
        FUZZ_REQUIRE(clip.has_value(), "every clip of a loaded file reads");
        if (clip->length() > 100000) continue;  // playing is linear; long clips only slow the run
        const auto length = static_cast<Frame>(clip->length());
        play_clip(*clip, frame_span(0, 3 * length), length / 2);
        if (static_cast<double>(clip->length()) * 24 / clip->frame_rate < 100000) resample_clip(*clip, 24);
    }
}

void check_clips_survive_a_save(const PresetJson& clips) {
    const std::string copy = (scratch() / "saved.json").string();
    const SavedClips saved = save_clips(copy, clips);
    FUZZ_REQUIRE(saved.ok && saved.warnings.empty(), "a loaded result can be saved");
    const LoadedClips reloaded = load_clips(copy);
    FUZZ_REQUIRE(reloaded.status == PresetFileStatus::loaded && reloaded.clips == clips,
                 "saving and loading again gives the same clips");
}

void check_unusable_file_is_kept(const std::string& path, const std::string& bytes, const LoadedClips& loaded) {
    FUZZ_REQUIRE(loaded.warning && loaded.warning->find('\n') == std::string::npos,
                 "an unusable file gives one line of warning");
    FUZZ_REQUIRE(loaded.clips == PresetJson::object(), "a failed load yields no clips");
    const SavedClips saved = save_clips(path, PresetJson::object(), existing_record_file_rule(loaded.status));
    FUZZ_REQUIRE(saved.ok, "a save replaces an unusable file");
    const std::vector<std::string> backups = record_file_backups(path);
    FUZZ_REQUIRE(!backups.empty() && read_bytes(backups.back()) == bytes,
                 "the unusable file is kept as the newest copy");
}

}  // namespace
}  // namespace trembla

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace trembla;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = clip_file_path(scratch().string());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        out.close();
        FUZZ_REQUIRE(out.good(), "the input file could be written");
    }
    try {
        const LoadedClips loaded = load_clips(path);
        if (loaded.status == PresetFileStatus::loaded) {
            FUZZ_REQUIRE(!loaded.warning, "a loaded file gives no warning");
            check_clips_play(loaded.clips);
            check_clips_survive_a_save(loaded.clips);
        } else {
            FUZZ_REQUIRE(loaded.status != PresetFileStatus::missing, "a file that was just written reads");
            check_unusable_file_is_kept(path, bytes, loaded);
        }
    } catch (const std::exception& error) {
        fuzzing::fail(__FILE__, __LINE__, "no exception", std::string("threw: ") + error.what());
    } catch (...) {
        fuzzing::fail(__FILE__, __LINE__, "no exception", "threw a non-standard exception");
    }
    return 0;
}
