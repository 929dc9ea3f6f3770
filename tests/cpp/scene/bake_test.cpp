#include <gtest/gtest.h>

#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

using Names = std::vector<std::string>;

class BakeTest : public WorkflowTest {
protected:
    bool bake(const ShakeControls& controls) { return bake_to_layer(host, record, saved_mode, controls); }

    std::vector<std::string> calls_with_first_arg(const std::string& op) const {
        std::vector<std::string> args;
        for (const HostCall& call : host.calls_of(op)) args.push_back(call.args.at(0));
        return args;
    }
};

Names plugs_of(const std::vector<std::string>& channels) {
    Names plugs;
    for (const std::string& channel : channels) plugs.push_back(plug(channel));
    return plugs;
}

const Names kTranslate{"translateX", "translateY", "translateZ"};
const Names kRotate{"rotateX", "rotateY", "rotateZ"};

TEST_F(BakeTest, WarnsWhenNothingIsPrepared) {
    EXPECT_FALSE(bake(shaped_controls("static")));
    EXPECT_EQ(host.warnings, Names{"Please prepare shake first."});
    EXPECT_EQ(host.operations(), Names{"warning"});
}

class BakeInEachMode : public BakeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BakeInEachMode, MovesTheShakenValuesOntoTheLayerAndRestoresTheBase) {
    const std::string mode = GetParam();
    const ShakeControls controls = shaped_controls(mode);
    prepare_quietly(controls);
    const auto shaken = expected_curves(mode, controls);

    EXPECT_TRUE(bake(controls));

    EXPECT_FALSE(record.ready);
    EXPECT_TRUE(shake_curves().empty());
    ASSERT_EQ(host.layers.count("shot_layer"), 1u);
    const FakeLayer& layer = host.layers.at("shot_layer");
    EXPECT_EQ(layer.attributes, plugs_of(all_channels()));
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string channel = kChannels[k];
        EXPECT_TRUE(same_motion(layer.keys.at(plug(channel)), shaken.at(channel))) << channel;
    }
    // The base gets the animator's own curves back, in every mode.
    expect_own_curves_back();
    EXPECT_EQ(host.printed_lines.back(), "Baked to layer: shot_layer");
    EXPECT_EQ(host.in_view_messages.back(), "Baked to layer: shot_layer");
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_EQ(host.eval_mode, "parallel");
}

INSTANTIATE_TEST_SUITE_P(Modes, BakeInEachMode, ::testing::Values("static", "animated", "relax"));

TEST_F(BakeTest, KeysTheLayerInsideTheViewportSuspension) {
    prepare_quietly(shaped_controls("static"));
    ASSERT_TRUE(bake(shaped_controls("static")));

    EXPECT_LT(last_position_of(host, "eval_curve"), position_of(host, "delete_node"));
    // Every channel has its own curve back before the layer is made (the layer's link to the
    // camera comes after it).
    std::size_t last_channel_connect = 0;
    for (std::size_t i = 0; i < host.calls().size(); ++i) {
        const HostCall& call = host.calls()[i];
        if (call.op == "connect_attr" && call.args.at(0).find(".output") != std::string::npos) last_channel_connect = i;
    }
    EXPECT_LT(last_channel_connect, position_of(host, "create_override_layer"));
    EXPECT_LT(position_of(host, "create_override_layer"), position_of(host, "add_layer_attribute"));
    EXPECT_LT(last_position_of(host, "add_layer_attribute"), position_of(host, "evaluation_mode"));
    EXPECT_LT(position_of(host, "refresh_suspend"), position_of(host, "set_layer_key"));
    EXPECT_EQ(host.calls()[std::size_t(position_of(host, "refresh_suspend"))].args, Names{"true"});
    EXPECT_LT(last_position_of(host, "set_layer_key"), last_position_of(host, "refresh_suspend"));
    EXPECT_EQ(host.calls()[std::size_t(last_position_of(host, "refresh_suspend"))].args, Names{"false"});
    EXPECT_LT(last_position_of(host, "refresh_suspend"), position_of(host, "print_line"));
    EXPECT_EQ(host.count("refresh_suspend"), 2u);
    EXPECT_EQ(host.operations().back(), "in_view_message");
}

