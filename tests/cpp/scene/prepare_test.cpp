#include <gtest/gtest.h>

#include <limits>

#include "workflow_scene.h"

namespace trembla::testing_scene {
namespace {

using Names = std::vector<std::string>;

void expect_same_record(const Prepared& actual, const Prepared& expected) {
    EXPECT_EQ(actual.ready, expected.ready);
    EXPECT_EQ(actual.camera, expected.camera);
    EXPECT_EQ(actual.source, expected.source);
    EXPECT_EQ(actual.source_data.frames, expected.source_data.frames);
    EXPECT_EQ(actual.source_data.samples, expected.source_data.samples);
    EXPECT_EQ(actual.delta_data.frames, expected.delta_data.frames);
    EXPECT_EQ(actual.delta_data.samples, expected.delta_data.samples);
    EXPECT_EQ(actual.camera_base, expected.camera_base);
    EXPECT_EQ(actual.start_frame, expected.start_frame);
    EXPECT_EQ(actual.end_frame, expected.end_frame);
    EXPECT_EQ(actual.camera_mode, expected.camera_mode);
    ASSERT_EQ(actual.camera_original_anim.size(), expected.camera_original_anim.size());
    for (std::size_t i = 0; i < actual.camera_original_anim.size(); ++i) {
        EXPECT_EQ(actual.camera_original_anim[i].name, expected.camera_original_anim[i].name);
        EXPECT_EQ(actual.camera_original_anim[i].values, expected.camera_original_anim[i].values);
    }
}

// ---- One prepare per camera mode -------------------------------------------------------------

class PrepareInEachMode : public WorkflowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(PrepareInEachMode, StoresTheSamplesAndKeysTheComputedShake) {
    const std::string mode = GetParam();
    const ShakeControls controls = shaped_controls(mode);
    ASSERT_EQ(prepare(controls), PrepareOutcome::Prepared);

    Prepared expected;
    expected.ready = true;
    expected.camera = kCamera;
    expected.source = kSource;
    expected.source_data = expected_source_data();
    expected.delta_data = calculate_deltas(expected.source_data, kFirst);
    expected.camera_base = camera_start_pose();
    expected.start_frame = kFirst;
    expected.end_frame = kLast;
    expected.camera_mode = camera_mode_from_text(mode, CameraMode::static_pose);
    expected.camera_original_anim = expected_recording();
    expect_same_record(record, expected);

    EXPECT_TRUE(same_motion(shake_curves(), expected_curves(mode, controls)));
    // Each channel's own curve keeps driving it through a blend that adds the shake curve.
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        const std::string channel = kChannels[k];
        const std::string curve = shake_curve_name(kCamera, channel);
        const std::string blend = curve + "_add";
        EXPECT_EQ(host.curves.at(curve).type, is_translate_channel(channel) ? "animCurveTL" : "animCurveTA");
        EXPECT_EQ(host.node_types.at(blend),
                  is_translate_channel(channel) ? "animBlendNodeAdditiveDL" : "animBlendNodeAdditiveDA");
        EXPECT_EQ(host.connections.at(plug(channel)), blend + ".output");
        EXPECT_EQ(host.connections.at(blend + ".inputA"), own_curve(k) + ".output");
        EXPECT_EQ(host.connections.at(blend + ".inputB"), curve + ".output");
    }

