"""Latency of the window's main path on the stand-in host: _prepare_shake and _update_shake at
240 / 1,000 / 10,000 frames in each camera mode.

Each figure is milliseconds per call (best of --repeats), split into time inside the host (every
maya.cmds / maya.mel function wrapped with a timer, the stand-in's call log off) and time in the
tool (the rest: reading the controls, conversions, computation, the bridge's argument building).
The timer wrapper costs about as much as a bare Python call; its cost, measured once at start-up,
is taken out of both parts so that it is charged to neither. As a cross-check without any wrapper,
"host answering at once" runs the same call against a host whose every command returns at once:
the tool's own work plus one bare Python call per command, an upper bound of the tool's share.
A second table sets keys by the curve (one maya.api MFnAnimCurve.addKeys per shake curve)
against the per-key path (maya.api hidden: one setKeyframe per key) at --keying-sizes frames.
With --before-module DIR (a module built from an earlier tree) and --before-standin DIR (that
tree's stand-in package folder), the keying comparison also runs there, in a child process, and
the update's figures print side by side: before and now in one run.
Usage: bench_workflow.py [--sizes 240,1000,10000] [--repeats 3] [--keying-sizes 1000,10000,100000]
                         [--before-module DIR --before-standin DIR]
"""
from __future__ import print_function

import argparse
import json
import math
import os
import subprocess
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.environ.get("TREMBLA_STANDIN_DIR", os.path.join(REPO, "standin")))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))
os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from maya import cmds, mel, standin  # noqa: E402
from maya.api import OpenMaya as om, OpenMayaAnim as oma  # noqa: E402

import trembla_tool as tt  # noqa: E402
from bench_timing import now  # noqa: E402

API_METHODS = ((om.MSelectionList, "add"), (om.MSelectionList, "getDependNode"),
               (om.MTime, "uiUnit"), (om.MAngle, "uiToInternal"), (om.MDistance, "uiToInternal"),
               (oma.MFnAnimCurve, "__init__"), (oma.MFnAnimCurve, "addKeys"))
API_MODULES = ("maya.api.OpenMaya", "maya.api.OpenMayaAnim")
CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")
MODES = ("static", "animated", "relax")


class HostClock(object):
    """Adds up the wall time spent inside the stand-in's cmds and mel functions, and counts the
    calls."""

    def __init__(self):
        self.seconds = 0.0
        self.calls = 0
        self._saved = []

    def __enter__(self):
        for module in (cmds, mel):
            for name in dir(module):
                original = getattr(module, name)
                if name.startswith("_") or not callable(original) or isinstance(original, type):
                    continue
                self._saved.append((module, name, original))
                setattr(module, name, self.timed(original))
        # The Python API calls that reach the scene (the tool looks them up afresh each call).
        for owner, name in API_METHODS:
            original = owner.__dict__[name]
            self._saved.append((owner, name, original))
            if isinstance(original, staticmethod):
                setattr(owner, name, staticmethod(self.timed(getattr(owner, name))))
            else:
                setattr(owner, name, self.timed(original))
        return self

    def __exit__(self, *exc):
        for module, name, original in self._saved:
            setattr(module, name, original)

    def timed(self, original):
        def call(*args, **kwargs):
            self.calls += 1
            start = now()
            try:
                return original(*args, **kwargs)
            finally:
                self.seconds += now() - start
        return call


class WrapperCost(object):
    """What the timer wrapper adds per call: `inside` inflates the host's measured time (the clock
    reads), `outside` would otherwise be charged to the tool (the wrapper's own frame)."""

    def __init__(self, calls=200000):
        def noop(*args, **kwargs):
            return None

        def run(function):
            start = now()
            for _ in range(calls):
                function("node", attribute="translateX", time=1, value=0.5)
            return now() - start

        bare = min(run(noop) for _ in range(3))
        best = None
        for _ in range(3):
            clock = HostClock()
            total = run(clock.timed(noop))
            if best is None or total < best[0]:
                best = (total, clock.seconds)
        self.inside = max(0.0, best[1] - bare) / calls
        self.outside = max(0.0, best[0] - best[1]) / calls


