"""The module's Python-facing computations against the floor module (trembla_floor), side by side.

The floor reads the same arguments and builds results of the same shape without computing anything
(bench/floor_module.cpp), so the ratio module / floor is what the computation and the module's checks
add to the conversion every implementation pays. Per function and size: the best time of each over
interleaved repeats (each a batch of calls for the small ones), their ratio, and the garbage collections per call of each generation (full
collections are the third), counted through gc.callbacks after a gc.collect() (Python 3 only).
Usage: bench_floor.py [--sizes 1000,20000,100000] [--repeats N]
"""
from __future__ import print_function

import argparse
import gc
import math
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))

import trembla_floor as floor  # noqa: E402
import trembla_tool as tt  # noqa: E402
from bench_timing import now  # noqa: E402

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")


def wrapped(angle):
    return (angle + 180.0) % 360.0 - 180.0


def cases(n):
    """(row name, argument tuple) per function at n frames; the same arguments go to both modules."""
    frames = list(range(1, n + 1))
    source = {}
    for f in frames:
        t = float(f)
        source[f] = (0.3 * math.sin(t * 1.7), 0.2 * abs(math.sin(t * 0.5)), 0.01 * t,
                     2.0 * math.sin(t * 0.9), 15.0 * math.sin(t * 0.01), 1.5 * math.cos(t * 2.3))
    anim = dict((c, [math.sin(f * 0.01 * (k + 1)) * 90.0 + 0.1 * math.sin(f * 1.3) for f in frames])
                for k, c in enumerate(CHANNELS))
    smoothed = tt.smooth_camera_anim(anim, frames, 50)
    steady = anim["rotateY"]
    # A camera spinning 7.3 degrees a frame, as a world-space query reports it: wrapped into
    # [-180, 180), so unwrapping has to put back more and more turns.
    spinning = [wrapped(7.3 * f) + 3.0 * math.sin(f * 0.7) for f in frames]
    ranges = [(1, 400), (300, 90000)]
    return [
        ("calculate_deltas", (source, 1)),
        ("unwrap_angles (steady)", (steady,)),
        ("unwrap_angles (spinning)", (spinning,)),
        ("smooth_camera_anim 50", (anim, frames, 50)),
        ("smooth_camera_anim_per_axis", (anim, smoothed, frames, 50, (100, 50, 0), (100, 50, 0))),
        ("extract_source_shake", (source, frames, 3, 2)),
        ("calculate_fade_multiplier", (350, ranges, 3, 3)),
    ]


def function_name(row):
    return row.split(" ")[0]


class CollectionCounter(object):
    def __init__(self):
        self.counts = [0, 0, 0]

    def __call__(self, phase, info):
        if phase == "start":
            self.counts[info["generation"]] += 1


def collections_per_call(call, calls):
    """Collections of each generation set off during `calls` calls, each after a full collection."""
    if not hasattr(gc, "callbacks"):
        return None
    counter = CollectionCounter()
    for _ in range(calls):
        gc.collect()
        gc.callbacks.append(counter)
        try:
            call()
        finally:
            gc.callbacks.remove(counter)
    return [c / float(calls) for c in counter.counts]


def best_times(calls, repeats, batch):
    """Best time per call of each, over `repeats` rounds of `batch` calls of each in turn."""
    best = [None] * len(calls)
    for _ in range(repeats):
        for i, call in enumerate(calls):
            gc.collect()
            start = now()
            for _ in range(batch):
                call()
            elapsed = (now() - start) / batch
            best[i] = elapsed if best[i] is None else min(best[i], elapsed)
    return best


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", default="1000,20000,100000")
    parser.add_argument("--repeats", type=int, default=0, help="default: more for smaller sizes")
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]

    print("%-30s %8s %12s %12s %7s   %-17s %-17s" % ("function", "frames", "module us", "floor us", "ratio",
                                                    "module GCs 0/1/2", "floor GCs 0/1/2"))
    worst = spinning_worst = 0.0
    for n in sizes:
        repeats = args.repeats or max(5, min(60, 2000000 // (n * 20)))
        for row, call_args in cases(n):
            name = function_name(row)
            module_call = (lambda f, a: lambda: f(*a))(getattr(tt, name), call_args)
            floor_call = (lambda f, a: lambda: f(*a))(getattr(floor, name), call_args)
            batch = 1000 if name == "calculate_fade_multiplier" else max(1, 20000 // n)
            module_time, floor_time = best_times([module_call, floor_call], repeats, batch)
            ratio = module_time / floor_time
            if "spinning" in row:
                spinning_worst = max(spinning_worst, ratio)
            else:
                worst = max(worst, ratio)
            gcs = [collections_per_call(c, 3) for c in (module_call, floor_call)]
            shown = ["-" if g is None else "%.1f/%.1f/%.1f" % tuple(g) for g in gcs]
            print("%-30s %8d %12.2f %12.2f %7.2f   %-17s %-17s" % (row, n, module_time * 1e6, floor_time * 1e6,
                                                                  ratio, shown[0], shown[1]))
    print("worst ratio: %.2f (target: at most 1.3); GCs are collections per call by generation, 2 = full" % worst)
    print("unwrap_angles on a spinning camera: up to %.2f; the turns themselves cost that (against the plain"
          " loop: see 'unwrap, spinning' in the core benchmark)" % spinning_worst)


if __name__ == "__main__":
    main()
