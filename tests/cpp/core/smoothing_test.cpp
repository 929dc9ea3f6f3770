#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>

#include "core/smoothing.h"
#include "plain_unwrap.h"

namespace trembla {
namespace {

using testing_support::plain_unwrap;

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<Frame> frames_of(std::size_t count) {
    std::vector<Frame> frames;
    for (std::size_t i = 0; i < count; ++i) {
        frames.push_back(static_cast<Frame>(100 + i));
    }
    return frames;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

::testing::AssertionResult same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) {
        return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!same_bits(a[i], b[i])) {
            return ::testing::AssertionFailure() << "position " << i << ": " << std::hexfloat << a[i] << " vs " << b[i];
        }
    }
    return ::testing::AssertionSuccess();
}

std::string invalid_argument_message(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return "no error";
}

// ---- unwrap_angles ---------------------------------------------------------------------------

TEST(UnwrapAngles, TurnsAcrossTheFlipAndKeepsGoing) {
    EXPECT_EQ(unwrap_angles({170, -170, -150}), (std::vector<double>{170, 190, 210}));
    EXPECT_EQ(unwrap_angles({-170, 170}), (std::vector<double>{-170, -190}));
    EXPECT_EQ(unwrap_angles({0, 1000}), (std::vector<double>{0, -80}));
    EXPECT_EQ(unwrap_angles({0, -1000}), (std::vector<double>{0, 80}));
    EXPECT_TRUE(unwrap_angles({}).empty());
    EXPECT_EQ(unwrap_angles({725}), (std::vector<double>{725}));
}

TEST(UnwrapAngles, ThresholdOfHalfATurnIsStrict) {
    EXPECT_EQ(unwrap_angles({0, 180}), (std::vector<double>{0, 180}));
    EXPECT_EQ(unwrap_angles({0, -180}), (std::vector<double>{0, -180}));
    EXPECT_EQ(unwrap_angles({0, 181}), (std::vector<double>{0, -179}));
    EXPECT_EQ(unwrap_angles({0, -181}), (std::vector<double>{0, 179}));
}

TEST(UnwrapAngles, MatchesTheOneTurnLoopBitForBit) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> fraction(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(0, 27);
    for (int round = 0; round < 600; ++round) {
        // Up to about 1.3e8 degrees apart, and every other value tiny with fine fractional bits:
        // turning it far away rounds it again in every binade it crosses.
        std::vector<double> values;
        for (int i = 0; i < 3; ++i) {
            const bool tiny = i > 0 && (round + i) % 2 == 1;
            values.push_back(fraction(random) * std::ldexp(1.0, scale(random)) * (tiny ? 1e-9 : 1.0));
        }
        ASSERT_TRUE(same_bits(unwrap_angles(values), plain_unwrap(values))) << "round " << round;
    }
    // Tiny values turned far away, across every binade on the way, and back.
    for (const std::vector<double>& crafted :
         std::vector<std::vector<double>>{{-1.3e8 - 0.3, 1e-300, 0.1, 5e-324, -0.0, 3.0e7 + 0.1},
                                          {1.25e8 + 0.7, -0.0, 0.1, -1e-20, 1.0e8 + 0.3},
                                          {0.1, -1.3e8 - 0.3, 1e-300, 1.25e8 + 0.7, -0.0, 5e-324, 3.0e7, -3.0e7}}) {
        EXPECT_TRUE(same_bits(unwrap_angles(crafted), plain_unwrap(crafted)));
    }
}

TEST(UnwrapAngles, MatchesTheOneTurnLoopOnASpinningCamera) {
    // Angles reported wrapped into [-180, 180) while the camera keeps turning: the unwrapped curve
    // climbs (or falls) through thousands of turns, rounded again in every binade it enters.
    for (const double rate : {0.3, 1.0, 7.3, 45.0, 179.9, -7.3, -123.4}) {
        std::vector<double> values;
        for (int i = 0; i < 20000; ++i) {
            const double t = i;
            // The wobble is added after wrapping, so that every value has all its fraction bits.
            values.push_back(std::fmod(rate * t + 1e7 + 180.0, 360.0) - 180.0 + 3.0 * std::sin(t * 0.7));
        }
        ASSERT_TRUE(same_bits(unwrap_angles(values), plain_unwrap(values))) << "rate " << rate;
    }
}

