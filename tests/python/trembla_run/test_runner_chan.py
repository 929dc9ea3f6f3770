"""Reading and writing .chan files: the field-of-view column, errors naming file and line, and a
failed write that leaves nothing behind."""
import os
import signal
import subprocess
import sys

import support  # noqa: F401  (sys.path)

from support.runner import TOOLS_DIR, TempDirCase

from runner.chan import ChanError, ChanTrack, read_chan, write_chan
from runner.transfer import fov_on_frames


class RoundTripTest(TempDirCase):
    def test_values_and_the_fov_text_come_back_exactly(self):
        track = ChanTrack([1, 2, 5],
                          [(0.1 + 0.2, -1e-17, 123456.789012345, 179.99999999999997, -90.0, 0.0),
                           (1.0 / 3.0, 2.0, 3.0, 4.0, 5.0, 6.0),
                           (-0.0, 1e300, -2.5e-8, 45.0, 30.0, 15.0)],
                          ["39.5978", "40", "4.0e1"])
        write_chan(self.path("cam.chan"), track)
        self.assertEqual(read_chan(self.path("cam.chan")), track)
        self.assertEqual(self.read("cam.chan").splitlines()[2].split()[-1], "4.0e1")

    def test_a_file_without_fov_reads_and_writes_six_values_a_line(self):
        path = self.write("src.chan", "1 0 0 0 0 0 0\n2 1 2 3 4 5 6\n")
        track = read_chan(path)
        self.assertIsNone(track.fov)
        self.assertEqual(track.frames, [1, 2])
        write_chan(self.path("copy.chan"), track)
        self.assertEqual([len(line.split()) for line in self.read("copy.chan").splitlines()], [7, 7])

    def test_blank_and_comment_lines_are_skipped_and_whole_float_frames_accepted(self):
        path = self.write("src.chan", "# from the tracker\n\n1.0 1 2 3 4 5 6\n   \n2 1 2 3 4 5 6 \t\n")
        self.assertEqual(read_chan(path).frames, [1, 2])


class ParseErrorTest(TempDirCase):
    CASES = [
        ("too few values", "1 0 0 0 0 0 0\n2 0 0 0\n", 2, "expected 7 or 8 values"),
        ("too many values", "1 0 0 0 0 0 0 35 9\n", 1, "found 9"),
        ("a word for a number", "1 0 0 0 0 0 0\n\n3 0 0 abc 0 0 0\n", 3, "tz is not a number: 'abc'"),
        ("not a number in the fov", "1 0 0 0 0 0 0 wide\n", 1, "vertical fov is not a number"),
        ("nan", "1 0 0 nan 0 0 0\n", 1, "not a finite number"),
        ("infinity", "1 0 0 0 0 inf 0\n", 1, "not a finite number"),
        ("a fractional frame", "1 0 0 0 0 0 0\n1.5 0 0 0 0 0 0\n", 2, "whole number"),
        ("a repeated frame", "# c\n1 0 0 0 0 0 0\n1 0 0 0 0 0 0\n", 3, "frame 1 does not come after frame 1"),
        ("frames going back", "5 0 0 0 0 0 0\n4 0 0 0 0 0 0\n", 2, "frame 4 does not come after frame 5"),
        ("fov on some lines only", "1 0 0 0 0 0 0 40\n2 0 0 0 0 0 0\n", 2, "where line 1 has 8"),
    ]

    def test_each_malformed_line_is_named_by_file_and_line(self):
        for what, text, line, words in self.CASES:
            path = self.write("bad.chan", text)
            with self.assertRaises(ChanError) as caught:
                read_chan(path)
            message = str(caught.exception)
            self.assertTrue(message.startswith("%s:%d: " % (path, line)), "%s: %s" % (what, message))
            self.assertIn(words, message, what)

    def test_a_file_without_frames_and_a_missing_file_are_named(self):
        path = self.write("empty.chan", "# nothing yet\n\n")
        with self.assertRaises(ChanError) as caught:
            read_chan(path)
        self.assertTrue(str(caught.exception).startswith(path + ": no frames"))
        missing = self.path("missing.chan")
        with self.assertRaises(ChanError) as caught:
            read_chan(missing)
        self.assertTrue(str(caught.exception).startswith(missing + ": cannot read"))


