"""Every host call of prepare, update, reset and bake made to fail in turn, in each camera mode.

For each operation a clean run first gives the host calls it makes; then, for every n, a fresh
scene and state, the n-th host call fails, and the outcome is checked against what the tool
promises for that call: which failures are absorbed (best-effort calls, the protected block of
prepare), which reach a Python caller as the host's own RuntimeError, what the user is told, the
"ready" flag, the prepare button, and whether the viewport came back from suspension.

The shared main-path scene is built over a few frames only, so that every call of every
operation is covered in seconds. Set TREMBLA_FAULT_SWEEP_TABLE=1 to print the number of faults
injected per operation and mode.
"""
from __future__ import print_function

import os
import sys
import unittest

import support

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from support import main_path  # noqa: E402
from support.main_path import (  # noqa: E402
    CAMERA, SETTINGS, SOURCE, Capture, build_scene, forget_host_recordings)

import maya.standin as standin  # noqa: E402

import trembla_tool as tt  # noqa: E402

FIRST, LAST = 1, 12
MODES = ("static", "animated", "relax")
INITIAL_BUTTON = ("Prepare Shake", "primaryBtn")
PREPARED_BUTTON = ("Re-Prepare", "preparedBtn")
OTHER_MODE = {"static": "animated", "animated": "static", "relax": "static"}

SWEPT = {}  # (operation, mode) -> number of faults injected, for the optional table
_restore_range = None


def setUpModule():
    # The scene helper keys and plays its module's range; a short one keeps ~2,500 runs quick.
    global _restore_range
    _restore_range = main_path.use_shot_range(FIRST, LAST)


def fault_text(n, op):
    return "stand-in fault: host call #%d (%s) failed" % (n, op)


def is_resume(call):
    return call.op == "refresh" and call.kwargs.get("suspend") is False


def is_suspend(call):
    return call.op == "refresh" and call.kwargs.get("suspend") is True


class Outcome(object):
    """What must hold after the operation ran with one failing host call."""

    def __init__(self, raises, warnings=(), button=None, ready=None, record=None,
                 suspended=False, slider_visible=True, eval_mode="parallel", saved_mode=None,
                 traceback=False, printed=(), shown=(), scene_kept=False):
        self.raises = raises  # the host's RuntimeError reaches the Python caller
        self.warnings = list(warnings)
        self.button = button  # None: whatever it showed before
        self.ready = ready
        self.record = record  # "unchanged", "ended", "new" or None (not checked)
        self.suspended = suspended
        self.slider_visible = slider_visible
        self.eval_mode = eval_mode
        self.saved_mode = saved_mode  # _original_eval_mode afterwards, when it is telling
        self.traceback = traceback  # a traceback ending in the host's error is printed
        self.printed = list(printed)  # lines on the script output
        self.shown = list(shown)  # in-view messages
        self.scene_kept = scene_kept  # the scene is as before the operation


def viewport_outcome(call, suspend_calls, resume_calls):
    """How the quiet state ends when `call` fails, for an operation whose suspend and unsuspend
    issued `suspend_calls` and `resume_calls`; the keyword arguments of an Outcome."""
    query, suspend, switch_off = suspend_calls
    resume, restore = resume_calls
    if call is query:  # a mode that cannot be read is left as it is
        return {}
    if call is resume:  # the host refused to resume; unsuspend stops there
        return dict(suspended=True, eval_mode="off")
    if call is restore:
        return dict(eval_mode="off", saved_mode="parallel")
    if call in (suspend, switch_off):
        return dict(saved_mode="parallel")
    return {}


def suspension_calls(calls, suspend_at):
    return calls[suspend_at - 1:suspend_at + 2]


def resumption_calls(calls, resume_at):
    return calls[resume_at:resume_at + 2]


