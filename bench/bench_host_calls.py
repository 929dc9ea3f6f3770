"""What each window command costs the host, counted on the stand-in: host calls and current-time
changes of prepare (each camera mode), update, bake and reset at --sizes frames.

In the host every current-time change makes it evaluate the scene (1-50 ms on a production scene)
and every call costs some microseconds, so the table also gives an estimate of the command's time
in the host at --per-call-us per call and --per-time-change-ms per time change. The counts come
from the stand-in's call log: maya.cmds, maya.mel and the maya.api calls that reach the scene.
Usage: bench_host_calls.py [--sizes 1000,10000,100000] [--per-call-us 20] [--per-time-change-ms 10]
"""
from __future__ import print_function

import argparse
import sys

from bench_workflow import MODES, Quiet, build_scene, open_window, standin


def is_time_change(call):
    # currentTime(f) and currentTime(f, edit=True) move the time; a query does not.
    if call.op != "currentTime":
        return False
    return not (call.kwargs.get("q") or call.kwargs.get("query"))


def counted(work):
    """(host calls, current-time changes) of one run of `work`."""
    saved = sys.stdout
    standin.set_logging(True)
    standin.clear_calls()
    try:
        sys.stdout = Quiet()
        work()
    finally:
        sys.stdout = saved
        standin.set_logging(False)
    calls = list(standin.calls)
    standin.clear_calls()
    return len(calls), sum(1 for call in calls if is_time_change(call))


def commands_of(mode):
    """The commands measured in one mode, each run after the ones before it on the same window."""
    def run(name):
        return lambda window: getattr(window, name)()
    return (("prepare", run("_prepare_shake")), ("update", run("_update_shake")),
            ("bake", run("_bake_to_layer")), ("prepare again", run("_prepare_shake")),
            ("reset", run("_reset_camera")))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sizes", default="1000,10000,100000")
    parser.add_argument("--per-call-us", type=float, default=20.0)
    parser.add_argument("--per-time-change-ms", type=float, default=10.0)
    args = parser.parse_args()
    sizes = [int(s) for s in args.sizes.split(",") if s]
    print("host calls and current-time changes per command; 'host' estimates the command's time in"
          " the host at %g us per call and %g ms per time change"
          % (args.per_call_us, args.per_time_change_ms))
    print("%-9s %-9s %-14s %10s %8s %8s %12s" % (
        "frames", "mode", "command", "calls", "/frame", "times", "host"))
    for n in sizes:
        build_scene(n)
        window = open_window()
        for mode in MODES:
            getattr(window, "mode_" + mode).setChecked(True)
            for name, command in commands_of(mode):
                calls, times = counted(lambda: command(window))
                host = calls * args.per_call_us * 1e-6 + times * args.per_time_change_ms * 1e-3
                print("%-9d %-9s %-14s %10d %8.2f %8d %11.2fs" % (
                    n, mode, name, calls, float(calls) / n, times, host))
        window.close()


if __name__ == "__main__":
    main()
