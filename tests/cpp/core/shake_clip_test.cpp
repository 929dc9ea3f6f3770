#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clip_playback.h"
#include "core/shake_clip.h"
#include "core/shake_profiles.h"

namespace trembla {
namespace {

// n frames; channel k of frame j holds 10 j + k, so a value names the position it was read at.
ShakeClip ramp_clip(std::size_t n, double rate = 24) {
    ShakeClip clip{{}, rate, "|shaker", "2026-12-09T13:20:00Z"};
    for (std::size_t j = 0; j < n; ++j) {
        Sample s;
        for (std::size_t k = 0; k < kChannelCount; ++k) s[k] = 10.0 * static_cast<double>(j) + static_cast<double>(k);
        clip.displacements.push_back(s);
    }
    return clip;
}

// A captured-like clip: a hand's jitter (uniform steps from Pcg32) over a slow drift, so that its
// last frame lies far from its first.
ShakeClip captured_clip(std::size_t n, std::uint64_t seed) {
    Pcg32 generator(seed, 7);
    ShakeClip clip{{Sample{}}, 24, "|cam_rig|hand", ""};
    for (std::size_t j = 1; j < n; ++j) {
        Sample s = clip.displacements.back();
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            s[k] += 0.02 * static_cast<double>(k + 1) + (static_cast<double>(generator.next()) / 4294967296.0 - 0.5);
        }
        clip.displacements.push_back(s);
    }
    return clip;
}

TEST(ShakeClip, ProblemsNameEachWayAClipCannotPlay) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* what;
        ShakeClip clip;
        bool playable;
    } cases[] = {
        {"one frame plays", ramp_clip(1), true},
        {"no frames", ramp_clip(0), false},
        {"zero rate", ramp_clip(3, 0), false},
        {"negative rate", ramp_clip(3, -24), false},
        {"NaN rate", ramp_clip(3, nan), false},
        {"rate above the host's fastest unit", ramp_clip(3, 48001), false},
        {"the host's fastest unit", ramp_clip(3, 48000), true},
        {"a NaN displacement",
         [&] {
             ShakeClip c = ramp_clip(3);
             c.displacements[1][4] = nan;
             return c;
         }(),
         false},
        {"an infinite displacement",
         [&] {
             ShakeClip c = ramp_clip(3);
             c.displacements[2][0] = -HUGE_VAL;
             return c;
         }(),
         false},
    };
    for (const auto& c : cases) EXPECT_EQ(!clip_problem(c.clip).has_value(), c.playable) << c.what;
}

TEST(ShakeClip, ContentHashFollowsTheMotionOnlyAndIsStable) {
    const ShakeClip base = ramp_clip(4);
    // The documented bytes, hashed independently (Python's struct and the FNV-1a rule): a change
    // to the layout would be a new format.
    EXPECT_EQ(clip_content_hash(ShakeClip{{Sample{}}, 24, "", ""}), "fnv1a64:7b86e16a53feb323");
    EXPECT_EQ(clip_content_hash(base), "fnv1a64:f66146efd2b96499");
    const struct {
        const char* what;
        void (*change)(ShakeClip&);
        bool same;
    } cases[] = {
        {"source and date are not motion", [](ShakeClip& c) { c.source = "other", c.date = "2020"; }, true},
        {"-0 is +0", [](ShakeClip& c) { c.displacements[0][0] = -0.0; }, true},
        {"one value's last bit",
         [](ShakeClip& c) { c.displacements[2][3] = std::nextafter(c.displacements[2][3], 99.0); }, false},
        {"the frame rate", [](ShakeClip& c) { c.frame_rate = 25; }, false},
        {"one frame more", [](ShakeClip& c) { c.displacements.push_back(c.displacements.back()); }, false},
        {"two channels swapped", [](ShakeClip& c) { std::swap(c.displacements[1][0], c.displacements[1][1]); }, false},
    };
    for (const auto& c : cases) {
        ShakeClip changed = base;
        c.change(changed);
        EXPECT_EQ(clip_content_hash(changed) == clip_content_hash(base), c.same) << c.what;
    }
}