def prepare_outcome(calls, n, mode):
    """Prepare: checks and range outside the protected block propagate; inside it everything but
    the curve connection is reported as one warning; the clean-up's resume propagates."""
    call = calls[n - 1]
    text = fault_text(n, call.op)
    suspend_at = next(i for i, c in enumerate(calls) if is_suspend(c))
    resume_at = max(i for i, c in enumerate(calls) if is_resume(c))
    # Sampling starts with the time query; a shaken camera is reset before it, and the record is
    # written just before the first update's first call after it (its look that the camera is
    # still there, then at its locks, its chunk, setting the camera's own curves aside, or cutting
    # the channels' keys).
    sampling_at = next(i for i, c in enumerate(calls)
                       if c.op == "currentTime" and c.kwargs.get("q") and i > suspend_at)
    written_at = next(i for i, c in enumerate(calls) if i > sampling_at and (
        (c.op == "objExists" and calls[i + 1].op == "lockNode") or c.op == "lockNode" or (c.op == "undoInfo" and c.kwargs.get("openChunk")) or c.op == "cutKey"
        or (c.op == "listConnections" and calls[i + 1].op == "disconnectAttr")))
    index = n - 1
    suspended_calls = suspension_calls(calls, suspend_at)
    viewport = viewport_outcome(call, suspended_calls, resumption_calls(calls, resume_at))
    started = ["Preparing shake (mode: %s)..." % mode]
    # The static mode says that it holds the shot camera's move (a reset of an earlier shake gives
    # the camera its own curves back, so it moves again).
    held = ["Static mode: %s's own move is held at its pose of frame %d until Reset, or until a baked layer "
            "is removed." % (CAMERA, FIRST)] if mode == "static" else []
    done = started + ["Shake prepared. %d frames." % (LAST - FIRST + 1)] + held
    prepared = [" ".join(["Shake prepared!"] + held)]
    if index < suspend_at - 1:  # name checks and playback range: before any suspension
        return Outcome(raises=True, record="unchanged")
    if call is suspended_calls[1]:  # redraw could not be stopped: the block never starts
        return Outcome(raises=True, record="unchanged", saved_mode="parallel", printed=started)
    if call is calls[resume_at]:
        return Outcome(raises=True, record="new", printed=done, shown=prepared,
                       **viewport)
    in_block = suspend_at + 1 < index < resume_at
    # Only the shake curve's own connection is ignored; giving a camera its own curve back is not.
    shake_connection = is_shake_connection(call)
    if in_block and not shake_connection and call.op != "inViewMessage":
        # The reset of a shaken camera ends when it notes on the camera that no shake is live.
        reset_end = next((i for i, c in enumerate(calls) if c.op == "setAttr"
                          and c.kwargs.get("type") == "string" and i < sampling_at), None)
        if index < sampling_at and (reset_end is None or index <= reset_end):
            record = "unchanged"  # the reset stopped before it ended the preparation
        elif index < written_at:
            record = "ended"  # the shaken camera was reset, the new record not yet written
        else:
            record = "new"
        return Outcome(raises=False, warnings=["Failed to prepare shake: " + text],
                       button=PREPARED_BUTTON, traceback=True, record=record, printed=started,
                       **viewport)
    if call.op == "inViewMessage":  # decoration: its failure changes nothing
        return Outcome(raises=False, button=PREPARED_BUTTON, record="new", printed=done,
                       **viewport)
    return Outcome(raises=False, button=PREPARED_BUTTON, record="new", printed=done,
                   shown=prepared, **viewport)


def is_shake_connection(call):
    """The shake curve's connection to the blend that adds it to the channel, whose failure is
    ignored (the curve stays keyed, and a bake reads it); its link to the camera (.message) is what
    finds it again, and the blend's own connections are not."""
    return call.op == "connectAttr" and "_shake_" in call.args[0] and call.args[1].endswith("_add.inputB")


def update_outcome(calls, n, mode):
    """Update from Python: nothing is caught but the curve connection."""
    call = calls[n - 1]
    return Outcome(raises=not is_shake_connection(call), button=PREPARED_BUTTON, ready=True,
                   record="unchanged")


def slider_outcome(calls, n, mode):
    """Update from a control: the failure is reported where the signal lands, never raised."""
    call = calls[n - 1]
    if is_shake_connection(call):
        return Outcome(raises=False, button=PREPARED_BUTTON, ready=True, record="unchanged")
    return Outcome(raises=False, warnings=[fault_text(n, call.op)], button=PREPARED_BUTTON,
                   ready=True, record="unchanged", traceback=True)


