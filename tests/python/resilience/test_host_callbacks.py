"""The host calls back into the tool while one of its commands runs.

In the host, scriptJobs and callbacks run Python on time changes and on every command, modal
dialogs run nested event loops and scripts close and reopen tools. Here the module's own `cmds`
and `mel` are replaced by a pass-through that runs a chosen action just before one host call of
a command: the command re-entered, the window replaced by show(), the window deleted outright, or
deleted through a nested event loop or a flush of deferred deletes. Arguments whose __bool__ or
__eq__ do the same stand in for script callbacks during argument conversion.

Every scenario runs in a child process (a crash must fail one case, not end the test run); the
child prints what it observed as one JSON line. Deleting the window needs the Qt binding, so
those cases are skipped where it is missing (the Python 2.7 leg here).
"""
from __future__ import print_function

import json
import os
import subprocess
import sys
import threading
import unittest

import support

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

INJECTED_OPERATIONS = ("prepare", "update", "reset", "bake", "bypass")
ACTIONS = ("reenter", "replace", "delete", "replace_and_loop", "replace_and_flush")
NEEDS_BINDING = ("delete", "replace_and_loop", "replace_and_flush")
CHILD_SECONDS = 600


def binding():
    """The Qt binding the module took for its own Qt generation, or None: a test must never load
    the other generation's binding beside it (two Qt libraries in one process)."""
    import trembla_tool as tt
    return tt if tt.QtWidgets is not None and tt.wrapInstance is not None else None


def has_binding():
    return binding() is not None


