#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/clip_playback.h"
#include "core/extraction.h"
#include "core/shake_clip.h"
#include "core/shake_offsets.h"
#include "core/shake_profiles.h"
#include "core/shake_speed.h"
#include "core/whole_numbers.h"

namespace trembla {
namespace {

// Eight frames from `start`; channel k of the j-th frame holds 10 j + k, so a value names the
// (possibly fractional) position it was read at.
FrameRecord shake_from(Frame start) {
    std::vector<std::pair<Frame, Sample>> entries;
    for (int j = 0; j < 8; ++j) {
        Sample s;
        for (std::size_t k = 0; k < kChannelCount; ++k) s[k] = 10.0 * j + static_cast<double>(k);
        entries.emplace_back(start + j, s);
    }
    return make_frame_record(entries);
}

struct SpeedCase {
    const char* what;
    Frame start;
    double speed;
    std::vector<double> read_at;  // channel 0 of each of the eight frames, in order
};

const SpeedCase kCases[] = {
    {"twice as fast reads every other frame, looping", 10, 200, {0, 20, 40, 60, 0, 20, 40, 60}},
    {"half as fast reads the midpoints interpolated", 10, 50, {0, 5, 10, 15, 20, 25, 30, 35}},
    {"a quarter as fast interpolates quarters", 10, 25, {0, 2.5, 5, 7.5, 10, 12.5, 15, 17.5}},
    // 7.5 lies between the last frame (70) and the first again (0).
    {"past the last frame it continues from the first", 10, 150, {0, 15, 30, 45, 60, 35, 10, 25}},
    {"four times as fast loops twice", 10, 400, {0, 40, 0, 40, 0, 40, 0, 40}},
    {"frames count from the first frame, not from zero", -3, 300, {0, 30, 60, 10, 40, 70, 20, 50}},
    {"a late start is the same", 1001, 50, {0, 5, 10, 15, 20, 25, 30, 35}},
};

TEST(ShakeSpeed, WarpsTheShakeFromTheFirstFrameInterpolatingAndLooping) {
    for (const SpeedCase& c : kCases) {
        const FrameRecord shake = shake_from(c.start);
        const FrameRecord played = shake_at_speed(shake, shake.frames, c.speed);
        ASSERT_EQ(played.frames, shake.frames) << c.what;
        for (std::size_t i = 0; i < c.read_at.size(); ++i) {
            for (std::size_t k = 0; k < kChannelCount; ++k) {
                EXPECT_EQ(played.samples[i][k], c.read_at[i] + static_cast<double>(k))
                    << c.what << ", frame " << i << ", channel " << k;
            }
        }
    }
}

TEST(ShakeSpeed, NormalSpeedKeepsEveryValueBitForBit) {
    FrameRecord shake = shake_from(5);
    shake.samples[3][2] = 0.1 + 0.2;
    shake.samples[4][0] = std::numeric_limits<double>::infinity();
    shake.samples[5][5] = std::nextafter(1.0, 2.0);
    const FrameRecord played = shake_at_speed(shake, shake.frames, 100);
    EXPECT_EQ(played.frames, shake.frames);
    EXPECT_EQ(0, std::memcmp(played.samples.data(), shake.samples.data(), shake.samples.size() * sizeof(Sample)));

    // The offsets at the normal speed are today's product, bit for bit.
    ShakeSettings normal;
    normal.amount = 130;
    normal.trans_axis_mult = {20, 45, 100};
    const ShakeOffsets offsets = compute_shake_offsets(shake, shake.frames, normal);
    for (std::size_t i = 0; i < shake.size(); ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(offsets.channels[k][i],
                      shake.samples[i][k] * 1.3 * 1.0 * (normal.trans_axis_mult[k] / 100.0) * 1.0);
        }
    }
    // Any other speed reaches the offsets before the ranges weigh them: the second frame reads the
    // third; the seventh reads the fifth again but lies outside the range.
    ShakeSettings doubled = normal;
    doubled.speed = 200;
    doubled.ranges = {{5, 9}};
    const ShakeOffsets warped = compute_shake_offsets(shake_from(5), shake.frames, doubled);
    EXPECT_DOUBLE_EQ(warped.channels[0][1], 20 * 1.3 * 0.2 * warped.weights[1]);
    EXPECT_EQ(warped.channels[0][6], 0.0);
}

TEST(ShakeSpeed, FramesMissingFromTheShakeReadZeroAndNonFiniteSpeedsAreRefused) {
    FrameRecord shake = shake_from(0);
    shake.frames.erase(shake.frames.begin() + 2);
    shake.samples.erase(shake.samples.begin() + 2);
    const std::vector<Frame> frames = frame_span(0, 7);
    EXPECT_EQ(shake_at_speed(shake, frames, 200).samples[1][0], 0.0);
    EXPECT_EQ(shake_at_speed(shake, frames, 50).samples[1][0], 5.0);  // between 0 and 10
    EXPECT_EQ(shake_at_speed(shake, frames, 50).samples[3][0], 5.0);  // between 10 and nothing
    for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        EXPECT_THROW(shake_at_speed(shake, frames, bad), std::invalid_argument);
    }
}