    // The shot's camera moves: the static mode holds it at its first pose and says so.
    const std::string held = "Static mode: " + kCamera + "'s own move is held at its pose of frame " +
                             std::to_string(kFirst) + " until Reset, or until a baked layer is removed.";
    Names printed{"Preparing shake (mode: " + mode + ")...", "Shake prepared. 30 frames."};
    if (mode == "static") printed.push_back(held);
    EXPECT_EQ(host.printed_lines, printed);
    EXPECT_EQ(host.in_view_messages, Names{mode == "static" ? "Shake prepared! " + held : "Shake prepared!"});
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_EQ(host.eval_mode, "parallel");
}

TEST_P(PrepareInEachMode, LeavesTheTimeWhereTheLastSampleWasTaken) {
    const std::string mode = GetParam();
    ASSERT_EQ(prepare(shaped_controls(mode)), PrepareOutcome::Prepared);
    EXPECT_EQ(host.time, mode == "static" ? double(kFirst) : double(kLast));
}

// One pass over time for the source, each own curve read for every frame in one call, and one
// last change to where the prepare leaves the time: N + 2 time changes in every mode.
TEST_P(PrepareInEachMode, StepsTimeOncePerFrameAndReadsEachOwnCurveOnce) {
    ASSERT_EQ(prepare(shaped_controls(GetParam())), PrepareOutcome::Prepared);
    std::size_t time_changes = 0;
    std::vector<HostCall> reads;
    for (const HostCall& call : host.calls()) {
        if (call.op == "set_current_time") ++time_changes;
        if (call.op == "eval_curve" || call.op == "eval_curve_frames" || call.op == "get_attr") reads.push_back(call);
    }
    EXPECT_EQ(time_changes, shot_frames().size() + 2);
    std::vector<HostCall> expected{{"get_attr", {kSource + ".rotateOrder"}}};
    for (const char* channel : {"rotateX", "rotateY", "rotateZ"}) {
        expected.push_back({"get_attr", {kSource + "." + channel}});
    }
    for (std::size_t k = 0; k < kChannelCount; ++k) {
        expected.push_back({"eval_curve_frames", {own_curve(k), std::to_string(shot_frames().size())}});
    }
    EXPECT_EQ(reads, expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, PrepareInEachMode, ::testing::Values("static", "animated", "relax"));

TEST_F(WorkflowTest, PrepareTruncatesThePlaybackRangeToWholeFrames) {
    host.playback_start = 1.5;
    host.playback_end = 10.7;
    ASSERT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Prepared);
    EXPECT_EQ(record.start_frame, 1);
    EXPECT_EQ(record.end_frame, 10);
    EXPECT_EQ(record.source_data.frames, frame_span(1, 10));
    EXPECT_EQ(host.printed_lines.back(), "Shake prepared. 10 frames.");
    // One shake key per prepared frame and a 0 on each side, held to the range; beyond it, the
    // camera's own curve.
    const std::string curve = shake_curve_name(kCamera, "translateX");
    const std::map<Frame, double>& keys = host.curves.at(curve).keys;
    EXPECT_EQ(keys.size(), 12u);
    EXPECT_EQ(keys.at(0), 0.0);
    EXPECT_EQ(keys.at(11), 0.0);
    EXPECT_EQ(host.calls_of("set_out_tangent_type").at(0), (HostCall{"set_out_tangent_type", {curve, "0", "step"}}));
    EXPECT_EQ(host.calls_of("set_out_tangent_type").at(1),
              (HostCall{"set_out_tangent_type", {curve, "10", "stepnext"}}));
    for (Frame f = 11; f <= kLast; ++f) EXPECT_EQ(host.value_at(plug("translateX"), double(f)), recorded_keys(0).at(f));
}

TEST_F(WorkflowTest, PrepareAcceptsAnyExistingNodeAsCamera) {
    ShakeControls controls = shaped_controls("static");
    controls.camera_field = kSource;
    EXPECT_EQ(prepare(controls), PrepareOutcome::Prepared);
    EXPECT_EQ(record.camera, std::optional<std::string>(kSource));
}

TEST_F(WorkflowTest, RepreparingTheShakenCameraRecordsItsOwnAnimationNotTheShake) {
    for (const char* mode : {"animated", "relax", "static"}) {
        const ShakeControls controls = shaped_controls(mode);
        ASSERT_EQ(prepare(controls), PrepareOutcome::Prepared);
        ASSERT_EQ(prepare(controls), PrepareOutcome::Prepared);
        EXPECT_EQ(record.camera_base, std::optional<Sample>(camera_start_pose())) << mode;
        // The static mode's reset holds the start pose: only the other modes find the move again.
        ChannelAnim own = expected_recording();
        ASSERT_EQ(record.camera_original_anim.size(), own.size());
        for (std::size_t k = 0; k < own.size() && std::string(mode) != "static"; ++k) {
            EXPECT_EQ(record.camera_original_anim[k].values, own[k].values) << mode << " " << own[k].name;
        }
        EXPECT_TRUE(same_motion(shake_curves(), expected_curves(mode, controls))) << mode;
        ASSERT_TRUE(reset_camera(host, record));
    }
}

TEST_F(WorkflowTest, InvalidPlaybackRangeIsRefusedWithOneWarningAndNothingTouched) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double start, end;
        std::string warning;
    };
    const auto invalid = [](const std::string& shown) {
        return "Invalid playback range: " + shown + ". Set a playback range that ends at or after its start.";
    };
    const auto too_long = [](const std::string& shown) {
        return "Playback range too long: " + shown + ". At most 10000000 frames are prepared at once.";
    };
    const Case cases[] = {
        {10, 5, invalid("10 to 5")},
        {nan, 5, invalid("nan to 5")},
        {1, inf, invalid("1 to inf")},
        {-inf, 5, invalid("-inf to 5")},
        {1, 1e300, invalid("1 to 1e+300")},
        {-1e19, 5, invalid("-1e+19 to 5")},
        {10.5, 9.9, invalid("10.5 to 9.9")},
        {-nan, 5, invalid("nan to 5")},
        {1, 1e15, too_long("1 to 1e+15")},
        {-9e18, 9e18, too_long("-9e+18 to 9e+18")},
        {0, 10000000, too_long("0 to 10000000")},
    };
    ASSERT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Prepared);
    const Prepared before = record;
    const auto curves_before = shake_curves();
    for (const Case& c : cases) {
        host.clear_calls();
        host.warnings.clear();
        host.printed_lines.clear();
        host.playback_start = c.start;
        host.playback_end = c.end;
        EXPECT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Rejected) << c.warning;
        EXPECT_EQ(host.warnings, Names{c.warning});
        // The camera's note is read (and found to hold nothing) before the range is asked.
        EXPECT_EQ(host.operations(),
                  (Names{"obj_exists", "obj_exists", "obj_exists", "playback_min", "playback_max", "warning"}));
        EXPECT_TRUE(host.printed_lines.empty());
        expect_same_record(record, before);
        EXPECT_EQ(shake_curves(), curves_before);
    }
}

