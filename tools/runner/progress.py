"""Progress of long phases on a terminal: one percentage line per phase.

On a terminal the line is rewritten in place ("reading plate.chan: 42%"); elsewhere (a log, a pipe)
the same line grows by one figure every twentieth ("reading plate.chan: 0% 5% 10% ..."), so that a
log keeps one line per phase as well.
"""
import sys

# Off a terminal, a figure every this many percent.
LOG_STEP = 5


class Progress(object):
    """Hands out one meter per phase; a disabled Progress hands out meters that print nothing."""

    def __init__(self, enabled=True, stream=None):
        self.enabled = enabled
        self.stream = stream if stream is not None else sys.stderr

    def phase(self, name):
        return PhaseMeter(name, self.stream if self.enabled else None)


class PhaseMeter(object):
    def __init__(self, name, stream):
        self.name = name
        self.stream = stream
        self.in_place = bool(stream is not None and getattr(stream, "isatty", lambda: False)())
        self.shown = None
        self.finished = False

    def step(self, done, total):
        """Reports `done` of `total`; cheap enough to call once per frame."""
        if self.stream is None or self.finished:
            return
        percent = 100 if total <= 0 else min(100, done * 100 // total)
        if not self.in_place:
            percent -= percent % LOG_STEP
        if percent == self.shown:
            return
        if self.in_place:
            self.stream.write("\r%s: %d%%" % (self.name, percent))
        elif self.shown is None:
            self.stream.write("%s: %d%%" % (self.name, percent))
        else:
            self.stream.write(" %d%%" % percent)
        self.shown = percent
        if percent == 100:
            self.stream.write("\n")
            self.finished = True
        self.stream.flush()

    def finish(self):
        self.step(1, 1)


class Span(object):
    """One stretch of a phase made of several loops: the loop's step `done` counts as step
    `start + done` of the phase's `total`."""

    def __init__(self, meter, start, total):
        self.meter = meter
        self.start = start
        self.total = total

    def step(self, done, count):
        self.meter.step(self.start + min(done, count), self.total)


class HeldOutput(object):
    """Holds back what is printed to stdout and stderr inside the block (the tool's own log lines
    and warnings, written for the window's user) and drops it."""

    def __enter__(self):
        self.saved = sys.stdout, sys.stderr
        sys.stdout, sys.stderr = _Dropped(), _Dropped()
        return self

    def __exit__(self, *exc):
        sys.stdout, sys.stderr = self.saved


class _Dropped(object):
    def write(self, text):
        pass

    def flush(self):
        pass


# The host commands the tool calls once or more per frame while it prepares, updates and bakes.
PER_FRAME_COMMANDS = ("currentTime", "xform", "getAttr", "setKeyframe", "keyframe")


class CallMeter(object):
    """Progress of the work the tool does inside one window command (prepare samples every frame),
    which the runner cannot step itself: counted as the tool's per-frame host calls against the
    number such a run makes. `unkeyed_camera`: the camera has channels without a curve of their
    own, which prepare reads frame by frame.

    While a meter is active, the commands of `cmds` count; they are wrapped for good on first use,
    as the tool keeps the command it looked up, and pass straight through while none is active."""

    active = None

    def __init__(self, cmds, meter, frames, unkeyed_camera):
        # Per frame: the source sampled (3 calls: the time and two reads), an unkeyed camera read
        # (one call per compound). A keyed camera is read by the curve, and the update and the
        # bake key whole curves in one call each: none of them adds a call per frame. Where the
        # host lacks the batch interface the count runs ahead of this estimate, which only makes
        # the meter reach its last steps early.
        per_frame = 5 if unkeyed_camera else 3
        self.cmds = cmds
        self.meter = meter
        self.total = max(1, frames * per_frame)
        self.done = 0
        self.next_report = 0

    def report(self):
        # Never 100% before the work is over: the count is an estimate.
        self.meter.step(min(self.done, self.total - 1), self.total)
        self.next_report = self.done + max(1, self.total // 200)

    def __enter__(self):
        if self.meter.stream is not None:
            _count_calls(self.cmds)
            CallMeter.active = self
            self.report()
        return self

    def __exit__(self, kind, value, trace):
        CallMeter.active = None
        if kind is None:
            self.meter.finish()


def _count_calls(cmds):
    for name in PER_FRAME_COMMANDS:
        command = getattr(cmds, name)
        if not getattr(command, "counted_by_trembla_run", False):
            setattr(cmds, name, _counted(command))


def _counted(command):
    # Counting inline: this runs hundreds of thousands of times on a long shot.
    def counted(*args, **kwargs):
        meter = CallMeter.active
        if meter is not None:
            meter.done += 1
            if meter.done >= meter.next_report:
                meter.report()
        return command(*args, **kwargs)
    counted.counted_by_trembla_run = True
    counted.__name__ = command.__name__
    counted.__doc__ = command.__doc__
    return counted
