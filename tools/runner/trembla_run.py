#!/usr/bin/env python
"""Runs Trembla Tool end to end outside Maya, on the stand-in host, through the tool's own window.

  trembla_run.py demo  [--out DIR] [--keep-open]
      The demo shot (a camera on a slow dolly, a hand-held rig with bumps and sway): opens the
      window, prepares, loads a preset, bakes, and writes to DIR (default out/demo) the camera
      before and after as .chan, shake_plot.png and pages/*.png.

  trembla_run.py shake (--source SRC.chan | --clip NAME|FILE [--clip-name NAME] [--clip-offset N]
                       [--frames START-END]) (--camera CAM.chan | --camera-pose TX TY TZ RX RY RZ)
                       --out OUT.chan [--preset FILE [--preset-name NAME]] [shaping flags]
      Transfers the shake of a tracked motion, or of a shake clip, onto a camera and writes the
      shaken camera as .chan. `trembla_run.py shake --help` tells what each flag does.

  trembla_run.py clip --source SRC.chan --name NAME [--clip-file FILE]
      Saves the shake of a tracked motion as the clip NAME, in the user's clip file or in FILE.

A .chan file has one line per frame, "frame tx ty tz rx ry rz", optionally followed by the vertical
field of view, which is passed through to the output untouched.
"""
from __future__ import print_function

import argparse
import os
import re
import stat
import sys

# This script lives inside its own package (tools/runner): the package is imported as `runner` from
# the folder above, and this folder leaves the path so that no piece is also importable on its own.
_HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:] = [entry for entry in sys.path if os.path.abspath(entry or os.curdir) != _HERE]
sys.path.insert(0, os.path.dirname(_HERE))

from runner import host as host_setup  # noqa: E402
from runner.chan import ChanError  # noqa: E402
from runner.progress import Progress  # noqa: E402
from runner.scene import CHANNELS  # noqa: E402
from runner.frame_ranges import RangesError, parse_ranges_strictly  # noqa: E402
from runner.settings import (AXIS_RANGE, DEFAULTS, MODES, ROT_AXES, SLIDER_RANGES,  # noqa: E402
                             TRANS_AXES, FlagError, PresetError, complete, merged, read_preset)

DEFAULT_DEMO_OUT = os.path.join(host_setup.REPO, "out", "demo")
# Source files from this size up report progress (a few thousand frames of .chan).
PROGRESS_FROM_BYTES = 250 * 1000

# flag, settings member, what the control does (its range and default are added).
SLIDER_FLAGS = (
    ("--lag-trans", "lag_trans", "how many frames the translation shake lags behind the source"),
    ("--lag-rot", "lag_rot", "how many frames the rotation shake lags behind the source"),
    ("--smooth", "smooth", "smoothing of the camera's own move in the animated and relax modes "
                           "(a centred moving average, 21 frames wide at 100); it does not smooth the "
                           "shake, and does nothing in the static mode"),
    ("--amount", "amount", "overall shake amount, percent"),
    ("--trans-amp", "trans_amp", "translation shake amount, percent"),
    ("--rot-amp", "rot_amp", "rotation shake amount, percent"),
    ("--fade-in", "fade_in", "frames over which the shake rises from nothing at the start of each "
                             "active range"),
    ("--fade-out", "fade_out", "frames over which the shake dies away at the end of each active "
                               "range"),
)

SHAKE_DESCRIPTION = """\
Transfers the shake of a tracked motion (a hand-held plate's camera or object track) onto a camera
and writes the shaken camera as .chan: the source's motion, delayed by the lag, loses its slow part
(an 11-frame centred average) and what is left, the shake, is scaled and added to the camera.
With --clip, a shake clip (saved by the `clip` job or the window, or a built-in profile) is played
in place of a source's shake, as a camera shaken by that source would get it.

.chan: one line per frame, "frame tx ty tz rx ry rz [vertical fov]"; blank and "#" lines are
skipped. Frames are whole numbers and may start anywhere, below 0 too. Translations are in the
files' own units (the output keeps them); rotations are in degrees, rotation order XYZ (Maya's
default); each channel is shaken on its own, so a file in another order keeps it. The camera file's
field of view is carried to the output. The output covers the source's frames."""