// ---- The host operation sequence -------------------------------------------------------------

TEST_F(WorkflowTest, PrepareSuspendsBeforeSamplingAndResumesAfterTheAnnouncement) {
    ASSERT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Prepared);
    const std::vector<HostCall>& calls = host.calls();
    const std::vector<HostCall> head(calls.begin(), calls.begin() + 9);
    EXPECT_EQ(head, (std::vector<HostCall>{
                        {"obj_exists", {kCamera}},
                        {"obj_exists", {kSource}},
                        {"obj_exists", {kCamera}},
                        {"playback_min", {}},
                        {"playback_max", {}},
                        {"print_line", {"Preparing shake (mode: animated)..."}},
                        {"evaluation_mode", {}},
                        {"refresh_suspend", {"true"}},
                        {"set_evaluation_mode", {"off"}},
                    }));
    const std::vector<HostCall> tail(calls.end() - 4, calls.end());
    EXPECT_EQ(tail, (std::vector<HostCall>{
                        {"print_line", {"Shake prepared. 30 frames."}},
                        {"in_view_message", {"Shake prepared!"}},
                        {"refresh_suspend", {"false"}},
                        {"set_evaluation_mode", {"parallel"}},
                    }));
    EXPECT_EQ(saved_mode, std::optional<std::string>("parallel"));
}

// ---- Rejected input --------------------------------------------------------------------------

struct RejectedNames {
    std::string camera;
    std::string source;
    std::string warning;
};

void PrintTo(const RejectedNames& names, std::ostream* out) {
    *out << "camera '" << names.camera << "', source '" << names.source << "'";
}

class PrepareRejects : public WorkflowTest, public ::testing::WithParamInterface<RejectedNames> {};