TEST(UnwrapAngles, PassesNaNThroughAndRefusesAnglesThatCannotBeTurnedClose) {
    const std::vector<double> with_nan = unwrap_angles({10, kNaN, 400});
    EXPECT_EQ(with_nan[0], 10);
    EXPECT_TRUE(std::isnan(with_nan[1]));
    EXPECT_EQ(with_nan[2], 400);  // nothing is close to NaN, so nothing turns

    EXPECT_THROW(unwrap_angles({0, kInf}), std::invalid_argument);
    EXPECT_THROW(unwrap_angles({kInf, 0}), std::invalid_argument);
    EXPECT_THROW(unwrap_angles({0, 1e300}), std::invalid_argument);
    EXPECT_THROW(unwrap_angles({-1e300, 1e300}), std::invalid_argument);
    EXPECT_EQ(unwrap_angles({kInf, kInf}).size(), 2u);
}

TEST(UnwrapAngles, HandlesLongRunsOfTurnsQuickly) {
    const std::vector<double> out = unwrap_angles({0, 3.6e15 + 90});
    EXPECT_EQ(out[1], 90);
    const std::vector<double> back = unwrap_angles({0, -36000000000.5});
    EXPECT_EQ(back[1], -0.5);
}

// ---- smoothing_window ------------------------------------------------------------------------

TEST(SmoothingWindow, FollowsTheTableForEveryWholeSetting) {
    struct Row {
        int first, last;
        long long window, half_window;
    };
    const Row table[] = {{1, 4, 1, 0},      {5, 9, 2, 1},    {10, 14, 3, 1},  {15, 19, 4, 2},  {20, 24, 5, 2},
                         {25, 29, 6, 3},    {30, 34, 7, 3},  {35, 39, 8, 4},  {40, 44, 9, 4},  {45, 49, 10, 5},
                         {50, 54, 11, 5},   {55, 59, 12, 6}, {60, 64, 13, 6}, {65, 69, 14, 7}, {70, 74, 15, 7},
                         {75, 79, 16, 8},   {80, 84, 17, 8}, {85, 89, 18, 9}, {90, 94, 19, 9}, {95, 99, 20, 10},
                         {100, 100, 21, 10}};
    for (const Row& row : table) {
        for (int smoothing = row.first; smoothing <= row.last; ++smoothing) {
            const SmoothingWindow w = smoothing_window(smoothing);
            EXPECT_EQ(w.window, row.window) << "smoothing " << smoothing;
            EXPECT_EQ(w.half_window, row.half_window) << "smoothing " << smoothing;
        }
    }
}

TEST(SmoothingWindow, TruncatesFloorsAndSaturates) {
    EXPECT_EQ(smoothing_window(4.99).window, 1);
    EXPECT_EQ(smoothing_window(-100).window, -19);
    EXPECT_EQ(smoothing_window(-100).half_window, -10);  // floor division
    EXPECT_EQ(smoothing_window(1e300).window, std::numeric_limits<long long>::max());
    EXPECT_EQ(invalid_argument_message([] { smoothing_window(kNaN); }), "smoothing must be a finite number");
    EXPECT_THROW(smoothing_window(kInf), std::invalid_argument);
}

// ---- smooth_camera_anim ----------------------------------------------------------------------

TEST(SmoothCameraAnim, NoSmoothingReturnsTheRecordUntouched) {
    const ChannelAnim anim{{"rotateX", {170, -170, -150}}, {"translateX", {1, 2}}};
    for (const double smoothing : {0.0, -5.0, -kInf}) {
        const ChannelAnim out = smooth_camera_anim(anim, frames_of(3), smoothing);
        ASSERT_EQ(out.size(), 2u);
        EXPECT_EQ(out[0].values, anim[0].values);
        EXPECT_EQ(out[1].values, anim[1].values);  // not checked against frames either
    }
}

TEST(SmoothCameraAnim, AveragesACentredWindowThatShrinksToStayCentredAtTheEnds) {
    const ChannelAnim anim{{"translateY", {1, 2, 4, 8, 16, 32, 64}}};
    const struct {
        double smoothing;
        std::vector<double> expected;
    } rows[] = {{10, {1, 7.0 / 3, 14.0 / 3, 28.0 / 3, 56.0 / 3, 112.0 / 3, 64}},    // half 1
                {20, {1, 7.0 / 3, 31.0 / 5, 62.0 / 5, 124.0 / 5, 112.0 / 3, 64}}};  // half 2
    for (const auto& row : rows) {
        const ChannelAnim out = smooth_camera_anim(anim, frames_of(7), row.smoothing);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].name, "translateY");
        EXPECT_EQ(out[0].values, row.expected) << "smoothing " << row.smoothing;
    }
}