class NullHost(object):
    """cmds and mel stand-ins that answer every command of the main path at once, with no scene
    behind them."""

    def __init__(self, frames):
        self.cmds = Namespace()
        self.mel = Namespace()
        answers = dict(ls=[], listRelatives=None, objExists=True, currentTime=1.0,
                       xform=[0.0, 0.0, 0.0], getAttr=0.0, setAttr=None, cutKey=0, delete=None,
                       connectAttr=None, setKeyframe=1, keyframe=[0.0], animLayer="benchLayer",
                       refresh=None, inViewMessage=None, warning=None, undoInfo=None,
                       lockNode=None, attributeQuery=None, addAttr=None, listConnections=None,
                       keyTangent=None, nodeType="animCurveTL")
        for name, value in answers.items():
            setattr(self.cmds, name, answering(value))
        self.cmds.playbackOptions = lambda *a, **k: 1.0 if k.get("min") else float(frames)
        # A compound read at a time answers one triple, as the host does.
        compounds = ("translate", "rotate")
        self.cmds.getAttr = lambda *a, **k: ([(0.0, 0.0, 0.0)] if a and str(a[0]).rsplit(".", 1)[-1] in compounds
                                             else 0.0)
        self.cmds.createNode = lambda node_type, name=None, **flags: name
        self.cmds.evaluationManager = lambda *a, **k: ["parallel"] if k.get("q") else None
        units = dict(linear="cm", angle="deg", time="film")
        self.cmds.currentUnit = lambda **k: next((units[kind] for kind in units if k.get(kind)), None)
        self.mel.eval = answering(None)


class NullApi(object):
    """maya.api.OpenMaya / OpenMayaAnim stand-ins that answer at once, for NullHost."""

    def __init__(self):
        class MSelectionList(object):
            def add(self, name):
                return self

            def getDependNode(self, index):
                return None

        class MTime(object):
            def __init__(self, value=None, unit=None):
                pass

            @staticmethod
            def uiUnit():
                return 6

        class MFnAnimCurve(object):
            kTangentGlobal = 0

            def __init__(self, obj=None):
                pass

            def addKeys(self, *args):
                return self

        self.om = Namespace()
        self.om.MSelectionList, self.om.MTime = MSelectionList, MTime
        self.om.MTimeArray = self.om.MDoubleArray = list
        self.oma = Namespace()
        self.oma.MFnAnimCurve = MFnAnimCurve


def answering(value):
    def command(*args, **kwargs):
        return value
    return command


class Namespace(object):
    pass


class Quiet(object):
    """Swallows the tool's printed lines while a measurement runs."""

    def write(self, text):
        pass

    def flush(self):
        pass


def build_scene(frames):
    standin.reset()
    standin.set_logging(False)
    cmds.playbackOptions(min=1, max=frames)
    cmds.createNode("transform", name="shaker")
    cmds.createNode("transform", name="benchCam")
    cmds.createNode("camera", parent="benchCam")
    for f in range(1, frames + 1):
        t = float(f)
        source = (0.3 * math.sin(t * 1.7) + 0.01 * t, 0.2 * math.cos(t * 2.3), 0.1 * math.sin(t),
                  2.0 * math.sin(t * 0.9), 1.5 * math.cos(t * 0.7), math.sin(t * 2.9))
        camera = (0.05 * t, 1.6, 10.0 - 0.1 * t, -5.0 + 0.01 * t, 20.0 + 0.05 * t, 0.0)
        for channel, s, c in zip(CHANNELS, source, camera):
            cmds.setKeyframe("shaker", attribute=channel, time=f, value=s)
            cmds.setKeyframe("benchCam", attribute=channel, time=f, value=c)


def open_window():
    window = tt.show()
    window.camera_field.setText("benchCam")
    window.source_field.setText("shaker")
    window.lag_trans_slider.setValue(3)
    window.lag_rot_slider.setValue(2)
    window.smoothing_slider.setValue(40)
    window.trans_y_slider.setValue(60)
    window.ranges_field.setText("")
    return window


def measure(repeats, work, cost):
    """(total, inside the host) seconds of the fastest of `repeats` runs, the wrapper's own cost
    taken out of both."""
    best = None
    for _ in range(repeats):
        saved, sys.stdout = sys.stdout, Quiet()
        try:
            with HostClock() as clock:
                start = now()
                work()
                total = now() - start
        finally:
            sys.stdout = saved
        total -= clock.calls * cost.outside
        host = clock.seconds - clock.calls * cost.inside
        if best is None or total < best[0]:
            best = (total, host)
    return best