def reset_outcome(calls, n, mode):
    """Reset catches nothing but its closing word in the view: the preparation stays current."""
    if calls[n - 1].op == "inViewMessage":  # decoration: the camera is reset and the preparation over
        return Outcome(raises=False, button=INITIAL_BUTTON, ready=False)
    return Outcome(raises=True, button=PREPARED_BUTTON, ready=True, record="unchanged")


def bake_outcome(calls, n, mode):
    """Bake: a channel the layer refuses and the best-effort suspension calls are absorbed; any
    other failure reaches the caller, before or after the preparation has ended."""
    call = calls[n - 1]
    suspend_at = next(i for i, c in enumerate(calls) if is_suspend(c))
    resume_at = max(i for i, c in enumerate(calls) if is_resume(c))
    viewport = viewport_outcome(call, suspension_calls(calls, suspend_at),
                                resumption_calls(calls, resume_at))
    baked = ["Baked to layer: trembla_layer"]
    if call.op == "animLayer" and call.kwargs.get("attribute") is not None:
        refused = "Could not add %s to layer trembla_layer; not keyed." % call.kwargs["attribute"]
        return Outcome(raises=False, warnings=[refused], button=INITIAL_BUTTON, ready=False,
                       printed=baked, shown=baked)
    if call.op == "inViewMessage":  # decoration: the layer is keyed and the preparation over
        return Outcome(raises=False, button=INITIAL_BUTTON, ready=False, printed=baked)
    if call is calls[suspend_at] or call is calls[resume_at] or call.op not in (
            "evaluationManager", "mel.eval"):
        # Failing partway, the bake takes back all it did: no half-keyed layer is left.
        return Outcome(raises=True, button=PREPARED_BUTTON, ready=True, scene_kept=True, **viewport)
    return Outcome(raises=False, button=INITIAL_BUTTON, ready=False, printed=baked, shown=baked,
                   **viewport)