// Saved from a source and played over the same frames, a clip gives the source's displacements
// bit for bit: the shake extracted from it is the one the source would give.
TEST(ShakeClip, PlaysBackTheDisplacementsItWasSavedFrom) {
    const ShakeClip captured = captured_clip(40, 11);
    FrameRecord deltas;
    for (std::size_t i = 0; i < captured.length(); ++i) {
        deltas.frames.push_back(static_cast<Frame>(1001 + i));
        deltas.samples.push_back(captured.displacements[i]);
    }
    const struct {
        const char* what;
        Frame first, last;
    } cases[] = {{"the whole record", 1001, 1040}, {"part of it", 1010, 1020}, {"one frame", 1040, 1040}};
    for (const auto& c : cases) {
        const ShakeClip clip = clip_from_displacements(deltas, c.first, c.last, 25, "|hand", "2026");
        EXPECT_EQ(clip.length(), static_cast<std::size_t>(c.last - c.first + 1)) << c.what;
        const FrameRecord played = play_clip(clip, frame_span(c.first, c.last), 0);
        for (std::size_t i = 0; i < played.size(); ++i) {
            EXPECT_EQ(played.samples[i], *find_sample(deltas, played.frames[i])) << c.what;
        }
    }
    EXPECT_EQ(clip_from_displacements(deltas, 1040, 1041, 24, "", "").displacements[1], Sample{})
        << "a frame the record lacks reads as zero";
    EXPECT_THROW(clip_from_displacements(deltas, 5, 4, 24, "", ""), std::invalid_argument);
    EXPECT_THROW(clip_from_displacements(deltas, 0, kMaxSampledFrames, 24, "", ""), std::invalid_argument);
}

TEST(ClipPlayback, ResamplesLinearlyAsSpeedInterpolates) {
    const struct {
        const char* what;
        std::size_t frames;
        double from, to;
        std::vector<double> read_at;  // channel 0 of every frame of the result
    } cases[] = {
        {"twice the rate reads midpoints, ending on the last frame", 4, 24, 48, {0, 5, 10, 15, 20, 25, 30}},
        {"half the rate reads every other frame", 5, 24, 12, {0, 20, 40}},
        {"half the rate stops before the time runs out", 4, 24, 12, {0, 20}},
        {"24 to 30 reads at 0.8 steps", 5, 24, 30, {0, 8, 16, 24, 32, 40}},
        {"one frame stays one frame", 1, 24, 60, {0}},
    };
    for (const auto& c : cases) {
        const ShakeClip resampled = resample_clip(ramp_clip(c.frames, c.from), c.to);
        EXPECT_EQ(resampled.frame_rate, c.to) << c.what;
        ASSERT_EQ(resampled.length(), c.read_at.size()) << c.what;
        for (std::size_t j = 0; j < c.read_at.size(); ++j) {
            for (std::size_t k = 0; k < kChannelCount; ++k) {
                EXPECT_DOUBLE_EQ(resampled.displacements[j][k], c.read_at[j] + static_cast<double>(k)) << c.what;
            }
        }
    }
    const ShakeClip odd = captured_clip(50, 3);
    EXPECT_EQ(resample_clip(odd, 24).displacements, odd.displacements) << "the clip's own rate keeps every bit";
    for (const double bad : {0.0, -24.0, 48001.0, std::numeric_limits<double>::quiet_NaN()}) {
        EXPECT_THROW(resample_clip(odd, bad), std::invalid_argument) << bad;
    }
    EXPECT_THROW(resample_clip(ramp_clip(200000, 1), 48000), std::invalid_argument) << "too many frames";
}