def run_child(*args):
    """The JSON the child printed last, or a failure naming how it ended."""
    env = dict(os.environ, TREMBLA_MODULE_DIR=support.MODULE_DIR, QT_QPA_PLATFORM="offscreen",
               PYTHONPATH=support.TESTS_DIR)
    child = subprocess.Popen([sys.executable, os.path.abspath(__file__)] + list(args),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    # A child that hangs (a nested loop that never ends) fails its case instead of the whole run.
    timer = threading.Timer(CHILD_SECONDS, child.kill)
    timer.start()
    try:
        out, err = child.communicate()
    finally:
        timer.cancel()
    out, err = out.decode("utf-8", "replace"), err.decode("utf-8", "replace")
    lines = [line for line in out.splitlines() if line.startswith("{")]
    if child.returncode != 0 or not lines:
        return None, "exit code %d\n%s" % (child.returncode, err[-3000:])
    return json.loads(lines[-1]), err


# ---- in the child ------------------------------------------------------------------------------

class Injector(object):
    """Stands in for one host module of trembla_tool: every command passes straight through, and
    `action` runs once, just before the `at`-th host call counted from arm()."""

    def __init__(self, real, shared):
        self._real = real
        self._shared = shared

    def __getattr__(self, name):
        target = getattr(self._real, name)
        if not callable(target):
            return target
        shared = self._shared

        def call(*args, **kwargs):
            shared.before_call(name)
            return target(*args, **kwargs)
        return call


class Trigger(object):
    """Counts host calls from arm(); fires `action` once, before the `at`-th call or before the
    first call of `op`."""

    def __init__(self):
        self.arm(None, None)

    def arm(self, at, action, op=None):
        self.count, self.at, self.op, self.action, self.fired = 0, at, op, action, None

    def before_call(self, name):
        self.count += 1
        if self.action is None or (self.at != self.count and self.op != name):
            return
        action, self.action = self.action, None  # once, and not for the calls it makes
        self.fired = name
        action()


def child_setup(frames):
    from support import main_path as mp
    mp.FIRST, mp.LAST = 1, frames
    mp.FRAMES = list(range(1, frames + 1))
    import trembla_tool as tt
    trigger = Trigger()
    tt.cmds = Injector(tt.cmds, trigger)
    tt.mel = Injector(tt.mel, trigger)
    return mp, tt, trigger


def open_window(mp, tt, mode):
    w = tt.show()
    w.camera_field.setText(mp.CAMERA)
    w.source_field.setText(mp.SOURCE)
    getattr(w, "mode_" + mode).setChecked(True)
    return w


def deleter_of(window):
    """Deletes the window at once, the way a script holding the tool's QDialog can. (Not through
    shiboken2.delete(): PySide2 5.15 at times takes a wrapper for the application's and destroys
    the QApplication instead.)"""
    QtCore = binding().QtCore
    dialog = window.pyside()

    def run():
        dialog.deleteLater()
        QtCore.QCoreApplication.sendPostedEvents(dialog, QtCore.QEvent.DeferredDelete)
    return run


def nested_loop():
    QtCore = binding().QtCore
    loop = QtCore.QEventLoop()
    QtCore.QTimer.singleShot(0, loop.quit)
    loop.exec_()


def flush_deletes():
    QtCore = binding().QtCore
    QtCore.QCoreApplication.sendPostedEvents(None, QtCore.QEvent.DeferredDelete)


def hostile(tt, window, action, command):
    """The action a callback takes, over `window` and the command it interrupts."""
    delete_now = deleter_of(window) if action == "delete" else None

    def run():
        if action == "reenter":
            getattr(window, command)()
        elif action == "replace":
            tt.show()
        elif action == "delete":
            delete_now()
        elif action == "replace_and_loop":
            tt.show()
            nested_loop()
        elif action == "replace_and_flush":
            tt.show()
            flush_deletes()
    return run


COMMANDS = {"prepare": "_prepare_shake", "update": "_update_shake", "reset": "_reset_camera",
            "bake": "_bake_to_layer", "bypass": "_toggle_bypass", "translate_box": "_update_shake",
            "mode_button": "_update_shake"}


def operate(w, operation):
    """Runs the operation as the user would: the Bypass box is checked (its handler is
    _toggle_bypass), the Translate box cleared or the Animated mode chosen (their handlers
    update), every other operation is its command."""
    if operation == "bypass":
        w.bypass_cb.setChecked(True)
    elif operation == "translate_box":
        w.translate_cb.setChecked(False)
    elif operation == "mode_button":
        w.mode_animated.setChecked(True)
    else:
        getattr(w, COMMANDS[operation])()


def camera_state(mp, cmds):
    return [[cmds.getAttr("%s.%s" % (mp.CAMERA, c), time=f) for c in mp.CHANNELS]
            for f in mp.FRAMES]


def same_state(a, b):
    return all(abs(x - y) <= 1e-9 for row_a, row_b in zip(a, b) for x, y in zip(row_a, row_b))


def quiet(call):
    saved = sys.stdout, sys.stderr
    sys.stdout = sys.stderr = open(os.devnull, "w")
    try:
        return call()
    finally:
        sys.stdout.close()
        sys.stdout, sys.stderr = saved


_reusable = []  # a window no action has touched, kept for the next run: windows are slow to make


def arrange(mp, tt, operation, mode):
    """Fresh scene and record, and a window; prepared unless the operation is prepare."""
    mp.build_scene()
    tt.reset_state()
    w = _reusable.pop() if _reusable else open_window(mp, tt, mode)
    w.bypass_cb.setChecked(False)  # nothing prepared yet: no host call
    w.lag_trans_slider.setValue(2)  # away from the default, so that an update changes keys
    w.ranges_field.setText("")
    if operation != "prepare":
        quiet(w._prepare_shake)
        w.ranges_field.setText("2-9")  # fires no handler: the update to come changes the keys
    mp.forget_host_recordings()
    return w


def done_with(w, action):
    """Keeps the window for the next run when the action left it alone; otherwise lets Qt delete
    what it scheduled for deletion, where the binding can ask it to."""
    if action == "reenter":
        _reusable.append(w)
    elif has_binding():
        flush_deletes()


def scenario_inject(operation, actions):
    """At each host call of `operation`, in turn, each action: the child reports every run that
    broke a rule."""
    import maya.standin as standin
    from maya import cmds
    mp, tt, trigger = child_setup(4)
    mode = "animated"
    command = COMMANDS[operation]

    w = arrange(mp, tt, operation, mode)
    before = camera_state(mp, cmds)
    trigger.arm(None, None)
    quiet(lambda: operate(w, operation))
    after = camera_state(mp, cmds)
    total = trigger.count
    problems = []
    runs = 0
    for action in actions:
        for n in range(1, total + 1):
            os.write(2, ("run: %s at call %d\n" % (action, n)).encode())  # names a crash
            w = arrange(mp, tt, operation, mode)
            trigger.arm(n, hostile(tt, w, action, command))
            error = None
            try:
                quiet(lambda: operate(w, operation))
            except Exception as caught:  # noqa: B902  (the kind is what is judged)
                error = caught
            where = "%s at call %d (%s)" % (action, n, trigger.fired)
            trigger.arm(None, None)
            done_with(w, action)
            runs += 1
            if error is not None and type(error) is not RuntimeError:
                problems.append("%s: %r" % (where, error))
            if standin.refresh_suspended() or not standin.time_slider_visible() or (
                    standin.evaluation_mode() != "parallel"):
                problems.append("%s: viewport left suspended" % where)
            state = camera_state(mp, cmds)
            if not (same_state(state, before) or same_state(state, after)):
                problems.append("%s: camera neither as before nor as after" % where)
            if standin.undo_depth() != 0:
                problems.append("%s: undo chunk left open" % where)
                while standin.undo_depth():
                    cmds.undoInfo(closeChunk=True)
            if action == "reenter" and "Trembla: busy" not in standin.warnings:
                problems.append("%s: the nested call was not refused" % where)
    return {"problems": problems, "runs": runs, "calls": total}


def scenario_reset_reenters_prepare():
    """The first own curve a reset connects again runs a prepare of the same window."""
    import maya.standin as standin
    from maya import cmds
    mp, tt, trigger = child_setup(24)
    mp.build_scene()
    tt.reset_state()
    w = open_window(mp, tt, "animated")
    quiet(w._prepare_shake)
    recorded = dict(tt._prepared["camera_original_anim"])
    trigger.arm(None, w._prepare_shake, op="connectAttr")
    error = None
    try:
        quiet(w._reset_camera)
    except Exception as caught:  # noqa: B902
        error = repr(caught)
    wrong = [(c, f) for c in mp.CHANNELS for i, f in enumerate(mp.FRAMES)
             if abs(cmds.getAttr("%s.%s" % (mp.CAMERA, c), time=f) - recorded[c][i]) > 1e-9]
    return {"error": error, "wrong_keys": len(wrong), "warnings": list(standin.warnings),
            "ready": tt._prepared["ready"]}


def scenario_window_gone(operation, way):
    """The first host call of the command replaces or deletes the command's own window."""
    import maya.standin as standin
    mp, tt, trigger = child_setup(6)
    w = arrange(mp, tt, operation, "static")
    trigger.arm(1, hostile(tt, w, way, COMMANDS[operation]))
    error = None
    try:
        quiet(lambda: operate(w, operation))
    except Exception as caught:  # noqa: B902
        error = "%s: %s" % (type(caught).__name__, caught)
    return {"error": error, "suspended": standin.refresh_suspended()}


class Deleter(object):
    """An argument whose conversion deletes (or replaces) the window it is given to."""

    def __init__(self, tt, window, way):
        self.tt, self.window, self.way = tt, window, way
        self.delete_now = deleter_of(window) if way == "delete" else None

    def strike(self):
        # Once: the binding's wrapper does not learn that Qt deleted the dialog under it.
        if getattr(self, "struck", False):
            return
        self.struck = True
        if self.way == "delete":
            self.delete_now()
        else:
            self.tt.show()
            flush_deletes()

    def __bool__(self):
        self.strike()
        return True
    __nonzero__ = __bool__


class CollidingKey(Deleter):
    """A dict key that collides with "camera" and strikes when compared with it."""

    def __hash__(self):
        return hash("camera")

    def __eq__(self, other):
        self.strike()
        return False


def scenario_argument(method, way):
    mp, tt, trigger = child_setup(6)
    mp.build_scene()
    tt.reset_state()
    w = open_window(mp, tt, "static")
    error = None
    try:
        if method == "_on_mode_changed":
            w._on_mode_changed(Deleter(tt, w, way))
        elif method == "setChecked":
            w.translate_cb.setChecked(Deleter(tt, w, way))
        else:
            w._apply_settings({CollidingKey(tt, w, way): 1, "settings": {"lag_trans": 4}})
    except Exception as caught:  # noqa: B902
        error = "%s: %s" % (type(caught).__name__, caught)
    return {"error": error}


def scenario_deleted_while_a_field_has_focus():
    """The window goes while its ranges field has the focus; the field then loses it."""
    import maya.standin as standin
    QtCore, QtWidgets = binding().QtCore, binding().QtWidgets
    mp, tt, trigger = child_setup(4)
    w = arrange(mp, tt, "update", "animated")
    dialog = w.pyside()
    QtWidgets.QApplication.setActiveWindow(dialog)
    field = [f for f in dialog.findChildren(QtWidgets.QLineEdit) if f.text() == "2-9"][0]
    field.setFocus()
    QtWidgets.QApplication.processEvents()
    focused = QtWidgets.QApplication.focusWidget() is not None
    mp.forget_host_recordings()
    dialog.deleteLater()
    QtCore.QCoreApplication.sendPostedEvents(dialog, QtCore.QEvent.DeferredDelete)
    # The window's undo script jobs are killed as it goes; nothing else reaches the host.
    return {"focused": focused, "host_calls": [c.op for c in standin.calls if c.op != "scriptJob"]}


def child_main(argv):
    name, args = argv[0], argv[1:]
    if name == "inject":
        result = scenario_inject(args[0], args[1].split(","))
    elif name == "reenter":
        result = scenario_reset_reenters_prepare()
    elif name == "focus":
        result = scenario_deleted_while_a_field_has_focus()
    elif name == "gone":
        result = scenario_window_gone(args[0], args[1])
    else:
        result = scenario_argument(args[0], args[1])
    sys.stdout.write(json.dumps(result) + "\n")
    sys.stdout.flush()
    os._exit(0)  # no teardown: a window deleted under Qt is not this check's business


# ---- in the test run ---------------------------------------------------------------------------

class HostCallbackCrashTest(unittest.TestCase):
    def test_a_reset_that_reenters_prepare_is_refused_and_gives_back_the_animation(self):
        result, err = run_child("reenter")
        self.assertIsNotNone(result, err)
        self.assertEqual(result["wrong_keys"], 0)
        self.assertIn("Trembla: busy", result["warnings"])
        self.assertIsNone(result["error"])
        self.assertFalse(result["ready"])

    def test_a_window_deleted_under_its_own_command_ends_it_with_a_runtime_error(self):
        ways = ("replace_and_loop", "replace_and_flush", "delete")
        if not has_binding():
            self.skipTest("deleting the window needs the Qt binding")
        # The buttons' own setChecked goes on after their handler: a window deleted there must
        # not take the button with it.
        for operation in ("prepare", "reset", "bake", "bypass", "translate_box", "mode_button"):
            for way in ways:
                result, err = run_child("gone", operation, way)
                case = "%s / %s" % (operation, way)
                self.assertIsNotNone(result, case + ": " + err)
                self.assertFalse(result["suspended"], case)
                self.assertIn(result["error"], (
                    None, "RuntimeError: The window was deleted while the command ran.",
                    "RuntimeError: The preparation was replaced while the command ran."), case)

    def test_a_window_deleted_with_a_focused_field_runs_no_command_while_it_goes(self):
        if not has_binding():
            self.skipTest("deleting the window needs the Qt binding")
        result, err = run_child("focus")
        self.assertIsNotNone(result, err)
        self.assertTrue(result["focused"], "arranging: the field has the focus")
        self.assertEqual(result["host_calls"], [])

    def test_an_argument_that_deletes_the_window_is_converted_before_the_window_is_used(self):
        if not has_binding():
            self.skipTest("deleting the window needs the Qt binding")
        expected = {"delete": ("RuntimeError: The window has been deleted.",
                               "RuntimeError: The control has been deleted."),
                    "replace": (None, "RuntimeError: The window has been deleted.",
                                "RuntimeError: The control has been deleted.")}
        for method in ("_on_mode_changed", "setChecked", "_apply_settings"):
            for way in ("delete", "replace"):
                result, err = run_child("argument", method, way)
                case = "%s / %s" % (method, way)
                self.assertIsNotNone(result, case + ": " + err)
                self.assertIn(result["error"], expected[way], case)


class InterruptsAndLimitsTest(unittest.TestCase):
    def setUp(self):
        from support import main_path as mp
        import trembla_tool as tt
        self.mp, self.tt = mp, tt
        self.saved = tt.cmds, tt.mel
        self.addCleanup(self.restore)

    def restore(self):
        self.tt.cmds, self.tt.mel = self.saved

    def test_an_interrupt_or_exit_raised_by_the_host_leaves_prepare_with_the_viewport_resumed(self):
        import maya.standin as standin
        mp, tt = self.mp, self.tt
        for raised in (KeyboardInterrupt, SystemExit):
            mp.build_scene()
            tt.reset_state()
            w = open_window(mp, tt, "animated")
            trigger = Trigger()
            tt.cmds = Injector(self.saved[0], trigger)

            def interrupt():
                raise raised()
            trigger.arm(None, interrupt, op="xform")  # inside the protected block
            with self.assertRaises(raised):
                quiet(w._prepare_shake)
            self.restore()
            self.assertFalse(standin.refresh_suspended(), raised)
            self.assertTrue(standin.time_slider_visible(), raised)
            self.assertEqual(standin.evaluation_mode(), "parallel", raised)

    def test_a_span_too_long_to_sample_is_refused_before_any_host_call(self):
        import maya.standin as standin
        mp, tt = self.mp, self.tt
        mp.build_scene()
        for start, end in ((0, 1e18), (1, 10000001), (-5e6, 5e6)):
            standin.clear_calls()
            with self.assertRaises(ValueError) as raised:
                tt.collect_source_motion(mp.SOURCE, start, end)
            self.assertIn("at most 10000000 frames", str(raised.exception))
            self.assertEqual(list(standin.calls), [], (start, end))


class RefusedChangeTest(InterruptsAndLimitsTest):
    """A callback of the host changes a control while an update runs: the control's own command is
    refused as busy, and the control goes back to what the camera carries."""

    CHANGES = [  # control, the callback's change, what the control shows
        ("bypass box", lambda w: w.bypass_cb.setChecked(True), lambda w: w.bypass_cb.isChecked()),
        ("channel box", lambda w: w.translate_cb.click(), lambda w: w.translate_cb.isChecked()),
        ("mode", lambda w: w.mode_relax.setChecked(True),
         lambda w: (w._get_camera_mode(), w.amount_slider.isHidden())),
        ("slider", lambda w: w.amount_slider.setValue(7),
         lambda w: (w.amount_slider.value(), w.amount_slider.value_field.text())),
    ]

    def test_a_control_whose_command_is_refused_as_busy_is_put_back(self):
        import maya.standin as standin
        mp, tt = self.mp, self.tt
        for name, change, shown in self.CHANGES:
            mp.build_scene()
            tt.reset_state()
            w = open_window(mp, tt, "animated")
            quiet(w._prepare_shake)
            before = shown(w)
            trigger = Trigger()
            tt.cmds = Injector(self.saved[0], trigger)
            trigger.arm(1, lambda: change(w))
            del standin.warnings[:]
            quiet(lambda: w.lag_trans_slider.setValue(4))
            self.restore()
            self.assertTrue(trigger.fired, name)
            self.assertEqual(shown(w), before, name)
            self.assertEqual(list(standin.warnings), ["Trembla: busy"], name)


@support.sweep
class CallbackInjectorTest(unittest.TestCase):
    """Every host call of prepare, update, reset, bake and a bypass toggle, with every action in
    turn."""

    def test_no_crash_viewport_resumed_and_camera_before_or_after(self):
        actions = [a for a in ACTIONS if has_binding() or a not in NEEDS_BINDING]
        for operation in INJECTED_OPERATIONS:
            result, err = run_child("inject", operation, ",".join(actions))
            self.assertIsNotNone(result, operation + ": " + err)
            self.assertTrue(result["runs"] > 0, operation)
            self.assertEqual(result["problems"][:10], [], "%s: %d of %d runs broke a rule" % (
                operation, len(result["problems"]), result["runs"]))


if __name__ == "__main__" and len(sys.argv) > 1:
    child_main(sys.argv[1:])
elif __name__ == "__main__":
    unittest.main()
