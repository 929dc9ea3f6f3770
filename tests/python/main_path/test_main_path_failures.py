"""What a failing host operation does on the main path: which failures prepare absorbs and
reports, which reach a Python caller, which a control change reports, and what survives."""
import unittest

from support.main_path import (
    CAMERA, CHANNELS, FRAMES, SETTINGS, SOURCE, MainPathCase, build_scene, channel_value,
    expected_camera_values)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402


def fault_text(op, call):
    return "stand-in fault: %s call #%d failed" % (op, call)


class PrepareFailureTest(MainPathCase):
    def assert_reported(self, op, call):
        message = fault_text(op, call)
        self.assertEqual(list(standin.warnings), ["Failed to prepare shake: " + message])
        err = self.stderr.text()
        self.assertIn("Traceback (most recent call last):", err)
        self.assertEqual(err.splitlines()[-1], "RuntimeError: " + message)

    def assert_viewport_back(self):
        self.assertFalse(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())
        self.assertEqual(standin.evaluation_mode(), "parallel")
        ops = [op for op, _, _ in self.logged()]
        self.assertEqual(self.logged("refresh")[-1], ("refresh", (), {"suspend": False}))
        self.assertEqual(ops.count("refresh"), 2)

    def test_failed_sampling_keeps_the_earlier_preparation(self):
        self.prepare("static")
        self.set_mode("animated")  # applies to the preparation at once
        before = self.record()
        # Another camera: preparing the shaken one again would first take its shake off.
        cmds.createNode("transform", name="otherCam")
        cmds.createNode("camera", name="otherCamShape", parent="otherCam")
        self.window.camera_field.setText("otherCam")
        self.window.source_field.setText(SOURCE)
        standin.clear_calls()
        self.stdout.parts[:] = []
        standin.fail("xform", on_call=7)
        self.assertIsNone(self.window._prepare_shake())
        self.assert_reported("xform", 7)
        self.assert_viewport_back()
        self.assertEqual(self.record(), before)
        self.assert_button("Re-Prepare", "preparedBtn")
        self.assertEqual(self.stdout.lines(), ["Preparing shake (mode: animated)..."])
        # The earlier preparation is still live.
        self.window.lag_rot_slider.setValue(6)
        self.assert_camera_shaken(dict(SETTINGS, lag_rot=6))

    def test_failed_camera_recording_reports_and_leaves_the_first_preparation_unwritten(self):
        standin.fail("getAttr", on_call=9)  # after the six channels' lock queries
        self.prepare("relax")
        self.assert_reported("getAttr", 9)
        self.assert_viewport_back()
        self.assertFalse(tt._prepared["ready"])
        self.assertEqual(tt._prepared["source_data"], {})
        self.assert_button("Re-Prepare", "preparedBtn")
        self.assertEqual(list(standin.in_view_messages), [])

    NOT_A_NUMBER = [  # mode, node, channel keyed, frame, value, where the warning says it is
        ("static", SOURCE, "translateX", 5, float("nan"), "%s world translateX is nan on frame 5" % SOURCE),
        ("animated", CAMERA, "rotateY", 7, float("nan"), "%s.rotateY is nan on frame 7" % CAMERA),
        ("static", CAMERA, "translateZ", FRAMES[0], float("-inf"),
         "%s.translateZ is -inf on frame %d" % (CAMERA, FRAMES[0])),
    ]

    def test_a_sampled_value_that_is_not_a_number_fails_the_prepare_before_any_key(self):
        for mode, node, channel, frame, value, where in self.NOT_A_NUMBER:
            build_scene()
            tt.reset_state()
            cmds.setKeyframe(node, attribute=channel, time=frame, value=value)
            camera = [repr(channel_value(CAMERA, c, f)) for c in CHANNELS for f in FRAMES]
            before = self.record()
            self.prepare(mode)
            self.assertEqual(list(standin.warnings), ["Failed to prepare shake: %s; every sampled "
                                                      "value must be a finite number." % where])
            self.assertEqual(self.record(), before, where)
            self.assertEqual(list(standin.in_view_messages), [], where)
            self.assert_no_shake_curves()
            self.assertEqual([repr(channel_value(CAMERA, c, f)) for c in CHANNELS for f in FRAMES],
                             camera, where)

    def test_failure_after_the_record_is_written_keeps_the_new_record(self):
        # The second shake curve of the first update cannot be keyed in one call (no refusal of addKeys
        # itself, which would key per key).
        standin.fail("OpenMayaAnim.MFnAnimCurve", on_call=2)
        self.prepare("animated")
        self.assert_reported("OpenMayaAnim.MFnAnimCurve", 2)
        self.assert_viewport_back()
        record = self.record()
        self.assertTrue(record["ready"])
        self.assertEqual(record["camera_mode"], "animated")
        self.assertEqual(sorted(record["source_data"]), FRAMES)
        self.assert_button("Re-Prepare", "preparedBtn")

    def test_failure_to_suspend_reaches_the_caller_with_the_saved_mode_written(self):
        self.name_camera_and_source()
        standin.fail("refresh")
        with self.assertRaises(RuntimeError) as raised:
            self.window._prepare_shake()
        self.assertEqual(str(raised.exception), fault_text("refresh", 1))
        self.assertEqual(tt._original_eval_mode, "parallel")
        self.assertEqual(self.logged("xform"), [])
        self.assertFalse(tt._prepared["ready"])
        self.assert_button("Prepare Shake", "primaryBtn")

    def test_a_later_unsuspend_restores_the_mode_saved_by_a_failed_suspend(self):
        cmds.evaluationManager(mode="serial")
        self.name_camera_and_source()
        standin.fail("refresh")
        self.assertRaises(RuntimeError, self.window._prepare_shake)
        self.assertEqual(tt._original_eval_mode, "serial")
        cmds.evaluationManager(mode="off")
        tt.unsuspend()
        self.assertEqual(standin.evaluation_mode(), "serial")

    def test_failure_of_a_prepare_started_by_the_button_goes_no_further(self):
        self.name_camera_and_source()
        standin.fail("xform", on_call=2)
        self.window.prepare_btn.click()
        self.assert_reported("xform", 2)
        self.assert_button("Re-Prepare", "preparedBtn")