TEST_P(PrepareRejects, WarnsAndChangesNothing) {
    // An earlier preparation must survive a rejected one untouched.
    ASSERT_EQ(prepare(shaped_controls("static")), PrepareOutcome::Prepared);
    const Prepared before = record;
    host.clear_calls();
    host.printed_lines.clear();

    ShakeControls controls = shaped_controls("animated");
    controls.camera_field = GetParam().camera;
    controls.source_field = GetParam().source;
    EXPECT_EQ(prepare(controls), PrepareOutcome::Rejected);

    EXPECT_EQ(host.warnings, Names{GetParam().warning});
    for (const std::string& op : host.operations()) {
        EXPECT_TRUE(op == "obj_exists" || op == "warning") << op;
    }
    EXPECT_TRUE(host.printed_lines.empty());
    expect_same_record(record, before);
}

INSTANTIATE_TEST_SUITE_P(Names, PrepareRejects,
                         ::testing::Values(RejectedNames{"", kSource, "Please set a valid camera."},
                                           RejectedNames{" cam1", kSource, "Please set a valid camera."},
                                           RejectedNames{"cam1 ", kSource, "Please set a valid camera."},
                                           RejectedNames{"ghostCam", kSource, "Please set a valid camera."},
                                           RejectedNames{"", "", "Please set a valid camera."},
                                           RejectedNames{kCamera, "", "Please set a valid source object."},
                                           RejectedNames{kCamera, "shaker ", "Please set a valid source object."},
                                           RejectedNames{kCamera, "ghost", "Please set a valid source object."}));

// ---- Failures --------------------------------------------------------------------------------

TEST_F(WorkflowTest, FailureWhileSamplingIsWarnedReportedAndTheViewportResumed) {
    host.fail_on_call("world_translation", 3, "source vanished");
    std::vector<std::size_t> warnings_at_report;
    const PrepareOutcome outcome =
        prepare_shake(host, record, saved_mode, shaped_controls("static"), [&](const std::exception_ptr& failure) {
            warnings_at_report.push_back(host.warnings.size());
            reported.push_back(failure);
        });

    EXPECT_EQ(outcome, PrepareOutcome::Failed);
    EXPECT_EQ(host.warnings, Names{"Failed to prepare shake: source vanished"});
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(what_of(reported[0]), "source vanished");
    EXPECT_EQ(warnings_at_report, std::vector<std::size_t>{1});  // the traceback follows the warning
    EXPECT_EQ(host.printed_lines, Names{"Preparing shake (mode: static)..."});
    EXPECT_TRUE(host.in_view_messages.empty());

    EXPECT_EQ(last_position_of(host, "refresh_suspend"), long(host.calls().size()) - 2);
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_EQ(host.eval_mode, "parallel");
    expect_same_record(record, Prepared{});
}

TEST_F(WorkflowTest, FailureBeforeTheRecordIsWrittenKeepsTheEarlierPreparation) {
    ASSERT_EQ(prepare(shaped_controls("static")), PrepareOutcome::Prepared);
    const Prepared before = record;
    const auto curves_before = shake_curves();

    // Another camera: the prepared one keeps its shake while the new one is recorded.
    host.add_camera("cam2");
    ShakeControls other = shaped_controls("animated");
    other.camera_field = "cam2";
    host.fail_on_call("compound_at", 10);  // part way through recording the camera's animation
    EXPECT_EQ(prepare(other), PrepareOutcome::Failed);

    expect_same_record(record, before);
    EXPECT_EQ(shake_curves(), curves_before);
    EXPECT_EQ(host.warnings, Names{"Failed to prepare shake: compound_at failed"});
    EXPECT_FALSE(host.refresh_suspended);
}

TEST_F(WorkflowTest, FailureAfterTheShakenCameraWasResetLeavesItResetAndUnprepared) {
    ASSERT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Prepared);
    host.fail_on_call("world_translation", 2, "source vanished");
    EXPECT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Failed);
    EXPECT_FALSE(record.ready);
    EXPECT_TRUE(shake_curves().empty());
    expect_own_curves_back();
}

