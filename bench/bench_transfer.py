"""A .chan shake transfer end to end, as `trembla_run.py shake` runs it: 100,000 frames of tracked
plate motion onto a moving camera (with a field-of-view column), timed per phase.

Phases: reading the two .chan files, building the scene (one key per frame and channel), keying
(the window's prepare with its update, and the bake), writing (reading the camera back from the
scene, layer included, and writing the output). The inputs are generated first, untimed.
Usage: bench_transfer.py [--frames 100000] [--mode animated]
"""
from __future__ import print_function

import argparse
import math
import os
import shutil
import sys
import tempfile
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "tools"))

from runner import host as host_setup  # noqa: E402
from runner.chan import ChanTrack, write_chan  # noqa: E402
from runner.progress import Progress  # noqa: E402
from runner.settings import complete  # noqa: E402


def plate_track(frames):
    """A hand-held plate: drift, footstep bob and jitter."""
    samples = []
    for f in frames:
        t = float(f)
        samples.append((0.3 * math.sin(t * 1.7) + 0.01 * t, 1.6 + 0.2 * abs(math.sin(t * 0.26)),
                        0.1 * math.sin(t), 2.0 * math.sin(t * 0.9), 1.5 * math.cos(t * 0.7),
                        math.sin(t * 2.9)))
    return ChanTrack(frames, samples, ["41.1"] * len(frames))


def camera_track(frames):
    """A clean CG camera on a long dolly and pan."""
    samples = [(0.05 * f, 1.6, 10.0 - 0.001 * f, -5.0 + 0.0001 * f, 20.0 + 0.0005 * f, 0.0)
               for f in frames]
    return ChanTrack(frames, samples, ["%.4f" % (30.0 + 1e-5 * f) for f in frames])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--frames", type=int, default=100000)
    parser.add_argument("--mode", choices=("static", "animated", "relax"), default="animated")
    args = parser.parse_args()

    host_setup.choose_platform(headless=True)
    host = host_setup.load(host_setup.default_module_dir())
    from runner.transfer import ShakeJob, run_shake

    work = tempfile.mkdtemp(prefix="trembla_bench_transfer_")
    try:
        frames = list(range(1, args.frames + 1))
        source, camera, out = (os.path.join(work, name) for name in ("plate.chan", "cam.chan", "out.chan"))
        write_chan(source, plate_track(frames))
        write_chan(camera, camera_track(frames))
        settings = complete(dict(mode=args.mode, lag_trans=3, lag_rot=2, smooth=20, amount=120,
                                 ranges="100-%d" % (args.frames - 100), fade_in=12, fade_out=12))
        job = ShakeJob(source, camera, None, out, settings)
        saved, sys.stdout = sys.stdout, open(os.devnull, "w")  # the tool's own log lines
        try:
            start = time.time()
            result = run_shake(host, job, Progress(enabled=False))
            total = time.time() - start
        finally:
            sys.stdout.close()
            sys.stdout = saved
        size = os.path.getsize(out)
    finally:
        shutil.rmtree(work)

    print(".chan shake transfer, %d frames, mode %s (seconds)" % (args.frames, result.mode))
    for phase, seconds in result.seconds.items():
        print("  %-16s %8.2f   %6.2f us/frame" % (phase, seconds, seconds / args.frames * 1e6))
    print("  %-16s %8.2f   %6.2f us/frame   (output %.1f MB)"
          % ("total", total, total / args.frames * 1e6, size / 1e6))


if __name__ == "__main__":
    main()
