#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "core/shake_offsets.h"
#include "core/shake_speed.h"

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

}  // namespace
}  // namespace trembla
