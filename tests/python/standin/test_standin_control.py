"""The stand-in Maya host's test controls: call log, faults, recordings, host state, reset."""
import sys
import unittest

import support  # noqa: F401  (puts the stand-in on sys.path)

import maya.standin as standin
from maya import OpenMayaUI as omui
from maya import cmds, mel

try:
    from StringIO import StringIO
except ImportError:
    from io import StringIO


class ControlTestCase(unittest.TestCase):
    def setUp(self):
        standin.reset()
        self.curve = cmds.createNode("animCurveTL", name="curve")
        standin.clear_calls()


class CallLogTest(ControlTestCase):
    def test_every_host_call_is_logged_in_order_with_its_arguments(self):
        cmds.setKeyframe(self.curve, time=3, value=1.5)
        mel.eval("setTimeSliderVisible 0")
        omui.MQtUtil.mainWindow()
        self.assertEqual([call.op for call in standin.calls],
                         ["setKeyframe", "mel.eval", "OpenMayaUI.MQtUtil.mainWindow"])
        op, args, kwargs = standin.calls[0]
        self.assertEqual((op, args, kwargs),
                         ("setKeyframe", ("curve",), {"time": 3, "value": 1.5}))
        self.assertEqual(standin.calls_of("mel.eval")[0].args, ("setTimeSliderVisible 0",))

    def test_logging_can_be_switched_off_and_cleared(self):
        standin.set_logging(False)
        cmds.currentTime(5)
        self.assertEqual(standin.calls, [])
        standin.set_logging(True)
        cmds.currentTime(q=True)
        self.assertEqual(len(standin.calls_of("currentTime")), 1)
        standin.clear_calls()
        self.assertEqual(standin.calls, [])


class FaultTest(ControlTestCase):
    def test_nth_call_of_an_op_fails_once_before_any_effect(self):
        standin.fail("setKeyframe", on_call=2)
        cmds.setKeyframe(self.curve, time=1, value=1.0)
        with self.assertRaises(RuntimeError) as caught:
            cmds.setKeyframe(self.curve, time=2, value=2.0)
        self.assertIn("setKeyframe", str(caught.exception))
        self.assertIn("#2", str(caught.exception))
        self.assertEqual(cmds.keyframe(self.curve, q=True, timeChange=True), [1.0])
        cmds.setKeyframe(self.curve, time=3, value=3.0)
        self.assertEqual(cmds.keyframe(self.curve, q=True, timeChange=True), [1.0, 3.0])

    def test_always_failing_op_fails_until_cleared(self):
        standin.fail("mel.eval", always=True)
        for _ in range(3):
            with self.assertRaises(RuntimeError):
                mel.eval("setTimeSliderVisible 0")
        self.assertTrue(standin.time_slider_visible())
        cmds.refresh(suspend=True)  # other ops are untouched
        standin.clear_faults()
        mel.eval("setTimeSliderVisible 0")
        self.assertFalse(standin.time_slider_visible())

    def test_nth_host_call_of_any_op_fails(self):
        standin.fail_nth_call(3)
        cmds.currentTime(2)
        cmds.objExists("curve")
        with self.assertRaises(RuntimeError) as caught:
            cmds.currentTime(7)
        self.assertIn("currentTime", str(caught.exception))
        self.assertEqual(cmds.currentTime(q=True), 2.0)
        cmds.currentTime(8)

    def test_fault_on_unknown_op_is_refused(self):
        with self.assertRaises(ValueError):
            standin.fail("setKeyFrame")


class MisuseTest(ControlTestCase):
    def test_unknown_or_doubled_flag_is_a_type_error(self):
        with self.assertRaises(TypeError):
            cmds.xform(self.curve, q=True, worldspace=True, t=True)
        with self.assertRaises(TypeError):
            cmds.setKeyframe(self.curve, time=1, value=1, controlPoints=True)
        with self.assertRaises(TypeError):
            cmds.playbackOptions(q=True, min=True, minTime=True)

    def test_unknown_operation_and_mel_raise(self):
        with self.assertRaises(AttributeError):
            cmds.spaceLocator()
        with self.assertRaises(RuntimeError):
            mel.eval("setTimeSliderVisible 2")
        with self.assertRaises(RuntimeError):
            mel.eval("playButtonForward")

    def test_query_answers_one_flag_at_a_time(self):
        with self.assertRaises(RuntimeError):
            cmds.playbackOptions(q=True, min=True, max=True)


class ScriptJobTest(ControlTestCase):
    def test_undo_and_redo_jobs_run_once_at_the_next_idle_until_killed_and_not_in_batch(self):
        ran = []
        undo_job = cmds.scriptJob(event=["Undo", lambda: ran.append("Undo")])
        cmds.scriptJob(event=["Redo", lambda: ran.append("Redo")])
        for name in ("a", "b", "c"):
            cmds.createNode("transform", name=name)
        cmds.undo()  # a script's undo: the events are the user's menu undo and redo only
        cmds.redo()
        cmds.undo()
        standin.run_idle()
        self.assertEqual(ran, [])
        standin.menu_undo()
        standin.menu_undo()
        standin.menu_undo()  # nothing left: no event
        self.assertEqual(ran, [])
        standin.run_idle()
        standin.run_idle()
        standin.menu_redo()
        standin.run_idle()
        self.assertEqual(ran, ["Undo", "Redo"])
        cmds.scriptJob(kill=undo_job)
        self.assertFalse(cmds.scriptJob(exists=undo_job))
        self.assertRaises(RuntimeError, cmds.scriptJob, kill=undo_job)
        standin.menu_undo()
        standin.run_idle()
        self.assertEqual(ran, ["Undo", "Redo"])
        standin.set_batch(True)
        self.assertIsNone(cmds.scriptJob(event=["Undo", ran.append]))


