"""Shared by the runner tests (trembla_run/); holds no tests itself.

Runs tools/runner/trembla_run.py in a fresh interpreter (it opens its own QApplication and scene), and
computes the camera that the tool should write for given .chan motion and settings, with the
module's own functions and the documented per-frame combination, independently of the runner.
"""
from __future__ import division

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import support

TOOLS_DIR = os.path.join(support.REPO_DIR, "tools")  # holds the runner's package, `runner`
RUNNER = os.path.join(TOOLS_DIR, "runner", "trembla_run.py")
if TOOLS_DIR not in sys.path:
    sys.path.insert(0, TOOLS_DIR)

import trembla_tool as tt  # noqa: E402

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")
TOLERANCE = 1e-9


def has_matplotlib():
    try:
        import matplotlib  # noqa: F401
    except ImportError:
        return False
    return True


def run_runner(args, env=None, cwd=None, runner=RUNNER):
    """(exit code, stdout, stderr) of trembla_run.py with `args`, offscreen, on this build; `env`
    replaces the environment it starts from."""
    env = dict(os.environ if env is None else env, QT_QPA_PLATFORM="offscreen",
               TREMBLA_MODULE_DIR=os.path.abspath(support.MODULE_DIR))
    child = subprocess.Popen([sys.executable, runner] + list(args), stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, env=env, cwd=cwd)
    out, err = child.communicate()
    return child.returncode, out.decode("utf-8", "replace"), err.decode("utf-8", "replace")


def chan_text(frames, samples, fov=None, value_format="%.6f"):
    lines = []
    for i, frame in enumerate(frames):
        fields = ["%d" % frame] + [value_format % v for v in samples[i]]
        if fov is not None:
            fields.append(fov[i])
        lines.append(" ".join(fields))
    return "\n".join(lines) + "\n"


def values_of(text):
    """frames, samples, fov texts of .chan text, read plainly (no runner code)."""
    frames, samples, fov = [], [], []
    for line in text.splitlines():
        tokens = line.split()
        frames.append(int(tokens[0]))
        samples.append(tuple(float(t) for t in tokens[1:7]))
        if len(tokens) > 7:
            fov.append(tokens[7])
    return frames, samples, fov or None


def expected_camera(source_frames, source_samples, settings, camera_samples=None, pose=None):
    """The camera's six channels on each frame of the source's range after the bake, as a list of
    six-value tuples. The camera is keyed on every frame (camera_samples, aligned with the
    source's frames) or holds `pose`. `settings` holds every member of a preset's settings."""
    frames = list(range(source_frames[0], source_frames[-1] + 1))
    s = settings
    delta = tt.calculate_deltas(dict(zip(source_frames, source_samples)), frames[0])
    shake = tt.extract_source_shake(delta, frames, s["lag_trans"], s["lag_rot"])
    ranges = tt.parse_ranges(s["ranges"])
    trans_axis = (s["trans_x"], s["trans_y"], s["trans_z"])
    rot_axis = (s["rot_x"], s["rot_y"], s["rot_z"])
    mode = s["mode"]
    own = camera_samples if camera_samples is not None else [tuple(pose)] * len(frames)
    base = own[0]
    recorded = {}
    if camera_samples is not None and mode != "static":
        recorded = dict((c, [v[k] for v in own]) for k, c in enumerate(CHANNELS))
    built_on = recorded
    if recorded:
        built_on = tt.smooth_camera_anim(recorded, frames, s["smooth"])
        if mode == "relax":
            built_on = tt.smooth_camera_anim_per_axis(recorded, built_on, frames, s["smooth"],
                                                      trans_axis, rot_axis)
    axis = trans_axis + rot_axis
    columns = []
    for k, channel in enumerate(CHANNELS):
        translate = channel.startswith("translate")
        if not s["translate_enabled" if translate else "rotate_enabled"]:
            columns.append([v[k] for v in own])
            continue
        kind_amp = (s["trans_amp"] if translate else s["rot_amp"]) / 100.0
        column = []
        for i, frame in enumerate(frames):
            fade = tt.calculate_fade_multiplier(frame, ranges, s["fade_in"], s["fade_out"])
            term = shake[frame][k] * (s["amount"] / 100.0) * kind_amp * (axis[k] / 100.0) * fade
            start = built_on[channel][i] if channel in built_on else base[k]
            column.append(start if mode == "relax" else start + term)
        columns.append(column)
    return [tuple(column[i] for column in columns) for i in range(len(frames))]


class TempDirCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="trembla_runner_test_")
        self.addCleanup(shutil.rmtree, self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, text):
        with open(self.path(name), "w") as handle:
            handle.write(text)
        return self.path(name)

    def read(self, name):
        with open(self.path(name)) as handle:
            return handle.read()

    def assert_samples(self, actual, expected, what):
        self.assertEqual(len(actual), len(expected), what)
        for i, (a_row, e_row) in enumerate(zip(actual, expected)):
            for k, (a, e) in enumerate(zip(a_row, e_row)):
                self.assertTrue(abs(a - e) <= TOLERANCE * max(1.0, abs(e)),
                                "%s, row %d, %s: %r != %r" % (what, i, CHANNELS[k], a, e))
