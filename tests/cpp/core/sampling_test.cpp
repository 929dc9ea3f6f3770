// The arithmetic of sampled motion, without a host.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/sampling.h"

namespace trembla {
namespace {

using Angles = std::array<double, 3>;

TEST(NearestEuler, PicksTheSolutionOfTheRotationOrderNearestTheReference) {
    struct Case {
        Angles rotation, reference;
        RotateOrder order;
        Angles expected;
    };
    const Case cases[] = {
        // Already nearest: kept bit for bit.
        {{10.1, 20.2, 30.3}, {10, 20, 30}, RotateOrder::xyz, {10.1, 20.2, 30.3}},
        // Yaw 120 answered as the other solution of XYZ (middle axis Y).
        {{-179.75, 60.5, -179.5}, {0, 120, 0}, RotateOrder::xyz, {0.25, 119.5, 0.5}},
        // Whole turns on each channel, towards a reference many turns away.
        {{10, 20, 30}, {730, -700, 30}, RotateOrder::xyz, {730, -700, 30}},
        {{179, 0, 0}, {-179, 0, 0}, RotateOrder::xyz, {-181, 0, 0}},
        // The middle axis of each order takes 180 - b, the other two + 180.
        {{-170, 10, 20}, {10, 170, -160}, RotateOrder::xyz, {10, 170, -160}},
        {{-170, 10, 20}, {10, -170, 160}, RotateOrder::yzx, {10, -170, 160}},
        {{10, -170, 20}, {170, 10, -160}, RotateOrder::zxy, {170, 10, -160}},
        {{-170, 10, 20}, {10, -170, 160}, RotateOrder::xzy, {10, -170, 160}},
        {{10, -170, 20}, {170, 10, -160}, RotateOrder::yxz, {170, 10, -160}},
        {{-170, 10, 20}, {10, 170, -160}, RotateOrder::zyx, {10, 170, -160}},
        // A tie keeps the host's solution; so does a reference that is not a number.
        {{0, 90, 0}, {90, 90, 90}, RotateOrder::xyz, {0, 90, 0}},
        {{-170, 10, 20}, {std::nan(""), 170, -160}, RotateOrder::xyz, {-170, 10, 20}},
    };
    for (const Case& c : cases) {
        const Angles got = nearest_euler(c.rotation, c.reference, c.order);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_NEAR(got[k], c.expected[k], 1e-12) << static_cast<int>(c.order) << " channel " << k;
        }
    }
    const Angles kept{10.1, 20.2, 30.3};
    EXPECT_EQ(nearest_euler(kept, {10, 20, 30}, RotateOrder::xyz), kept);
}

TEST(CalculateDeltas, SubtractsTheStartSampleFromEverySample) {
    const FrameRecord source =
        make_frame_record({{1, {1, 2, 3, 10, 20, 30}}, {2, {1.5, 2, 2, 12, 20, 29}}, {3, {0, 0, 0, 0, 0, 0}}});
    const FrameRecord deltas = calculate_deltas(source, 1);
    EXPECT_EQ(deltas.frames, source.frames);
    EXPECT_EQ(deltas.samples,
              (std::vector<Sample>{{0, 0, 0, 0, 0, 0}, {0.5, 0, -1, 2, 0, -1}, {-1, -2, -3, -10, -20, -30}}));
}

TEST(CalculateDeltas, DoesNotUnwrapRotations) {
    const FrameRecord source = make_frame_record({{0, {0, 0, 0, 179, 0, 0}}, {1, {0, 0, 0, -179, 0, 0}}});
    EXPECT_EQ(calculate_deltas(source, 0).samples[1][3], -358);
}

TEST(CalculateDeltas, IsEmptyWhenTheStartFrameWasNotSampled) {
    const FrameRecord source = make_frame_record({{1, {}}, {2, {}}});
    EXPECT_TRUE(calculate_deltas(source, 0).empty());
    EXPECT_TRUE(calculate_deltas(FrameRecord{}, 0).empty());
}

}  // namespace
}  // namespace trembla