TEST_F(BakeTest, AnEmptyLayerNameMeansTheDefaultLayer) {
    prepare_quietly(shaped_controls("static"));
    ShakeControls controls = shaped_controls("static");
    controls.settings.layer_name.clear();
    ASSERT_TRUE(bake(controls));
    EXPECT_EQ(host.layers.count("trembla_layer"), 1u);
    EXPECT_EQ(host.printed_lines.back(), "Baked to layer: trembla_layer");
}

TEST_F(BakeTest, ALayerOfTheSameNameIsKeptAndTheBakeTakesTheNextFreeNumber) {
    for (const char* taken : {"shot_layer", "shot_layer1"}) {
        host.add_node(taken);
        host.layers[taken].attributes = {"old.translateX"};
    }
    prepare_quietly(shaped_controls("static"));

    ASSERT_TRUE(bake(shaped_controls("static")));

    for (const char* taken : {"shot_layer", "shot_layer1"})
        EXPECT_EQ(host.layers.at(taken).attributes, Names{"old.translateX"});
    EXPECT_EQ(host.layers.at("shot_layer2").attributes, plugs_of(all_channels()));
    EXPECT_EQ(host.printed_lines.back(), "Baked to layer: shot_layer2");
    EXPECT_EQ(host.in_view_messages.back(), "Baked to layer: shot_layer2");
}

TEST_F(BakeTest, ANodeOfAnotherKindKeepsTheNameAndTheLayerTakesTheOneTheHostGives) {
    host.add_node("shot_layer");  // e.g. a group, not an animation layer
    prepare_quietly(shaped_controls("animated"));

    ASSERT_TRUE(bake(shaped_controls("animated")));

    EXPECT_EQ(host.nodes.count("shot_layer"), 1u);
    for (const std::string& deleted : calls_with_first_arg("delete_node")) EXPECT_NE(deleted, "shot_layer");
    ASSERT_EQ(host.layers.count("shot_layer1"), 1u);
    EXPECT_EQ(host.layers.at("shot_layer1").keys.size(), kChannelCount);
    EXPECT_EQ(host.printed_lines.back(), "Baked to layer: shot_layer1");
    EXPECT_EQ(host.in_view_messages.back(), "Baked to layer: shot_layer1");
}

TEST_F(BakeTest, AChannelSwitchedOnSinceTheLastApplyIsRestoredAndAddedButNotKeyed) {
    ShakeControls controls = shaped_controls("animated");
    controls.settings.rotate_enabled = false;
    prepare_quietly(controls);
    controls.settings.rotate_enabled = true;

    ASSERT_TRUE(bake(controls));

    EXPECT_EQ(host.count("cut_key"), 0u);
    for (const std::string& curve : calls_with_first_arg("eval_curve")) {
        EXPECT_TRUE(is_translate_channel(curve.substr(curve.rfind('_') + 1))) << curve;
    }
    const FakeLayer& layer = host.layers.at("shot_layer");
    EXPECT_EQ(layer.attributes, plugs_of(all_channels()));
    EXPECT_EQ(layer.keys.size(), 3u);
    expect_own_curves_back();
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        EXPECT_EQ(layer.keys.count(plug(kChannels[k])), is_translate_channel(kChannels[k]) ? 1u : 0u);
    }
}

TEST_F(BakeTest, AChannelSwitchedOffLosesItsShakeCurveAndGetsItsAnimationBackButNoLayer) {
    const ShakeControls prepared = shaped_controls("animated");
    prepare_quietly(prepared);
    ShakeControls controls = prepared;
    controls.settings.translate_enabled = false;

    ASSERT_TRUE(bake(controls));

    EXPECT_EQ(calls_with_first_arg("add_layer_attribute"), Names(3, "shot_layer"));
    EXPECT_EQ(host.layers.at("shot_layer").attributes, plugs_of(kRotate));
    for (const HostCall& call : host.calls_of("set_layer_key")) EXPECT_TRUE(is_rotate_channel(call.args.at(1)));
    // No shake curve outlives the bake; every channel carries its own curve again.
    EXPECT_TRUE(shake_curves().empty());
    expect_own_curves_back();
    // A reset afterwards has nothing left to find.
    EXPECT_FALSE(reset_camera(host, record));
}

