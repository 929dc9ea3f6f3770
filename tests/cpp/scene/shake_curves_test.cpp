#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "core/apply.h"
#include "core/ranges.h"
#include "core/smoothing.h"
#include "fake_host.h"
#include "scene/shake_curves.h"

namespace trembla {
namespace {

const std::vector<Frame> kFrames{1, 2, 3, 4, 5};

class ApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.add_camera("cam1");
        std::vector<std::pair<Frame, Sample>> entries;
        for (const Frame f : kFrames) {
            const auto v = static_cast<double>(f);
            entries.emplace_back(f, Sample{0.5 * v, -v, 0.25, 3 * v, v * v, -0.75});
        }
        shake = make_frame_record(entries);
        for (std::size_t k = 0; k < kChannelCount; ++k) {
            std::vector<double> values;
            for (const Frame f : kFrames) {
                values.push_back(k < 3 ? static_cast<double>(f) * 1.1 + static_cast<double>(k)
                                       : (f % 2 == 0 ? 175.0 : -175.0) + static_cast<double>(k));
            }
            original.push_back({kChannels[k], values});
        }
    }

    void apply(const std::string& mode, const ChannelAnim& anim) {
        apply_shake_to_camera(host, "cam1", shake, kFrames, settings, base,
                              camera_mode_from_text(mode, CameraMode::static_pose), anim);
    }

    // The keys written onto the shake curve of `channel`, in frame order.
    std::vector<double> curve_values(const std::string& channel) const {
        std::vector<double> values;
        for (const auto& key : host.curves.at("cam1_shake_" + channel).keys) {
            values.push_back(key.second);
        }
        return values;
    }

    // The added shake term of channel k at position i, in the documented order.
    double term(std::size_t k, std::size_t i) const {
        const double amp = (k < 3 ? settings.trans_amp : settings.rot_amp) / 100.0;
        const double axis = (k < 3 ? settings.trans_axis_mult[k] : settings.rot_axis_mult[k - 3]) / 100.0;
        const double fade = calculate_fade_multiplier(kFrames[i], settings.ranges, settings.fade_in, settings.fade_out);
        return shake.samples[i][k] * (settings.amount / 100.0) * amp * axis * fade;
    }

    FakeHost host;
    FrameRecord shake;
    ChannelAnim original;
    ShakeSettings settings;
    Sample base{10, 20, 30, 40, 50, 60};
};

TEST_F(ApplyTest, WritesOneCurvePerChannelWithTheExactHostCallSequence) {
    settings.use_rotate = false;
    apply_shake_to_camera(host, "cam1", shake, {1, 2}, settings, base, CameraMode::static_pose, {});
    std::vector<HostCall> expected;
    for (const char* channel : {"translateX", "translateY", "translateZ"})
        expected.push_back({"cut_key", {"cam1", channel}});
    for (const char* channel : {"translateX", "translateY", "translateZ"}) {
        const std::string curve = std::string("cam1_shake_") + channel;
        expected.push_back({"obj_exists", {curve}});
        expected.push_back({"create_node", {"animCurveTL", curve}});
        for (const Frame f : {1, 2}) {
            const double value = host.curves.at(curve).keys.at(f);
            expected.push_back({"set_curve_key", {curve, std::to_string(f), format_arg(value)}});
        }
        expected.push_back({"connect_attr", {curve + ".output", std::string("cam1.") + channel}});
    }
    EXPECT_EQ(host.calls(), expected);
    EXPECT_EQ(host.connections.at("cam1.translateY"), "cam1_shake_translateY.output");
    EXPECT_EQ(host.curves.count("cam1_shake_rotateX"), 0u);
}

