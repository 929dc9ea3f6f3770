#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "core/extraction.h"
#include "core/smoothing.h"

namespace trembla {
namespace {

constexpr Frame kMinFrame = std::numeric_limits<Frame>::min();
constexpr Frame kMaxFrame = std::numeric_limits<Frame>::max();

std::vector<Frame> span(Frame first, Frame last) { return frame_span(first, last); }

// A delta record over [first, last] whose channel k at frame f is motion(f, k).
FrameRecord deltas(Frame first, Frame last, const std::function<double(Frame, std::size_t)>& motion) {
    std::vector<std::pair<Frame, Sample>> entries;
    for (const Frame f : span(first, last)) {
        Sample s;
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            s[k] = motion(f, k);
        }
        entries.emplace_back(f, s);
    }
    return make_frame_record(entries);
}

// Distinct values per frame and channel, non-zero at the start frame too.
FrameRecord distinct_deltas(Frame first, Frame last) {
    return deltas(first, last, [](Frame f, std::size_t k) {
        const auto small = static_cast<double>(f % 1000);
        return small * small * 0.5 + static_cast<double>(k) * 100 + 1;
    });
}

// What the lag does on its own: delta_data read at max(start, f - lag), the zero sample if missing.
FrameRecord lagged_by_hand(const FrameRecord& delta_data, const std::vector<Frame>& frames, Frame lag) {
    std::vector<std::pair<Frame, Sample>> entries;
    for (const Frame f : frames) {
        const bool fits = lag >= 0 ? f >= kMinFrame + lag : f <= kMaxFrame + lag;
        if (fits) {
            entries.emplace_back(f, sample_or_zero(delta_data, std::max(frames.front(), f - lag)));
        } else {
            entries.emplace_back(f, lag >= 0 ? sample_or_zero(delta_data, frames.front()) : kZeroSample);
        }
    }
    return make_frame_record(entries);
}

TEST(ExtractSourceShake, SubtractsTheCentredAverageFromTheDeltas) {
    const FrameRecord data = deltas(0, 2, [](Frame f, std::size_t k) {
        return k == 0 ? std::vector<double>{0, 3, 9}[static_cast<std::size_t>(f)] : 0.0;
    });
    const FrameRecord shake = extract_source_shake(data, span(0, 2), 0, 0);
    EXPECT_EQ(shake.frames, span(0, 2));
    EXPECT_EQ(shake.samples[0][0], 0);  // the ends average only themselves
    EXPECT_EQ(shake.samples[1][0], -1);
    EXPECT_EQ(shake.samples[2][0], 0);
}

TEST(ExtractSourceShake, LagReadsEarlierFramesAndHoldsTheStartFrame) {
    const FrameRecord data = distinct_deltas(10, 60);
    const std::vector<Frame> frames = span(10, 60);
    for (const Frame lag : {0, 1, 3, 15}) {
        const FrameRecord shake =
            extract_source_shake(data, frames, static_cast<double>(lag), static_cast<double>(lag));
        const FrameRecord expected = extract_source_shake(lagged_by_hand(data, frames, lag), frames, 0, 0);
        EXPECT_EQ(shake.samples, expected.samples) << "lag " << lag;
    }
}

TEST(ExtractSourceShake, ZeroStartDeltaKeepsTheLaggedStartStill) {
    // With a real delta record (zero at the start) and lag 4, the first 5 frames lag the same zero.
    const FrameRecord data = deltas(0, 40, [](Frame f, std::size_t) { return static_cast<double>(f) * 1.5; });
    const FrameRecord lagged = lagged_by_hand(data, span(0, 40), 4);
    for (std::size_t i = 0; i <= 4; ++i) {
        EXPECT_EQ(lagged.samples[i], kZeroSample);
    }
    EXPECT_NE(lagged.samples[5], kZeroSample);
    EXPECT_EQ(extract_source_shake(data, span(0, 40), 4, 4).samples,
              extract_source_shake(lagged, span(0, 40), 0, 0).samples);
}

TEST(ExtractSourceShake, TranslationAndRotationLagIndependently) {
    const FrameRecord data = distinct_deltas(0, 50);
    const std::vector<Frame> frames = span(0, 50);
    const FrameRecord mixed = extract_source_shake(data, frames, 2, 7);
    const FrameRecord by_translate_lag = extract_source_shake(data, frames, 2, 2);
    const FrameRecord by_rotate_lag = extract_source_shake(data, frames, 7, 7);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(mixed.samples[i][k], by_translate_lag.samples[i][k]);
            EXPECT_EQ(mixed.samples[i][k + 3], by_rotate_lag.samples[i][k + 3]);
        }
    }
}

