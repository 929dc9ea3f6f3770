#!/usr/bin/env python
"""Runs Trembla Tool end to end outside Maya, on the stand-in host, through the tool's own window.

  trembla_run.py demo  [--out DIR] [--keep-open]
      The demo shot (a camera on a slow dolly, a hand-held rig with bumps and sway): opens the
      window, prepares, loads a preset, bakes, and writes to DIR (default out/demo) the camera
      before and after as .chan, shake_plot.png and pages/*.png.

  trembla_run.py shake --source SRC.chan (--camera CAM.chan | --camera-pose TX TY TZ RX RY RZ)
                       --out OUT.chan [--preset FILE [--preset-name NAME]] [shaping flags]
      Transfers the shake of a tracked motion onto a camera and writes the shaken camera as .chan.

A .chan file has one line per frame, "frame tx ty tz rx ry rz", optionally followed by the vertical
field of view, which is passed through to the output untouched.
"""
from __future__ import print_function

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from runner import host as host_setup  # noqa: E402
from runner.chan import ChanError  # noqa: E402
from runner.progress import Progress  # noqa: E402
from runner.scene import CHANNELS  # noqa: E402
from runner.settings import (AXIS_RANGE, MODES, ROT_AXES, SLIDER_RANGES, TRANS_AXES,  # noqa: E402
                             PresetError, complete, merged, read_preset)

DEFAULT_DEMO_OUT = os.path.join(host_setup.REPO, "out", "demo")
# Source files from this size up report progress (a few thousand frames of .chan).
PROGRESS_FROM_BYTES = 250 * 1000

SLIDER_FLAGS = (("--lag-trans", "lag_trans"), ("--lag-rot", "lag_rot"), ("--smooth", "smooth"),
                ("--amount", "amount"), ("--trans-amp", "trans_amp"), ("--rot-amp", "rot_amp"),
                ("--fade-in", "fade_in"), ("--fade-out", "fade_out"))


def bounded_int(low, high):
    def parse(text):
        try:
            value = int(text)
        except ValueError:
            raise argparse.ArgumentTypeError("%r is not a whole number" % text)
        if not low <= value <= high:
            raise argparse.ArgumentTypeError("%d is outside %d-%d" % (value, low, high))
        return value
    return parse


def finite_float(text):
    try:
        value = float(text)
    except ValueError:
        raise argparse.ArgumentTypeError("%r is not a number" % text)
    if value != value or value in (float("inf"), float("-inf")):
        raise argparse.ArgumentTypeError("%r is not a finite number" % text)
    return value


def build_parser():
    parser = argparse.ArgumentParser(
        prog="trembla_run.py", description="Runs Trembla Tool end to end on the stand-in host.")
    parser.add_argument("--module-dir", default=None,
                        help="folder holding the built trembla_tool module (default: "
                             "$TREMBLA_MODULE_DIR, else build/py3-qt5 or build/py27-qt5)")
    jobs = parser.add_subparsers(dest="job", metavar="{demo,shake}")

    demo = jobs.add_parser("demo", help="run the demo shot through the window and write what it did")
    demo.add_argument("--out", default=DEFAULT_DEMO_OUT, metavar="DIR",
                      help="output folder (default out/demo)")
    demo.add_argument("--keep-open", action="store_true",
                      help="leave the window on screen at the end, until it is closed")
    demo.add_argument("--offscreen", action="store_true", help="never use a display")

    shake = jobs.add_parser("shake", help="transfer a tracked motion's shake onto a camera (.chan)")
    shake.add_argument("--source", required=True, metavar="SRC.chan",
                       help="the tracked motion whose shake is transferred")
    camera = shake.add_mutually_exclusive_group(required=True)
    camera.add_argument("--camera", metavar="CAM.chan", help="the camera's motion")
    camera.add_argument("--camera-pose", nargs=6, type=finite_float,
                        metavar=("TX", "TY", "TZ", "RX", "RY", "RZ"), help="a camera that does not move")
    shake.add_argument("--out", required=True, metavar="OUT.chan", help="the shaken camera")
    shake.add_argument("--preset", metavar="FILE", help="a preset file (trembla_presets.json)")
    shake.add_argument("--preset-name", metavar="NAME",
                       help="the preset to use from FILE (needed when it holds more than one)")
    for flag, member in SLIDER_FLAGS:
        low, high = SLIDER_RANGES[member]
        shake.add_argument(flag, dest=member, type=bounded_int(low, high), metavar="N",
                           help="%d-%d" % (low, high))
    shake.add_argument("--ranges", metavar="TEXT", help='frame ranges, e.g. "10-50, 70-80"')
    shake.add_argument("--mode", choices=MODES,
                       help="camera mode (default: the preset's, else animated with --camera "
                            "and static with --camera-pose)")
    shake.add_argument("--no-translate", action="store_true", help="leave the translations alone")
    shake.add_argument("--no-rotate", action="store_true", help="leave the rotations alone")
    axis = bounded_int(*AXIS_RANGE)
    shake.add_argument("--trans-axes", nargs=3, type=axis, metavar=("X", "Y", "Z"), help="0-100 each")
    shake.add_argument("--rot-axes", nargs=3, type=axis, metavar=("X", "Y", "Z"), help="0-100 each")
    shown = shake.add_mutually_exclusive_group()
    shown.add_argument("--progress", dest="progress", action="store_true", default=None,
                       help="report progress whatever the input's size")
    shown.add_argument("--no-progress", dest="progress", action="store_false")
    return parser


