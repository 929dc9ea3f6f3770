"""Long prepares and bakes show progress in the host's main progress bar, and Esc cancels them:
whichever check the user presses Esc at, the scene, the undo queue and the tool are left exactly as
before the command. Only a command the user started from the window's button is cancelled, and
only when the undo can take it back: a script's call, a queue turned off or a caller's open chunk
lets it run to its end. The delays are set to zero, so that every unit of work is a check."""
from __future__ import division, print_function

import unittest

import support
from support import main_path
from support.main_path import MainPathCase, cmds, shake_curve, standin, tt

# A short shot keeps the checks few (one per frame sampled, six more per frame recorded) and each
# fresh scene quick to build.
FIRST, LAST = 1, 4
FRAMES = LAST - FIRST + 1
_restore_range = None


def setUpModule():
    global _restore_range
    _restore_range = main_path.use_shot_range(FIRST, LAST)


def tearDownModule():
    _restore_range()

HOST_WINDOW = 1  # any pointer: the commands only ask whether there is a main window

# name, mode prepared before (None: not prepared), mode set for the command, what the user does,
# checks it makes
CASES = [
    ("first static prepare", None, "static", "_prepare_shake", FRAMES * 7),
    ("first animated prepare", None, "animated", "_prepare_shake", FRAMES * 7),
    ("relax prepare over the shaken camera", "animated", "relax", "_prepare_shake", FRAMES * 7),
    # A bake checks once per channel read and once per channel keyed (each in one host call).
    ("bake", "animated", "animated", "_bake_to_layer", 6 * 2),
    # Bypassed, a bake keys the real shake again before its first check.
    ("bake while bypassed", "animated", "animated", "_bake_to_layer", 6 * 2),
]

PROGRESS_OPS = ("progressBar", "OpenMayaUI.MQtUtil.mainWindow")
BUTTONS = {"_prepare_shake": "prepare_btn", "_bake_to_layer": "bake_btn"}


def clicker(window, command):
    """What the user does: a click on the command's own button."""
    return getattr(window, BUTTONS[command]).click


def without_progress(calls):
    return [(c.op, c.args, c.kwargs) for c in calls
            if c.op not in PROGRESS_OPS and c.args != ("$tmp = $gMainProgressBar",)]


class ProgressCase(MainPathCase):
    def setUp(self):
        MainPathCase.setUp(self)
        self.set_delays(0, 0)

    def set_delays(self, delay, interval):
        saved = tt._progress_delay, tt._progress_interval
        tt._progress_delay, tt._progress_interval = delay, interval

        def restore():
            tt._progress_delay, tt._progress_interval = saved
        self.addCleanup(restore)

    def state(self):
        """Everything a cancel must leave as it found it."""
        w = self.window
        return (standin.scene_dump(), self.record(), cmds.undoInfo(q=True),
                cmds.undoInfo(q=True, undoName=True), w.prepare_btn.text(),
                w.prepare_btn.property("class"), w.bake_btn.text(), w.bake_btn.isEnabled(),
                w.bypass_cb.isChecked())


@support.sweep
class CancelTest(ProgressCase):
    def test_esc_at_any_check_leaves_scene_undo_queue_and_tool_as_before(self):
        for name, prepared, mode, command, checks in CASES:
            self.setUp()
            standin.set_main_window(HOST_WINDOW)
            if prepared:
                self.prepare(prepared)
            else:
                self.name_camera_and_source()
                self.apply_settings()
            self.set_mode(mode)
            self.window.bypass_cb.setChecked(name.endswith("bypassed"))
            # One step on a short queue: a cancel that undid one step too many would take it.
            cmds.flushUndo()
            cmds.select(clear=True)
            act = clicker(self.window, command)
            begun = standin.progress_bar()["begun"]
            n = 0
            while True:
                n += 1
                what = "%s, Esc at check %d" % (name, n)
                before = self.state()
                del standin.warnings[:]
                standin.press_escape_at_check(n)
                act()
                if standin.progress_bar()["escape_pending"]:
                    break  # fewer checks than n: the command ran to its end
                self.assertEqual(self.state(), before, what)
                self.assertEqual(list(standin.warnings), ["Trembla: cancelled"], what)
                self.assertFalse(standin.progress_bar()["in_progress"], what)
                self.assertEqual(standin.undo_depth(), 0, what)
                self.assertFalse(standin.refresh_suspended(), what)
                self.assertNotIn("Traceback", self.stderr.text(), what)
            standin.press_escape_at_check(None)
            self.assertEqual(n - 1, checks, name)
            self.assertEqual(list(standin.warnings), [], name)
            bar = standin.progress_bar()
            self.assertEqual((bar["begun"] - begun, bar["ended"] - begun, bar["in_progress"]), (n, n, False), name)
            self.assertEqual(self.record()["ready"], not name.startswith("bake"), name)
            self.window.close()


class AfterCancelTest(ProgressCase):
    def test_the_first_slider_move_after_a_cancelled_bake_keys_what_the_user_set(self):
        # The cancel undid the bake's own step: the tool must not take that for a host undo of
        # the step before it and put the slider back.
        standin.set_main_window(HOST_WINDOW)
        self.prepare("animated")
        self.window.amount_slider.setValue(50)
        standin.press_escape_at_check(1)
        clicker(self.window, "_bake_to_layer")()
        standin.press_escape_at_check(None)
        standin.run_idle()
        self.assertEqual(list(standin.warnings)[-1:], ["Trembla: cancelled"])
        self.window.amount_slider.setValue(70)
        standin.run_idle()
        self.assertEqual(self.window.amount_slider.value(), 70)
        keyed = cmds.keyframe(shake_curve("translateY"), q=True, valueChange=True)
        self.window.amount_slider.setValue(71)
        self.window.amount_slider.setValue(70)
        self.assertEqual(cmds.keyframe(shake_curve("translateY"), q=True, valueChange=True), keyed)


