#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/shake_profiles.h"
#include "presets/clip_file.h"
#include "presets/preset_store.h"
#include "presets/shared_presets.h"
#include "scratch_directory.h"

namespace trembla {
namespace {

using testing::read_bytes;
using testing::ScratchDirectory;
using testing::write_bytes;

// Values that a shortest-form writer must not round: thirds, tiny and huge magnitudes, -0.
ShakeClip awkward_clip() {
    ShakeClip clip{{}, 29.97002997002997, "|cam_rig|hand", "2026-12-09T13:20:00Z"};
    for (int j = 0; j < 5; ++j) {
        clip.displacements.push_back({j / 3.0, -j * 1e-300, 1e300 / (j + 1), 0.1 * j, -0.0, 7.0 * j});
    }
    return clip;
}

// A file of one clip: a good record changed by `change`.
std::string file_with(void (*change)(PresetJson&)) {
    PresetJson record = clip_record(awkward_clip());
    change(record);
    return "{\"take\": " + record.dump() + "}";
}

TEST(ClipFile, ARecordReadsBackBitForBitWithItsHash) {
    for (const ShakeClip& clip : {awkward_clip(), *profile_clip("earthquake", 5)}) {
        ScratchDirectory directory;
        const std::string path = clip_file_path(directory.path());
        PresetJson clips = PresetJson::object();
        clips["take 1"] = clip_record(clip);
        ASSERT_TRUE(save_clips(path, clips).ok);
        const LoadedClips loaded = load_clips(path);
        ASSERT_EQ(loaded.status, PresetFileStatus::loaded) << loaded.warning.value_or("");
        const std::optional<ShakeClip> back = clip_from_record(loaded.clips.at("take 1"));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->displacements, clip.displacements);
        EXPECT_EQ(back->frame_rate, clip.frame_rate);
        EXPECT_EQ(back->source, clip.source);
        EXPECT_EQ(back->date, clip.date);
        EXPECT_EQ(clip_content_hash(*back), clip_content_hash(clip));
    }
    EXPECT_EQ(file_name_of(clip_file_path("/studio/shared/")), "trembla_clips.json");
}

// Hostile files get the preset file's treatment: one line of warning, no clips, the file untouched.
TEST(ClipFile, HostileFilesAreRefusedWithOneLine) {
    const std::string parse = "Trembla: Failed to parse clips file: ";
    const std::string structure = "Trembla: Clip file has invalid structure.";
    const auto unparsable = PresetFileStatus::unparsable;
    const auto invalid = PresetFileStatus::invalid_structure;
    const struct {
        const char* what;
        std::string bytes;
        PresetFileStatus status;
        std::string warning;
    } cases[] = {
        {"not JSON", "{\"take\": ", unparsable, parse},
        {"empty", "", unparsable, parse},
        {"a number beyond the double range", "{\"take\": 1e400}", unparsable, parse},
        {"nesting too deep", std::string(600, '[') + std::string(600, ']'), unparsable,
         parse + "nesting deeper than 512 levels"},
        {"a list, not an object", "[]", invalid, structure},
        {"a clip that is text", file_with([](PresetJson& r) { r = "take"; }), invalid, structure},
        {"no frame rate", file_with([](PresetJson& r) { r.erase("frame_rate"); }), invalid, structure},
        {"a zero frame rate", file_with([](PresetJson& r) { r["frame_rate"] = 0; }), invalid, structure},
        {"a channel missing", file_with([](PresetJson& r) { r["channels"].erase("rotateZ"); }), invalid, structure},
        {"channels of different lengths", file_with([](PresetJson& r) { r["channels"]["translateY"].push_back(1); }),
         invalid, structure},
        {"a displacement that is text", file_with([](PresetJson& r) { r["channels"]["rotateX"][0] = "0"; }), invalid,
         structure},
        {"no frames", file_with([](PresetJson& r) {
             for (auto& values : r["channels"]) values = PresetJson::array();
         }),
         invalid, structure},
        {"a later version", file_with([](PresetJson& r) { r["version"] = 2; }), invalid, structure},
        {"a source that is a number", file_with([](PresetJson& r) { r["source"] = 3; }), invalid, structure},
    };
    for (const auto& c : cases) {
        ScratchDirectory directory;
        const std::string path = clip_file_path(directory.path());
        write_bytes(path, c.bytes);
        const LoadedClips loaded = load_clips(path);
        EXPECT_EQ(loaded.status, c.status) << c.what;
        ASSERT_TRUE(loaded.warning) << c.what;
        EXPECT_EQ(loaded.warning->rfind(c.warning, 0), 0U) << c.what << ": " << *loaded.warning;
        EXPECT_EQ(loaded.warning->find('\n'), std::string::npos) << c.what;
        EXPECT_TRUE(loaded.clips.empty()) << c.what;
        EXPECT_EQ(read_bytes(path), c.bytes) << c.what << ": a load writes nothing";

        // A save over it first keeps the file as a numbered copy: nothing is lost.
        const SavedClips saved = update_clips(path, [](PresetJson& clips) {
            clips["kept"] = clip_record(awkward_clip());
            return true;
        });
        EXPECT_TRUE(saved.ok) << c.what;
        const std::vector<std::string> copies = record_file_backups(path);
        ASSERT_EQ(copies.size(), 1U) << c.what;
        EXPECT_EQ(read_bytes(copies[0]), c.bytes) << c.what;
        EXPECT_EQ(file_name_of(copies[0]), "trembla_clips.json.1.bak") << c.what;
        EXPECT_EQ(load_clips(path).status, PresetFileStatus::loaded) << c.what;
    }
}

TEST(ClipFile, SavesRefuseWhatALoadWouldRejectAndKeepTheFile) {
    ScratchDirectory directory;
    const std::string path = clip_file_path(directory.path());
    PresetJson good = PresetJson::object();
    good["take"] = clip_record(awkward_clip());
    ASSERT_TRUE(save_clips(path, good).ok);
    const std::string before = read_bytes(path);
    PresetJson bad = good;
    bad["broken"] = clip_record(ShakeClip{});  // no frames
    const SavedClips saved = save_clips(path, bad);
    EXPECT_FALSE(saved.ok);
    ASSERT_EQ(saved.warnings.size(), 1U);
    EXPECT_EQ(saved.warnings[0].rfind("Trembla: Failed to save clips: cannot write clips", 0), 0U);
    EXPECT_EQ(read_bytes(path), before);
}

TEST(ClipFile, FindsANameInTheUsersFileFirstThenInTheSharedFilesInOrder) {
    ScratchDirectory user, first, second, broken;
    const auto file_of = [](const ScratchDirectory& d, const std::vector<std::pair<std::string, std::string>>& clips) {
        PresetJson records = PresetJson::object();
        for (const auto& [name, source] : clips) {
            ShakeClip clip = awkward_clip();
            clip.source = source;
            records[name] = clip_record(clip);
        }
        EXPECT_TRUE(save_clips(clip_file_path(d.path()), records).ok);
    };
    file_of(user, {{"mine", "user"}, {"both", "user"}});
    file_of(first, {{"both", "first"}, {"shared", "first"}});
    file_of(second, {{"shared", "second"}, {"late", "second"}});
    write_bytes(clip_file_path(broken.path()), "{");
    const std::string value = broken.path() + kPresetPathSeparator + first.path() + kPresetPathSeparator +
                              second.path() + kPresetPathSeparator + first.path();
    const std::vector<std::string> shared = shared_clip_files(value);
    ASSERT_EQ(shared.size(), 3U) << "a folder named twice is read once";

    const struct {
        const char* name;
        const char* source;  // empty: not found
    } cases[] = {{"mine", "user"}, {"both", "user"}, {"shared", "first"}, {"late", "second"}, {"none", ""}};
    for (const auto& c : cases) {
        std::vector<std::string> warnings;
        const std::optional<FoundClip> found = find_clip(c.name, clip_file_path(user.path()), shared, warnings);
        EXPECT_EQ(found ? found->clip.source : "", c.source) << c.name;
        EXPECT_EQ(warnings.size(), std::string(c.source) == "user" ? 0U : 1U) << c.name << ": the broken file's line";
    }
}

TEST(ClipFile, ImportAddsNewClipsAndReplacesChangedOnesOnlyWhenAsked) {
    PresetJson current = PresetJson::object();
    current["same"] = clip_record(awkward_clip());
    current["changed"] = clip_record(awkward_clip());
    PresetJson incoming = current;
    incoming["changed"]["frame_rate"] = 25.0;
    incoming["new"] = clip_record(*profile_clip("walking"));
    const ImportPlan plan = plan_import(current, incoming);
    EXPECT_EQ(plan.added, std::vector<std::string>{"new"});
    EXPECT_EQ(plan.replaced, std::vector<std::string>{"changed"});
    PresetJson merged = current;
    EXPECT_EQ(merge_presets(merged, incoming, false), 1);
    EXPECT_EQ(merged["changed"]["frame_rate"], current["changed"]["frame_rate"]);
    EXPECT_EQ(merge_presets(merged, incoming, true), 1);
    EXPECT_TRUE(validate_clip_data(merged));
}

}  // namespace
}  // namespace trembla