TEST_F(BakeTest, WithBothSwitchesOffAnEmptyLayerIsMadeAndEveryShakeCurveRemoved) {
    prepare_quietly(shaped_controls("static"));
    ShakeControls controls = shaped_controls("static");
    controls.settings.translate_enabled = false;
    controls.settings.rotate_enabled = false;

    EXPECT_TRUE(bake(controls));

    for (const char* op : {"eval_curve", "add_layer_attribute", "set_layer_key", "set_channel_key"}) {
        EXPECT_EQ(host.count(op), 0u) << op;
    }
    // Each own curve back on its channel, and the layer linked to the camera as this tool's.
    EXPECT_EQ(host.count("connect_attr"), kChannelCount + 1);
    EXPECT_EQ(host.connections.at(plug("tremblaLayers[0]")), "shot_layer.message");
    ASSERT_EQ(host.layers.count("shot_layer"), 1u);
    EXPECT_TRUE(host.layers.at("shot_layer").attributes.empty());
    EXPECT_FALSE(record.ready);
    EXPECT_TRUE(shake_curves().empty());
    expect_own_curves_back();
}

TEST_F(BakeTest, AChannelSwitchedOffThatNeverHadACurveIsNotTouched) {
    ShakeControls controls = shaped_controls("animated");
    controls.settings.rotate_enabled = false;
    prepare_quietly(controls);
    // A node under the wanted name of a curve this preparation never made: another camera's.
    const std::string foreign = shake_curve_name(kCamera, "rotateX");
    host.create_node("animCurveTA", foreign);
    host.clear_calls();

    ASSERT_TRUE(bake(controls));

    for (const HostCall& call : host.calls_of("delete_node")) EXPECT_NE(call.args.at(0), foreign);
    EXPECT_EQ(host.curves.count(foreign), 1u);
    expect_own_curves_back();
}

// Through a blend the shake is read from the curves, a query each, never frame by frame; a shake
// curve its blend lost is still read and added to the own curve.
TEST_F(BakeTest, AShakeAddedThroughABlendIsReadFromItsCurvesEvenWhenTheBlendLostIt) {
    const ShakeControls controls = shaped_controls("animated");
    prepare_quietly(controls);
    host.connections.erase(shake_curve_name(kCamera, "translateY") + "_add.inputB");

    ASSERT_TRUE(bake(controls));

    EXPECT_EQ(host.count("compound_at") + host.count("get_attr"), 0u);
    const auto shaken = expected_curves("animated", controls);
    for (const char* channel : kChannels) {
        EXPECT_TRUE(same_motion(host.layers.at("shot_layer").keys.at(plug(channel)), shaken.at(channel))) << channel;
    }
}

TEST_F(BakeTest, AShakeCurveWithoutAValueAddsNothingToTheOwnMotion) {
    prepare_quietly(shaped_controls("static"));
    host.curves.at(shake_curve_name(kCamera, "rotateY")).keys.clear();

    ASSERT_TRUE(bake(shaped_controls("static")));

    EXPECT_EQ(host.layers.at("shot_layer").keys.at(plug("rotateY")), recorded_keys(4));
}

TEST_F(BakeTest, AChannelTheLayerRefusesIsNotKeyedAndOneWarningNamesIt) {
    for (const char* mode : {"static", "animated"}) {
        prepare_quietly(shaped_controls(mode));
        host.warnings.clear();
        host.fail_on_call("add_layer_attribute", 2, "attribute locked");
        host.fail_on_call("add_layer_attribute", 4, "attribute locked");  // counted after the first fired

        EXPECT_TRUE(bake(shaped_controls(mode)));

        Names added = plugs_of(all_channels());
        added.erase(added.begin() + 4);
        added.erase(added.begin() + 1);
        EXPECT_EQ(host.layers.at("shot_layer").attributes, added) << mode;
        EXPECT_EQ(host.layers.at("shot_layer").keys.size(), 4u);
        EXPECT_EQ(host.count("set_layer_key"), 4 * shot_frames().size());
        EXPECT_EQ(host.warnings, Names{"Could not add cam1.translateY, cam1.rotateY to layer shot_layer; not keyed."});
        // The refused channels keep what was given back: their own curves.
        expect_own_curves_back();
        EXPECT_FALSE(record.ready);
        host.delete_node("shot_layer");
    }
}

