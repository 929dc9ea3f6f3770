#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

ShakeControls reshaped(ShakeControls c) {
    c.settings.lag_trans = 5;
    c.settings.lag_rot = 1;
    c.settings.smooth = 70;
    c.settings.amount = 60;
    c.settings.trans_amp = 200;
    c.settings.rot_amp = 30;
    c.settings.ranges = "1-12,15-30";
    c.settings.fade_in = 0;
    c.settings.fade_out = 6;
    c.settings.trans_x = 10;
    c.settings.trans_y = 100;
    c.settings.trans_z = 40;
    c.settings.rot_x = 0;
    c.settings.rot_y = 65;
    c.settings.rot_z = 100;
    return c;
}

TEST_F(WorkflowTest, UpdateDoesNothingWhenNothingIsPrepared) {
    update_shake(host, record, shaped_controls("static"));
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(WorkflowTest, UpdateDoesNothingOnceThePreparationHasEnded) {
    prepare_quietly(shaped_controls("static"));
    record.ready = false;
    update_shake(host, record, reshaped(shaped_controls("static")));
    EXPECT_TRUE(host.calls().empty());
}

class UpdateInEachMode : public WorkflowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UpdateInEachMode, RekeysFromTheStoredSamplesWithTheCurrentControls) {
    const std::string mode = GetParam();
    prepare_quietly(shaped_controls(mode));
    const ShakeControls controls = reshaped(shaped_controls(mode));

    update_shake(host, record, controls);

    EXPECT_TRUE(same_motion(shake_curves(), expected_curves(mode, controls)));
    // No sampling, no suspension: only the application's own operations (and the settings noted).
    const std::set<std::string> allowed{"cut_key",       "obj_exists",   "delete_node",     "create_node",
                                        "set_curve_key", "connect_attr", "set_string_attr", "set_out_tangent_type"};
    for (const std::string& op : host.operations()) EXPECT_EQ(allowed.count(op), 1u) << op;
}

INSTANTIATE_TEST_SUITE_P(Modes, UpdateInEachMode, ::testing::Values("static", "animated", "relax"));

// The shake curves hold the animator's keys only if a curve was edited since the tool keyed them:
// the host's mark tells, and where it tells nothing the curves are read.
TEST_F(WorkflowTest, AnUpdateReadsTheShakeCurvesBackUnlessTheHostsEditMarkStayedWhereTheToolLeftIt) {
    struct Case {
        const char* what;
        std::optional<std::uint64_t> at_keying;
        std::optional<std::uint64_t> at_update;
        bool reads;
    };
    const Case cases[] = {{"no mark", std::nullopt, std::nullopt, true},
                          {"the same mark", 7, 7, false},
                          {"a moved mark", 7, 8, true},
                          {"a mark gone", 7, std::nullopt, true},
                          {"a mark come", std::nullopt, 7, true}};
    for (const Case& c : cases) {
        host.edit_mark = c.at_keying;
        prepare_quietly(shaped_controls("static"));
        ASSERT_TRUE(record.ready) << c.what;
        host.edit_mark = c.at_update;
        host.curve_key_reads = 0;
        update_shake(host, record, reshaped(shaped_controls("static")));
        EXPECT_EQ(host.curve_key_reads > 0, c.reads) << c.what;
    }
}

TEST_F(WorkflowTest, UpdateAppliesTheControlsModeAndRecordsIt) {
    for (const auto& [prepared, chosen] :
         {std::pair{"static", "relax"}, std::pair{"relax", "animated"}, std::pair{"animated", "static"}}) {
        prepare_quietly(shaped_controls(prepared));
        const ShakeControls controls = shaped_controls(chosen);
        update_shake(host, record, controls);
        EXPECT_TRUE(same_motion(shake_curves(), expected_curves(chosen, controls))) << prepared << " -> " << chosen;
        EXPECT_EQ(record.camera_mode, camera_mode_from_text(chosen, CameraMode::static_pose));
    }
}

TEST_F(WorkflowTest, UpdateLeavesAChannelSwitchedOffAsItWas) {
    prepare_quietly(shaped_controls("animated"));
    const auto before = shake_curves();
    ShakeControls controls = reshaped(shaped_controls("animated"));
    controls.settings.rotate_enabled = false;

    update_shake(host, record, controls);

    const auto after = shake_curves();
    const auto expected = expected_curves("animated", controls);
    for (const char* channel : kChannels) {
        if (is_translate_channel(channel)) {
            EXPECT_TRUE(same_motion(after.at(channel), expected.at(channel))) << channel;
        } else {
            EXPECT_EQ(after.at(channel), before.at(channel)) << channel;
        }
    }
    // Nothing is cut: a new shake curve for each translation, added through the blend made before.
    EXPECT_EQ(host.count("cut_key"), 0u);
    EXPECT_EQ(host.count("create_node"), 3u);
}

TEST_F(WorkflowTest, UpdateFailuresReachTheCallerAndEarlierChannelsKeepTheirCurves) {
    prepare_quietly(shaped_controls("static"));
    const ShakeControls controls = reshaped(shaped_controls("static"));
    host.fail_on_call("create_node", 2, "read-only scene");

    EXPECT_THROW(update_shake(host, record, controls), HostError);

    const auto curves = shake_curves();
    EXPECT_TRUE(same_motion(curves.at("translateX"), expected_curves("static", controls).at("translateX")));
    EXPECT_EQ(curves.count("translateY"), 0u);  // deleted, not recreated
    EXPECT_TRUE(record.ready);
}

TEST_F(WorkflowTest, CurvesAreNamedAfterTheLeafAndFoundAgainByTheNameTheHostGave) {
    // The camera is known by a DAG path, and its wanted curve name is taken by another node (the
    // curve of a camera of the same short name under another parent).
    const std::string path = "rig|" + kCamera;
    host.add_camera(path);
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        host.channel_keys[path + "." + kChannels[k]] = recorded_keys(k);
    }
    const std::string foreign = kCamera + "_shake_translateX";
    host.create_node("animCurveTL", foreign);
    host.set_curve_key(foreign, 1, 42.0);
    ShakeControls controls = shaped_controls("animated");
    controls.camera_field = path;

    ASSERT_EQ(prepare(controls), PrepareOutcome::Prepared);
    ASSERT_TRUE(host.warnings.empty());
    EXPECT_EQ(record.shake_curves[0], foreign + "1");
    // Each channel through its blend, the shake curve on the blend's inputB.
    const std::string blend_x = kCamera + "_shake_translateX_add";
    EXPECT_EQ(host.connections.at(path + ".translateX"), blend_x + ".output");
    EXPECT_EQ(host.connections.at(blend_x + ".inputB"), foreign + "1.output");
    EXPECT_EQ(host.connections.at(path + ".rotateZ"), kCamera + "_shake_rotateZ_add.output");
    EXPECT_EQ(host.connections.at(kCamera + "_shake_rotateZ_add.inputB"), kCamera + "_shake_rotateZ.output");
    update_shake(host, record, reshaped(controls));
    EXPECT_EQ(host.connections.at(path + ".translateX"), blend_x + ".output");
    EXPECT_EQ(host.connections.at(blend_x + ".inputB"), foreign + "1.output");

    ASSERT_TRUE(reset_camera(host, record));
    EXPECT_EQ(host.curves.count(foreign + "1"), 0u);
    EXPECT_EQ(host.curves.count(kCamera + "_shake_rotateZ"), 0u);
    EXPECT_EQ(host.curves.at(foreign).keys, (std::map<Frame, double>{{1, 42.0}}));
}

}  // namespace
}  // namespace trembla::testing_scene
