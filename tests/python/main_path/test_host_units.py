"""The tool in the host's units, with the user's selection, and when the batch key call is refused.

The same physical shot is built in several working units (currentUnit) and frame rates; every
mode on both key paths (one MFnAnimCurve.addKeys per curve, or one setKeyframe per key) must give
the same camera, converted back to cm and degrees, after an update, a reset and a bake.
"""
from __future__ import division

import math
import unittest

import support  # noqa: F401  (sys.path)

from support.main_path import (  # noqa: E402
    CAMERA, CHANNELS, FRAMES, SETTINGS, SOURCE, MainPathCase, build_scene,
    camera_channel_values, forget_host_recordings, key_channels, source_channel_values)

import maya.standin as standin  # noqa: E402  (after support set up sys.path)
from maya import cmds  # noqa: E402
from maya.api import OpenMaya as om  # noqa: E402

import trembla_tool as tt  # noqa: E402

ADD_KEYS = "OpenMayaAnim.MFnAnimCurve.addKeys"
CM_PER_UNIT = {"cm": 1.0, "m": 100.0, "mm": 0.1, "in": 2.54}
UI_PER_DEGREE = {"deg": 1.0, "rad": math.pi / 180.0}
UNITS = (("cm", "deg"), ("m", "rad"), ("mm", "deg"), ("in", "rad"))
RATES = ("film", "pal", "show")  # 24, 25, 48 fps
MODES = ("static", "animated", "relax")


def in_units(linear, angle, values):
    """Six cm/degree channel values in the working units."""
    return tuple(v / CM_PER_UNIT[linear] for v in values[:3]) + tuple(
        v * UI_PER_DEGREE[angle] for v in values[3:])


def build_scene_in(linear, angle, rate):
    """The main-path scene (support.main_path.build_scene), physically the same, built in
    the given working units."""
    standin.reset()
    cmds.currentUnit(linear=linear, angle=angle, time=rate)
    cmds.playbackOptions(min=FRAMES[0], max=FRAMES[-1])
    cmds.createNode("transform", name=SOURCE)
    key_channels(SOURCE, lambda f: in_units(linear, angle, source_channel_values(f)))
    cmds.createNode("transform", name=CAMERA)
    cmds.createNode("camera", name=CAMERA + "Shape", parent=CAMERA)
    key_channels(CAMERA, lambda f: in_units(linear, angle, camera_channel_values(f)))
    cmds.currentTime(FRAMES[0], edit=True)
    cmds.select(clear=True)
    forget_host_recordings()


def camera_in_cm_and_degrees():
    linear = cmds.currentUnit(q=True, linear=True)
    angle = cmds.currentUnit(q=True, angle=True)
    standin.set_logging(False)
    try:
        values = []
        for k, channel in enumerate(CHANNELS):
            scale = CM_PER_UNIT[linear] if k < 3 else 1.0 / UI_PER_DEGREE[angle]
            values.append([cmds.getAttr("%s.%s" % (CAMERA, channel), time=f) * scale
                           for f in FRAMES])
        return values
    finally:
        standin.set_logging(True)


class UnitsCase(MainPathCase):
    def open_in(self, units, rate, batch):
        build_scene_in(units[0], units[1], rate)
        standin.set_api_available(batch)
        tt.reset_state()
        self.window = tt.show()

    def shot(self, units, rate, batch, mode):
        """The camera after prepare and one update, after a reset, and after prepare and bake."""
        self.open_in(units, rate, batch)
        self.prepare(mode)
        self.window.amount_slider.setValue(SETTINGS["amount"] - 7)
        updated = camera_in_cm_and_degrees()
        self.window._reset_camera()
        reset = camera_in_cm_and_degrees()
        self.window._prepare_shake()
        self.window._bake_to_layer()
        self.assertEqual(standin.warnings, [], (units, rate, batch, mode))
        return updated, reset, camera_in_cm_and_degrees()

    def assert_close(self, actual, expected, what):
        for channel, a_values, e_values in zip(CHANNELS, actual, expected):
            for frame, a, e in zip(FRAMES, a_values, e_values):
                self.assertTrue(abs(a - e) <= 1e-9 * max(1.0, abs(e)),
                                "%s %s frame %d: %r != %r" % (what, channel, frame, a, e))