TEST(ExtractSourceShake, LagsAreTruncatedTowardZeroAndNegativeLagsLookAhead) {
    const FrameRecord data = distinct_deltas(0, 30);
    const std::vector<Frame> frames = span(0, 30);
    EXPECT_EQ(extract_source_shake(data, frames, 2.7, 2.7).samples, extract_source_shake(data, frames, 2, 2).samples);
    EXPECT_EQ(extract_source_shake(data, frames, -2.7, 0.9).samples, extract_source_shake(data, frames, -2, 0).samples);
    // Looking ahead past the last sampled frame reads zero.
    EXPECT_EQ(extract_source_shake(data, frames, -3, -3).samples,
              extract_source_shake(lagged_by_hand(data, frames, -3), frames, 0, 0).samples);
    EXPECT_EQ(lagged_by_hand(data, frames, -3).samples.back(), kZeroSample);
}

TEST(ExtractSourceShake, HugeLagsReadTheStartFrameOrNothing) {
    const FrameRecord data = distinct_deltas(0, 20);
    const std::vector<Frame> frames = span(0, 20);
    const Sample zero_shake{};
    for (const double lag : {1e300, 1e19, 9.3e18, -1e300, -1e19}) {
        // Every frame reads the same (start or nothing), so nothing is left above the average.
        for (const Sample& s : extract_source_shake(data, frames, lag, lag).samples) {
            EXPECT_EQ(s, zero_shake) << "lag " << lag;
        }
    }
}

TEST(ExtractSourceShake, LagArithmeticNeverOverflowsAtTheEndsOfTheFrameRange) {
    const FrameRecord low = distinct_deltas(kMinFrame, kMinFrame + 20);
    const std::vector<Frame> low_frames = span(kMinFrame, kMinFrame + 20);
    // Every frame minus the lag lies below the frame range: all read the start frame.
    for (const Sample& s : extract_source_shake(low, low_frames, 9.2e18, 9.2e18).samples) {
        EXPECT_EQ(s, kZeroSample);
    }
    const FrameRecord low_lag_5 = extract_source_shake(low, low_frames, 5, 5);
    EXPECT_EQ(low_lag_5.samples, extract_source_shake(lagged_by_hand(low, low_frames, 5), low_frames, 0, 0).samples);

    const FrameRecord high = distinct_deltas(kMaxFrame - 20, kMaxFrame);
    const std::vector<Frame> high_frames = span(kMaxFrame - 20, kMaxFrame);
    const FrameRecord ahead = extract_source_shake(high, high_frames, -5, -5);
    std::vector<std::pair<Frame, Sample>> entries;
    for (const Frame f : high_frames) {
        entries.emplace_back(f, f <= kMaxFrame - 5 ? *find_sample(high, f + 5) : kZeroSample);
    }
    EXPECT_EQ(ahead.samples, extract_source_shake(make_frame_record(entries), high_frames, 0, 0).samples);
}

TEST(ExtractSourceShake, ConstantVelocityLeavesNoShakeAnywhereIncludingTheEnds) {
    const FrameRecord data =
        deltas(0, 39, [](Frame f, std::size_t k) { return static_cast<double>(f) * (k < 3 ? 2.5 : -1.25); });
    const FrameRecord shake = extract_source_shake(data, span(0, 39), 0, 0);
    for (std::size_t i = 0; i < 40; ++i) {
        EXPECT_EQ(shake.samples[i], kZeroSample) << "position " << i;
    }
}

