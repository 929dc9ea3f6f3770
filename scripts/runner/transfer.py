"""The `shake` job: the motion of a tracked plate (a source .chan) transferred as shake onto a camera
(a camera .chan, or a static pose), through the tool window on the stand-in host, written as .chan.

The phases are timed; long inputs report progress per phase.
"""
import os
import time
from collections import OrderedDict, namedtuple

from . import chan, settings as run_settings
from .host import fresh_scene
from .progress import HeldOutput, Span
from .scene import create_camera, create_transform, evaluated_track, key_track, set_pose
from .window_driver import bake, open_window, pick_camera_and_source, prepare

CAMERA, SOURCE = "shakeCam", "plateMotion"

# What a run asks for. camera_path and camera_pose: exactly one is given. settings: preset members
# (complete or not; see settings.complete).
ShakeJob = namedtuple("ShakeJob", "source_path camera_path camera_pose out_path settings")

# What a run did: the shaken camera as written, the mode used, and seconds per phase.
ShakeResult = namedtuple("ShakeResult", "track mode seconds")


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
    """The camera file's field of view for each output frame, as written in the file: a frame the
    file does not list takes the nearest listed frame before it (the first listed before them all),
    as the camera's keys hold between and outside their frames. None when the file has none."""
    if track is None or track.fov is None:
        return None
    listed = dict(zip(track.frames, track.fov))
    result, current = [], track.fov[0]
    for frame in frames:
        current = listed.get(frame, current)
        result.append(current)
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


def run_shake(host, job, progress):
    """Runs `job` to the end; raises ChanError, PresetError, OutputError or ToolFailed, and then
    writes nothing."""
    check_output_path(job.out_path)
    clock = _Clock()
    cmds = host.cmds

    with clock.phase("reading"):
        source = chan.read_chan(job.source_path, progress.phase("reading " + job.source_path))
        camera_track = None
        if job.camera_path is not None:
            camera_track = chan.read_chan(job.camera_path, progress.phase("reading " + job.camera_path))
    first, last = source.frames[0], source.frames[-1]
    frames = list(range(first, last + 1))

    with clock.phase("scene building"):
        meter = progress.phase("scene building")
        keyed = len(source.frames) + (len(camera_track.frames) if camera_track else 0)
        fresh_scene(host, first, last)
        source_node = create_transform(cmds, SOURCE)
        key_track(cmds, source_node, source.frames, source.samples, Span(meter, 0, keyed))
        camera_node = create_camera(cmds, CAMERA)
        if camera_track is not None:
            key_track(cmds, camera_node, camera_track.frames, camera_track.samples,
                      Span(meter, len(source.frames), keyed))
        else:
            set_pose(cmds, camera_node, job.camera_pose)
        meter.finish()

    with clock.phase("keying"):
        # Opened before the meter starts: Qt may say a word on stderr as it starts up.
        window = open_window(host)
        meter = progress.phase("keying (prepare, update, bake)")
        with HeldOutput(enabled=progress.enabled):
            meter.step(0, 2)
            pick_camera_and_source(host, window, camera_node, source_node)
            run_settings.apply_to_window(window, job.settings)
            prepare(host, window)
            meter.step(1, 2)
            mode = host.tt._prepared["camera_mode"]
            bake(host, window)
            meter.step(2, 2)
        window.close()

    with clock.phase("writing"):
        meter = progress.phase("writing " + job.out_path)
        shaken = evaluated_track(cmds, camera_node, frames, fov_on_frames(camera_track, frames),
                                 Span(meter, 0, 2 * len(frames)))
        chan.write_chan(job.out_path, shaken, Span(meter, len(frames), 2 * len(frames)))
        meter.finish()
    return ShakeResult(shaken, mode, clock.seconds)