TEST(ClipPlayback, PlaysFromTheOffsetAndLoopsAcrossTheRange) {
    // A ramp's seam is a jump of 10 (n-1) against steps of 10: the later passes start displaced.
    const struct {
        const char* what;
        std::size_t clip_frames;
        Frame first, last, offset;
        std::vector<bool> later_pass;    // per frame: past the clip's end (then displaced)
        std::vector<double> clip_frame;  // channel 0 of the clip frame each frame shows
    } cases[] = {
        {"a clip as long as the range plays as it is", 5, 100, 104, 0, {0, 0, 0, 0, 0}, {0, 10, 20, 30, 40}},
        {"the offset starts later in the clip", 8, 1, 4, 3, {0, 0, 0, 0}, {30, 40, 50, 60}},
        {"an offset past the length counts round", 8, 1, 4, 11, {0, 0, 0, 0}, {30, 40, 50, 60}},
        {"a negative offset counts from the end", 8, 1, 3, -2, {0, 0, 1}, {60, 70, 0}},
        {"a short clip loops", 3, -2, 4, 0, {0, 0, 0, 1, 1, 1, 1}, {0, 10, 20, 0, 10, 20, 0}},
    };
    for (const auto& c : cases) {
        const ShakeClip clip = ramp_clip(c.clip_frames);
        const FrameRecord played = play_clip(clip, frame_span(c.first, c.last), c.offset);
        ASSERT_EQ(played.frames, frame_span(c.first, c.last)) << c.what;
        const LoopSeam seam = loop_seam(clip.displacements);
        for (std::size_t i = 0; i < played.size(); ++i) {
            const auto at = static_cast<std::size_t>(c.clip_frame[i] / 10);
            double expected = c.clip_frame[i];
            if (c.later_pass[i] && at < seam.blend_frames) {
                expected +=
                    seam.jump[0] * static_cast<double>(seam.blend_frames - at) / static_cast<double>(seam.blend_frames);
            }
            EXPECT_EQ(played.samples[i][0], expected) << c.what << ", frame " << i;
        }
    }
    const ShakeClip captured = captured_clip(300, 5);
    const FrameRecord whole = play_clip(captured, frame_span(1001, 1300), 0);
    EXPECT_EQ(whole.samples, captured.displacements) << "a clip as long as the range is its values bit for bit";
    EXPECT_THROW(play_clip(ramp_clip(0), frame_span(1, 2), 0), std::invalid_argument);
}

TEST(ClipPlayback, StepPercentileIsTheNearestRank) {
    ShakeClip clip{{}, 24, "", ""};
    for (const double x : {0.0, 1.0, 3.0, 6.0, 10.0, 15.0, 15.0}) clip.displacements.push_back({x, -x, 0, 0, 0, 0});
    // Steps 1 2 3 4 5 0, sorted 0 1 2 3 4 5.
    const struct { double q, expected; } cases[] = {{0.01, 0}, {0.5, 2}, {0.99, 5}, {1, 5}, {0.84, 5}, {0.83, 4}};
    for (const auto& c : cases) {
        const Sample p = step_percentile(clip.displacements, c.q);
        EXPECT_EQ(p[0], c.expected) << c.q;
        EXPECT_EQ(p[1], c.expected) << c.q << " sizes, not signed steps";
        EXPECT_EQ(p[2], 0) << c.q;
    }
    EXPECT_EQ(step_percentile({Sample{}}, 0.99), Sample{});
}

// The loop measure: the step across every seam stays within the clip's 99th-percentile step, and
// a step in the blend after it exceeds the clip's own step there by at most half of it.
TEST(ClipPlayback, SeamStepsStayWithinTheClipsOwnSteps) {
    std::vector<std::pair<std::string, ShakeClip>> clips;
    for (const std::size_t n : {2, 3, 17, 240})
        clips.emplace_back("captured " + std::to_string(n), captured_clip(n, n));
    clips.emplace_back("ramp", ramp_clip(12));
    for (const std::string& name : profile_names()) {
        clips.emplace_back(name, *profile_clip(name, 9));
        clips.emplace_back(name + " at 30 fps", resample_clip(*profile_clip(name, 9), 30));
    }
    for (const auto& [name, clip] : clips) {
        const std::size_t n = clip.length();
        const Sample usual = step_percentile(clip.displacements, 0.99);
        const LoopSeam seam = loop_seam(clip.displacements);
        for (const Frame offset : {Frame{0}, static_cast<Frame>(n / 2)}) {
            const FrameRecord played = play_clip(clip, frame_span(0, static_cast<Frame>(3 * n + 5)), offset);
            for (std::size_t seam_at = n - static_cast<std::size_t>(offset); seam_at < played.size(); seam_at += n) {
                const Sample at_seam = largest_step(played.samples, seam_at, seam_at + 1);
                // Played frame seam_at + j shows clip frame j; the fade ends at clip frame blend_frames.
                const std::vector<Sample> head(
                    clip.displacements.begin(),
                    clip.displacements.begin() + static_cast<std::ptrdiff_t>(seam.blend_frames + 1));
                const Sample own = largest_step(head, 0, head.size());
                const Sample blended = largest_step(played.samples, seam_at + 1, seam_at + seam.blend_frames + 1);
                for (std::size_t k = 0; k < kChannelCount; ++k) {
                    EXPECT_LE(at_seam[k], usual[k] * (1 + 1e-12)) << name << " offset " << offset << " ch " << k;
                    EXPECT_LE(blended[k], own[k] + usual[k] / 2 * (1 + 1e-9)) << name << " offset " << offset;
                }
            }
        }
    }
}

}  // namespace
}  // namespace trembla