// Every centred average, at every frame, of a source walking 0.05 units a frame: the averages
// lie on the walk itself, so nothing of the walk is left as shake or pulls the smoothed camera
// off its path, also at the first and last frames.
TEST(CentredAverages, AWalkingSourceGivesNoKickAtTheEnds) {
    const std::vector<Frame> frames = span(1, 100);
    std::vector<double> walk;
    for (const Frame f : frames) walk.push_back(0.05 * static_cast<double>(f - 1));
    const ChannelAnim own{{"translateX", walk}};
    const auto shake_of = [&](std::size_t k) {
        const FrameRecord shake = extract_source_shake(
            deltas(1, 100, [&](Frame f, std::size_t) { return walk[static_cast<std::size_t>(f - 1)]; }), frames, 0, 0);
        std::vector<double> away;
        for (const Sample& s : shake.samples) away.push_back(s[k]);
        return away;
    };
    const auto off_the_walk = [&](const ChannelAnim& smoothed) {
        std::vector<double> away;
        for (std::size_t i = 0; i < walk.size(); ++i) away.push_back(smoothed[0].values[i] - walk[i]);
        return away;
    };
    const ChannelAnim base = smooth_camera_anim(own, frames, 50);
    const struct {
        const char* name;
        std::vector<double> away;
    } rows[] = {
        {"extraction, translation", shake_of(0)},
        {"extraction, rotation", shake_of(4)},
        {"smoothing 50", off_the_walk(base)},
        {"smoothing 100", off_the_walk(smooth_camera_anim(own, frames, 100))},
        {"relax", off_the_walk(smooth_camera_anim_per_axis(own, base, frames, 50, {0, 0, 0}, {0, 0, 0}))},
    };
    for (const auto& row : rows) {
        ASSERT_EQ(row.away.size(), frames.size()) << row.name;
        for (std::size_t i = 0; i < row.away.size(); ++i) {
            EXPECT_LT(std::fabs(row.away[i]), 1e-12) << row.name << ", frame " << frames[i];
        }
    }
}

TEST(ExtractSourceShake, StepGivesNegativeShakeBeforeAndPositiveAfterOverFiveFrames) {
    const FrameRecord data = deltas(0, 40, [](Frame f, std::size_t) { return f >= 20 ? 1.0 : 0.0; });
    const FrameRecord shake = extract_source_shake(data, span(0, 40), 0, 0);
    for (Frame f = 0; f <= 40; ++f) {
        const double value = shake.samples[static_cast<std::size_t>(f)][0];
        if (f >= 15 && f < 20) {
            EXPECT_LT(value, 0) << f;
        } else if (f >= 20 && f < 25) {
            EXPECT_GT(value, 0) << f;
        } else {
            EXPECT_EQ(value, 0) << f;
        }
    }
    EXPECT_EQ(shake.samples[15][0], 0.0 - 1.0 / 11);
    EXPECT_EQ(shake.samples[20][0], 1.0 - 6.0 / 11);
}

TEST(ExtractSourceShake, SmallAndEmptyInputs) {
    const FrameRecord data = distinct_deltas(0, 5);
    const FrameRecord single = extract_source_shake(data, {3}, 0, 0);
    EXPECT_EQ(single.frames, (std::vector<Frame>{3}));
    EXPECT_EQ(single.samples, (std::vector<Sample>{kZeroSample}));

    EXPECT_TRUE(extract_source_shake(data, {}, 0, 0).empty());
    // No frames: the lags are never looked at.
    EXPECT_TRUE(extract_source_shake(data, {}, std::nan(""), 0).empty());

    for (const Sample& s : extract_source_shake(FrameRecord{}, span(0, 30), 2, 3).samples) {
        EXPECT_EQ(s, kZeroSample);
    }
}

TEST(ExtractSourceShake, MissingDeltasReadAsZero) {
    const FrameRecord sparse = make_frame_record({{0, {}}, {2, {4, 4, 4, 4, 4, 4}}});
    const FrameRecord shake = extract_source_shake(sparse, span(0, 2), 0, 0);
    EXPECT_EQ(shake.samples[0][0], 0.0);
    EXPECT_EQ(shake.samples[1][0], 0.0 - 4.0 / 3);
    EXPECT_EQ(shake.samples[2][0], 0.0);
}

TEST(ExtractSourceShake, RepeatedFrameKeepsTheShakeOfItsLastPosition) {
    const FrameRecord data = deltas(0, 10, [](Frame f, std::size_t) { return static_cast<double>(f); });
    std::vector<Frame> frames = span(0, 10);
    frames.push_back(0);
    const FrameRecord shake = extract_source_shake(data, frames, 0, 0);
    EXPECT_EQ(shake.frames, span(0, 10));
    EXPECT_EQ(shake.samples[0][0], 0.0);               // the last position averages only itself
    EXPECT_EQ(shake.samples[10][0], 10.0 - 19.0 / 3);  // its only position, next to last: 9, 10 and 0
}

TEST(ExtractSourceShake, RefusesNonFiniteLags) {
    const FrameRecord data = distinct_deltas(0, 5);
    try {
        extract_source_shake(data, span(0, 5), std::numeric_limits<double>::infinity(), 0);
        FAIL();
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "lag_translate must be a finite number");
    }
    try {
        extract_source_shake(data, span(0, 5), 0, std::nan(""));
        FAIL();
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "lag_rotate must be a finite number");
    }
}

}  // namespace
}  // namespace trembla