TEST(SmoothCameraAnim, SumsEachWindowLeftToRightFromZero) {
    // 0.1 + 0.2 + 0.3 differs from 0.3 + 0.2 + 0.1 in the last bit.
    const ChannelAnim anim{{"translateX", {0.1, 0.2, 0.3}}};
    const ChannelAnim out = smooth_camera_anim(anim, frames_of(3), 100);
    EXPECT_TRUE(same_bits(out[0].values[1], (((0.0 + 0.1) + 0.2) + 0.3) / 3));
}

TEST(SmoothCameraAnim, UnwrapsRotationChannelsOnlyBeforeAveraging) {
    const ChannelAnim anim{{"rotateZ", {170, -170, -150}}, {"focalLength", {170, -170, -150}}};
    const ChannelAnim out = smooth_camera_anim(anim, frames_of(3), 10);
    EXPECT_EQ(out[0].values, (std::vector<double>{170, 570.0 / 3, 210}));
    EXPECT_EQ(out[1].values, (std::vector<double>{170, -150.0 / 3, -150}));
}

TEST(SmoothCameraAnim, SettingBelowFiveOnlyUnwraps) {
    const ChannelAnim anim{{"translateX", {0.1, 7, -3}}, {"rotateX", {170, -170, -150}}};
    const ChannelAnim out = smooth_camera_anim(anim, frames_of(3), 3);
    EXPECT_EQ(out[0].values, anim[0].values);
    EXPECT_EQ(out[1].values, (std::vector<double>{170, 190, 210}));
}

TEST(SmoothCameraAnim, HugeSettingAveragesAsWideAsEachPositionAllows) {
    std::vector<double> values;
    for (int i = 0; i < 1999; ++i) {
        values.push_back(i * 0.37 + (i % 7));
    }
    const ChannelAnim out = smooth_camera_anim({{"translateX", values}}, frames_of(values.size()), 1e300);
    for (const std::size_t i :
         {std::size_t{0}, std::size_t{1}, std::size_t{600}, std::size_t{999}, std::size_t{1998}}) {
        const std::size_t reach = std::min(i, values.size() - 1 - i);
        double sum = 0.0;
        for (std::size_t j = i - reach; j <= i + reach; ++j) {
            sum += values[j];
        }
        EXPECT_TRUE(same_bits(out[0].values[i], sum / static_cast<double>(2 * reach + 1))) << "position " << i;
    }
}

TEST(SmoothCameraAnim, ListLengthFollowsFrames) {
    const ChannelAnim anim{{"translateX", {1, 2, 3, 4}}, {"rotateX", {5, 6, 7, 8}}};
    EXPECT_EQ(smooth_camera_anim(anim, frames_of(3), 100)[0].values, (std::vector<double>{1, 2, 3}));
    const ChannelAnim none = smooth_camera_anim(anim, {}, 100);
    EXPECT_TRUE(none[0].values.empty());
    EXPECT_TRUE(none[1].values.empty());
    const ChannelAnim single = smooth_camera_anim({{"rotateY", {-179, 179}}}, frames_of(1), 50);
    EXPECT_EQ(single[0].values, (std::vector<double>{-179}));
}

TEST(SmoothCameraAnim, RefusesTooFewValuesAndNonFiniteSmoothing) {
    const ChannelAnim anim{{"translateX", {1, 2, 3}}, {"rotateX", {1, 2}}};
    EXPECT_EQ(invalid_argument_message([&] { smooth_camera_anim(anim, frames_of(3), 50); }),
              "camera_original_anim['rotateX'] holds 2 values but there are 3 frames; every channel needs one "
              "value per frame");
    EXPECT_EQ(invalid_argument_message([&] { smooth_camera_anim(anim, frames_of(2), kNaN); }),
              "smoothing must be a finite number");
    EXPECT_THROW(smooth_camera_anim(anim, frames_of(2), kInf), std::invalid_argument);
}

// ---- smooth_camera_anim_per_axis ---------------------------------------------------------------

class PerAxisTest : public ::testing::Test {
protected:
    std::vector<Frame> frames = frames_of(30);
    ChannelAnim original;
    ChannelAnim base;

    void SetUp() override {
        std::mt19937_64 random(3);
        std::uniform_real_distribution<double> value(-200, 200);
        for (const char* name : kChannels) {
            std::vector<double> values;
            for (std::size_t i = 0; i < frames.size(); ++i) {
                values.push_back(value(random));
            }
            original.push_back({name, values});
        }
        base = smooth_camera_anim(original, frames, 30);
    }