@support.sweep
class FaultTest(ProgressCase):
    def start(self, prepared, mode, escape_at):
        self.setUp()
        standin.set_main_window(HOST_WINDOW)
        self.prepare(prepared)
        self.set_mode(mode)
        standin.clear_calls()
        standin.press_escape_at_check(escape_at)

    def test_any_host_call_failing_around_a_cancel_leaves_no_chunk_open_and_no_bar_up(self):
        for name, prepared, mode, command, checks in CASES[2:4]:
            self.start(prepared, mode, checks // 2 + 1)
            clicker(self.window, command)()
            self.assertEqual(standin.warnings, ["Trembla: cancelled"], name)
            # The bar's calls up to its first check, and the whole way out of the cancel.
            checks_at = [i for i, c in enumerate(standin.calls)
                         if c.op == "progressBar" and c.kwargs.get("isCancelled")]
            shown_at = [i for i, c in enumerate(standin.calls)
                        if i <= checks_at[0] and (c.op in PROGRESS_OPS or c.args == ("$tmp = $gMainProgressBar",))]
            swept = [i + 1 for i in shown_at + list(range(checks_at[-1], len(standin.calls)))]
            self.assertIn("undo", [standin.calls[n - 1].op for n in swept], name)
            for n in swept:
                self.start(prepared, mode, checks // 2 + 1)
                standin.fail_nth_call(n)
                try:
                    clicker(self.window, command)()
                except Exception:  # noqa: BLE001  (which failures reach the caller is not the point)
                    pass
                failed = standin.calls[n - 1]
                what = "%s, %s failing (call %d)" % (name, failed.op, n)
                refused_close = failed.op == "undoInfo" and failed.kwargs.get("closeChunk")
                self.assertEqual(standin.undo_depth(), 1 if refused_close else 0, what)
                if refused_close:  # the host itself kept the chunk open
                    cmds.undoInfo(closeChunk=True)
                if not (failed.op == "progressBar" and failed.kwargs.get("endProgress")):
                    self.assertFalse(standin.progress_bar()["in_progress"], what)
                self.window.close()


class UncancelledTest(ProgressCase):
    """Esc after the command changed the scene, where undo could not take back the command's own
    step: the command runs to its end, exactly as without Esc, and says nothing of a cancel."""

    def run_command(self, case, command, escape_at, how):
        self.setUp()
        standin.set_main_window(HOST_WINDOW)
        self.prepare("animated")
        self.window.bypass_cb.setChecked(case.endswith("bypassed"))
        forget = main_path.forget_host_recordings
        forget()
        if how == "queue off":
            cmds.undoInfo(state=False)
            self.addCleanup(cmds.undoInfo, state=True)
        before = standin.scene_dump()
        if how == "caller's chunk":
            cmds.undoInfo(openChunk=True, chunkName="pipeline step")
        standin.press_escape_at_check(escape_at)
        (getattr(self.window, command) if how == "script call" else clicker(self.window, command))()
        standin.press_escape_at_check(None)
        if how == "caller's chunk":
            cmds.undoInfo(closeChunk=True)
        after = (standin.scene_dump(), self.record(), list(standin.warnings), self.stdout.lines()[-1:])
        if how == "caller's chunk":  # the caller's one step takes the whole command back
            standin.menu_undo()
            self.assertEqual(standin.scene_dump(), before, case)
        self.window.close()
        return after

    def test_esc_where_undo_cannot_take_the_command_back_lets_it_run_to_its_end(self):
        for case, command, escape_at in [("re-prepare", "_prepare_shake", FRAMES + 1),
                                         ("bake", "_bake_to_layer", 6 + 1),
                                         ("bake bypassed", "_bake_to_layer", 1)]:
            for how in ("script call", "queue off", "caller's chunk"):
                self.assertEqual(self.run_command(case, command, escape_at, how),
                                 self.run_command(case, command, None, how), "%s, %s" % (case, how))


class BarTest(ProgressCase):
    def run_prepare(self, main_window, delays):
        self.setUp()
        standin.set_main_window(main_window)
        self.set_delays(*delays)
        self.prepare("animated")
        self.window.close()
        return standin.scene_dump(), list(standin.calls)

    def test_with_the_delays_at_zero_a_prepare_begins_and_ends_the_bar_once_and_is_otherwise_unchanged(self):
        usual_scene, usual_calls = self.run_prepare(HOST_WINDOW, (0.5, 0.1))
        scene, calls = self.run_prepare(HOST_WINDOW, (0, 0))
        self.assertEqual(scene, usual_scene)
        self.assertEqual(without_progress(calls), without_progress(usual_calls))
        bar = standin.progress_bar()
        self.assertEqual((bar["begun"], bar["ended"], bar["in_progress"]), (1, 1, False))
        self.assertEqual((bar["status"], bar["max"]), ("Trembla: preparing shake", FRAMES * 7))

    def test_batch_mode_shows_no_bar_and_cancels_nothing(self):
        standin.press_escape_at_check(1)
        scene, calls = self.run_prepare(None, (0, 0))
        self.assertEqual([c for c in calls if c.op == "progressBar"], [])
        self.assertTrue(self.record()["ready"])
        self.assertEqual(list(standin.warnings), [])


if __name__ == "__main__":
    unittest.main()