TEST_F(BakeTest, AFailingInViewMessageDoesNotFailTheBake) {
    prepare_quietly(shaped_controls("static"));
    host.fail_always("in_view_message");
    EXPECT_TRUE(bake(shaped_controls("static")));
    EXPECT_FALSE(record.ready);
    EXPECT_EQ(host.printed_lines, Names{"Baked to layer: shot_layer"});
}

TEST_F(BakeTest, AfterBakingUpdatesDoNothing) {
    prepare_quietly(shaped_controls("static"));
    ASSERT_TRUE(bake(shaped_controls("static")));
    host.clear_calls();
    update_shake(host, record, shaped_controls("static"));
    EXPECT_TRUE(host.calls().empty());
}

// Every host operation other than adding a channel to the layer ends the bake where it fails.
struct BakeFailure {
    const char* mode;
    const char* op;
    int nth;
    bool suspended;  // whether the failure comes after the viewport was suspended
};

void PrintTo(const BakeFailure& failure, std::ostream* out) {
    *out << failure.mode << " bake, " << failure.op << " call " << failure.nth;
}

class BakeFails : public BakeTest, public ::testing::WithParamInterface<BakeFailure> {};

TEST_P(BakeFails, ReachesTheCallerAndTheShakeStaysPrepared) {
    prepare_quietly(shaped_controls(GetParam().mode));
    host.fail_on_call(GetParam().op, GetParam().nth, "host refused");

    EXPECT_THROW(bake(shaped_controls(GetParam().mode)), HostError);

    EXPECT_TRUE(record.ready);
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_EQ(host.count("refresh_suspend"),
              GetParam().suspended ? 2u : std::size_t(GetParam().op == std::string("refresh_suspend")));
    EXPECT_TRUE(host.printed_lines.empty());
    EXPECT_TRUE(host.in_view_messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Operations, BakeFails,
                         ::testing::Values(BakeFailure{"static", "obj_exists", 2, false},
                                           BakeFailure{"static", "obj_exists", 10, false},
                                           BakeFailure{"static", "connect_attr", 3, false},
                                           BakeFailure{"static", "delete_node", 1, false},
                                           BakeFailure{"animated", "set_string_attr", 1, true},
                                           BakeFailure{"relax", "create_override_layer", 1, false},
                                           BakeFailure{"static", "refresh_suspend", 1, false},
                                           BakeFailure{"animated", "set_layer_key", 77, true}));

// A failure partway gives the scene back: the bake's own step is undone where it is on top of the
// queue; elsewhere (the queue off) the layer goes and the shake is keyed again.
TEST_F(BakeTest, FailureWhileKeyingTheLayerTakesBackWhatTheBakeDid) {
    for (const bool queue_on : {true, false}) {
        prepare_quietly(shaped_controls("animated"));
        host.clear_calls();
        host.undo_on = queue_on;
        host.fail_on_call("set_layer_key", 31);

        EXPECT_THROW(bake(shaped_controls("animated")), HostError);

        EXPECT_TRUE(record.ready);
        EXPECT_EQ(host.count("undo"), queue_on ? 1u : 0u);
        EXPECT_EQ(host.layers.count("shot_layer"), queue_on ? 1u : 0u);  // this host's undo is only logged
        if (!queue_on) {
            EXPECT_EQ(shake_curves().size(), kChannelCount);
        }
        EXPECT_EQ(host.calls_of("refresh_suspend").back().args, Names{"false"});
        EXPECT_EQ(host.eval_mode, "parallel");
        EXPECT_EQ(host.undo_depth, 0);
        if (queue_on) host.delete_node("shot_layer");
    }
}

}  // namespace
}  // namespace trembla::testing_scene