@support.sweep
class FaultSweepCase(unittest.TestCase):
    """One window for the whole class; every run starts from a freshly built scene and record."""

    maxDiff = None

    @classmethod
    def setUpClass(cls):
        tt.reset_state()
        cls.window = tt.show()
        cls.window.camera_field.setText(CAMERA)
        cls.window.source_field.setText(SOURCE)
        w = cls.window
        for name in ("lag_trans", "lag_rot", "smoothing", "amount", "trans_amp", "rot_amp",
                     "trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z", "fade_in",
                     "fade_out"):
            getattr(w, name + "_slider").setValue(SETTINGS[name])
        w.ranges_field.setText(SETTINGS["ranges"])
        w.translate_cb.setChecked(True)
        w.rotate_cb.setChecked(True)

    def setUp(self):
        self._streams = sys.stdout, sys.stderr
        self.addCleanup(self._restore)

    def _restore(self):
        sys.stdout, sys.stderr = self._streams
        standin.clear_faults()
        standin.set_logging(True)

    # -- arranging ---------------------------------------------------------------------------

    def fresh_scene(self):
        build_scene()
        tt.reset_state()
        # Not prepared now, so this changes no scene; the slider sweep moves it off again.
        self.window.lag_trans_slider.setValue(SETTINGS["lag_trans"])
        # The window looks at the new scene now, so that the swept command does not: its look is
        # a best-effort read, whose failures leave the window as it is (test_undo.py).
        self.window._update_shake()

    def quietly(self, call):
        """Runs a clean arranging step with its printed lines kept out of the test's output."""
        sys.stdout = sys.stderr = Capture()
        try:
            call()
        finally:
            sys.stdout, sys.stderr = self._streams

    def prepare_in(self, mode):
        getattr(self.window, "mode_" + mode).setChecked(True)
        self.quietly(self.window._prepare_shake)
        self.assertTrue(tt._prepared["ready"], "arranging: prepare in %s mode" % mode)

    def unprepared(self, mode):
        """Fresh scene and record, and the button as a newly opened window shows it."""
        if self.button() != INITIAL_BUTTON:  # the way back is a prepare and a reset, anywhere
            self.prepare_in("static")
            self.quietly(self.window._reset_camera)
        self.fresh_scene()
        getattr(self.window, "mode_" + mode).setChecked(True)
        forget_host_recordings()

    def prepared(self, mode, earlier_mode=None):
        self.fresh_scene()
        self.prepare_in(earlier_mode or mode)
        getattr(self.window, "mode_" + mode).setChecked(True)
        forget_host_recordings()

    # -- observing ---------------------------------------------------------------------------

    def button(self):
        btn = self.window.prepare_btn
        return btn.text(), btn.property("class")

    def run_captured(self, operation):
        out, err = Capture(), Capture()
        sys.stdout, sys.stderr = out, err
        try:
            try:
                operation()
            except Exception as error:  # noqa: B902  (any kind is an outcome to judge)
                return error, out, err
            return None, out, err
        finally:
            sys.stdout, sys.stderr = self._streams

    # -- the sweep ---------------------------------------------------------------------------

    def sweep(self, name, mode, arrange, operation, outcome_of):
        """Counts the host calls of a clean run, then fails each one in turn and checks."""
        arrange()
        error, _, err = self.run_captured(operation)
        self.assertIsNone(error, "clean run of %s: %r\n%s" % (name, error, err.text()))
        clean = list(standin.calls)
        self.assertTrue(clean, "%s in %s mode made no host call" % (name, mode))

        problems = []
        for n in range(1, len(clean) + 1):
            if clean[n - 1].op == "undoInfo":
                continue  # the undo chunk's own failures: test_undo.py
            arrange()
            scene_before = standin.scene_dump()
            record_before = dict(tt._prepared.items())
            button_before = self.button()
            standin.fail_nth_call(n)
            error, out, err = self.run_captured(operation)
            standin.clear_faults()
            try:
                self.check(clean, n, outcome_of(clean, n, mode), mode, error, out, err,
                           record_before, button_before)
                if error is not None and outcome_of(clean, n, mode).scene_kept:
                    self.assertEqual(standin.scene_dump(), scene_before, "the scene changed")
            except AssertionError as failure:
                problems.append("n=%d %s%r: %s" % (n, clean[n - 1].op, clean[n - 1].args,
                                                   failure))
        SWEPT[(name, mode)] = len(clean)
        self.assertEqual(problems[:10], [], "%d of %d faults broke a rule" % (
            len(problems), len(clean)))

    def check(self, clean, n, expected, mode, error, out, err, record_before, button_before):
        failed = clean[n - 1]
        text = fault_text(n, failed.op)
        ran = list(standin.calls)
        # The faulty run made the same calls as the clean one up to the failing call.
        self.assertEqual(ran[:n], clean[:n], "the run left the clean path before the fault")
        if failed.op == "OpenMayaAnim.MFnAnimCurve.addKeys":
            # Refused before any key was in: keyed per key instead, said once (test_host_units).
            self.assertIsNone(error, "an error reached the caller")
            self.assertEqual(list(standin.warnings), [])
            self.assertEqual(len([l for l in out.lines() if "keying per key" in l]), 1)
            return

        if expected.raises:
            self.assertIsNotNone(error, "no error reached the caller")
            self.assertIs(type(error), RuntimeError, repr(error))
            self.assertEqual(str(error), text)
        else:
            self.assertIsNone(error, "an error reached the caller")
        self.assertEqual(list(standin.warnings), expected.warnings)
        self.assertEqual(out.lines(), expected.printed, "printed lines")
        self.assertEqual(list(standin.in_view_messages), expected.shown, "in-view messages")
        if expected.traceback:
            lines = err.lines()
            self.assertIn("Traceback (most recent call last):", lines)
            self.assertEqual(lines[-1], "RuntimeError: " + text)

        self.assertEqual(self.button(), expected.button or button_before, "prepare button")
        record = dict(tt._prepared.items())
        if expected.record == "unchanged":
            self.assertEqual(record, record_before, "the record changed")
        elif expected.record == "ended":
            self.assertEqual(record, dict(record_before, ready=False), "the record changed")
        elif expected.record == "new":
            self.assertTrue(record["ready"])
            self.assertEqual(record["camera_mode"], mode)
            self.assertEqual(sorted(record["source_data"]), list(range(FIRST, LAST + 1)))
        if expected.ready is not None:
            self.assertEqual(record["ready"], expected.ready, "ready")

        self.assertEqual(standin.refresh_suspended(), expected.suspended, "redraw suspended")
        self.assertEqual(standin.time_slider_visible(), expected.slider_visible, "time slider")
        self.assertEqual(standin.evaluation_mode(), expected.eval_mode, "evaluation mode")
        if expected.saved_mode is not None:
            self.assertEqual(tt._original_eval_mode, expected.saved_mode, "saved mode")
        if not any(is_suspend(call) for call in clean):
            self.assertFalse([call for call in ran if call.op == "refresh"], "suspended")


