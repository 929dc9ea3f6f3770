// Sampling a node's world motion through the host.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "fake_host.h"
#include "scene/source_motion.h"

namespace trembla {
namespace {

Sample pose(double v) { return {v, 2 * v, 3 * v, 10 + v, 20 + v, 30 + v}; }

class SamplingTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (Frame f = -5; f <= 30; ++f) {
            host.set_world("src", f, pose(static_cast<double>(f)));
        }
        host.time = 7;
    }

    FakeHost host;
};

TEST_F(SamplingTest, WorldTransformMovesTheTimeThenReadsTranslationAndRotation) {
    EXPECT_EQ(get_world_transform(host, "src", 12), pose(12));
    EXPECT_EQ(host.calls(),
              (std::vector<HostCall>{
                  {"set_current_time", {"12"}}, {"world_translation", {"src"}}, {"world_rotation", {"src"}}}));
    EXPECT_EQ(host.time, 12);
}

TEST_F(SamplingTest, CollectsEveryTruncatedWholeFrameAndRestoresTheTime) {
    const FrameRecord data = collect_source_motion(host, "src", 10.9, 13.2);
    EXPECT_EQ(data.frames, (std::vector<Frame>{10, 11, 12, 13}));
    EXPECT_EQ(data.samples, (std::vector<Sample>{pose(10), pose(11), pose(12), pose(13)}));

    // The rotation order once, the node's own rotate channels once, at the first frame.
    std::vector<HostCall> expected{{"current_time", {}}, {"get_attr", {"src.rotateOrder"}}};
    for (const char* frame : {"10", "11", "12", "13"}) {
        expected.push_back({"set_current_time", {frame}});
        expected.push_back({"world_translation", {"src"}});
        expected.push_back({"world_rotation", {"src"}});
        if (frame == std::string("10")) {
            for (const char* channel : {"src.rotateX", "src.rotateY", "src.rotateZ"}) {
                expected.push_back({"get_attr", {channel}});
            }
        }
    }
    expected.push_back({"set_current_time", {"7"}});
    EXPECT_EQ(host.calls(), expected);
    EXPECT_EQ(host.time, 7);
}

TEST_F(SamplingTest, TruncatesNegativeBoundsTowardZero) {
    const FrameRecord data = collect_source_motion(host, "src", -2.5, -0.5);
    EXPECT_EQ(data.frames, (std::vector<Frame>{-2, -1, 0}));
}

TEST_F(SamplingTest, SingleFrameGivesOneSampleAndOneZeroDelta) {
    const FrameRecord data = collect_source_motion(host, "src", 4, 4);
    EXPECT_EQ(data.frames, (std::vector<Frame>{4}));
    const FrameRecord deltas = calculate_deltas(data, 4);
    EXPECT_EQ(deltas.frames, (std::vector<Frame>{4}));
    EXPECT_EQ(deltas.samples, (std::vector<Sample>{kZeroSample}));
}

TEST_F(SamplingTest, EndBeforeStartSamplesNothingButStillRestoresTheTime) {
    const FrameRecord data = collect_source_motion(host, "src", 9, 8);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(host.operations(), (std::vector<std::string>{"current_time", "set_current_time"}));
    EXPECT_TRUE(calculate_deltas(data, 9).empty());
}

TEST_F(SamplingTest, FailurePartWayPropagatesAndLeavesTheTimeMoved) {
    host.fail_on_call("world_rotation", 2, "rotation query failed");
    try {
        collect_source_motion(host, "src", 1, 5);
        FAIL() << "expected HostError";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "rotation query failed");
    }
    EXPECT_EQ(host.time, 2);
    EXPECT_EQ(host.count("set_current_time"), 2u);
}

TEST_F(SamplingTest, MissingNodeFailsWithHostError) {
    EXPECT_THROW(collect_source_motion(host, "nobody", 1, 2), HostError);
}

TEST_F(SamplingTest, RefusesBoundsThatAreNotWholeFramesBeforeAskingTheHost) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const auto message_of = [&](double start, double end) -> std::string {
        try {
            collect_source_motion(host, "src", start, end);
        } catch (const std::invalid_argument& error) {
            return error.what();
        }
        return "no error";
    };
    EXPECT_EQ(message_of(nan, 5), "start_frame must be a finite number");
    EXPECT_EQ(message_of(1, inf), "end_frame must be a finite number");
    EXPECT_EQ(message_of(-inf, 5), "start_frame must be a finite number");
    EXPECT_EQ(message_of(1e19, 5), "start_frame lies outside the range of whole frames");
    EXPECT_EQ(message_of(1, -1e19), "end_frame lies outside the range of whole frames");
    EXPECT_TRUE(host.calls().empty());
}

using Angles = std::array<double, 3>;

TEST(CollectSourceMotion, RotationsFollowTheNodesChannelsThroughTheOtherSolutionAndPast180) {
    FakeHost host;
    // A top-level node keyed yaw 120 (answered in the other solution), then spinning past 180.
    const Angles channels[] = {{0.2, 120, 0.1}, {-0.1, 150, 0.2}, {0.3, 175, -0.1}, {0.1, 200, 0.2}};
    for (Frame f = 0; f < 4; ++f) {
        const Angles& c = channels[f];
        const Angles other{c[0] + 180, 180 - c[1], c[2] + 180};
        const Angles answered{other[0] > 180 ? other[0] - 360 : other[0], other[1] < -180 ? other[1] + 360 : other[1],
                              other[2] > 180 ? other[2] - 360 : other[2]};
        host.set_world("src", f, {0, 0, 0, answered[0], answered[1], answered[2]});
    }
    host.attr_values = {{"src.rotateX", 0.2}, {"src.rotateY", 120}, {"src.rotateZ", 0.1}, {"src.rotateOrder", 0}};
    const FrameRecord data = collect_source_motion(host, "src", 0, 3);
    for (Frame f = 0; f < 4; ++f) {
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(data.samples[static_cast<std::size_t>(f)][3 + k], channels[f][k], 1e-9) << f << " " << k;
        }
    }
}

TEST(CollectSourceMotion, RefusesARotationOrderThatIsNotOneOfTheSix) {
    for (const double order : {6.0, -1.0, 1.5, std::nan(""), 1e300}) {
        FakeHost host;
        host.set_world("src", 1, kZeroSample);
        host.attr_values["src.rotateOrder"] = order;
        EXPECT_THROW(collect_source_motion(host, "src", 1, 1), HostError) << order;
        EXPECT_EQ(host.count("world_rotation"), 0u);
    }
}

}  // namespace
}  // namespace trembla
