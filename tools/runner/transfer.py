"""The `shake` job: the motion of a tracked plate (a source .chan) or a shake clip transferred as shake
onto a camera (a camera .chan, or a static pose), through the tool window on the stand-in host,
written as .chan. The `clip` job: a plate's shake saved as a clip.

The phases are timed; long inputs report progress per phase.
"""
import os
import time
from collections import OrderedDict, namedtuple

from . import chan, settings as run_settings
from .frame_ranges import RangesError, check_within, parse_ranges_strictly, window_text
from .host import fresh_scene
from .progress import CallMeter, HeldOutput, Span
from .scene import create_camera, create_transform, evaluated_track, key_track, set_pose
from .window_driver import ToolFailed, Warnings, bake, open_window, pick_camera_and_source, prepare

CAMERA, SOURCE = "shakeCam", "plateMotion"

# What a run asks for. camera_path and camera_pose: exactly one is given. settings: preset members
# (complete or not; see settings.complete). ranges_origin: where a ranges text came from, for
# messages ("argument --ranges" makes a misfit a flag error); mode_origin: "--mode", "the preset" or
# None when the mode is the default. clip: a clips.ClipChoice to play instead of source_path (None);
# frames: (first, last) shaken with a clip, None for the camera file's frames; fps: the scene's
# frame rate.
ShakeJob = namedtuple("ShakeJob", "source_path camera_path camera_pose out_path settings "
                                  "ranges_origin mode_origin clip frames fps")
ShakeJob.__new__.__defaults__ = ("argument --ranges", None, None, None, 24)

# What a run did: the shaken camera as written, the mode used, and seconds per phase.
ShakeResult = namedtuple("ShakeResult", "track mode seconds")

# The most frames the tool prepares at once; a longer source is refused before any per-frame list
# is built (ten million frames already take most of a gigabyte here).
MAX_FRAMES = 10000000


class OutputError(ValueError):
    """The output file cannot be written where asked."""


def check_output_path(path):
    """Fails before any work when the output's folder is missing or the path is a folder."""
    directory = os.path.dirname(os.path.abspath(path))
    if not os.path.isdir(directory):
        raise OutputError("%s: the folder %s does not exist" % (path, directory))
    if os.path.isdir(path):
        raise OutputError("%s: is a folder, not a file" % path)
    if not os.access(directory, os.W_OK):
        raise OutputError("%s: the folder %s is not writable" % (path, directory))


def fov_on_frames(track, frames):
    """The camera file's field of view for each output frame. A frame the file lists keeps its text
    as written; a frame in a gap between two listed frames takes the straight line between them, as
    the camera's position does between its keys; before the first and after the last listed frame
    the nearest one holds. None when the file has none."""
    if track is None or track.fov is None:
        return None
    listed = dict(zip(track.frames, track.fov))
    result = []
    after = 0  # index of the first listed frame not before `frame`
    for frame in frames:
        if frame in listed:
            result.append(listed[frame])
            continue
        while after < len(track.frames) and track.frames[after] < frame:
            after += 1
        if after == 0:
            result.append(track.fov[0])
        elif after == len(track.frames):
            result.append(track.fov[-1])
        else:
            f0, f1 = track.frames[after - 1], track.frames[after]
            v0, v1 = float(track.fov[after - 1]), float(track.fov[after])
            # Rounded to nine places: a field of view needs no more, and 38.2 reads better than
            # the 38.199999999999996 a straight line between 37.9 and 39.0 gives.
            result.append(chan.format_value(round(v0 + (v1 - v0) * (frame - f0) / float(f1 - f0), 9)))
    return result


class _Clock(object):
    def __init__(self):
        self.seconds = OrderedDict()

    def phase(self, name):
        clock = self

        class Timed(object):
            def __enter__(self):
                self.start = time.time()

            def __exit__(self, *exc):
                clock.seconds[name] = clock.seconds.get(name, 0.0) + time.time() - self.start
        return Timed()


def checked_ranges(job, first, last):
    """The job's ranges, each within the source's frames first-last."""
    text = job.settings.get("ranges", "")
    try:
        ranges = parse_ranges_strictly(text)
        check_within(ranges, first, last)
    except RangesError as error:
        origin = job.ranges_origin or "ranges"
        if origin.startswith("argument "):
            raise run_settings.FlagError("%s: %s" % (origin, error))
        raise run_settings.PresetError("%s: %s" % (origin, error))
    return ranges


def doubtful_inputs(job, first, last, camera_track, mode):
    """What the user should hear about before the output is trusted, as sentences."""
    notes = []
    if camera_track is None:
        return notes
    cam_first, cam_last = camera_track.frames[0], camera_track.frames[-1]
    if cam_first > first or cam_last < last:
        notes.append("%s covers frames %d-%d, the %s %d-%d: the camera holds its pose of frame %d "
                     "before it and of frame %d after it"
                     % (job.camera_path, cam_first, cam_last, "source" if job.clip is None else "frames shaken",
                        first, last, cam_first, cam_last))
    moves = any(sample != camera_track.samples[0] for sample in camera_track.samples)
    if mode == "static" and moves:
        origin = {"--mode": " (--mode static)", "the preset": " (the preset's mode)"}.get(
            job.mode_origin, "")
        fov = camera_track.fov
        zooms = fov is not None and any(float(value) != float(fov[0]) for value in fov)
        notes.append("the static mode%s keeps %s's pose of frame %d and drops its own move%s; "
                     "--mode animated keeps it"
                     % (origin, job.camera_path, first,
                        ", while its field of view, carried to the output, keeps changing"
                        if zooms else ""))
    return notes