class FailedWriteTest(TempDirCase):
    def test_a_write_that_fails_part_way_leaves_the_old_file_and_no_temporary(self):
        path = self.write("out.chan", "old content\n")
        broken = ChanTrack([1, 2], [(0.0,) * 6, (0.0, "x", 0.0, 0.0, 0.0, 0.0)], None)
        with self.assertRaises(ValueError):
            write_chan(path, broken)
        self.assertEqual(self.read("out.chan"), "old content\n")
        self.assertEqual(os.listdir(self.dir), ["out.chan"])

    def test_a_new_file_reads_like_any_other(self):
        path = self.path("new.chan")
        write_chan(path, ChanTrack([1], [(0.0,) * 6], None))
        umask = os.umask(0)
        os.umask(umask)
        self.assertEqual(os.stat(path).st_mode & 0o777, 0o666 & ~umask)


# A child that writes a .chan and sends itself `signal` half way through the lines.
SIGNALLED_WRITE = """
import os, signal, sys
# A shell starts background jobs with SIGINT ignored and nohup ignores SIGHUP, and Python then
# keeps them ignored: the child takes each signal as an interactive run does.
signal.signal(signal.SIGINT, signal.default_int_handler)
if hasattr(signal, "SIGHUP"):
    signal.signal(signal.SIGHUP, signal.SIG_DFL)
sys.path.insert(0, sys.argv[1])
from runner.chan import write_text_atomically
def lines():
    for n in range(100):
        if n == 50:
            os.kill(os.getpid(), getattr(signal, sys.argv[3]))
        yield "%d 0 0 0 0 0 0" % n
write_text_atomically(sys.argv[2], lines())
"""


class SignalledWriteTest(TempDirCase):
    def test_a_write_ended_by_a_signal_leaves_the_old_file_and_no_temporary(self):
        tools = TOOLS_DIR
        for name in ("SIGINT", "SIGTERM", "SIGHUP"):
            if not hasattr(signal, name):
                continue
            path = self.write("out.chan", "old content\n")
            child = subprocess.Popen([sys.executable, "-c", SIGNALLED_WRITE, tools, path, name],
                                     stderr=subprocess.PIPE)
            child.communicate()
            self.assertNotEqual(child.returncode, 0, name)
            if name != "SIGINT":  # the process still ends by the signal itself
                self.assertEqual(child.returncode, -getattr(signal, name), name)
            self.assertEqual(self.read("out.chan"), "old content\n", name)
            self.assertEqual(os.listdir(self.dir), ["out.chan"], name)


class EncodingTest(TempDirCase):
    def write_bytes(self, name, data):
        with open(self.path(name), "wb") as handle:
            handle.write(data)
        return self.path(name)

    def test_a_byte_order_mark_is_accepted(self):
        path = self.write_bytes("bom.chan", b"\xef\xbb\xbf1 0 0 0 0 0 0\r\n2 1 2 3 4 5 6\r\n")
        self.assertEqual(read_chan(path).frames, [1, 2])

    def test_a_byte_that_is_not_utf8_is_named_by_file_and_line(self):
        cases = [("a Latin-1 comment", b"1 0 0 0 0 0 0\n# caf\xe9 shot\n", 2, "byte 0xE9 at column 6"),
                 ("a Latin-1 value line", b"\n\n1 0 0 0 0 0 0 \xb0\n", 3, "byte 0xB0 at column 15")]
        for what, data, line, words in cases:
            path = self.write_bytes("latin.chan", data)
            with self.assertRaises(ChanError) as caught:
                read_chan(path)
            message = str(caught.exception)
            self.assertTrue(message.startswith("%s:%d: not UTF-8 text" % (path, line)), what + message)
            self.assertIn(words, message, what)


class CameraFieldOfViewTest(TempDirCase):
    def test_a_gap_in_the_camera_file_takes_the_straight_line_like_the_position(self):
        track = ChanTrack([3, 5, 9], [(0.0,) * 6] * 3, ["35", "36.0", "38.2"])
        cases = [(1, "35"), (3, "35"), (4, "35.5"), (5, "36.0"), (6, "36.55"), (7, "37.1"),
                 (8, "37.65"), (9, "38.2"), (10, "38.2")]
        frames = [frame for frame, _ in cases]
        self.assertEqual(fov_on_frames(track, frames), [fov for _, fov in cases])