CLIP_DESCRIPTION = """\
Saves the shake of a tracked motion (.chan, as `shake --source` reads it) as a shake clip: the
source's displacements from its slow part, before any lag, one per frame at the scene's --fps, with
the file it came from and the date. `shake --clip NAME` (or --clip FILE) plays it on any camera as
the source would shake it there."""

SHAKE_EPILOG = """\
Controls start at the values of a fresh tool window (the defaults above), then take the settings of
--preset, then the flags given here.

example (from the repository root):
  trembla_run.py shake --source examples/plate.chan --camera examples/cgcam.chan \\
      --out shaken.chan --lag-trans 2 --amount 80 --ranges "1005-1040, 1048-1068" --fade-in 6
  trembla_run.py clip --source examples/plate.chan --name plate_take --clip-file clips.json
  trembla_run.py shake --clip clips.json --camera examples/cgcam.chan --out from_clip.chan
  trembla_run.py shake --clip hand-held --camera-pose 0 1.6 12 -3 0 0 --frames 1-240 --out held.chan

Exit status: 0 done, 1 a file or the tool failed, 2 a bad flag."""


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


def frames_text(text):
    """(first, last) of a --frames text, one range of whole frames."""
    try:
        ranges = parse_ranges_strictly(text)
    except RangesError as error:
        raise argparse.ArgumentTypeError(str(error))
    if len(ranges) != 1:
        raise argparse.ArgumentTypeError("%r is not one range START-END" % text)
    return ranges[0].start, ranges[0].end


def clip_name_text(text):
    if not text:
        raise argparse.ArgumentTypeError("a clip needs a name")
    return text


def ranges_text(text):
    """The --ranges text as given, once every part of it reads as a range."""
    try:
        parse_ranges_strictly(text)
    except RangesError as error:
        raise argparse.ArgumentTypeError(str(error))
    return text


# A value that starts like a negative frame range ("-10--5", "-5-3").
NEGATIVE_START = re.compile(r"^-\d")


def joined_negative_ranges(argv):
    """`--ranges -10--5` as `--ranges=-10--5`: argparse takes a separate value that starts with "-"
    (and is not a plain negative number) for an option."""
    result = []
    index = 0
    while index < len(argv):
        item = argv[index]
        if item in ("--ranges", "--frames") and index + 1 < len(argv) and NEGATIVE_START.match(argv[index + 1]):
            result.append(item + "=" + argv[index + 1])
            index += 2
            continue
        result.append(item)
        index += 1
    return result


def same_file(first, second):
    """Whether two paths name one file: the same resolved path, or the same inode (a hard link)."""
    if os.path.realpath(first) == os.path.realpath(second):
        return True
    try:
        return os.path.samefile(first, second)
    except (AttributeError, OSError):  # Python 2 on Windows has no samefile; a missing file
        return False


def input_overwritten(args):
    """The flag whose file --out would overwrite, or None."""
    for flag, path in (("--source", args.source), ("--clip", args.clip), ("--camera", args.camera),
                       ("--preset", args.preset)):
        if path is not None and os.path.isfile(path) and same_file(args.out, path):
            return flag
    return None


def special_file(path):
    """What `path` is when something other than a regular file is there (links followed), or None
    when nothing is there or a regular file: a written .chan replaces only a regular file."""
    if not os.path.lexists(path):
        return None
    try:
        mode = os.stat(path).st_mode
    except OSError:
        return "a link to nothing"
    if stat.S_ISREG(mode):
        return None
    for test, kind in ((stat.S_ISDIR, "a folder"), (stat.S_ISFIFO, "a FIFO"),
                       (stat.S_ISCHR, "a character device"), (stat.S_ISBLK, "a block device"),
                       (stat.S_ISSOCK, "a socket")):
        if test(mode):
            return kind
    return "not a regular file"