def run_shake(host, job, progress, warn=None):
    """Runs `job` to the end; raises ChanError, PresetError, FlagError, OutputError or ToolFailed,
    and then writes nothing. `warn` is given each doubt about the inputs, once."""
    check_output_path(job.out_path)
    clock = _Clock()
    cmds = host.cmds

    with clock.phase("reading"):
        source = None
        if job.clip is None:
            source = chan.read_chan(job.source_path, progress.phase("reading " + job.source_path))
        camera_track = None
        if job.camera_path is not None:
            camera_track = chan.read_chan(job.camera_path, progress.phase("reading " + job.camera_path))
    if source is not None:
        (first, last), origin = (source.frames[0], source.frames[-1]), job.source_path
    elif job.frames is not None:
        (first, last), origin = job.frames, "argument --frames"
    else:
        (first, last), origin = (camera_track.frames[0], camera_track.frames[-1]), job.camera_path
    if last - first + 1 > MAX_FRAMES:
        raise chan.ChanError("%s: frames %d-%d span %d frames; at most %d frames are prepared at once"
                             % (origin, first, last, last - first + 1, MAX_FRAMES))
    frames = list(range(first, last + 1))
    ranges = checked_ranges(job, first, last)
    settings = dict(job.settings)
    for note in doubtful_inputs(job, first, last, camera_track, settings.get("mode")):
        if warn is not None:
            warn(note)
    # The window reads no negative frame: a shot that starts below 0 is moved up so that it starts
    # at 0 in the scene, and moved back when written. Nothing the tool computes depends on where
    # the frames start.
    shift = -first if first < 0 else 0
    settings["ranges"] = window_text(ranges, shift)
    scene_frames = [frame + shift for frame in frames]

    with clock.phase("scene building"):
        meter = progress.phase("scene building")
        source_keys = len(source.frames) if source is not None else 0
        keyed = source_keys + (len(camera_track.frames) if camera_track else 0)
        fresh_scene(host, first + shift, last + shift, job.fps)
        source_node = None
        if source is not None:
            source_node = create_transform(cmds, SOURCE)
            key_track(cmds, source_node, [f + shift for f in source.frames], source.samples,
                      Span(meter, 0, keyed))
        camera_node = create_camera(cmds, CAMERA)
        if camera_track is not None:
            key_track(cmds, camera_node, [f + shift for f in camera_track.frames],
                      camera_track.samples, Span(meter, source_keys, keyed))
        else:
            set_pose(cmds, camera_node, job.camera_pose)
        meter.finish()

    with clock.phase("keying"):
        window = open_window(host)
        calls = CallMeter(cmds, progress.phase("keying"), len(frames), camera_track is None)
        # The tool's own log lines and warnings speak of its window (prepare, layers): a failure
        # comes back as ToolFailed with the warnings, anything else is not for this user.
        with HeldOutput():
            with calls:
                pick_camera_and_source(host, window, camera_node, source_node)
                run_settings.apply_to_window(window, settings)
                prepare(host, window, job.clip)
                mode = host.tt._prepared["camera_mode"]
                bake(host, window)
        window.close()

    with clock.phase("writing"):
        meter = progress.phase("writing " + job.out_path)
        shaken = evaluated_track(cmds, camera_node, scene_frames, fov_on_frames(camera_track, frames),
                                 Span(meter, 0, 2 * len(frames)))
        shaken = shaken._replace(frames=frames)
        chan.write_chan(job.out_path, shaken, Span(meter, len(frames), 2 * len(frames)))
        meter.finish()
    return ShakeResult(shaken, mode, clock.seconds)


def save_plate_clip(host, source_path, name, clip_file, progress, fps=24, warn=None):
    """The `clip` job: the plate's shake, sampled as `shake` samples it (the source's displacements
    before lag, which no setting changes), at `fps`, saved as the clip `name` in `clip_file` (None: the user's
    clip file beside the module). Returns the clip file and the clip's length in frames; raises
    ChanError or ToolFailed, and then saves nothing. `warn` hears what the store says of a save
    that went through."""
    cmds = host.cmds
    source = chan.read_chan(source_path, progress.phase("reading " + source_path))
    first, last = source.frames[0], source.frames[-1]
    if last - first + 1 > MAX_FRAMES:
        raise chan.ChanError("%s: frames %d-%d span %d frames; at most %d frames are prepared at once"
                             % (source_path, first, last, last - first + 1, MAX_FRAMES))
    shift = -first if first < 0 else 0
    meter = progress.phase("scene building")
    fresh_scene(host, first + shift, last + shift, fps)
    source_node = create_transform(cmds, SOURCE)
    key_track(cmds, source_node, [f + shift for f in source.frames], source.samples,
              Span(meter, 0, len(source.frames)))
    camera_node = create_camera(cmds, CAMERA)
    meter.finish()
    window = open_window(host)
    target = os.path.abspath(clip_file) if clip_file is not None else host.tt.get_clip_file_path()
    with HeldOutput():
        pick_camera_and_source(host, window, camera_node, source_node)
        prepare(host, window)
        warnings = Warnings(host)
        saved = host.tt.save_clip(name, target, os.path.abspath(source_path))
    window.close()
    if not saved:
        raise ToolFailed("Save Clip failed: " + warnings.text("the clip is not saved"))
    for text in warnings.new():  # an unusable file kept aside as a numbered .bak, say
        if warn is not None:
            warn(text)
    return target, last - first + 1