TEST_F(ApplyTest, RotationCurvesAreAngularAndComeAfterTranslation) {
    apply("static", {});
    EXPECT_EQ(host.calls_of("create_node"),
              (std::vector<HostCall>{{"create_node", {"animCurveTL", "cam1_shake_translateX"}},
                                     {"create_node", {"animCurveTL", "cam1_shake_translateY"}},
                                     {"create_node", {"animCurveTL", "cam1_shake_translateZ"}},
                                     {"create_node", {"animCurveTA", "cam1_shake_rotateX"}},
                                     {"create_node", {"animCurveTA", "cam1_shake_rotateY"}},
                                     {"create_node", {"animCurveTA", "cam1_shake_rotateZ"}}}));
    settings.use_translate = false;
    host.clear_calls();
    apply("static", {});
    EXPECT_EQ(host.calls_of("cut_key").size(), 3u);
    EXPECT_EQ(host.calls_of("cut_key")[0], (HostCall{"cut_key", {"cam1", "rotateX"}}));
}

TEST_F(ApplyTest, SecondUpdateDeletesAndRebuildsEachCurveIdentically) {
    apply("static", {});
    const std::vector<double> first = curve_values("rotateY");
    host.clear_calls();
    apply("static", {});
    EXPECT_EQ(curve_values("rotateY"), first);
    const std::vector<std::string> ops = host.operations();
    EXPECT_EQ(std::vector<std::string>(ops.begin() + 5, ops.begin() + 9),
              (std::vector<std::string>{"cut_key", "obj_exists", "delete_node", "create_node"}));
    EXPECT_EQ(host.calls_of("delete_node")[0], (HostCall{"delete_node", {"cam1_shake_translateX"}}));
    EXPECT_EQ(host.count("delete_node"), 6u);
}

TEST_F(ApplyTest, StaticModeAddsTheScaledShakeToTheStartPose) {
    settings.amount = 150;
    settings.trans_amp = 80;
    settings.rot_amp = 35;
    settings.trans_axis_mult = {100, 33, 0};
    settings.rot_axis_mult = {7, 100, 64};
    settings.ranges = {{2, 9}};
    settings.fade_in = 2;
    apply("static", original);  // the recorded animation is not used in static mode
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::vector<double> values = curve_values(kChannels[k]);
        ASSERT_EQ(values.size(), kFrames.size());
        for (std::size_t i = 0; i < kFrames.size(); ++i) {
            EXPECT_EQ(values[i], base[k] + term(k, i)) << kChannels[k] << " position " << i;
        }
    }
    // Frame 1 lies outside every range, frame 2 starts a fade: both keep the base.
    EXPECT_EQ(curve_values("rotateY")[0], 50);
    EXPECT_EQ(curve_values("rotateY")[1], 50);
    EXPECT_NE(curve_values("rotateY")[2], 50);
    EXPECT_EQ(curve_values("translateZ"), std::vector<double>(5, 30));  // axis setting 0
}

TEST_F(ApplyTest, ZeroAmountsKeepTheBaseAndDoubleAmountDoublesTheShake) {
    base = {};
    settings.amount = 0;
    apply("static", {});
    EXPECT_EQ(curve_values("translateX"), std::vector<double>(5, 0.0));
    settings.amount = 100;
    settings.rot_amp = 0;
    apply("static", {});
    EXPECT_EQ(curve_values("rotateZ"), std::vector<double>(5, 0.0));
    settings.rot_amp = 100;
    apply("static", {});
    const std::vector<double> single = curve_values("rotateY");
    settings.amount = 200;
    apply("static", {});
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
        EXPECT_EQ(curve_values("rotateY")[i], 2 * single[i]);
    }
}

TEST_F(ApplyTest, AnimatedModeAddsTheShakeToTheSmoothedOwnAnimation) {
    settings.smoothing = 12;
    apply("animated", original);
    const ChannelAnim smoothed = smooth_camera_anim(original, kFrames, 12);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::vector<double> values = curve_values(kChannels[k]);
        for (std::size_t i = 0; i < kFrames.size(); ++i) {
            EXPECT_EQ(values[i], smoothed[k].values[i] + term(k, i));
        }
    }
}