class UpdateFailureTest(MainPathCase):
    def test_python_caller_gets_the_host_exception_itself(self):
        self.prepare("static")
        standin.fail("OpenMayaAnim.MFnAnimCurve", on_call=3)
        with self.assertRaises(RuntimeError) as raised:
            self.window._update_shake()
        self.assertEqual(str(raised.exception), fault_text("OpenMayaAnim.MFnAnimCurve", 3))
        self.assertTrue(tt._prepared["ready"])

    def test_a_control_change_reports_the_failure_and_the_window_keeps_working(self):
        self.prepare("animated")
        del standin.warnings[:]
        standin.fail("createNode", on_call=2)
        self.window.lag_trans_slider.setValue(8)  # must not raise
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn(fault_text("createNode", 2), standin.warnings[0])
        # Keys written before the failure stay; the next change rebuilds everything.
        self.window.lag_trans_slider.setValue(9)
        self.assert_camera_shaken(dict(SETTINGS, lag_trans=9))


class ResetAndBakeFailureTest(MainPathCase):
    def test_failed_reset_reaches_the_caller_and_stays_prepared(self):
        self.prepare("animated")
        standin.fail("connectAttr", on_call=3)  # translateZ's own curve
        self.assertRaises(RuntimeError, self.window._reset_camera)
        self.assertTrue(tt._prepared["ready"])
        self.assert_button("Re-Prepare", "preparedBtn")

    def test_a_channel_the_layer_refuses_is_skipped_and_the_rest_baked(self):
        self.prepare("static")
        shaken = expected_camera_values(self.record(), SETTINGS)
        # animLayer calls: create, then one add per channel.
        standin.fail("animLayer", on_call=3)
        self.window._bake_to_layer()
        members = cmds.animLayer("trembla_layer", q=True, attribute=True)
        self.assertEqual(members, sorted("%s.%s" % (CAMERA, c) for c in CHANNELS
                                         if c != "translateY"))
        self.assertEqual(self.stdout.lines()[-1], "Baked to layer: trembla_layer")
        self.assertFalse(tt._prepared["ready"])
        for channel in CHANNELS:
            if channel != "translateY":
                self.assert_values([channel_value(CAMERA, channel, f) for f in FRAMES],
                                   shaken[channel], channel)

    def test_failed_layer_keying_resumes_the_viewport_and_stays_prepared(self):
        self.prepare("animated")
        standin.clear_calls()
        standin.fail("setKeyframe", on_call=5)  # the layer's keys
        with self.assertRaises(RuntimeError):
            self.window._bake_to_layer()
        self.assertFalse(standin.refresh_suspended())
        self.assertEqual(self.logged("refresh")[-1], ("refresh", (), {"suspend": False}))
        self.assertEqual(standin.evaluation_mode(), "parallel")
        self.assertTrue(tt._prepared["ready"])
        self.assert_button("Re-Prepare", "preparedBtn")

    def test_a_bake_failing_partway_leaves_the_shake_live_and_no_layer(self):
        # The third channel's layer keys fail: its first key, or its batch after 3 keys.
        faults = (("setKeyframe", lambda: standin.fail("setKeyframe", on_call=3)),
                  ("addKeys", lambda: standin.fail_add_keys_partway(3, on_call=3)))
        for how in ("undo on", "queue off", "caller's chunk"):
            for op, fault in faults:
                what = "%s, %s" % (how, op)
                self.setUp()
                self.prepare("animated")
                before = standin.scene_dump()
                cmds.undoInfo(state=how != "queue off")
                if how == "caller's chunk":
                    cmds.undoInfo(openChunk=True)
                fault()
                with self.assertRaises(RuntimeError, msg=what):
                    self.window._bake_to_layer()
                self.assertTrue(tt._prepared["ready"], what)
                self.assertFalse(cmds.animLayer("trembla_layer", q=True, exists=True), what)
                self.assert_camera_shaken()
                if how == "undo on":  # the bake's own step undone
                    self.assertEqual(standin.scene_dump(), before, what)
                    continue
                self.window.lag_rot_slider.setValue(6)  # and live
                self.assert_camera_shaken(dict(SETTINGS, lag_rot=6))
                if how == "caller's chunk":
                    cmds.undoInfo(closeChunk=True)
                    cmds.undo()  # the caller's one step takes back the slider and the bake
                    self.assertEqual(standin.scene_dump(), before, what)
                cmds.undoInfo(state=True)

    def test_failed_bake_writes_back_the_saved_mode(self):
        self.prepare("static")
        cmds.evaluationManager(mode="serial")
        tt._original_eval_mode = None
        standin.fail("refresh")
        self.assertRaises(RuntimeError, self.window._bake_to_layer)
        self.assertEqual(tt._original_eval_mode, "serial")


if __name__ == "__main__":
    unittest.main()