FrameRecord over_range(const std::vector<Sample>& samples, Frame start) {
    FrameRecord record;
    for (std::size_t j = 0; j < samples.size(); ++j) {
        record.frames.push_back(start + static_cast<Frame>(j));
        record.samples.push_back(samples[j]);
    }
    return record;
}

// Shakes as extraction gives them, 240 frames from frame 1001.
// noise: a hand's jitter over a drift, its last frame far from its first;
// sine: a period of 37.3 frames, so that the range holds no whole number of them;
// ramp: a steady climb that drops back at the seam.
std::vector<std::pair<std::string, FrameRecord>> captured_like_shakes() {
    const Frame start = 1001;
    std::vector<Sample> noise{Sample{}}, sine, ramp;
    Pcg32 generator(11, 7);
    for (std::size_t j = 0; j < 240; ++j) {
        if (j > 0) {
            Sample s = noise.back();
            for (std::size_t k = 0; k < kChannelCount; ++k) {
                s[k] +=
                    0.02 * static_cast<double>(k + 1) + (static_cast<double>(generator.next()) / 4294967296.0 - 0.5);
            }
            noise.push_back(s);
        }
        Sample w, r;
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            w[k] = (1.0 + static_cast<double>(k)) * std::sin(2 * 3.14159265358979 * static_cast<double>(j) / 37.3 + k);
            r[k] = 0.5 * static_cast<double>(j) * static_cast<double>(k + 1);
        }
        sine.push_back(w);
        ramp.push_back(r);
    }
    std::vector<std::pair<std::string, FrameRecord>> shakes{
        {"noise", over_range(noise, start)}, {"sine 37.3", over_range(sine, start)}, {"ramp", over_range(ramp, start)}};
    const std::vector<Frame> range = frame_span(start, start + 599);
    // Clips shorter than the range, looped over it by their own seam first.
    for (const std::string& name : profile_names())
        shakes.emplace_back(name, play_clip(*profile_clip(name, 3), range, 0));
    ShakeClip short_clip{noise, 24, "", ""};
    short_clip.displacements.resize(50);
    shakes.emplace_back("50-frame clip", play_clip(short_clip, frame_span(start, start + 119), 7));
    return shakes;
}

struct SeamMeasure {
    Sample at_seam{};  // the largest step that crosses a seam
    Sample usual{};    // the 99th-percentile step of those that cross none (nearest rank)
    int seams = 0;
};

// The shake played at `speed`, frame by frame: output frame i reads position i × speed / 100 of
// the loop; the step into frame i crosses a seam where that position passes a whole number of
// ranges.
SeamMeasure measure_speed_seams(const FrameRecord& played, std::size_t range, double speed) {
    SeamMeasure m;
    std::array<std::vector<double>, kChannelCount> steps;
    const auto pass_of = [&](std::size_t i) {
        return std::floor(static_cast<double>(i) * speed / 100.0 / static_cast<double>(range));
    };
    for (std::size_t i = 1; i < played.size(); ++i) {
        const bool seam = pass_of(i) != pass_of(i - 1);
        m.seams += seam ? 1 : 0;
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            const double step = std::fabs(played.samples[i][k] - played.samples[i - 1][k]);
            if (seam) {
                m.at_seam[k] = std::max(m.at_seam[k], step);
            } else {
                steps[k].push_back(step);
            }
        }
    }
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        std::sort(steps[k].begin(), steps[k].end());
        const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(steps[k].size())));
        m.usual[k] = steps[k][std::max<std::size_t>(rank, 1) - 1];
    }
    return m;
}

// The seam measure at speed: each step of the played shake that crosses a seam against the 99th
// percentile (nearest rank) of the steps the shake takes at that speed within a pass, per channel:
// the clip's rule (the largest seam step within the clip's own 99th-percentile step), held where
// Speed reads the loop. The shake an object or a clip gives is its motion less the motion's
// centred average, which narrows to the frame itself at either end of the range: it is zero on
// the first and the last frame, so Speed's loop steps from zero to zero and loop_seam finds nothing
// to blend; its seam holds the measure as it is.
TEST(ShakeSpeed, AnExtractedShakeLoopsFromZeroToZeroAndItsSeamHoldsTheMeasure) {
    for (const auto& [name, motion] : captured_like_shakes()) {
        const FrameRecord shake = extract_source_shake(motion, motion.frames, 2, 4);
        EXPECT_EQ(shake.samples.front(), Sample{}) << name;
        EXPECT_EQ(shake.samples.back(), Sample{}) << name;
        EXPECT_EQ(loop_seam(shake.samples).blend_frames, 0U) << name;
        for (const double speed : {150.0, 250.0, -120.0}) {
            const FrameRecord wrapped = shake_at_speed(shake, shake.frames, speed);
            const SeamMeasure m = measure_speed_seams(wrapped, shake.size(), speed);
            for (std::size_t k = 0; k < kChannelCount; ++k) {
                if (std::getenv("TREMBLA_PRINT_SEAMS") != nullptr) {
                    std::printf("extracted %s %g%% %s: seam %.4f, p99 %.4f\n", name.c_str(), speed, kChannels[k],
                                m.at_seam[k], m.usual[k]);
                }
                EXPECT_LE(m.at_seam[k], m.usual[k]) << name << " at " << speed << "%, " << kChannels[k];
            }
        }
    }
}

}  // namespace
}  // namespace trembla