TEST_F(ApplyTest, AnimatedModeWithoutSmoothingUsesTheRecordedValuesAsTheyAre) {
    apply("animated", original);
    const std::vector<double> rx = curve_values("rotateX");
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
        EXPECT_EQ(rx[i], original[3].values[i] + term(3, i));  // not unwrapped
    }
}

TEST_F(ApplyTest, AnimatedModeFallsBackToTheStartPoseWhereNothingWasRecorded) {
    settings.smoothing = 50;
    apply("animated", {});
    for (std::size_t i = 0; i < kFrames.size(); ++i) {
        EXPECT_EQ(curve_values("translateY")[i], base[1] + term(1, i));
    }
    apply("animated", {original[0]});
    EXPECT_EQ(curve_values("rotateZ")[2], base[5] + term(5, 2));
    EXPECT_NE(curve_values("translateX")[2], base[0] + term(0, 2));
}

TEST_F(ApplyTest, RelaxModeWritesTheRelaxedAnimationWithoutShake) {
    apply("relax", original);  // smoothing 0: the recording comes back unchanged
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(curve_values(kChannels[k]), original[k].values);
    }

    settings.smoothing = 20;
    apply("relax", original);  // all axis settings 100: the plain smoothing
    const ChannelAnim smoothed = smooth_camera_anim(original, kFrames, 20);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(curve_values(kChannels[k]), smoothed[k].values);
    }

    settings.trans_axis_mult = {0, 50, 100};
    settings.rot_axis_mult = {30, 100, 0};
    apply("relax", original);
    const ChannelAnim relaxed =
        smooth_camera_anim_per_axis(original, smoothed, kFrames, 20, settings.trans_axis_mult, settings.rot_axis_mult);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(curve_values(kChannels[k]), relaxed[k].values);
    }

    apply("relax", {});
    EXPECT_EQ(curve_values("rotateX"), std::vector<double>(5, 40));
}

TEST_F(ApplyTest, UnknownModeActsAsStatic) {
    settings.smoothing = std::numeric_limits<double>::quiet_NaN();  // never looked at
    apply("wobbly", original);
    const std::vector<double> wobbly = curve_values("translateX");
    settings.smoothing = 0;
    apply("static", {});
    EXPECT_EQ(curve_values("translateX"), wobbly);
}

TEST_F(ApplyTest, FramesMissingFromTheShakeContributeNothing) {
    shake = make_frame_record({{2, {1, 1, 1, 1, 1, 1}}});
    apply("static", {});
    EXPECT_EQ(curve_values("translateX"), (std::vector<double>{10, 11, 10, 10, 10}));
}

TEST_F(ApplyTest, EmptyFramesStillRebuildAndConnectEveryCurve) {
    apply_shake_to_camera(host, "cam1", shake, {}, settings, base, CameraMode::animated, original);
    EXPECT_EQ(host.count("cut_key"), 6u);
    EXPECT_EQ(host.count("set_curve_key"), 0u);
    EXPECT_EQ(host.count("connect_attr"), 6u);
    EXPECT_TRUE(host.curves.at("cam1_shake_rotateZ").keys.empty());
}

TEST_F(ApplyTest, BothSwitchesOffTouchNothing) {
    settings.use_translate = false;
    settings.use_rotate = false;
    apply("animated", original);
    EXPECT_TRUE(host.calls().empty());
    EXPECT_TRUE(compute_camera_keys(shake, kFrames, settings, base, CameraMode::static_pose, {}).empty());
}

