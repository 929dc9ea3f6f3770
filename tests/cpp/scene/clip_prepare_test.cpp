// A shake clip in place of a source object: the prepare plays it instead of sampling, and a shake
// taken up from the scene plays it again only as its note says it was.
#include <gtest/gtest.h>

#include "core/clip_playback.h"
#include "scene/take_up.h"
#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

class ClipPrepareTest : public WorkflowTest {
protected:
    PrepareOutcome prepare_clip(const ShakeControls& c, const ClipSource& clip) {
        return prepare_shake(
            host, record, saved_mode, c, [](const std::exception_ptr&) {}, {}, nullptr, &clip);
    }

    // The shot's source prepared, saved as a clip of its displacements at 24 fps, and taken off
    // again: what the camera gets from the source, and the clip.
    std::pair<std::map<std::string, std::map<Frame, double>>, ShakeClip> saved_from_source(const ShakeControls& c) {
        EXPECT_EQ(prepare(c), PrepareOutcome::Prepared);
        const auto keys = shake_curves();
        ShakeClip clip = clip_from_displacements(record.delta_data, kFirst, kLast, 24, kSource, "2026-12-09T19:00:00Z");
        EXPECT_TRUE(reset_camera(host, record));
        return {keys, clip};
    }
};

TEST_F(ClipPrepareTest, AClipSavedFromTheSourceKeysExactlyWhatTheSourceKeyedAndNotesTheClip) {
    for (const char* mode : {"static", "animated", "relax"}) {
        const ShakeControls controls = shaped_controls(mode);
        const auto [source_keys, clip] = saved_from_source(controls);
        ShakeControls no_source = controls;
        no_source.source_field = "nothing_here";  // a clip needs no object
        ASSERT_EQ(prepare_clip(no_source, ClipSource{"take 1", clip, 0}), PrepareOutcome::Prepared) << mode;
        EXPECT_EQ(shake_curves(), source_keys) << mode;
        EXPECT_FALSE(record.source) << mode;
        const NotedClip noted{"take 1", clip_content_hash(clip), 24, 0};
        EXPECT_EQ(record.clip, noted) << mode;
        const std::optional<AppliedRecord> on_camera = read_applied(host, kCamera);
        ASSERT_TRUE(on_camera) << mode;
        EXPECT_EQ(on_camera->clip, noted) << mode;
        EXPECT_EQ(on_camera->source, "") << mode;
        EXPECT_TRUE(reset_camera(host, record)) << mode;
        expect_own_curves_back();
    }
}

TEST_F(ClipPrepareTest, AClipPlaysAtTheScenesFrameRateFromItsOffset) {
    const struct {
        double clip_rate;
        double scene_rate;
        Frame offset;
    } cases[] = {{24, 24, 7}, {48, 24, 0}, {24, 30, -3}, {25, 25, 100}};
    const ShakeClip source_clip = saved_from_source(shaped_controls("animated")).second;
    for (const auto& c : cases) {
        ShakeClip clip = source_clip;
        clip.frame_rate = c.clip_rate;
        host.fps = c.scene_rate;
        ASSERT_EQ(prepare_clip(shaped_controls("animated"), ClipSource{"take", clip, c.offset}),
                  PrepareOutcome::Prepared);
        const FrameRecord played = play_clip(resample_clip(clip, c.scene_rate), shot_frames(), c.offset);
        EXPECT_EQ(record.delta_data.frames, played.frames) << c.clip_rate << " " << c.scene_rate;
        EXPECT_EQ(record.delta_data.samples, played.samples) << c.clip_rate << " " << c.scene_rate;
        EXPECT_EQ(record.clip->frame_rate, c.scene_rate);
        EXPECT_EQ(record.clip->offset, c.offset);
        EXPECT_TRUE(reset_camera(host, record));
    }
}

TEST_F(ClipPrepareTest, AClipThatCannotPlayIsRejectedBeforeAnythingChanges) {
    ShakeClip empty;
    ASSERT_EQ(prepare_clip(shaped_controls("animated"), ClipSource{"none", empty, 0}), PrepareOutcome::Rejected);
    ASSERT_EQ(host.warnings.size(), 1u);
    EXPECT_EQ(host.warnings[0].rfind("Cannot play clip none: ", 0), 0u) << host.warnings[0];
    EXPECT_FALSE(record.ready);
    expect_own_curves_back();
}

// Taken up from the scene, the shake plays its clip again only while the clip found by its name
// hashes as noted; otherwise nothing is read, and Reset still takes the shake off.
TEST_F(ClipPrepareTest, ATakenUpShakePlaysItsClipAgainOnlyWhileItIsTheSameAndResetsWithoutIt) {
    const ShakeClip clip = saved_from_source(shaped_controls("animated")).second;
    ASSERT_EQ(prepare_clip(shaped_controls("animated"), ClipSource{"take 1", clip, 3}), PrepareOutcome::Prepared);
    const FrameRecord prepared = record.delta_data;
    ShakeClip changed = clip;
    changed.displacements[5][2] += 0.5;
    ShakeClip described_otherwise = clip;  // the source and date are not the motion
    described_otherwise.source = "another";
    described_otherwise.date = "2027-01-01T00:00:00Z";
    const struct {
        const char* what;
        ClipLookup lookup;
        bool read;
    } cases[] = {
        {"the same clip",
         [&](const std::string& name) { return std::optional<ShakeClip>(name == "take 1" ? clip : changed); }, true},
        {"described otherwise", [&](const std::string&) { return std::optional<ShakeClip>(described_otherwise); },
         true},
        {"changed since", [&](const std::string&) { return std::optional<ShakeClip>(changed); }, false},
        {"missing", [](const std::string&) { return std::optional<ShakeClip>(); }, false},
        {"no lookup", ClipLookup{}, false},
    };
    for (const auto& c : cases) {
        std::optional<Prepared> taken = taken_up_preparation(host, kCamera);
        ASSERT_TRUE(taken) << c.what;
        EXPECT_EQ(taken->clip, record.clip) << c.what;
        EXPECT_EQ(read_pending_samples(host, *taken, c.lookup), c.read) << c.what;
        EXPECT_EQ(taken->samples_pending, !c.read) << c.what;
        if (c.read) {
            EXPECT_EQ(taken->delta_data.samples, prepared.samples) << c.what;
        }
    }
    std::optional<Prepared> taken = taken_up_preparation(host, kCamera);
    ASSERT_TRUE(taken);
    EXPECT_TRUE(reset_camera(host, *taken));
    expect_own_curves_back();
}

}  // namespace
}  // namespace trembla::testing_scene