def measure_alone(repeats, work, frames):
    """Seconds of the fastest of `repeats` runs against NullHost."""
    best = None
    saved = tt.cmds, tt.mel, sys.stdout
    saved_api = [sys.modules.get(name) for name in API_MODULES]
    try:
        for _ in range(repeats):
            host = NullHost(frames)
            if all(saved_api):  # the batch path, answered at once as well
                api = NullApi()
                sys.modules[API_MODULES[0]], sys.modules[API_MODULES[1]] = api.om, api.oma
            tt.cmds, tt.mel, sys.stdout = host.cmds, host.mel, Quiet()
            start = now()
            work()
            alone = now() - start
            best = alone if best is None else min(best, alone)
    finally:
        tt.cmds, tt.mel, sys.stdout = saved
        for name, module in zip(API_MODULES, saved_api):
            sys.modules[name] = module
    return best


def count_calls(work):
    """(host calls, numbers in their answers) of one run of `work`, from the stand-in's call log."""
    saved = sys.stdout
    standin.set_logging(True)
    standin.record_answers(True)
    standin.clear_calls()
    try:
        sys.stdout = Quiet()
        work()
    finally:
        sys.stdout = saved
        standin.set_logging(False)
        standin.record_answers(False)
    count, numbers = len(standin.calls), standin.numbers_answered()
    standin.clear_calls()
    return count, numbers


PER_CALL_US = (10, 20, 50)


def compare_keying(sizes, repeats, cost, mode="animated"):
    """Update and prepare with each shake curve keyed in one addKeys call (batch) against one
    setKeyframe per key (per-key, maya.api hidden), with host calls counted, host and tool time
    split, and the update estimated in a host whose every call costs 10, 20 or 50 us."""
    print()
    print("keys by the curve, %s mode: batch (maya.api addKeys) vs per-key (setKeyframe);"
          " ms per call, best of %d (1 at 100,000 frames)" % (mode, repeats))
    head = "%-9s %-15s %-8s %10s %10s %10s %10s %10s" % (
        "frames", "operation", "path", "calls", "numbers", "total", "host", "tool")
    head += "".join("%12s" % ("@%dus" % us) for us in PER_CALL_US)
    print(head)
    updates = {}
    counts = {}
    for n in sizes:
        build_scene(n)
        window = open_window()
        getattr(window, "mode_" + mode).setChecked(True)
        runs = 1 if n >= 100000 else repeats
        for operation in ("_update_shake", "_prepare_shake"):
            for path in ("batch", "per-key"):
                standin.set_api_available(path == "batch")
                try:
                    work = getattr(window, operation)
                    if operation == "_update_shake":
                        window._prepare_shake()
                    calls, numbers = count_calls(work)
                    total, host = measure(runs, work, cost)
                finally:
                    standin.set_api_available(True)
                tool = total - host
                line = "%-9d %-15s %-8s %10d %10d %10.2f %10.2f %10.2f" % (
                    n, operation, path, calls, numbers, total * 1e3, host * 1e3, tool * 1e3)
                if operation == "_update_shake":
                    updates[(n, path)] = total
                    if path == "batch":
                        counts[n] = (calls, numbers)
                    line += "".join("%12.1f" % ((tool + calls * us * 1e-6) * 1e3)
                                    for us in PER_CALL_US)
                print(line)
    for n in sizes:
        if (n, "batch") in updates:
            print("update at %d frames: per-key / batch = %.1fx (batch / per-key = %.3fx)" % (
                n, updates[(n, "per-key")] / updates[(n, "batch")], updates[(n, "batch")] / updates[(n, "per-key")]))
    summary = {}
    for n in sizes:
        summary[str(n)] = dict(update=updates[(n, "batch")], per_key=updates[(n, "per-key")],
                               calls=counts[n][0], numbers=counts[n][1])
    print("(numbers: the numbers the host's answers to those calls hold, nested lists counted"
          " through; an update after a prepare, with no curve edited since, reads no key back)")
    print("(calls: maya.cmds, maya.mel and the maya.api calls that reach the scene; the batch path"
          " builds its MTime values once, kept while the frames and the time unit stay. @Nus: the"
          " update's tool time plus its calls at N us each, an estimate for the real host)")
    return summary


