"""Camera motion as .chan text: one line per frame, "frame tx ty tz rx ry rz", optionally followed
by a seventh value, the vertical field of view.

The field of view is kept as the text it was written with, so that it leaves exactly as it came.
Blank lines and lines starting with "#" are skipped. Any other line that does not parse stops the
read with a ChanError naming the file and the line.
"""
from __future__ import division

import io
import math
import os
import signal
import tempfile
from collections import namedtuple
from contextlib import contextmanager

COLUMNS = ("frame", "tx", "ty", "tz", "rx", "ry", "rz")
FOV_COLUMN = "vertical fov"

# frames: whole frame numbers, strictly increasing; samples: one (tx, ty, tz, rx, ry, rz) tuple of
# floats per frame; fov: one text per frame, or None when the file has no seventh column.
ChanTrack = namedtuple("ChanTrack", "frames samples fov")


class ChanError(ValueError):
    """A .chan file that cannot be used; the text starts with "FILE:LINE: " (or "FILE: ")."""


def _number(token, column, where):
    try:
        value = float(token)
    except ValueError:
        raise ChanError("%s: %s is not a number: '%s'" % (where, column, token))
    if math.isnan(value) or math.isinf(value):
        raise ChanError("%s: %s is not a finite number: '%s'" % (where, column, token))
    return value


def _frame(token, where):
    value = _number(token, "frame", where)
    if value != math.floor(value):
        raise ChanError("%s: frame must be a whole number: '%s'" % (where, token))
    return int(value)


def parse_chan_lines(lines, name, progress=None):
    """A ChanTrack from the lines of a .chan file called `name` (used in error texts)."""
    frames, samples, fov = [], [], []
    columns = None
    first_line = None
    total = len(lines)
    for index, line in enumerate(lines):
        if progress is not None:
            progress.step(index, total)
        text = line.strip()
        if not text or text.startswith("#"):
            continue
        where = "%s:%d" % (name, index + 1)
        tokens = text.split()
        if len(tokens) not in (7, 8):
            raise ChanError("%s: expected 7 or 8 values (frame tx ty tz rx ry rz [%s]), found %d"
                            % (where, FOV_COLUMN, len(tokens)))
        if columns is None:
            columns, first_line = len(tokens), index + 1
        elif len(tokens) != columns:
            raise ChanError("%s: %d values where line %d has %d; every line needs the same columns"
                            % (where, len(tokens), first_line, columns))
        frame = _frame(tokens[0], where)
        if frames and frame <= frames[-1]:
            raise ChanError("%s: frame %d does not come after frame %d" % (where, frame, frames[-1]))
        frames.append(frame)
        samples.append(tuple(_number(token, column, where)
                             for token, column in zip(tokens[1:7], COLUMNS[1:])))
        if columns == 8:
            _number(tokens[7], FOV_COLUMN, where)
            fov.append(tokens[7])
    if progress is not None:
        progress.step(total, total)
    if not frames:
        raise ChanError("%s: no frames (expected lines of frame tx ty tz rx ry rz [%s])"
                        % (name, FOV_COLUMN))
    return ChanTrack(frames, samples, fov if columns == 8 else None)


UTF8_BOM = b"\xef\xbb\xbf"


def decoded_lines(data, name):
    """The text lines of UTF-8 bytes `data`, with a leading byte order mark dropped (some exporters
    on Windows write one). A byte that is not UTF-8 is a ChanError naming its line, even in a
    comment: the file is then in another encoding and its numbers cannot be trusted either."""
    if data.startswith(UTF8_BOM):
        data = data[len(UTF8_BOM):]
    lines = []
    for index, raw in enumerate(data.splitlines()):
        try:
            lines.append(raw.decode("utf-8"))
        except UnicodeDecodeError as error:
            byte = bytearray(raw[error.start:error.start + 1])[0]
            raise ChanError("%s:%d: not UTF-8 text: byte 0x%02X at column %d"
                            % (name, index + 1, byte, error.start + 1))
    return lines