def demo_folder_problem(path):
    """Why the demo cannot write into the folder `path` (made when missing), or None."""
    if os.path.isdir(path):
        return None
    if os.path.lexists(path):
        return "%s is %s, not a folder" % (path, special_file(path) or "a file")
    try:
        os.makedirs(path)
    except OSError as error:
        return "cannot make the folder %s: %s" % (path, error.strerror or error)
    return None


def add_fps(job, what):
    rates = sorted(host_setup.FPS_UNITS)
    job.add_argument("--fps", type=int, choices=rates, default=24, metavar="RATE",
                     help="the scene's frame rate, frames per second (%s); %s; default 24"
                          % (", ".join(str(rate) for rate in rates), what))


def build_parser():
    parser = argparse.ArgumentParser(
        prog="trembla_run.py", description="Runs Trembla Tool end to end on the stand-in host.")
    parser.add_argument("--module-dir", default=None,
                        help="folder holding the built trembla_tool module (default: "
                             "$TREMBLA_MODULE_DIR, else build/py3-qt5 or build/py27-qt5)")
    jobs = parser.add_subparsers(dest="job", metavar="{demo,shake,clip}")

    demo = jobs.add_parser("demo", help="run the demo shot through the window and write what it did")
    demo.add_argument("--out", default=DEFAULT_DEMO_OUT, metavar="DIR",
                      help="output folder (default out/demo)")
    demo.add_argument("--keep-open", action="store_true",
                      help="leave the window on screen at the end, until it is closed")
    demo.add_argument("--offscreen", action="store_true", help="never use a display")

    shake = jobs.add_parser("shake", help="transfer a tracked motion's shake onto a camera (.chan)",
                            description=SHAKE_DESCRIPTION, epilog=SHAKE_EPILOG,
                            formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.shake_parser = shake
    motion = shake.add_mutually_exclusive_group(required=True)
    motion.add_argument("--source", metavar="SRC.chan",
                        help="the tracked motion whose shake is transferred")
    motion.add_argument("--clip", metavar="NAME|FILE",
                        help="a shake clip to play instead of a source: a clip file (a file of that "
                             "name exists), or a name the tool's clip list offers (the user's clip "
                             "file beside the module, the shared clip files of TREMBLA_PRESET_PATH, "
                             "the built-in profiles). It plays from --clip-offset, resampled to the "
                             "scene's --fps, looped across the frames")
    shake.add_argument("--clip-name", metavar="NAME",
                       help="the clip to play from the clip FILE (needed when it holds more than one)")
    shake.add_argument("--clip-offset", type=bounded_int(-10 ** 9, 10 ** 9), metavar="N",
                       help="the clip frame the first frame shows (negative: from the clip's end); "
                            "default 0")
    shake.add_argument("--frames", metavar="START-END", type=frames_text,
                       help="with --clip, the frames to shake (default: the camera file's frames; "
                            "needed with --camera-pose)")
    camera = shake.add_mutually_exclusive_group(required=True)
    camera.add_argument("--camera", metavar="CAM.chan",
                        help="the camera's own motion, keyed on its frames (straight lines between "
                             "them; held before the first and after the last)")
    camera.add_argument("--camera-pose", nargs=6, type=finite_float,
                        metavar=("TX", "TY", "TZ", "RX", "RY", "RZ"),
                        help="a camera that does not move (rotations in degrees)")
    shake.add_argument("--out", required=True, metavar="OUT.chan",
                       help="the shaken camera (never one of the input files)")
    shake.add_argument("--preset", metavar="FILE",
                       help="a preset file as the tool window's presets page writes it "
                            "(trembla_presets.json)")
    shake.add_argument("--preset-name", metavar="NAME",
                       help="the preset to use from FILE (needed when it holds more than one)")
    for flag, member, what in SLIDER_FLAGS:
        low, high = SLIDER_RANGES[member]
        shake.add_argument(flag, dest=member, type=bounded_int(low, high), metavar="N",
                           help="%s; %d-%d, default %d" % (what, low, high, DEFAULTS[member]))
    shake.add_argument("--ranges", metavar="TEXT", type=ranges_text,
                       help='frames where the shake is active, "START-END, START-END" inclusive, '
                            'within the source\'s frames, e.g. "10-50, 70-80"; one frame is 25-25; '
                            'negative frames as --ranges=-10--5 or --ranges -10--5; '
                            'default: every frame')
    shake.add_argument("--mode", choices=MODES,
                       help="static: the camera holds its pose of the first frame, plus the shake; "
                            "animated: the camera's own move (smoothed by --smooth) plus the shake; "
                            "relax: the camera's own move smoothed, each axis as much as its "
                            "--trans-axes/--rot-axes value says, and no shake. Default: the "
                            "preset's, else animated with --camera and static with --camera-pose")
    shake.add_argument("--no-translate", action="store_true",
                       help="leave the translations alone (default: shaken)")
    shake.add_argument("--no-rotate", action="store_true",
                       help="leave the rotations alone (default: shaken)")
    axis = bounded_int(*AXIS_RANGE)
    shake.add_argument("--trans-axes", nargs=3, type=axis, metavar=("X", "Y", "Z"),
                       help="translation shake per axis, percent (in the relax mode: 100 keeps the "
                            "base smoothing, 0 relaxes the axis most, twice the smoothing); 0-100 each, "
                            "default 100 100 100")
    shake.add_argument("--rot-axes", nargs=3, type=axis, metavar=("X", "Y", "Z"),
                       help="rotation shake per axis, percent (in the relax mode: 100 keeps the base "
                            "smoothing, 0 relaxes the axis most, twice the smoothing); 0-100 each, "
                            "default 100 100 100")
    add_fps(shake, "a clip plays resampled to it")
    shown = shake.add_mutually_exclusive_group()
    shown.add_argument("--progress", dest="progress", action="store_true", default=None,
                       help="report progress on stderr whatever the input's size (default: from "
                            "a 250 kB source file up)")
    shown.add_argument("--no-progress", dest="progress", action="store_false",
                       help="never report progress")

    clip = jobs.add_parser("clip", help="save a tracked motion's shake as a clip",
                           description=CLIP_DESCRIPTION,
                           formatter_class=argparse.RawDescriptionHelpFormatter)
    clip.add_argument("--source", required=True, metavar="SRC.chan",
                      help="the tracked motion whose shake is saved")
    clip.add_argument("--name", required=True, type=clip_name_text, metavar="NAME",
                      help="the clip's name (a clip of that name in the file is replaced)")
    clip.add_argument("--clip-file", metavar="FILE",
                      help="the clip file to save into (made when missing; never a shared one); "
                           "default: the user's clip file beside the module")
    add_fps(clip, "the clip is saved at it")
    return parser


def flag_settings(args):
    """The settings members the command line gives."""
    given = {}
    for _, member, _ in SLIDER_FLAGS:
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
    """The complete settings of the run, and where its ranges text comes from (None for none)."""
    preset, name = {}, None
    if args.preset is not None:
        name, preset = read_preset(tt, args.preset, args.preset_name)
    default_mode = {"mode": "animated" if args.camera is not None else "static"}
    given = flag_settings(args)
    if "ranges" in given:
        ranges_origin = "argument --ranges"
    elif preset.get("ranges", "").strip():
        ranges_origin = "%s: preset '%s': settings.ranges" % (args.preset, name)
    else:
        ranges_origin = None
    mode_origin = "--mode" if "mode" in given else "the preset" if "mode" in preset else None
    settings = complete(merged(default_mode, preset, given))
    return settings, ranges_origin, mode_origin


def warn(text, job="shake"):
    print("trembla_run.py %s: warning: %s" % (job, text), file=sys.stderr)
    sys.stderr.flush()


def run_shake_job(host, args):
    from runner.clips import ClipSource
    from runner.transfer import ShakeJob, run_shake
    settings, ranges_origin, mode_origin = shake_settings(host.tt, args)
    wanted = args.progress
    largest = args.source if args.source is not None else args.camera
    if wanted is None:
        wanted = (largest is not None and os.path.isfile(largest) and
                  os.path.getsize(largest) >= PROGRESS_FROM_BYTES)
    pose = tuple(args.camera_pose) if args.camera_pose else None
    if args.clip is None:
        job = ShakeJob(args.source, args.camera, pose, args.out, settings, ranges_origin, mode_origin,
                       fps=args.fps)
        result = run_shake(host, job, Progress(enabled=wanted), warn)
    else:
        with ClipSource(host, args.clip, args.clip_name, args.clip_offset or 0, warn) as clip:
            job = ShakeJob(None, args.camera, pose, args.out, settings, ranges_origin, mode_origin,
                           clip, args.frames, args.fps)
            result = run_shake(host, job, Progress(enabled=wanted), warn)
    frames = result.track.frames
    phases = ", ".join("%s %.2fs" % item for item in result.seconds.items())
    print("wrote %s: %d frames (%d-%d), mode %s; %s"
          % (args.out, len(frames), frames[0], frames[-1], result.mode, phases))


def run_clip_job(host, args):
    from runner.transfer import save_plate_clip
    wanted = os.path.isfile(args.source) and os.path.getsize(args.source) >= PROGRESS_FROM_BYTES
    path, frames = save_plate_clip(host, args.source, args.name, args.clip_file, Progress(enabled=wanted),
                                   args.fps, lambda text: warn(text, "clip"))
    print("saved clip '%s': %d frames at %d fps, to %s" % (args.name, frames, args.fps, path))


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


def refused(job, text):
    """A user's mistake found before any work: one line, and the status of a bad flag."""
    print("trembla_run.py %s: error: %s" % (job, text), file=sys.stderr)
    return 2


def main(argv=None):
    parser = build_parser()
    args = parser.parse_args(joined_negative_ranges(sys.argv[1:] if argv is None else argv))
    if args.job is None:
        parser.error("name a job: demo, shake or clip")
    if args.job == "shake":
        if args.preset_name is not None and args.preset is None:
            parser.shake_parser.error("--preset-name needs --preset")
        for flag, value in (("--clip-name", args.clip_name), ("--clip-offset", args.clip_offset),
                            ("--frames", args.frames)):
            if value is not None and args.clip is None:
                parser.shake_parser.error("%s needs --clip" % flag)
        if args.clip is not None and args.camera_pose is not None and args.frames is None:
            parser.shake_parser.error("--clip with --camera-pose needs --frames")
        overwritten = input_overwritten(args)
        if overwritten is not None:
            parser.shake_parser.error("argument --out: %s is the %s file; name another output"
                                      % (args.out, overwritten))
        # A FIFO or a device must never be swapped for a regular file (--out /dev/null as root).
        kind = special_file(args.out)
        if kind is not None:
            return refused(args.job, "argument --out: %s is %s, not a regular file; name a file"
                           % (args.out, kind))
    elif args.job == "demo":
        problem = demo_folder_problem(args.out)
        if problem is not None:
            return refused(args.job, "argument --out: " + problem)
    host_setup.quiet_qt_start()
    host_setup.choose_platform(headless=args.job != "demo" or args.offscreen)
    from runner.clips import ClipError
    from runner.transfer import OutputError
    from runner.window_driver import ToolFailed
    try:
        host = host_setup.load(args.module_dir or host_setup.default_module_dir())
        if args.job == "demo":
            run_demo_job(host, args)
        elif args.job == "clip":
            run_clip_job(host, args)
        else:
            run_shake_job(host, args)
    except FlagError as error:
        print("trembla_run.py %s: error: %s" % (args.job, error), file=sys.stderr)
        return 2
    except (ChanError, ClipError, PresetError, OutputError, ToolFailed, host_setup.HostError) as error:
        print("trembla_run.py %s: error: %s" % (args.job, error), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
