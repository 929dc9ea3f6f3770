"""Scene, window and expected values shared by the main-path tests (main_path/ and others).

Holds no tests itself. The scene is built with the stand-in host's own commands: a source that
shakes on top of a slow drift, and a camera (with a camera shape) whose six channels are keyed on
every frame, so that the animated and relax modes have an animation to build on. Expected camera
values are computed from the record the tool wrote, with the module's own computation functions
(extraction, ranges, fades, smoothing) and the documented per-frame combination.
"""
from __future__ import division, print_function

import math
import os
import sys
import unittest

import support  # noqa: F401  (sys.path)

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402
from support.qt_events import flush_deleted_windows  # noqa: E402

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")
RECORD_KEYS = ("ready", "camera", "source", "source_data", "delta_data", "camera_base",
               "start_frame", "end_frame", "camera_mode", "camera_original_anim")
FIRST, LAST = 1, 40
FRAMES = list(range(FIRST, LAST + 1))
CAMERA, SOURCE = "shotCam", "shaker"


def use_shot_range(first, last):
    """Makes the scene helpers key and play frames first..last; answers what puts the range back."""
    global FIRST, LAST, FRAMES
    full = FIRST, LAST, FRAMES
    FIRST, LAST, FRAMES = first, last, list(range(first, last + 1))

    def restore():
        global FIRST, LAST, FRAMES
        FIRST, LAST, FRAMES = full
    return restore

# Every shaping control away from its default, and each one different from the others, so that a
# control read into the wrong setting changes the result.
SETTINGS = dict(lag_trans=3, lag_rot=2, smoothing=30, amount=150, trans_amp=80, rot_amp=120,
                trans_x=100, trans_y=55, trans_z=90, rot_x=33, rot_y=100, rot_z=71,
                ranges="5-30, 33-39", fade_in=3, fade_out=4, translate=True, rotate=True)
SLIDERS = ("lag_trans", "lag_rot", "smoothing", "amount", "trans_amp", "rot_amp", "trans_x",
           "trans_y", "trans_z", "rot_x", "rot_y", "rot_z", "fade_in", "fade_out")
TOLERANCE = 1e-9


def source_channel_values(frame):
    """The source's keyed channels: a small high-frequency shake riding on a slow drift."""
    f = float(frame)
    return (0.5 * math.sin(1.7 * f) + 0.1 * f,
            0.3 * math.cos(2.3 * f) + 2.0,
            0.2 * math.sin(0.9 * f) - 0.05 * f,
            2.0 * math.sin(1.1 * f),
            1.5 * math.cos(0.7 * f) + 0.2 * f,
            1.0 * math.sin(2.9 * f))


def camera_channel_values(frame):
    """The camera's own animation: a dolly with a pan and a tilt."""
    f = float(frame)
    return (0.05 * f, 1.6, 10.0 - 0.1 * f, -5.0 + 0.1 * f, 20.0 + 0.5 * f, 3.0 * math.sin(0.2 * f))


def key_channels(node, values_at):
    for frame in FRAMES:
        for channel, value in zip(CHANNELS, values_at(frame)):
            cmds.setKeyframe(node, attribute=channel, time=frame, value=value)


def build_scene(time_unit=None):
    """A fresh host with the source, the camera and the playback range; nothing selected and the
    host's recordings emptied. `time_unit` is set before anything is keyed: the stand-in changes
    the time unit of a scene without curves only."""
    flush_deleted_windows()
    standin.reset()
    if time_unit is not None:
        cmds.currentUnit(time=time_unit)
    cmds.playbackOptions(min=FIRST, max=LAST)
    cmds.createNode("transform", name=SOURCE)
    key_channels(SOURCE, source_channel_values)
    cmds.createNode("transform", name=CAMERA)
    cmds.createNode("camera", name=CAMERA + "Shape", parent=CAMERA)
    key_channels(CAMERA, camera_channel_values)
    cmds.currentTime(FIRST, edit=True)
    cmds.select(clear=True)
    forget_host_recordings()


def forget_host_recordings():
    standin.clear_calls()
    del standin.warnings[:]
    del standin.in_view_messages[:]


def world_sample(node, frame):
    """The node's world translation and rotation at `frame`, read straight from the host."""
    cmds.currentTime(frame, edit=True)
    return tuple(cmds.xform(node, q=True, ws=True, t=True)) + tuple(
        cmds.xform(node, q=True, ws=True, ro=True))


def channel_value(node, channel, frame):
    return cmds.getAttr("%s.%s" % (node, channel), time=frame)


def shake_curve(channel, camera=CAMERA):
    return "%s_shake_%s" % (camera, channel)


def keyed_as_earlier_versions(camera=CAMERA):
    """The shake as versions 1 and 2 left it: each shake curve drives its channel, with no blend,
    and the own curve drives nothing (its link keeps it)."""
    for channel in CHANNELS:
        curve = shake_curve(channel, camera=camera)
        if cmds.objExists(curve):
            cmds.connectAttr(curve + ".output", "%s.%s" % (camera, channel), force=True)
            own = cmds.listConnections(curve + "_add.inputA", source=True, destination=False, plugs=True)
            if own:
                cmds.disconnectAttr(own[0], curve + "_add.inputA")
            cmds.delete(curve + "_add")
    cmds.deleteAttr(camera + ".tremblaShakeBlends")


