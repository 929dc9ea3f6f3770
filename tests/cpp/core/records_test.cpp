#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "core/records.h"

namespace trembla {
namespace {

constexpr Frame kMinFrame = std::numeric_limits<Frame>::min();
constexpr Frame kMaxFrame = std::numeric_limits<Frame>::max();

Sample pose(double v) { return {v, v + 1, v + 2, v + 3, v + 4, v + 5}; }

FrameRecord record_of(const std::vector<Frame>& frames) {
    std::vector<std::pair<Frame, Sample>> entries;
    for (const Frame f : frames) {
        entries.emplace_back(f, pose(static_cast<double>(f % 1000)));
    }
    return make_frame_record(entries);
}

TEST(ChannelKind, IsDecidedByTheNamePrefix) {
    EXPECT_TRUE(is_translate_channel("translateX"));
    EXPECT_TRUE(is_translate_channel("translate"));
    EXPECT_FALSE(is_translate_channel("Translate"));
    EXPECT_FALSE(is_translate_channel("rotateX"));
    EXPECT_FALSE(is_translate_channel(""));
    EXPECT_TRUE(is_rotate_channel("rotateZ"));
    EXPECT_TRUE(is_rotate_channel("rotatePivot"));
    EXPECT_FALSE(is_rotate_channel("rotat"));
    EXPECT_FALSE(is_rotate_channel("translateX"));
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(is_translate_channel(kChannels[k]), k < 3) << kChannels[k];
        EXPECT_EQ(is_rotate_channel(kChannels[k]), k >= 3) << kChannels[k];
    }
}

TEST(MakeFrameRecord, SortsByFrameAndTheLastRepeatedEntryWins) {
    const FrameRecord record =
        make_frame_record({{5, pose(1)}, {3, pose(2)}, {5, pose(3)}, {-1, pose(4)}, {5, pose(5)}});
    EXPECT_EQ(record.frames, (std::vector<Frame>{-1, 3, 5}));
    EXPECT_EQ(record.samples, (std::vector<Sample>{pose(4), pose(2), pose(5)}));
}

TEST(MakeFrameRecord, KeepsAscendingInputAsItIs) {
    const FrameRecord record = make_frame_record({{1, pose(1)}, {2, pose(2)}, {9, pose(3)}});
    EXPECT_EQ(record.frames, (std::vector<Frame>{1, 2, 9}));
    EXPECT_EQ(record.samples, (std::vector<Sample>{pose(1), pose(2), pose(3)}));
    EXPECT_TRUE(make_frame_record({}).empty());
}

TEST(FindSample, FindsEveryFrameOfAConsecutiveRecordAndNothingOutside) {
    const FrameRecord record = record_of({10, 11, 12, 13, 14});
    for (Frame f = 10; f <= 14; ++f) {
        ASSERT_NE(find_sample(record, f), nullptr) << f;
        EXPECT_EQ(*find_sample(record, f), pose(static_cast<double>(f)));
    }
    EXPECT_EQ(find_sample(record, 9), nullptr);
    EXPECT_EQ(find_sample(record, 15), nullptr);
    EXPECT_EQ(find_sample(record, kMinFrame), nullptr);
    EXPECT_EQ(find_sample(record, kMaxFrame), nullptr);
    EXPECT_EQ(find_sample(FrameRecord{}, 0), nullptr);
}

TEST(FindSample, FindsFramesOfARecordWithGaps) {
    const FrameRecord record = record_of({-5, 0, 7, 100});
    EXPECT_EQ(*find_sample(record, -5), pose(-5));
    EXPECT_EQ(*find_sample(record, 7), pose(7));
    EXPECT_EQ(*find_sample(record, 100), pose(100));
    EXPECT_EQ(find_sample(record, 1), nullptr);
    EXPECT_EQ(find_sample(record, 99), nullptr);
    EXPECT_EQ(find_sample(record, 101), nullptr);
}

TEST(FindSample, HandlesTheExtremesOfTheFrameRange) {
    const FrameRecord spread = record_of({kMinFrame, 0, kMaxFrame});
    EXPECT_NE(find_sample(spread, kMinFrame), nullptr);
    EXPECT_NE(find_sample(spread, kMaxFrame), nullptr);
    EXPECT_EQ(find_sample(spread, kMaxFrame - 1), nullptr);

    const FrameRecord top = record_of({kMaxFrame - 2, kMaxFrame - 1, kMaxFrame});
    EXPECT_EQ(find_sample(top, kMaxFrame), &top.samples[2]);
    EXPECT_EQ(find_sample(top, kMinFrame), nullptr);
}

TEST(SampleOrZero, ReadsAMissingFrameAsTheZeroSample) {
    const FrameRecord record = record_of({1, 2});
    EXPECT_EQ(sample_or_zero(record, 2), pose(2));
    EXPECT_EQ(sample_or_zero(record, 3), kZeroSample);
}

TEST(FindChannel, FindsByNameOrAnswersNothing) {
    const ChannelAnim anim{{"translateX", {1, 2}}, {"rotateY", {3}}};
    ASSERT_NE(find_channel(anim, "rotateY"), nullptr);
    EXPECT_EQ(*find_channel(anim, "rotateY"), (std::vector<double>{3}));
    EXPECT_EQ(find_channel(anim, "rotateX"), nullptr);
    EXPECT_EQ(find_channel({}, "translateX"), nullptr);
}

TEST(FrameSpan, ListsEveryWholeFrameInclusive) {
    EXPECT_EQ(frame_span(3, 6), (std::vector<Frame>{3, 4, 5, 6}));
    EXPECT_EQ(frame_span(-1, 1), (std::vector<Frame>{-1, 0, 1}));
    EXPECT_EQ(frame_span(5, 5), (std::vector<Frame>{5}));
    EXPECT_TRUE(frame_span(6, 5).empty());
    EXPECT_EQ(frame_span(kMaxFrame - 2, kMaxFrame), (std::vector<Frame>{kMaxFrame - 2, kMaxFrame - 1, kMaxFrame}));
    EXPECT_TRUE(frame_span(kMaxFrame, kMinFrame).empty());
    EXPECT_THROW(frame_span(kMinFrame, kMaxFrame), std::length_error);
}

}  // namespace
}  // namespace trembla
