#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/ranges.h"

namespace trembla {
namespace {

constexpr Frame kMinFrame = std::numeric_limits<Frame>::min();
constexpr Frame kMaxFrame = std::numeric_limits<Frame>::max();

Ranges ranges(std::initializer_list<FrameRange> list) { return Ranges(list); }

TEST(ParseRanges, EmptyOrBlankTextMeansNoRanges) {
    EXPECT_TRUE(parse_ranges("").empty());
    EXPECT_TRUE(parse_ranges("   ").empty());
    EXPECT_TRUE(parse_ranges(" \t\n\r ").empty());
}

TEST(ParseRanges, ReadsRangesInTypedOrder) {
    EXPECT_EQ(parse_ranges("10-50, 70-80"), ranges({{10, 50}, {70, 80}}));
    EXPECT_EQ(parse_ranges(" 10 - 50 ,70-80 "), ranges({{10, 50}, {70, 80}}));
    EXPECT_EQ(parse_ranges("70-80,10-50,10-50"), ranges({{70, 80}, {10, 50}, {10, 50}}));
    EXPECT_EQ(parse_ranges("50-10"), ranges({{50, 10}}));
    EXPECT_EQ(parse_ranges("25-25"), ranges({{25, 25}}));
}

TEST(ParseRanges, RemovesBlanksBeforeSplitting) { EXPECT_EQ(parse_ranges("1 0-5 0"), ranges({{10, 50}})); }

TEST(ParseRanges, SkipsOnlyTheMalformedParts) {
    EXPECT_EQ(parse_ranges("10-50,,abc,5,1-2-3,x-9,70-80"), ranges({{10, 50}, {70, 80}}));
    EXPECT_EQ(parse_ranges("25"), ranges({}));
    EXPECT_EQ(parse_ranges("-5-7, 5-, -7, 5-7-, 1.5-3, 1_0-20, 0x1-2, 3-"), ranges({}));
    EXPECT_EQ(parse_ranges("++5-7, +-7, 5-+, 5-7"), ranges({{5, 7}}));
    EXPECT_EQ(parse_ranges("5,7-8,"), ranges({{7, 8}}));
    EXPECT_EQ(parse_ranges("\xd9\xa3-5, 2-3"), ranges({{2, 3}}));  // only ASCII digits count
}

TEST(UnusedRangeParts, NamesTheDroppedAndReversedPartsBlanksRemovedEmptyPartsNot) {
    using Parts = std::vector<std::string>;
    const std::pair<const char*, Parts> cases[] = {
        {"", {}},
        {"  ", {}},
        {"10-50, 70-80, 25-25", {}},
        {"abc, 900-100", {"abc", "900-100"}},
        {"10-50,,abc,5,1-2-3,x-9,70-80,", {"abc", "5", "1-2-3", "x-9"}},
        {" 1 0-5 0, 5 0-1 0", {"50-10"}},
    };
    for (const auto& [text, parts] : cases) EXPECT_EQ(unused_range_parts(text), parts) << text;
}

TEST(ParseRanges, AcceptsPlusSignsLeadingZerosAndOtherWhiteSpaceAroundNumbers) {
    EXPECT_EQ(parse_ranges("+5-+7"), ranges({{5, 7}}));
    EXPECT_EQ(parse_ranges("007-010"), ranges({{7, 10}}));
    EXPECT_EQ(parse_ranges("\t5-7\n"), ranges({{5, 7}}));
    EXPECT_EQ(parse_ranges("5\t-\t7"), ranges({{5, 7}}));
    EXPECT_EQ(parse_ranges("+\t5-7"), ranges({}));  // the sign belongs to the digits
    EXPECT_EQ(parse_ranges("5-\t"), ranges({}));
}

TEST(ParseRanges, NumbersBeyondTheFrameRangeReadAsTheLastFrame) {
    // Dropping such a part could leave no ranges at all, which would shake every frame.
    EXPECT_EQ(parse_ranges("9223372036854775807-9223372036854775807"), ranges({{kMaxFrame, kMaxFrame}}));
    EXPECT_EQ(parse_ranges("0-9223372036854775808, 2-3"), ranges({{0, kMaxFrame}, {2, 3}}));
    EXPECT_EQ(parse_ranges("99999999999999999999999-1, 4-5"), ranges({{kMaxFrame, 1}, {4, 5}}));
    EXPECT_EQ(parse_ranges("18446744073709551617-1"), ranges({{kMaxFrame, 1}}));  // 2^64 + 1 must not wrap to 1
    EXPECT_EQ(parse_ranges("9223372036854775808x-1"), ranges({}));                // still malformed
    EXPECT_EQ(calculate_fade_multiplier(5, parse_ranges("9223372036854775808-1"), 0, 0), 0.0);
}

TEST(FadeMultiplier, NoRangesMeansFullShakeEverywhere) {
    for (const Frame f : {kMinFrame, Frame{-3}, Frame{0}, Frame{99}, kMaxFrame}) {
        EXPECT_EQ(calculate_fade_multiplier(f, {}, 3, 3), 1.0);
    }
}

TEST(FadeMultiplier, RisesAndFallsLinearlyAtTheRangeEdges) {
    const Ranges r = ranges({{10, 50}});
    const auto at = [&](Frame f) { return calculate_fade_multiplier(f, r, 3, 3); };
    EXPECT_EQ(at(9), 0.0);
    EXPECT_EQ(at(10), 0.0);
    EXPECT_EQ(at(11), 1.0 / 3);
    EXPECT_EQ(at(12), 2.0 / 3);
    for (Frame f = 13; f <= 47; ++f) {
        EXPECT_EQ(at(f), 1.0) << f;
    }
    EXPECT_EQ(at(48), 2.0 / 3);
    EXPECT_EQ(at(49), 1.0 / 3);
    EXPECT_EQ(at(50), 0.0);
    EXPECT_EQ(at(51), 0.0);
}

TEST(FadeMultiplier, ShortRangeMultipliesBothFades) {
    const Ranges r = ranges({{10, 13}});
    EXPECT_EQ(calculate_fade_multiplier(11, r, 3, 3), 1.0 * (1.0 / 3) * (2.0 / 3));
    EXPECT_EQ(calculate_fade_multiplier(12, r, 3, 3), 1.0 * (2.0 / 3) * (1.0 / 3));
    EXPECT_DOUBLE_EQ(calculate_fade_multiplier(11, r, 3, 3), 2.0 / 9);
}

TEST(FadeMultiplier, OverlappingRangesGiveTheLargestMultiplier) {
    struct Case {
        Ranges ranges;
        Frame frame;
        double fade_in, fade_out, expected;
    };
    const Case cases[] = {
        {ranges({{10, 50}, {40, 80}}), 48, 0, 3, 1.0},      // the fade of the first range loses
        {ranges({{10, 50}, {40, 80}}), 50, 3, 3, 1.0},      // an edge inside another range
        {ranges({{10, 50}, {49, 80}}), 49, 3, 3, 1.0 / 3},  // both fade: 1/3 beats 0
        {ranges({{10, 50}, {40, 80}}), 60, 0, 3, 1.0},     {ranges({{10, 20}, {5, 30}}), 10, 3, 3, 1.0},
        {ranges({{5, 30}, {10, 20}}), 10, 3, 3, 1.0},       // order does not matter
        {ranges({{49, 80}, {10, 50}}), 49, 3, 3, 1.0 / 3},  // the same, the other way round
        {ranges({{10, 50}, {50, 10}}), 50, 0, 3, 0.0},      // a reversed range adds nothing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(calculate_fade_multiplier(c.frame, c.ranges, c.fade_in, c.fade_out), c.expected) << c.frame;
    }
}

TEST(FadeMultiplier, FadesOfZeroOrLessOrNaNAreOff) {
    const Ranges r = ranges({{10, 50}});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double fade : {0.0, -3.0, nan}) {
        EXPECT_EQ(calculate_fade_multiplier(10, r, fade, fade), 1.0);
        EXPECT_EQ(calculate_fade_multiplier(50, r, fade, fade), 1.0);
    }
    EXPECT_EQ(calculate_fade_multiplier(10, ranges({{10, 10}}), 0, 0), 1.0);
}

TEST(FadeMultiplier, ReversedRangesContainNothing) {
    EXPECT_EQ(calculate_fade_multiplier(30, ranges({{50, 10}}), 3, 3), 0.0);
    EXPECT_EQ(calculate_fade_multiplier(50, ranges({{50, 10}}), 0, 0), 0.0);
}

TEST(FadeMultiplier, FractionalAndInfiniteFades) {
    const Ranges r = ranges({{10, 50}});
    EXPECT_EQ(calculate_fade_multiplier(12, r, 2.5, 0), 2 / 2.5);
    EXPECT_EQ(calculate_fade_multiplier(13, r, 2.5, 0), 1.0);
    EXPECT_EQ(calculate_fade_multiplier(30, r, std::numeric_limits<double>::infinity(), 0), 0.0);
}

TEST(FadeMultiplier, WorksAcrossTheWholeFrameRangeWithoutOverflow) {
    const Ranges everything = ranges({{kMinFrame, kMaxFrame}});
    EXPECT_EQ(calculate_fade_multiplier(kMinFrame, everything, 3, 3), 0.0);
    EXPECT_EQ(calculate_fade_multiplier(kMinFrame + 1, everything, 3, 3), 1.0 / 3);
    EXPECT_EQ(calculate_fade_multiplier(0, everything, 3, 3), 1.0);
    EXPECT_EQ(calculate_fade_multiplier(kMaxFrame - 1, everything, 3, 3), 1.0 / 3);
    EXPECT_EQ(calculate_fade_multiplier(kMaxFrame, everything, 3, 3), 0.0);
    // A fade longer than the whole range: the distance (2^64 - 1) is taken exactly, then divided.
    EXPECT_EQ(calculate_fade_multiplier(kMaxFrame, everything, 1e20, 0), 18446744073709551615.0 / 1e20);
}

TEST(FadeMultiplier, ComparesLargeFramesWithTheFadeEdgeExactly) {
    // start + 2 is 2^53 + 4 as a double; frame 2^53 + 3 lies before it although it rounds onto it.
    const Frame start = (Frame{1} << 53) + 2;
    EXPECT_EQ(calculate_fade_multiplier(start + 1, ranges({{start, start + 100}}), 2, 0), 0.5);
}

// The weights of a whole frame list in one sweep are the per-frame rule's, bit for bit, however
// the ranges overlap, nest, repeat or run backwards, with any fades, on frames in any order.
TEST(FadeMultipliers, TheSweepGivesThePerFrameRuleToTheBit) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double fades[] = {0, 3, 3, 1, 2.5, 7.25, 30, 0.5, -2, nan, 1e6, inf};
    std::mt19937_64 random(24);
    const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 400; ++round) {
        Ranges table;
        const int count = pick(0, round % 4 == 0 ? 200 : 12);
        for (int r = 0; r < count; ++r) {
            const Frame start = pick(-20, 120);
            table.push_back({start, start + pick(-5, round % 3 == 0 ? 8 : 60)});  // some reversed
            if (pick(0, 9) == 0) table.push_back(table.back());                   // some repeated
        }
        std::vector<Frame> frames = frame_span(pick(-30, 10), pick(90, 140));
        if (round % 5 == 1) std::shuffle(frames.begin(), frames.end(), random);
        if (round % 5 == 2) frames.insert(frames.end(), frames.begin(), frames.begin() + 7);
        const double fade_in = fades[static_cast<std::size_t>(pick(0, 11))];
        const double fade_out = fades[static_cast<std::size_t>(pick(0, 11))];
        const std::vector<double> swept = fade_multipliers(frames, table, fade_in, fade_out);
        ASSERT_EQ(swept.size(), frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            const double one = calculate_fade_multiplier(frames[i], table, fade_in, fade_out);
            ASSERT_EQ(std::memcmp(&swept[i], &one, sizeof one), 0)
                << "round " << round << ", frame " << frames[i] << ": " << swept[i] << " vs " << one;
        }
    }
    // The ends of the frame range, where distances no longer fit a signed number.
    const Ranges wide = ranges({{kMinFrame, kMaxFrame}, {kMinFrame, kMinFrame + 5}, {kMaxFrame - 9, kMaxFrame}});
    const std::vector<Frame> edges{kMinFrame, kMinFrame + 2, 0, kMaxFrame - 4, kMaxFrame};
    for (const double fade : {3.0, 1e20}) {
        const std::vector<double> swept = fade_multipliers(edges, wide, fade, fade);
        for (std::size_t i = 0; i < edges.size(); ++i) {
            EXPECT_EQ(swept[i], calculate_fade_multiplier(edges[i], wide, fade, fade)) << edges[i];
        }
    }
}

}  // namespace
}  // namespace trembla
