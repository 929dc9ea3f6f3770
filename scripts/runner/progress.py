"""Progress of long phases on a terminal: one percentage line per phase.

On a terminal the line is rewritten in place ("reading plate.chan: 42%"); elsewhere (a log, a pipe)
the same line grows by one figure every tenth ("reading plate.chan: 0% 10% 20% ..."), so that a log
keeps one line per phase as well.
"""
import sys


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
            percent -= percent % 10
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
    """Holds what is printed to stdout inside the block (the tool's own log lines) and prints it
    after, so that it does not land in the middle of a progress line."""

    def __init__(self, enabled=True):
        self.enabled = enabled
        self.parts = []

    def write(self, text):
        self.parts.append(text)

    def flush(self):
        pass

    def __enter__(self):
        if self.enabled:
            self.saved, sys.stdout = sys.stdout, self
        return self

    def __exit__(self, *exc):
        if self.enabled:
            sys.stdout = self.saved
            sys.stdout.write("".join(self.parts))
            sys.stdout.flush()