TEST_F(ApplyTest, UsesTheCurveNameTheHostAnswers) {
    struct RenamingHost : FakeHost {
        std::string create_node(const std::string& type, const std::string& name) override {
            return FakeHost::create_node(type, "renamed_" + name);
        }
    } renaming;
    renaming.add_camera("cam1");
    settings.use_rotate = false;
    apply_shake_to_camera(renaming, "cam1", shake, kFrames, settings, base, CameraMode::static_pose, {});
    EXPECT_EQ(renaming.curves.at("renamed_cam1_shake_translateX").keys.size(), 5u);
    EXPECT_EQ(renaming.connections.at("cam1.translateX"), "renamed_cam1_shake_translateX.output");
    EXPECT_EQ(renaming.calls_of("obj_exists")[0], (HostCall{"obj_exists", {"cam1_shake_translateX"}}));
}

TEST_F(ApplyTest, FailurePartWayKeepsEarlierChannelsAndLeavesLaterOnesCutOnly) {
    settings.use_rotate = false;
    apply("static", {});  // earlier curves for every channel
    host.clear_calls();
    shake = make_frame_record({});
    host.fail_on_call("set_curve_key", 7);  // the second key of translateY
    EXPECT_THROW(apply("static", {}), HostError);

    EXPECT_EQ(curve_values("translateX"), std::vector<double>(5, 10));
    EXPECT_EQ(curve_values("translateY"), (std::vector<double>{20}));
    EXPECT_EQ(host.connections.count("cam1.translateY"), 0u);
    EXPECT_TRUE(curve_values("translateZ").empty());
    EXPECT_EQ(host.connections.at("cam1.translateZ"), "cam1_shake_translateZ.output");
    // All the channels are cut up front; nothing else touches the ones after the failure.
    for (const HostCall& call : host.calls()) {
        if (call.op == "cut_key") continue;
        for (const std::string& arg : call.args) {
            EXPECT_EQ(arg.find("translateZ"), std::string::npos) << call;
        }
    }
}

// A host that keys each new curve in one call ends with the same curves, connections and
// per-channel call order as the per-key path, in every mode; only the keying calls differ.
TEST_F(ApplyTest, BatchKeyingLeavesTheSameScene) {
    struct Case {
        const char* mode;
        bool use_translate;
        bool use_rotate;
    };
    const Case cases[] = {{"static", true, true},
                          {"animated", true, true},
                          {"relax", true, true},
                          {"animated", false, true},
                          {"static", true, false}};
    for (const Case& c : cases) {
        FakeHost per_key;
        FakeHost batch;
        batch.batch_curve_keys = true;
        settings.use_translate = c.use_translate;
        settings.use_rotate = c.use_rotate;
        for (FakeHost* each : {&per_key, &batch}) {
            each->add_camera("cam1");
            apply_shake_to_camera(*each, "cam1", shake, kFrames, settings, base,
                                  camera_mode_from_text(c.mode, CameraMode::static_pose), original);
        }
        EXPECT_EQ(batch.nodes, per_key.nodes) << c.mode;
        EXPECT_EQ(batch.connections, per_key.connections) << c.mode;
        ASSERT_EQ(batch.curves.size(), per_key.curves.size()) << c.mode;
        for (const auto& [name, curve] : per_key.curves) {
            EXPECT_EQ(batch.curves.at(name).type, curve.type) << name;
            EXPECT_EQ(batch.curves.at(name).keys, curve.keys) << name;
        }
        const std::size_t channels = 3 * c.use_translate + 3 * c.use_rotate;
        EXPECT_EQ(batch.count("set_curve_keys"), channels) << c.mode;
        EXPECT_EQ(batch.count("set_curve_key"), 0u) << c.mode;
        EXPECT_EQ(per_key.count("set_curve_key"), channels * kFrames.size()) << c.mode;
        std::vector<std::string> batch_ops = batch.operations();
        std::vector<std::string> per_key_ops = per_key.operations();
        batch_ops.erase(std::remove(batch_ops.begin(), batch_ops.end(), "set_curve_keys"), batch_ops.end());
        per_key_ops.erase(std::remove(per_key_ops.begin(), per_key_ops.end(), "set_curve_key"), per_key_ops.end());
        EXPECT_EQ(batch_ops, per_key_ops) << c.mode;
    }
}

