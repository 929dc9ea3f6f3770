"""Host-wide state of the stand-in: the scene, host settings, recordings, call log and faults.

Every public operation of maya.cmds, maya.mel and maya.OpenMayaUI is made by `operation`, the
one wrapper that logs the call and applies injected faults before the operation runs.
"""
from __future__ import absolute_import

import os
from collections import namedtuple

from ._messages import messages
from ._scene import Scene

Call = namedtuple("Call", "op args kwargs")

scene = Scene()

# Recordings: these list objects are never replaced, so references held by tests stay valid.
calls = []
answers = []  # (op, answer) of each logged call while settings.answers is on
warnings = []
in_view_messages = []

OPERATIONS = set()


def default_user_script_dir():
    return os.path.expanduser("~").replace("\\", "/").rstrip("/") + "/maya/scripts/"


class HostSettings(object):
    """Host state that lives outside the scene (a new scene keeps it)."""

    def __init__(self):
        self.reset()

    def reset(self):
        self.logging = True
        self.answers = False  # recording answers beside the calls (record_answers)
        self.evaluation_mode = "parallel"
        self.refresh_suspended = False
        self.time_slider_visible = True
        self.user_script_dir = default_user_script_dir()
        self.main_window = None


settings = HostSettings()


class Faults(object):
    """Injected failures. Counts start at the call after the fault is set."""

    def __init__(self):
        self.clear()

    def clear(self):
        self.active = False
        self._countdowns = {}  # op -> list of [calls left, call number it fires on]
        self._always = {}  # op -> calls seen since
        self._any = None  # [calls left, call number it fires on]
        self._partway = {}  # op -> [calls left, items written before it fails]

    def fail(self, op, on_call, always):
        if op not in OPERATIONS:
            raise ValueError("no host operation named %r" % (op,))
        if always:
            self._always[op] = 0
        else:
            if on_call < 1:
                raise ValueError("on_call counts from 1")
            self._countdowns.setdefault(op, []).append([on_call, on_call])
        self.active = True

    def fail_partway(self, op, written, on_call):
        if op not in OPERATIONS:
            raise ValueError("no host operation named %r" % (op,))
        if on_call < 1 or written < 0:
            raise ValueError("on_call counts from 1, written from 0")
        self._partway[op] = [on_call, written]

    def partway(self, op):
        """For an operation that writes many items: how many it writes before this call fails,
        or None when this call must not fail."""
        countdown = self._partway.get(op)
        if countdown is None:
            return None
        countdown[0] -= 1
        if countdown[0] > 0:
            return None
        del self._partway[op]
        return countdown[1]

    def fail_nth_call(self, n):
        if n < 1:
            raise ValueError("n counts from 1")
        self._any = [n, n]
        self.active = True

    def check(self, op):
        """Raise if this call of `op` is one that must fail; consume the fault that fired."""
        message = None
        if self._any is not None:
            self._any[0] -= 1
            if self._any[0] == 0:
                message = "stand-in fault: host call #%d (%s) failed" % (self._any[1], op)
                self._any = None
        countdowns = self._countdowns.get(op)
        if countdowns:
            for countdown in countdowns:
                countdown[0] -= 1
            for countdown in [each for each in countdowns if each[0] == 0]:
                message = message or "stand-in fault: %s call #%d failed" % (op, countdown[1])
                countdowns.remove(countdown)
            if not countdowns:
                del self._countdowns[op]
        if op in self._always:
            self._always[op] += 1
            message = message or "stand-in fault: %s call #%d failed (always)" % (
                op, self._always[op])
        self.active = bool(self._any is not None or self._countdowns or self._always)
        if message is not None:
            raise RuntimeError(message)


faults = Faults()


def operation(op, impl, logged_args=None):
    """Wrap `impl` as the public host operation `op`: log the call, then apply faults.
    `logged_args(args)` gives what the log shows of the positional arguments (for API methods:
    plain values in place of the function set and arrays, so logs of two runs compare equal)."""
    log = calls.append

    def host_call(*args, **kwargs):
        if settings.logging:
            log(Call(op, args if logged_args is None else logged_args(args), kwargs))
        if faults.active:
            faults.check(op)
        answer = impl(*args, **kwargs)
        if settings.answers and settings.logging:
            answers.append((op, answer))
        if messages.curve_edited:
            messages.after(op, kwargs)
        return answer

    host_call.__name__ = str(op.rsplit(".", 1)[-1])
    host_call.__doc__ = impl.__doc__
    OPERATIONS.add(op)
    return host_call


def reset():
    from ._ui_commands import ui
    from ._undo import journal
    from ._script_jobs import jobs
    from . import _workspace
    from ._curve_eval import global_tangents
    jobs.reset()
    # API callbacks stay: they belong to the host session and the modules loaded in it, not to
    # the scene (a new scene keeps them), and a module here stays loaded across resets.
    _workspace.reset()
    journal.pause()
    scene.clear()
    journal.reset()
    settings.reset()
    global_tangents.reset()
    ui.reset()
    faults.clear()
    del calls[:]
    del answers[:]
    del warnings[:]
    del in_view_messages[:]