class PrepareSweepTest(FaultSweepCase):
    def sweep_prepare(self, mode, earlier):
        if earlier:
            arrange = lambda: self.prepared(mode, earlier_mode=OTHER_MODE[mode])  # noqa: E731
        else:
            arrange = lambda: self.unprepared(mode)  # noqa: E731
        name = "prepare over an earlier one" if earlier else "prepare"
        self.sweep(name, mode, arrange, self.window._prepare_shake, prepare_outcome)

    def test_first_prepare_static(self):
        self.sweep_prepare("static", earlier=False)

    def test_first_prepare_animated(self):
        self.sweep_prepare("animated", earlier=False)

    def test_first_prepare_relax(self):
        self.sweep_prepare("relax", earlier=False)

    def test_prepare_over_an_earlier_preparation_static(self):
        self.sweep_prepare("static", earlier=True)

    def test_prepare_over_an_earlier_preparation_animated(self):
        self.sweep_prepare("animated", earlier=True)

    def test_prepare_over_an_earlier_preparation_relax(self):
        self.sweep_prepare("relax", earlier=True)


class UpdateSweepTest(FaultSweepCase):
    def sweep_update(self, mode):
        self.sweep("update", mode, lambda: self.prepared(mode), self.window._update_shake,
                   update_outcome)

    def sweep_slider(self, mode):
        change = lambda: self.window.lag_trans_slider.setValue(SETTINGS["lag_trans"] + 1)  # noqa
        self.sweep("update by a slider", mode, lambda: self.prepared(mode), change,
                   slider_outcome)

    def test_update_static(self):
        self.sweep_update("static")

    def test_update_animated(self):
        self.sweep_update("animated")

    def test_update_relax(self):
        self.sweep_update("relax")

    def test_slider_update_static(self):
        self.sweep_slider("static")

    def test_slider_update_animated(self):
        self.sweep_slider("animated")

    def test_slider_update_relax(self):
        self.sweep_slider("relax")


class ResetAndBakeSweepTest(FaultSweepCase):
    def sweep_reset(self, mode):
        self.sweep("reset", mode, lambda: self.prepared(mode), self.window._reset_camera,
                   reset_outcome)

    def sweep_bake(self, mode):
        self.sweep("bake", mode, lambda: self.prepared(mode), self.window._bake_to_layer,
                   bake_outcome)

    def test_reset_static(self):
        self.sweep_reset("static")

    def test_reset_animated(self):
        self.sweep_reset("animated")

    def test_reset_relax(self):
        self.sweep_reset("relax")

    def test_bake_static(self):
        self.sweep_bake("static")

    def test_bake_animated(self):
        self.sweep_bake("animated")

    def test_bake_relax(self):
        self.sweep_bake("relax")


def tearDownModule():
    _restore_range()
    if not os.environ.get("TREMBLA_FAULT_SWEEP_TABLE") or not SWEPT:
        return
    names = sorted(set(name for name, _ in SWEPT))
    sys.stderr.write("\nfaults injected  %s\n" % "  ".join("%9s" % m for m in MODES))
    for name in names:
        sys.stderr.write("%-28s %s\n" % (name, "  ".join(
            "%9s" % SWEPT.get((name, m), "-") for m in MODES)))


if __name__ == "__main__":
    unittest.main()