// A failing batch call keys nothing: the curve stays as the per-key path leaves it when the
// curve's first key fails (made, unkeyed, unconnected), and later channels are not touched.
TEST_F(ApplyTest, FailingBatchCallLeavesWhatThePerKeyPathLeavesOnTheFirstKey) {
    FakeHost per_key;
    FakeHost batch;
    batch.batch_curve_keys = true;
    per_key.fail_on_call("set_curve_key", static_cast<int>(kFrames.size()) + 1);
    batch.fail_on_call("set_curve_keys", 2);
    for (FakeHost* each : {&per_key, &batch}) {
        each->add_camera("cam1");
        EXPECT_THROW(apply_shake_to_camera(*each, "cam1", shake, kFrames, settings, base, CameraMode::static_pose, {}),
                     HostError);
    }
    EXPECT_EQ(batch.nodes, per_key.nodes);
    EXPECT_EQ(batch.connections, per_key.connections);
    EXPECT_TRUE(batch.curves.at("cam1_shake_translateY").keys.empty());
    EXPECT_EQ(batch.curves.at("cam1_shake_translateY").keys, per_key.curves.at("cam1_shake_translateY").keys);
    EXPECT_EQ(batch.curves.count("cam1_shake_translateZ"), 0u);
}

TEST_F(ApplyTest, OtherHostFailuresPropagateBeforeAnythingElse) {
    host.fail_always("cut_key");
    EXPECT_THROW(apply("static", {}), HostError);
    EXPECT_EQ(host.operations(), (std::vector<std::string>{"cut_key"}));
}

TEST_F(ApplyTest, FailedConnectionIsIgnored) {
    host.fail_always("connect_attr", "cannot connect");
    EXPECT_NO_THROW(apply("static", {}));
    EXPECT_EQ(host.count("connect_attr"), 6u);
    EXPECT_TRUE(host.connections.empty());
    EXPECT_EQ(curve_values("rotateZ").size(), 5u);

    struct LogicErrorHost : FakeHost {
        void connect_attr(const std::string&, const std::string&) override { throw std::logic_error("odd"); }
    } odd;
    odd.add_camera("cam1");
    EXPECT_NO_THROW(apply_shake_to_camera(odd, "cam1", shake, kFrames, settings, base, CameraMode::static_pose, {}));
    EXPECT_EQ(odd.curves.size(), 6u);
}

TEST_F(ApplyTest, BadInputIsRefusedBeforeTheHostIsCalled) {
    ChannelAnim short_anim = original;
    short_anim[4].values.pop_back();
    try {
        apply("animated", short_anim);
        FAIL() << "expected invalid_argument";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(),
                     "camera_original_anim['rotateY'] holds 4 values but there are 5 frames; every channel "
                     "needs one value per frame");
    }
    settings.smoothing = std::numeric_limits<double>::infinity();
    EXPECT_THROW(apply("relax", original), std::invalid_argument);
    EXPECT_TRUE(host.calls().empty());
    // Static mode never reads the recording, so its length does not matter there.
    settings.smoothing = 0;
    EXPECT_NO_THROW(apply("static", short_anim));
}

TEST_F(ApplyTest, ComputeMatchesWhatIsWritten) {
    settings.smoothing = 45;
    settings.rot_axis_mult = {10, 20, 30};
    const std::vector<ChannelKeys> keys =
        compute_camera_keys(shake, kFrames, settings, base, CameraMode::relax, original);
    apply("relax", original);
    ASSERT_EQ(keys.size(), 6u);
    for (const ChannelKeys& channel : keys) {
        EXPECT_EQ(curve_values(channel.channel), channel.values);
    }
    EXPECT_EQ(shake_curve_name("cam1", "rotateX"), "cam1_shake_rotateX");
}

}  // namespace
}  // namespace trembla
