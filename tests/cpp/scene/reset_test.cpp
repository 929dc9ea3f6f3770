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

TEST_F(WorkflowTest, StaticResetWritesTheStartPoseIntoAllSixChannels) {
    prepare_quietly(shaped_controls("static"));
    ShakeControls controls = shaped_controls("static");
    controls.settings.rotate_enabled = false;  // the rotation curves of the prepare stay behind
    update_shake(host, record, controls);
    host.clear_calls();

    EXPECT_TRUE(reset_camera(host, record));

    EXPECT_FALSE(record.ready);
    EXPECT_TRUE(shake_curves().empty());
    EXPECT_TRUE(host.connections.empty());
    const Sample base = camera_start_pose();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(host.channel_keys.count(plug(kChannels[k])), 0u) << kChannels[k];
        EXPECT_EQ(host.attr_values.at(plug(kChannels[k])), base[k]) << kChannels[k];
    }
    EXPECT_EQ(host.count("refresh_suspend"), 0u);
}

TEST_F(WorkflowTest, ResetClearsEachChannelBeforeRestoringAny) {
    prepare_quietly(shaped_controls("static"));
    ASSERT_TRUE(reset_camera(host, record));
    std::vector<HostCall> expected{{"obj_exists", {kCamera}}};
    // First whether the shake is still there at all.
    for (const char* channel : kChannels) expected.push_back({"obj_exists", {shake_curve_name(kCamera, channel)}});
    for (const char* channel : kChannels) {
        const std::string curve = shake_curve_name(kCamera, channel);
        expected.push_back({"cut_key", {kCamera, channel}});
        expected.push_back({"obj_exists", {curve}});
        expected.push_back({"delete_node", {curve}});
    }
    const Sample base = camera_start_pose();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        expected.push_back({"set_attr", {plug(kChannels[k]), format_arg(base[k])}});
    }
    EXPECT_EQ(host.calls(), expected);
}

class ResetOfOwnAnimation : public WorkflowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ResetOfOwnAnimation, KeysTheRecordedAnimationOnEveryFrameOfAllSixChannels) {
    // A key outside the range on a channel the shake never touched: the reset removes it too.
    host.channel_keys[plug("translateX")][200] = 99.0;
    ShakeControls controls = shaped_controls(GetParam());
    controls.settings.translate_enabled = false;
    prepare_quietly(controls);

    EXPECT_TRUE(reset_camera(host, record));

    EXPECT_FALSE(record.ready);
    EXPECT_TRUE(shake_curves().empty());
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(host.channel_keys.at(plug(kChannels[k])), recorded_keys(k)) << kChannels[k];
    }
    EXPECT_EQ(host.count("set_attr"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, ResetOfOwnAnimation, ::testing::Values("animated", "relax"));

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

INSTANTIATE_TEST_SUITE_P(
    Operations, ResetFails,
    ::testing::Values(ResetFailure{"static", "obj_exists", 1}, ResetFailure{"static", "cut_key", 4},
                      ResetFailure{"static", "delete_node", 2}, ResetFailure{"static", "set_attr", 6},
                      ResetFailure{"animated", "set_channel_key", 100}, ResetFailure{"relax", "set_channel_key", 1}));

TEST_F(WorkflowTest, ResetFailureKeepsWhatWasAlreadyUndone) {
    prepare_quietly(shaped_controls("animated"));
    host.fail_on_call("set_channel_key", 31);  // first key of translateY
    EXPECT_THROW(reset_camera(host, record), HostError);
    EXPECT_TRUE(shake_curves().empty());
    EXPECT_EQ(host.channel_keys.at(plug("translateX")), recorded_keys(0));
    EXPECT_EQ(host.channel_keys.count(plug("translateY")), 0u);
}

}  // namespace
}  // namespace trembla::testing_scene