class UnitTableTest(UnitsCase):
    def test_the_same_shot_in_any_units_and_rate_gives_the_same_camera_on_both_key_paths(self):
        for mode in MODES:
            reference = self.shot(UNITS[0], RATES[0], False, mode)
            for units in UNITS:
                for rate in RATES:
                    for batch in (True, False):
                        got = self.shot(units, rate, batch, mode)
                        for stage, actual, expected in zip(("update", "reset", "bake"), got,
                                                           reference):
                            self.assert_close(actual, expected,
                                              "%s %s %s %s %s" % (mode, units, rate,
                                                                  "batch" if batch else "per key",
                                                                  stage))

    def test_keys_written_through_the_api_are_in_internal_units(self):
        curves = ["%s_shake_%s" % (CAMERA, channel) for channel in ("translateY", "rotateY")]
        self.open_in(("m", "deg"), "film", False)
        self.prepare("static")
        shown = [cmds.keyframe(curve, q=True, valueChange=True) for curve in curves]
        self.open_in(("m", "deg"), "film", True)
        self.prepare("static")
        written = dict((c.args[0], c.args[2]) for c in standin.calls_of(ADD_KEYS))
        for curve, ui_values, unit in zip(curves, shown, (om.MDistance, om.MAngle)):
            self.assert_close([written[curve]], [[unit.uiToInternal(v) for v in ui_values]], curve)


class SelectionKeptTest(UnitsCase):
    def test_every_action_leaves_the_selection_as_it_was(self):
        steps = (
            ("prepare", lambda w: self.prepare("animated")),
            ("update", lambda w: w.amount_slider.setValue(SETTINGS["amount"] - 9)),
            ("bypass", lambda w: w.bypass_cb.setChecked(True)),
            ("bake while bypassed", lambda w: w._bake_to_layer()),
            ("prepare again", lambda w: w._prepare_shake()),
            ("reset", lambda w: w._reset_camera()),
            ("prepare, then bake", lambda w: (w._prepare_shake(), w._bake_to_layer())),
        )
        for selected in ([], [SOURCE], [CAMERA, SOURCE]):
            build_scene()
            tt.reset_state()
            self.window = tt.show()
            if selected:
                cmds.select(selected)
            for name, action in steps:
                action(self.window)
                self.assertEqual(cmds.ls(selection=True), selected, "%s %s" % (selected, name))


class RefusedBatchCallTest(UnitsCase):
    def updated_scene(self, batch, fault=None):
        self.open_in(UNITS[1], "pal", batch)
        self.prepare("animated")
        if fault is not None:
            fault()
        self.window.amount_slider.setValue(SETTINGS["amount"] - 7)
        return camera_in_cm_and_degrees()

    def test_a_refused_batch_call_keys_per_key_until_the_state_is_reset(self):
        per_key = self.updated_scene(False)
        for refusal in (TypeError, RuntimeError):
            def refuse(*args, **kwargs):
                raise refusal("addKeys() takes no such arguments")
            self.stdout.parts[:] = []
            from maya.api import OpenMayaAnim
            saved = OpenMayaAnim.MFnAnimCurve.addKeys
            OpenMayaAnim.MFnAnimCurve.addKeys = refuse
            try:
                fallback = self.updated_scene(True)
            finally:
                OpenMayaAnim.MFnAnimCurve.addKeys = saved
            self.assertEqual(standin.warnings, [])
            self.assert_close(fallback, per_key, refusal.__name__)
            said = [line for line in self.stdout.lines() if "per key" in line]
            self.assertEqual(len(said), 1, self.stdout.text())
            # The next update stays on the per-key path; reset_state() tries the batch call again.
            forget_host_recordings()
            self.window.amount_slider.setValue(SETTINGS["amount"] - 3)
            self.assertEqual(standin.calls_of(ADD_KEYS), [])
            # A 0 on the frame on each side of the range too.
            self.assertEqual(len(standin.calls_of("setKeyframe")), 6 * (len(FRAMES) + 2))
            tt.reset_state()
            self.window = tt.show()
            self.prepare("animated")
            self.assertEqual(len(standin.calls_of(ADD_KEYS)), 6)

    def test_a_batch_call_failing_after_some_keys_stays_a_failure(self):
        self.open_in(UNITS[1], "pal", True)
        self.prepare("animated")
        standin.fail_add_keys_partway(3, on_call=2)
        with self.assertRaises(RuntimeError):
            self.window._update_shake()
        curve = "%s_shake_translateY" % CAMERA
        self.assertEqual(cmds.keyframe(curve, q=True, timeChange=True), [FRAMES[0] - 1] + FRAMES[:2])
        forget_host_recordings()
        self.window.amount_slider.setValue(SETTINGS["amount"] - 3)
        self.assertEqual(len(standin.calls_of(ADD_KEYS)), 6)  # still the batch path


if __name__ == "__main__":
    unittest.main()