TEST_F(WorkflowTest, FailureWhileApplyingKeepsTheNewRecord) {
    host.fail_on_call("set_curve_key", 45, "curve locked");
    EXPECT_EQ(prepare(shaped_controls("relax")), PrepareOutcome::Failed);

    EXPECT_TRUE(record.ready);
    EXPECT_EQ(record.camera_mode, CameraMode::relax);
    EXPECT_EQ(record.source_data.size(), 30u);
    EXPECT_EQ(host.warnings, Names{"Failed to prepare shake: curve locked"});
    EXPECT_EQ(reported.size(), 1u);
    // The first channel was finished before the failure and stays.
    const auto expected = expected_curves("relax", shaped_controls("relax"));
    EXPECT_TRUE(
        same_motion({{"translateX", shake_curves().at("translateX")}}, {{"translateX", expected.at("translateX")}}));
    EXPECT_FALSE(host.refresh_suspended);
    EXPECT_TRUE(host.in_view_messages.empty());
}

TEST_F(WorkflowTest, FailureWithoutAReporterIsStillWarned) {
    host.fail_always("world_rotation", "no rotation");
    EXPECT_EQ(prepare_shake(host, record, saved_mode, shaped_controls("static"), FailureReporter{}),
              PrepareOutcome::Failed);
    EXPECT_EQ(host.warnings, Names{"Failed to prepare shake: no rotation"});
    EXPECT_FALSE(host.refresh_suspended);
}

TEST_F(WorkflowTest, FailureToSuspendReachesTheCallerBeforeAnythingIsSampled) {
    host.fail_on_call("refresh_suspend", 1, "no viewport");
    EXPECT_THROW(prepare(shaped_controls("static")), HostError);

    EXPECT_EQ(host.count("refresh_suspend"), 1u);  // never resumed: the block did not start
    EXPECT_EQ(host.count("current_time"), 0u);
    EXPECT_EQ(host.count("world_translation"), 0u);
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_TRUE(reported.empty());
    EXPECT_EQ(saved_mode, std::optional<std::string>("parallel"));
    expect_same_record(record, Prepared{});
}

TEST_F(WorkflowTest, FailureToReadThePlaybackRangeReachesTheCallerWithoutSuspension) {
    host.fail_always("playback_max");
    EXPECT_THROW(prepare(shaped_controls("static")), HostError);
    EXPECT_EQ(host.count("refresh_suspend"), 0u);
    EXPECT_TRUE(host.warnings.empty());
}

TEST_F(WorkflowTest, FailureToResumeReachesTheCallerAfterThePreparation) {
    host.fail_on_call("refresh_suspend", 2, "viewport gone");
    EXPECT_THROW(prepare(shaped_controls("animated")), HostError);
    EXPECT_TRUE(record.ready);
    EXPECT_EQ(host.in_view_messages, Names{"Shake prepared!"});
}

TEST_F(WorkflowTest, FailureToResumeAfterAFailedPreparationStillWarnsFirst) {
    host.fail_always("world_rotation", "no rotation");
    host.fail_on_call("refresh_suspend", 2, "viewport gone");
    EXPECT_THROW(prepare(shaped_controls("static")), HostError);
    EXPECT_EQ(host.warnings, Names{"Failed to prepare shake: no rotation"});
    EXPECT_EQ(reported.size(), 1u);
}

TEST_F(WorkflowTest, AFailingInViewMessageLeavesThePreparationPrepared) {
    host.fail_always("in_view_message");
    EXPECT_EQ(prepare(shaped_controls("animated")), PrepareOutcome::Prepared);
    EXPECT_TRUE(record.ready);
    EXPECT_TRUE(host.warnings.empty());
    EXPECT_EQ(host.printed_lines.back(), "Shake prepared. 30 frames.");
}

TEST_F(WorkflowTest, AnEvaluationModeThatCannotBeReadIsLeftAsItIs) {
    host.eval_mode = "serial";
    host.fail_always("evaluation_mode");
    EXPECT_EQ(prepare(shaped_controls("static")), PrepareOutcome::Prepared);
    EXPECT_EQ(host.count("set_evaluation_mode"), 0u);
    EXPECT_EQ(host.eval_mode, "serial");
    EXPECT_EQ(saved_mode, std::nullopt);
}

}  // namespace
}  // namespace trembla::testing_scene