    ChannelAnim relax(const AxisTriple& trans, const AxisTriple& rot, double smoothing = 30) const {
        return smooth_camera_anim_per_axis(original, base, frames, smoothing, trans, rot);
    }

    std::vector<double> extra(std::size_t k, double smoothing) const {
        return smooth_camera_anim({original[k]}, frames, smoothing)[0].values;
    }
};

TEST_F(PerAxisTest, NothingToDoReturnsTheBase) {
    EXPECT_EQ(smooth_camera_anim_per_axis({}, base, frames, 30, {0, 0, 0}, {0, 0, 0})[0].values, base[0].values);
    EXPECT_EQ(relax({0, 0, 0}, {0, 0, 0}, 0)[3].values, base[3].values);
    EXPECT_EQ(relax({0, 0, 0}, {0, 0, 0}, -kInf)[3].values, base[3].values);
}

TEST_F(PerAxisTest, SettingOfHundredKeepsTheBaseSmoothing) {
    const ChannelAnim out = relax({100, 100, 100}, {100, 150, 1e9});
    ASSERT_EQ(out.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(out[k].name, base[k].name);
        EXPECT_EQ(out[k].values, base[k].values);
    }
}

TEST_F(PerAxisTest, SettingOfZeroTakesTwiceTheSmoothingOfTheOwnAnimation) {
    const ChannelAnim out = relax({0, -10, 100}, {0, 100, 100});
    EXPECT_TRUE(same_bits(out[0].values, extra(0, 60)));
    EXPECT_TRUE(same_bits(out[1].values, extra(1, 60)));
    EXPECT_TRUE(same_bits(out[3].values, extra(3, 60)));  // unwrapped like the base
    // Twice 80 is capped at 100.
    const ChannelAnim capped = smooth_camera_anim_per_axis(original, base, frames, 80, {0, 0, 0}, {0, 0, 0});
    EXPECT_TRUE(same_bits(capped[2].values, extra(2, 100)));
}

TEST_F(PerAxisTest, SettingsBetweenBlendLinearly) {
    const ChannelAnim out = relax({25, 100, 100}, {100, 100, 50});
    const std::vector<double> tx = extra(0, 60);
    const std::vector<double> rz = extra(5, 60);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_TRUE(same_bits(out[0].values[i], base[0].values[i] * 0.25 + tx[i] * (1 - 0.25)));
        EXPECT_TRUE(same_bits(out[5].values[i], base[5].values[i] * 0.5 + rz[i] * (1 - 0.5)));
    }
}

TEST_F(PerAxisTest, OtherChannelsKeepTheBaseAndMissingOwnAnimationFallsBackToTheBase) {
    const ChannelAnim base_with_extra{{"focalLength", {1, 2, 3}}, {"rotateY", base[4].values}};
    const ChannelAnim only_x{original[0]};
    const ChannelAnim out = smooth_camera_anim_per_axis(only_x, base_with_extra, frames, 30, {0, 0, 0}, {0, 0, 0});
    EXPECT_EQ(out[0].values, (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(same_bits(out[1].values, smooth_camera_anim({base_with_extra[1]}, frames, 60)[0].values));
}

TEST_F(PerAxisTest, BlendFollowsTheBaseLengthAndRefusesALongerBase) {
    ChannelAnim short_base{{"translateX", {1, 2, 3}}};
    EXPECT_EQ(smooth_camera_anim_per_axis(original, short_base, frames, 30, {50, 0, 0}, {0, 0, 0})[0].values.size(),
              3u);
    ChannelAnim long_base{{"translateX", std::vector<double>(31, 1.0)}};
    EXPECT_EQ(invalid_argument_message([&] {
                  smooth_camera_anim_per_axis(original, long_base, frames, 30, {50, 0, 0}, {0, 0, 0});
              }),
              "base_smoothed_anim['translateX'] holds 31 values, more than the 30 frames it is blended over; "
              "every channel needs one value per frame");
    ChannelAnim short_own{{"translateX", {1, 2}}};
    EXPECT_THROW(smooth_camera_anim_per_axis(short_own, base, frames, 30, {0, 0, 0}, {0, 0, 0}), std::invalid_argument);
}

TEST_F(PerAxisTest, NaNSmoothingFailsOnlyWhereExtraSmoothingIsNeeded) {
    EXPECT_EQ(relax({100, 100, 100}, {100, 100, 100}, kNaN)[0].values, base[0].values);
    EXPECT_THROW(relax({100, 50, 100}, {100, 100, 100}, kNaN), std::invalid_argument);
}

}  // namespace
}  // namespace trembla