def flag_settings(args):
    """The settings members the command line gives."""
    given = {}
    for _, member in SLIDER_FLAGS:
        if getattr(args, member) is not None:
            given[member] = getattr(args, member)
    if args.ranges is not None:
        given["ranges"] = args.ranges
    if args.mode is not None:
        given["mode"] = args.mode
    if args.no_translate:
        given["translate_enabled"] = False
    if args.no_rotate:
        given["rotate_enabled"] = False
    for names, values in ((TRANS_AXES, args.trans_axes), (ROT_AXES, args.rot_axes)):
        if values is not None:
            given.update(zip(names, values))
    return given


def shake_settings(tt, args):
    preset = {}
    if args.preset is not None:
        preset = read_preset(tt, args.preset, args.preset_name)
    default_mode = {"mode": "animated" if args.camera is not None else "static"}
    return complete(merged(default_mode, preset, flag_settings(args)))


def run_shake_job(host, args):
    from runner.transfer import ShakeJob, run_shake
    settings = shake_settings(host.tt, args)
    wanted = args.progress
    if wanted is None:
        wanted = os.path.isfile(args.source) and os.path.getsize(args.source) >= PROGRESS_FROM_BYTES
    job = ShakeJob(args.source, args.camera, tuple(args.camera_pose) if args.camera_pose else None,
                   args.out, settings)
    result = run_shake(host, job, Progress(enabled=wanted))
    frames = result.track.frames
    phases = ", ".join("%s %.2fs" % item for item in result.seconds.items())
    print("wrote %s: %d frames (%d-%d), mode %s; %s"
          % (args.out, len(frames), frames[0], frames[-1], result.mode, phases))


def run_demo_job(host, args):
    from runner.demo import run_demo
    result = run_demo(host, args.out, keep_open=args.keep_open)
    print("demo: %d frames, camera shaken by the hand-held rig; largest change per channel:"
          % len(result.before.frames))
    largest = [max(abs(a[k] - b[k]) for a, b in zip(result.after.samples, result.before.samples))
               for k in range(len(CHANNELS))]
    print("  " + "  ".join("%s %.4f" % (c, v) for c, v in zip(CHANNELS, largest)))
    for note in result.notes:
        print("  " + note)
    print("wrote:")
    for path in result.files:
        print("  " + path)


def main(argv=None):
    parser = build_parser()
    args = parser.parse_args(argv)
    if args.job is None:
        parser.error("name a job: demo or shake")
    if args.job == "shake" and args.preset_name is not None and args.preset is None:
        parser.error("--preset-name needs --preset")
    host_setup.choose_platform(headless=args.job == "shake" or args.offscreen)
    from runner.transfer import OutputError
    from runner.window_driver import ToolFailed
    try:
        host = host_setup.load(args.module_dir or host_setup.default_module_dir())
        if args.job == "demo":
            run_demo_job(host, args)
        else:
            run_shake_job(host, args)
    except (ChanError, PresetError, OutputError, ToolFailed, host_setup.HostError) as error:
        print("trembla_run.py %s: error: %s" % (args.job, error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
