"""Times the module's functions on the stand-in host at 1,000 / 10,000 / 100,000 frames.

Reports, per frame: the computation called from Python (conversion included, no host work), and a full
apply_shake_to_camera (six channels keyed through the host), split into time inside the host and time in the
tool. Usage: bench_apply.py [--sizes 1000,10000,100000] [--repeats 3]
"""
from __future__ import print_function

import argparse
import math
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))

from maya import cmds, standin  # noqa: E402

import trembla_tool as tt  # noqa: E402
from bench_timing import best_of, now  # noqa: E402

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")


class HostClock(object):
    """Adds up the wall time spent inside stand-in host commands by wrapping cmds' functions."""

    def __init__(self, names):
        self.names = names
        self.seconds = 0.0
        self._saved = {}

    def __enter__(self):
        for name in self.names:
            original = getattr(cmds, name)
            self._saved[name] = original
            setattr(cmds, name, self._timed(original))
        return self

    def __exit__(self, *exc):
        for name, original in self._saved.items():
            setattr(cmds, name, original)

    def _timed(self, original):
        clock = now

        def call(*args, **kwargs):
            start = clock()
            try:
                return original(*args, **kwargs)
            finally:
                self.seconds += clock() - start
        return call


def make_inputs(n):
    frames = list(range(1, n + 1))
    deltas = {}
    for f in frames:
        t = float(f)
        deltas[f] = (0.3 * math.sin(t * 1.7), 0.2 * abs(math.sin(t * 0.5)), 0.01 * t,
                     2.0 * math.sin(t * 0.9), 15.0 * math.sin(t * 0.01), 1.5 * math.cos(t * 2.3))
    anim = dict((c, [math.sin(f * 0.01 * (k + 1)) * 90.0 for f in frames]) for k, c in enumerate(CHANNELS))
    return frames, deltas, anim


def apply_args(camera, shake, frames, anim, mode):
    return (camera, shake, frames, 50, 100, 100, 100, (100, 100, 100), (100, 100, 100), True, True,
            tt.parse_ranges("1-400, 300-90000"), 3, 3, (0.0, 1.0, 10.0, 0.0, 0.0, 0.0), mode, anim)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", default="1000,10000,100000")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]

    standin.reset()
    standin.set_logging(False)
    camera = cmds.createNode("transform", name="benchCam")
    cmds.createNode("camera", parent=camera)

    print("%-44s" % "per frame (microseconds, best of %d)" % args.repeats + "".join("%12s" % s for s in sizes))
    rows = [("extract_source_shake (from Python)", []), ("compute: smooth_camera_anim 50", []),
            ("apply_shake_to_camera static: total", []), ("  inside the host", []), ("  in the tool", []),
            ("apply_shake_to_camera animated: total", []), ("  inside the host", []), ("  in the tool", [])]
    for n in sizes:
        frames, deltas, anim = make_inputs(n)
        repeats = args.repeats if n <= 10000 else 1
        rows[0][1].append(best_of(repeats, lambda: tt.extract_source_shake(deltas, frames, 3, 2)) / n)
        rows[1][1].append(best_of(repeats, lambda: tt.smooth_camera_anim(anim, frames, 50)) / n)
        shake = tt.extract_source_shake(deltas, frames, 3, 2)
        for offset, mode in ((2, "static"), (5, "animated")):
            with HostClock(["cutKey", "objExists", "delete", "createNode", "setKeyframe", "connectAttr"]) as clock:
                total = now()
                tt.apply_shake_to_camera(*apply_args(camera, shake, frames, anim, mode))
                total = now() - total
            rows[offset][1].append(total / n)
            rows[offset + 1][1].append(clock.seconds / n)
            rows[offset + 2][1].append((total - clock.seconds) / n)
    for name, values in rows:
        print("%-44s" % name + "".join("%12.2f" % (v * 1e6) for v in values))
    print("(host time includes the stand-in's own Python work; 'in the tool' is the rest: computation,"
          " conversion and argument building)")


if __name__ == "__main__":
    main()