def read_chan(path, progress=None):
    """The ChanTrack of the file at `path`; ChanError for a file that is missing or malformed."""
    try:
        with io.open(path, "rb") as handle:
            data = handle.read()
    except (IOError, OSError) as error:
        raise ChanError("%s: cannot read: %s" % (path, getattr(error, "strerror", None) or error))
    return parse_chan_lines(decoded_lines(data, path), path, progress)


def format_value(value):
    """Shortest text that reads back as the same float (repr), never in a locale's form."""
    return repr(float(value))


def chan_lines(track):
    """The lines of `track` as .chan text, without line ends."""
    for i, frame in enumerate(track.frames):
        fields = ["%d" % frame] + [format_value(v) for v in track.samples[i]]
        if track.fov is not None:
            fields.append(track.fov[i])
        yield " ".join(fields)


def write_chan(path, track, progress=None):
    """Writes `track` to `path` through a temporary file beside it, renamed into place at the end:
    on any failure nothing is left at `path` (an earlier file there stays as it was)."""
    total = len(track.frames)
    lines = chan_lines(track)
    if progress is not None:
        lines = _counted(lines, progress, total)
    write_text_atomically(path, lines)


def _counted(lines, progress, total):
    for index, line in enumerate(lines):
        progress.step(index, total)
        yield line
    progress.step(total, total)


class _Stopped(BaseException):
    """A terminating signal arrived while a file was written."""

    def __init__(self, signum):
        BaseException.__init__(self, signum)
        self.signum = signum


# Signals that end the process where they are not handled; SIGINT already raises KeyboardInterrupt.
STOPPING_SIGNALS = tuple(getattr(signal, name) for name in ("SIGTERM", "SIGHUP") if hasattr(signal, name))


@contextmanager
def _stopping_signals_raise():
    """Inside the block SIGTERM and SIGHUP raise, so that the clean-up of a write runs as it does
    for Ctrl+C; afterwards the signal is delivered again with its earlier handling, which ends the
    process as it would have. Signals that are ignored (nohup) or handled by someone else are left
    alone, and so is everything outside the main thread, where no handler can be set."""
    def stop(signum, frame):
        raise _Stopped(signum)
    taken = {}
    try:
        for signum in STOPPING_SIGNALS:
            if signal.getsignal(signum) == signal.SIG_DFL:
                taken[signum] = signal.signal(signum, stop)
    except ValueError:
        pass
    try:
        yield
    except _Stopped as stopped:
        for signum, handler in taken.items():
            signal.signal(signum, handler)
        taken = {}
        os.kill(os.getpid(), stopped.signum)
        raise  # only where the signal did not end the process
    finally:
        for signum, handler in taken.items():
            signal.signal(signum, handler)


def write_text_atomically(path, lines):
    with _stopping_signals_raise():
        _write_text_atomically(path, lines)


def _write_text_atomically(path, lines):
    directory = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(prefix="." + os.path.basename(path) + ".", suffix=".tmp",
                                         dir=directory)
    try:
        with io.open(handle, "w", encoding="utf-8", newline="\n") as out:
            for line in lines:
                out.write(u"%s\n" % line)
        _give_usual_permissions(temporary)
        _replace(temporary, path)
    except BaseException:
        if os.path.exists(temporary):
            os.remove(temporary)
        raise


def _give_usual_permissions(path):
    # mkstemp makes the file private to its owner; a written .chan should look like any other file.
    umask = os.umask(0)
    os.umask(umask)
    os.chmod(path, 0o666 & ~umask)


def _replace(source, target):
    if hasattr(os, "replace"):
        os.replace(source, target)
    else:  # Python 2: rename replaces on POSIX; Windows needs the old file out of the way
        if os.name == "nt" and os.path.exists(target):
            os.remove(target)
        os.rename(source, target)
