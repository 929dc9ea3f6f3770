#include <gtest/gtest.h>

#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

TEST_F(WorkflowTest, ResetDoesNothingWhenNothingIsPrepared) {
    EXPECT_FALSE(reset_camera(host, record));
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(WorkflowTest, ResetLeavesThePreparationCurrentWhenTheCameraIsGone) {
    prepare_quietly(shaped_controls("static"));
    host.nodes.erase(kCamera);
    EXPECT_FALSE(reset_camera(host, record));
    EXPECT_TRUE(record.ready);
    EXPECT_EQ(host.operations(), std::vector<std::string>{"obj_exists"});
}

TEST_F(WorkflowTest, ResetLeavesThePreparationCurrentWhenTheRecordNamesNoCamera) {
    record.ready = true;
    record.camera.reset();
    EXPECT_FALSE(reset_camera(host, record));
    record.camera = "";
    EXPECT_FALSE(reset_camera(host, record));
    EXPECT_TRUE(record.ready);
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(WorkflowTest, ResetConnectsEveryOwnCurveAgainWithItsKeysInEveryMode) {
    for (const char* mode : {"static", "animated", "relax"}) {
        ShakeControls controls = shaped_controls(mode);
        controls.settings.translate_enabled = false;  // the translation curves are never set aside
        prepare_quietly(controls);
        controls.settings.translate_enabled = true;  // now they are, after the prepare
        update_shake(host, record, controls);
        EXPECT_EQ(host.connections.at(plug("translateX")), shake_curve_name(kCamera, "translateX") + "_add.output");
        host.clear_calls();

        EXPECT_TRUE(reset_camera(host, record)) << mode;

        EXPECT_FALSE(record.ready);
        EXPECT_TRUE(shake_curves().empty()) << mode;
        expect_own_curves_back();
        EXPECT_EQ(host.count("cut_key") + host.count("set_channel_key") + host.count("set_attr"), 0u) << mode;
        EXPECT_EQ(host.count("refresh_suspend"), 0u);
    }
}

TEST_F(WorkflowTest, ResetGivesAChannelWithoutACurveItsStartValue) {
    host.delete_node(own_curve(1));
    host.attr_values[plug("translateY")] = 1.7;
    prepare_quietly(shaped_controls("static"));
    EXPECT_TRUE(reset_camera(host, record));
    EXPECT_EQ(host.calls_of("set_attr"), (std::vector<HostCall>{{"set_attr", {plug("translateY"), "1.7"}}}));
    EXPECT_EQ(host.connections.count(plug("translateY")), 0u);
}

TEST_F(WorkflowTest, ResetDeletesEachShakeCurveBeforeConnectingItsOwnCurve) {
    prepare_quietly(shaped_controls("static"));
    ASSERT_TRUE(reset_camera(host, record));
    // The camera, then again as its note and links are read.
    std::vector<HostCall> expected{{"obj_exists", {kCamera}}, {"obj_exists", {kCamera}}};
    // First whether the shake is still there at all.
    for (const char* channel : kChannels) expected.push_back({"obj_exists", {shake_curve_name(kCamera, channel)}});
    // Then whether the animator keyed the shaken camera, through each blend (the keys are read,
    // not changed).
    for (const char* channel : kChannels)
        expected.push_back({"obj_exists", {shake_curve_name(kCamera, channel) + "_add"}});
    // Each own curve drives its channel again before its blend goes, so that it never drives
    // nothing; then the shake curve goes.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string curve = shake_curve_name(kCamera, kChannels[k]);
        expected.push_back({"obj_exists", {curve + "_add"}});
        expected.push_back({"obj_exists", {own_curve(k)}});
        expected.push_back({"connect_attr", {own_curve(k) + ".output", plug(kChannels[k])}});
        expected.push_back({"delete_node", {curve + "_add"}});
        expected.push_back({"obj_exists", {curve}});
        expected.push_back({"delete_node", {curve}});
    }
    // Then the links that kept the own curves from the host's scene cleanup, and their attribute.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string link = plug("tremblaOwnCurves[" + std::to_string(k) + "]");
        expected.push_back({"disconnect_attr", {own_curve(k) + ".message", link}});
    }
    expected.push_back({"delete_attr", {kCamera, "tremblaOwnCurves"}});
    // The shake curves' and blends' links went with their nodes; their attributes go too.
    expected.push_back({"delete_attr", {kCamera, "tremblaShakeCurves"}});
    expected.push_back({"delete_attr", {kCamera, "tremblaShakeBlends"}});
    expected.push_back({"set_string_attr", {kCamera, "tremblaShake"}});
    EXPECT_EQ(host.calls(), expected);
}

// A failing host operation ends the reset where it happened; nothing is caught.
struct ResetFailure {
    const char* mode;
    const char* op;
    int nth;
};

void PrintTo(const ResetFailure& failure, std::ostream* out) {
    *out << failure.mode << " reset, " << failure.op << " call " << failure.nth;
}

class ResetFails : public WorkflowTest, public ::testing::WithParamInterface<ResetFailure> {};

TEST_P(ResetFails, ReachesTheCallerAndTheShakeStaysPrepared) {
    prepare_quietly(shaped_controls(GetParam().mode));
    host.fail_on_call(GetParam().op, GetParam().nth);
    EXPECT_THROW(reset_camera(host, record), HostError);
    EXPECT_TRUE(record.ready);
}

INSTANTIATE_TEST_SUITE_P(Operations, ResetFails,
                         ::testing::Values(ResetFailure{"static", "obj_exists", 1},
                                           ResetFailure{"static", "delete_node", 2},
                                           ResetFailure{"animated", "connect_attr", 4},
                                           ResetFailure{"relax", "set_string_attr", 1}));

TEST_F(WorkflowTest, ResetFailureKeepsWhatWasAlreadyGivenBack) {
    prepare_quietly(shaped_controls("animated"));
    host.fail_on_call("connect_attr", 2);  // translateY's own curve
    EXPECT_THROW(reset_camera(host, record), HostError);
    EXPECT_EQ(host.connections.at(plug("translateX")), own_curve(0) + ".output");
    EXPECT_EQ(host.curves.count(shake_curve_name(kCamera, "translateX")), 0u);
    // translateY's own curve still drives it, through its blend, until a reset ends.
    EXPECT_EQ(host.connections.at(plug("translateY")), shake_curve_name(kCamera, "translateY") + "_add.output");
    EXPECT_EQ(host.curves.count(shake_curve_name(kCamera, "translateY")), 1u);
    EXPECT_EQ(host.curves.count(shake_curve_name(kCamera, "translateZ")), 1u);
}

}  // namespace
}  // namespace trembla::testing_scene