def expected_camera_values(record, settings):
    """channel -> the camera's value on each prepared frame, for the enabled channels."""
    frames = list(range(record["start_frame"], record["end_frame"] + 1))
    shake = tt.extract_source_shake(record["delta_data"], frames, settings["lag_trans"],
                                    settings["lag_rot"])
    ranges = tt.parse_ranges(settings["ranges"])
    mode = record["camera_mode"]
    recorded = record["camera_original_anim"]
    trans_axis = (settings["trans_x"], settings["trans_y"], settings["trans_z"])
    rot_axis = (settings["rot_x"], settings["rot_y"], settings["rot_z"])
    base_anim = recorded
    if mode in ("animated", "relax") and recorded:
        base_anim = tt.smooth_camera_anim(recorded, frames, settings["smoothing"])
    if mode == "relax" and recorded:
        base_anim = tt.smooth_camera_anim_per_axis(recorded, base_anim, frames,
                                                   settings["smoothing"], trans_axis, rot_axis)
    axis = trans_axis + rot_axis
    expected = {}
    for idx, channel in enumerate(CHANNELS):
        translate = channel.startswith("translate")
        if not settings["translate" if translate else "rotate"]:
            continue
        base_val = record["camera_base"][idx]
        kind_amp = (settings["trans_amp"] if translate else settings["rot_amp"]) / 100.0
        values = []
        for i, frame in enumerate(frames):
            shake_val = shake[frame][idx] if frame in shake else 0
            fade = tt.calculate_fade_multiplier(frame, ranges, settings["fade_in"],
                                                settings["fade_out"])
            term = shake_val * (settings["amount"] / 100.0) * kind_amp * (axis[idx] / 100.0) * fade
            if mode == "static":
                values.append(base_val + term)
            else:
                built_on = base_anim[channel][i] if channel in base_anim else base_val
                values.append(built_on + term if mode == "animated" else built_on)
        expected[channel] = values
    return expected


class Capture(object):
    """A stand-in for sys.stdout / sys.stderr that keeps what is written (str on 3, bytes or
    unicode on 2)."""

    def __init__(self):
        self.parts = []

    def write(self, text):
        if not isinstance(text, str):
            text = text.encode("utf-8") if sys.version_info[0] < 3 else text.decode("utf-8")
        self.parts.append(text)

    def flush(self):
        pass

    def text(self):
        return "".join(self.parts)

    def lines(self):
        return self.text().splitlines()


class MainPathCase(unittest.TestCase):
    """Opens a window over a freshly built scene; captures printed output around each test."""

    def setUp(self):
        build_scene()
        tt.reset_state()
        self.window = tt.show()
        self.stdout, self.stderr = Capture(), Capture()
        self._saved_streams = sys.stdout, sys.stderr
        sys.stdout, sys.stderr = self.stdout, self.stderr
        self.addCleanup(self._restore_streams)
        forget_host_recordings()

    def _restore_streams(self):
        sys.stdout, sys.stderr = self._saved_streams
        standin.clear_faults()
        standin.set_logging(True)

    # -- driving the window ------------------------------------------------------------------

    def apply_settings(self, settings=SETTINGS):
        w = self.window
        for name in SLIDERS:
            getattr(w, name + "_slider").setValue(settings[name])
        w.ranges_field.setText(settings["ranges"])
        w.translate_cb.setChecked(settings["translate"])
        w.rotate_cb.setChecked(settings["rotate"])

    def set_mode(self, mode):
        getattr(self.window, "mode_" + mode).setChecked(True)

    def name_camera_and_source(self, camera=CAMERA, source=SOURCE):
        self.window.camera_field.setText(camera)
        self.window.source_field.setText(source)

    def prepare(self, mode, settings=SETTINGS):
        """Names, settings and mode set through the controls, then one prepare."""
        self.name_camera_and_source()
        self.apply_settings(settings)
        self.set_mode(mode)
        forget_host_recordings()
        self.window._prepare_shake()

    # -- checks ------------------------------------------------------------------------------

    def record(self):
        return dict(tt._prepared.items())

    def assert_button(self, text, style_class):
        self.assertEqual(self.window.prepare_btn.text(), text)
        self.assertEqual(self.window.prepare_btn.property("class"), style_class)

    def assert_values(self, actual, expected, what):
        self.assertEqual(len(actual), len(expected), what)
        for i, (a, e) in enumerate(zip(actual, expected)):
            self.assertTrue(abs(a - e) <= TOLERANCE * max(1.0, abs(e)),
                            "%s, item %d: %r != %r" % (what, i, a, e))

    def assert_camera_shaken(self, settings=SETTINGS):
        """The camera evaluates, on every prepared frame, to what the record and `settings` give."""
        record = self.record()
        standin.set_logging(False)
        try:
            for channel, values in expected_camera_values(record, settings).items():
                self.assertTrue(cmds.objExists(shake_curve(channel)), channel)
                actual = [channel_value(CAMERA, channel, f) for f in FRAMES]
                self.assert_values(actual, values, channel)
        finally:
            standin.set_logging(True)

    def assert_camera_animation_restored(self):
        for channel, idx in zip(CHANNELS, range(6)):
            actual = [channel_value(CAMERA, channel, f) for f in FRAMES]
            self.assert_values(actual, [camera_channel_values(f)[idx] for f in FRAMES], channel)

    def assert_no_shake_curves(self):
        for channel in CHANNELS:
            self.assertFalse(cmds.objExists(shake_curve(channel)), channel)

    def logged(self, op=None):
        """The host calls of the command, without the window's look at the undo queue."""
        return [(c.op, c.args, c.kwargs) for c in standin.calls
                if (op is None or c.op == op) and not (c.op == "undoInfo" and c.kwargs.get("q"))]