class HostStateTest(ControlTestCase):
    def test_suspension_switches_are_observable(self):
        self.assertEqual(cmds.evaluationManager(q=True, mode=True), ["parallel"])
        cmds.refresh(suspend=True)
        mel.eval("setTimeSliderVisible 0")
        cmds.evaluationManager(mode="off")
        self.assertTrue(standin.refresh_suspended())
        self.assertFalse(standin.time_slider_visible())
        self.assertEqual(standin.evaluation_mode(), "off")
        with self.assertRaises(RuntimeError):
            cmds.evaluationManager(mode="fast")
        cmds.refresh(suspend=False)
        mel.eval("setTimeSliderVisible 1;")
        self.assertFalse(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())

    def test_warnings_are_recorded_and_printed_as_mayapy_does(self):
        captured, sys.stderr = sys.stderr, StringIO()
        try:
            cmds.warning("Nothing selected.")
            printed = sys.stderr.getvalue()
        finally:
            sys.stderr = captured
        self.assertEqual(printed, "Warning: Nothing selected.\n")
        cmds.inViewMessage(amg="Shake prepared!", pos="midCenter", fade=True)
        self.assertEqual(standin.warnings, ["Nothing selected."])
        self.assertEqual(standin.in_view_messages, ["Shake prepared!"])

    def test_user_script_dir_and_main_window_are_settable(self):
        self.assertTrue(cmds.internalVar(userScriptDir=True).endswith("/"))
        standin.set_user_script_dir("/tmp/scripts/")
        self.assertEqual(cmds.internalVar(usd=True), "/tmp/scripts/")
        self.assertIsNone(omui.MQtUtil.mainWindow())
        standin.set_main_window(0x7fffdeadbeef)
        self.assertEqual(omui.MQtUtil.mainWindow(), 0x7fffdeadbeef)


class ProgressBarTest(ControlTestCase):
    def test_main_progress_bar_refuses_misuse_and_esc_counts_only_while_it_is_up(self):
        bar = mel.eval("$tmp = $gMainProgressBar")
        standin.press_escape_at_check(1)
        self.assertFalse(cmds.progressBar(bar, q=True, isCancelled=True))  # not up: Esc is lost
        cmds.progressBar(bar, edit=True, beginProgress=True, isInterruptable=True, status="s",
                         maxValue=3)
        for misuse in (dict(edit=True, beginProgress=True),            # already in progress
                       dict(edit=True, endProgress=True, progress=1),  # endProgress goes alone
                       dict(edit=True, isCancelled=True)):             # a query only
            self.assertRaises(RuntimeError, cmds.progressBar, bar, **misuse)
        self.assertRaises(RuntimeError, cmds.progressBar, "otherBar", q=True, isCancelled=True)
        cmds.progressBar(bar, edit=True, progress=7)
        self.assertEqual(cmds.progressBar(bar, q=True, progress=True), 3)  # kept within maxValue
        standin.press_escape_at_check(2)
        self.assertEqual([cmds.progressBar(bar, q=True, isCancelled=True) for _ in range(3)],
                         [False, True, True])
        cmds.progressBar(bar, edit=True, endProgress=True)
        self.assertEqual(standin.progress_bar()["begun"], 1)
        self.assertEqual(standin.progress_bar()["ended"], 1)
        self.assertFalse(standin.progress_bar()["in_progress"])


class ResetTest(unittest.TestCase):
    def test_reset_restores_every_default(self):
        cmds.createNode("transform", name="leftover")
        cmds.playbackOptions(min=5, max=50)
        cmds.currentTime(9)
        cmds.refresh(suspend=True)
        cmds.evaluationManager(mode="serial")
        mel.eval("setTimeSliderVisible 0")
        captured, sys.stderr = sys.stderr, StringIO()
        try:
            cmds.warning("old")
        finally:
            sys.stderr = captured
        cmds.inViewMessage(amg="old")
        standin.set_user_script_dir("/elsewhere/")
        standin.set_main_window(1)
        standin.set_logging(False)
        standin.fail("objExists", always=True)
        warnings, messages, calls = standin.warnings, standin.in_view_messages, standin.calls

        standin.reset()

        self.assertFalse(cmds.objExists("leftover"))
        self.assertEqual(cmds.ls(type="transform"), ["persp", "top", "front", "side"])
        self.assertEqual((cmds.playbackOptions(q=True, min=True),
                          cmds.playbackOptions(q=True, max=True)), (1.0, 120.0))
        self.assertEqual(cmds.currentTime(q=True), 1.0)
        self.assertFalse(standin.refresh_suspended())
        self.assertEqual(standin.evaluation_mode(), "parallel")
        self.assertTrue(standin.time_slider_visible())
        self.assertNotEqual(cmds.internalVar(userScriptDir=True), "/elsewhere/")
        self.assertIsNone(omui.MQtUtil.mainWindow())
        self.assertEqual((warnings, messages), ([], []))
        self.assertEqual([call.op for call in calls][-1], "OpenMayaUI.MQtUtil.mainWindow")
        self.assertIs(standin.warnings, warnings)
        self.assertIs(standin.calls, calls)


if __name__ == "__main__":
    unittest.main()