def keying_elsewhere(module_dir, standin_dir, sizes, repeats):
    """compare_keying's summary for another module and stand-in, from a child process."""
    env = dict(os.environ, TREMBLA_MODULE_DIR=module_dir, TREMBLA_STANDIN_DIR=standin_dir)
    out = subprocess.check_output(
        [sys.executable, os.path.abspath(__file__), "--sizes", "", "--repeats", str(repeats),
         "--keying-sizes", ",".join(str(n) for n in sizes), "--summary-only"], env=env)
    return json.loads(out.decode("utf-8").strip().splitlines()[-1])


def print_side_by_side(sizes, before, now):
    print()
    print("update after a prepare, animated mode (batch path), before and now; ms, best of runs")
    head = "%-9s" % "frames"
    for side in ("before", "now"):
        head += " | %-6s %9s %10s %8s %6s %8s" % (side, "update", "per-key", "ratio", "calls", "numbers")
    print(head)
    for n in sizes:
        line = "%-9d" % n
        for figures in (before[str(n)], now[str(n)]):
            line += " | %-6s %9.2f %10.2f %7.3fx %6d %8d" % (
                "", figures["update"] * 1e3, figures["per_key"] * 1e3,
                figures["update"] / figures["per_key"], figures["calls"], figures["numbers"])
        print(line)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", default="240,1000,10000")
    parser.add_argument("--repeats", type=int, default=3)
    parser.add_argument("--keying-sizes", default="1000,10000,100000",
                        help="frame counts of the batch vs per-key comparison ('' skips it)")
    parser.add_argument("--before-module", help="an earlier tree's module build directory")
    parser.add_argument("--before-standin", help="that tree's stand-in folder (holding maya/)")
    parser.add_argument("--summary-only", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")] if args.sizes else []
    cost = WrapperCost()
    if args.keying_sizes:
        keying_sizes = [int(s) for s in args.keying_sizes.split(",")]
        before = None
        if args.before_module:
            before = keying_elsewhere(args.before_module, args.before_standin or os.path.join(REPO, "standin"),
                                      keying_sizes, args.repeats)
        if args.summary_only:
            saved, sys.stdout = sys.stdout, Quiet()
            try:
                now = compare_keying(keying_sizes, args.repeats, cost)
            finally:
                sys.stdout = saved
            print(json.dumps(now))
            return
        now = compare_keying(keying_sizes, args.repeats, cost)
        if before is not None:
            print_side_by_side(keying_sizes, before, now)
    if not sizes:
        return

    rows = []
    for operation in ("_prepare_shake", "_update_shake"):
        for mode in MODES:
            rows.append(((operation, mode, "total"), []))
            rows.append(((operation, mode, "inside the host"), []))
            rows.append(((operation, mode, "in the tool"), []))
            rows.append(((operation, mode, "tool, host answering at once"), []))
    results = dict((key, values) for key, values in rows)

    for n in sizes:
        build_scene(n)
        window = open_window()
        repeats = args.repeats
        for mode in MODES:
            getattr(window, "mode_" + mode).setChecked(True)
            for operation in ("_prepare_shake", "_update_shake"):
                total, host = measure(repeats, getattr(window, operation), cost)
                results[(operation, mode, "total")].append(total)
                results[(operation, mode, "inside the host")].append(host)
                results[(operation, mode, "in the tool")].append(total - host)
            for operation in ("_prepare_shake", "_update_shake"):
                alone = measure_alone(repeats, getattr(window, operation), n)
                results[(operation, mode, "tool, host answering at once")].append(alone)

    print("%-40s" % ("milliseconds per call (best of %d)" % args.repeats)
          + "".join("%12s" % ("%d fr" % n) for n in sizes))
    for (operation, mode, part), values in rows:
        label = "%s %s" % (operation, mode) if part == "total" else "  " + part
        print("%-40s" % label + "".join("%12.2f" % (v * 1e3) for v in values))
    print("(host time includes the stand-in's own Python work; 'in the tool' is the rest. Timer wrapper"
          " per call, taken out: %.2f us inside, %.2f us outside)" % (cost.inside * 1e6, cost.outside * 1e6))


if __name__ == "__main__":
    main()
