"""Memory the window's undo following costs on a long shot: --steps typed slider values on a
--frames-frame shot (static mode, a source keyed every 997 frames, the host's undo queue
unbounded), then how many of those steps host undos walk back with the slider following.

The process's resident size grows with the stand-in host's own undo queue too (the keys each step
replaced, as Python objects). The tool's share is what reset_state() gives back (the current
record and the samples it keeps for a shake an undo may bring back; no step is kept), measured
after malloc_trim so that freed memory leaves the process. Not a timing benchmark: one run.
Usage: bench_undo_memory.py [--frames 60000] [--steps 100]
"""
from __future__ import print_function

import argparse
import gc
import os
import sys
import ctypes

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))
os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from maya import cmds, standin  # noqa: E402

import trembla_tool as tt  # noqa: E402


def rss_mb():
    """The resident size once freed memory is given back to the system."""
    gc.collect()
    ctypes.CDLL("libc.so.6").malloc_trim(0)
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=60000)
    parser.add_argument("--steps", type=int, default=100)
    args = parser.parse_args()
    standin.reset()
    standin.set_logging(False)
    cmds.playbackOptions(min=1, max=args.frames)
    cmds.createNode("transform", name="shaker", skipSelect=True)
    for frame in range(1, args.frames + 1, 997):
        cmds.setKeyframe("shaker", attribute="translateX", time=frame, value=frame % 2 * 0.5)
    cmds.createNode("transform", name="shotCam", skipSelect=True)
    cmds.createNode("camera", name="shotCamShape", parent="shotCam", skipSelect=True)
    window = tt.show()
    window.camera_field.setText("shotCam")
    window.source_field.setText("shaker")
    window._prepare_shake()
    cmds.undoInfo(infinity=True)  # every step stays on the host's queue, to be walked back
    start = rss_mb()
    values = [100 + (i % 2) * 50 + i % 7 for i in range(1, args.steps + 1)]
    for value in values:
        window.amount_slider.setValue(value)
    stepped = rss_mb()
    shown = [100] + values
    followed = 0
    for back in range(1, args.steps + 1):
        standin.menu_undo()
        standin.run_idle()
        if window.amount_slider.value() != shown[-1 - back]:
            break
        followed = back
    walked = rss_mb()
    tt.reset_state()
    forgotten = rss_mb()
    print("%d frames, %d slider steps: RSS %.1f MB after prepare, %.1f MB after the steps (+%.1f MB), "
          "%.1f MB after the undos" % (args.frames, args.steps, start, stepped, stepped - start, walked))
    print("undos followed by the slider: %d of %d" % (followed, args.steps))
    print("given back by reset_state() (the record and the samples kept): %.1f MB, %.3f MB a step"
          % (walked - forgotten, (walked - forgotten) / args.steps))


if __name__ == "__main__":
    main()
