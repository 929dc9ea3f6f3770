"""Shots built the way animators build them, each one a situation where the tool once gave a
plainly wrong result or lost animation: a hand-held source turned 120 degrees, a turntable, a pan
through 90 degrees, every rotation order, a camera under a moving rotated rig, two cameras of the
same short name, an empty playback range. The scenes are built only with host commands.
"""
from __future__ import division

import math
import unittest

from support.main_path import (
    CAMERA, CHANNELS, FIRST, FRAMES, LAST, SETTINGS, SOURCE, MainPathCase, camera_channel_values,
    channel_value, shake_curve)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

ROTATE_ORDERS = ("xyz", "yzx", "zxy", "xzy", "yxz", "zyx")
STILL = dict(SETTINGS, amount=0, smoothing=0)  # shake nothing, smooth nothing


# -- the scene library --------------------------------------------------------------------------

def wobble(frame, phase):
    """A small hand-held tremor, in degrees or units."""
    return 0.3 * math.sin(1.7 * frame + phase) + 0.1 * math.cos(3.1 * frame + 2 * phase)


def yaw_120_hand_held(f):
    return (0.18 + wobble(f, 0), 120.0 + wobble(f, 1), 0.04 + wobble(f, 2))


def turntable(f):
    """Two full turns over the range, with a wobble on every axis."""
    return (wobble(f, 0), 720.0 * (f - FIRST) / (LAST - FIRST) + wobble(f, 1), wobble(f, 2))


def pan_through_90(f):
    return (wobble(f, 0), 80.0 + 20.0 * (f - FIRST) / (LAST - FIRST) + wobble(f, 1), wobble(f, 2))


def turned_beyond_90(f):
    """Every channel beyond 90 degrees, so that every rotation order answers the other solution."""
    return (100.0 + wobble(f, 0), 120.0 + wobble(f, 1), -110.0 + wobble(f, 2))


def keyed_source(name, rotation_at, order="xyz"):
    """A top-level transform keyed on every frame: a hand-held drift and `rotation_at(f)`."""
    cmds.createNode("transform", name=name)
    cmds.setAttr(name + ".rotateOrder", ROTATE_ORDERS.index(order))
    for f in FRAMES:
        values = (0.02 * f + wobble(f, 3), 1.5 + wobble(f, 4), wobble(f, 5)) + rotation_at(f)
        for channel, value in zip(CHANNELS, values):
            cmds.setKeyframe(name, attribute=channel, time=f, value=value)
    return name


def camera(name, parent=None, translate=(0.0, 0.0, 0.0), rotate=(0.0, 0.0, 0.0)):
    if parent is None:
        cmds.createNode("transform", name=name)
    else:
        name = cmds.createNode("transform", name=name, parent=parent)
    cmds.createNode("camera", name=name.split("|")[-1] + "Shape", parent=name)
    for channel, value in zip(CHANNELS, tuple(translate) + tuple(rotate)):
        cmds.setAttr("%s.%s" % (name, channel), value)
    return name


def camera_under_moving_rotated_rig():
    """A camera whose own channels stay put, carried by a rig that travels and turns."""
    cmds.createNode("transform", name="rig")
    for f in FRAMES:
        for channel, value in zip(CHANNELS, (2.5 + 0.1 * f, 10.0, 4.33, 0.0, 30.0 + 0.5 * f, 0.0)):
            cmds.setKeyframe("rig", attribute=channel, time=f, value=value)
    return camera("rigCam", parent="rig", translate=(5.0, 0.0, 0.0), rotate=(0.0, 30.0, 0.0))


def camera_turned_120():
    return camera("yawCam", translate=(1.0, 2.0, 3.0), rotate=(0.0, 120.0, 0.0))


def cameras_of_one_short_name():
    for group in ("grpA", "grpB"):
        cmds.createNode("transform", name=group)
        camera("cam", parent=group, translate=(1.0, 2.0, 3.0), rotate=(4.0, 5.0, 6.0))
    return "grpB|cam"


# -- expectations -------------------------------------------------------------------------------

def channel_samples(node):
    """frame -> the node's six channel values (for a top-level node, its world transform)."""
    return dict((f, tuple(channel_value(node, c, f) for c in CHANNELS)) for f in FRAMES)


def deltas_of(samples):
    first = samples[FIRST]
    return dict((f, tuple(v - r for v, r in zip(samples[f], first))) for f in samples)


def channels_everywhere(node):
    return [tuple(channel_value(node, c, f) for c in CHANNELS) for f in FRAMES]


class RealShotCase(MainPathCase):
    def prepare_shot(self, camera_name, source, mode, settings=SETTINGS):
        self.window.camera_field.setText(camera_name)
        self.window.source_field.setText(source)
        self.apply_settings(settings)
        self.set_mode(mode)
        self.window._prepare_shake()

    def assert_close(self, actual, expected, what, tolerance=1e-7):
        self.assertEqual(len(actual), len(expected), what)
        for a, e in zip(actual, expected):
            self.assertTrue(abs(a - e) <= tolerance, "%s: %r != %r" % (what, actual, expected))


class ContinuousRotationTest(RealShotCase):
    def test_shake_of_a_top_level_source_is_the_shake_of_its_own_channels(self):
        shots = [("yaw 120 hand-held", yaw_120_hand_held, "xyz"), ("turntable", turntable, "xyz"),
                 ("pan through 90", pan_through_90, "xyz")]
        shots += [("rotation order " + order, turned_beyond_90, order) for order in ROTATE_ORDERS]
        for number, (shot, rotation_at, order) in enumerate(shots):
            source = keyed_source("src%d" % number, rotation_at, order)
            self.prepare_shot(CAMERA, source, "static")
            self.assertEqual(list(standin.warnings), [], shot)
            record = self.record()
            expected = deltas_of(channel_samples(source))
            for f in FRAMES:
                self.assert_close(record["delta_data"][f], expected[f], "%s, delta at %d" % (shot, f))
            got = tt.extract_source_shake(record["delta_data"], FRAMES, 3, 2)
            want = tt.extract_source_shake(expected, FRAMES, 3, 2)
            for f in FRAMES:
                self.assert_close(got[f], want[f], "%s, shake at %d" % (shot, f))
            self.window._reset_camera()


class CameraKeepsItsPlaceTest(RealShotCase):
    def test_no_shake_changes_nothing_about_a_parented_or_turned_camera_in_any_mode(self):
        for build in (camera_under_moving_rotated_rig, camera_turned_120):
            cam = build()
            own = channels_everywhere(cam)
            for mode in ("static", "animated", "relax"):
                for finish in (self.window._reset_camera, self.window._bake_to_layer):
                    self.prepare_shot(cam, SOURCE, mode, STILL)
                    what = "%s, %s, %s" % (cam, mode, finish.__name__)
                    for got, want in zip(channels_everywhere(cam), own):
                        self.assert_close(got, want, what + " (shaken)")
                    finish()
                    for got, want in zip(channels_everywhere(cam), own):
                        self.assert_close(got, want, what)
                    if cmds.animLayer("trembla_layer", q=True, exists=True):
                        cmds.delete("trembla_layer")


class NothingLostTest(RealShotCase):
    def test_preparing_the_shaken_camera_again_still_resets_to_the_animators_move(self):
        for mode in ("animated", "relax", "static"):
            self.prepare_shot(CAMERA, SOURCE, mode)
            self.window.lag_rot_slider.setValue(7)
            self.prepare_shot(CAMERA, SOURCE, mode)
            self.assertEqual(list(standin.warnings), [])
            # The static mode's reset holds the start pose: only the other modes find the move again.
            for channel, idx in zip(CHANNELS, range(6) if mode != "static" else ()):
                self.assert_values(self.record()["camera_original_anim"].get(channel, []),
                                   [camera_channel_values(f)[idx] for f in FRAMES], channel)
            self.window._reset_camera()
            if mode != "static":
                self.assert_camera_animation_restored()
            self.assert_no_shake_curves()

    def test_a_channel_the_layer_refuses_keeps_its_own_animation_and_is_named_once(self):
        self.prepare_shot(CAMERA, SOURCE, "animated")
        standin.fail("animLayer", on_call=2)  # create, then the first channel
        self.window._bake_to_layer()
        self.assertEqual(list(standin.warnings),
                         ["Could not add %s.translateX to layer trembla_layer; not keyed." % CAMERA])
        self.assertEqual(cmds.animLayer("trembla_layer", q=True, attribute=True),
                         sorted("%s.%s" % (CAMERA, c) for c in CHANNELS[1:]))
        cmds.animLayer("trembla_layer", edit=True, mute=True)
        self.assert_camera_animation_restored()

    def test_an_invalid_playback_range_is_refused_and_nothing_touched(self):
        invalid = "Invalid playback range: %s. Set a playback range that ends at or after its start."
        too_long = "Playback range too long: %s. At most 10000000 frames are prepared at once."
        cases = [((10, 5), invalid % "10 to 5"), ((float("nan"), 5), invalid % "nan to 5"),
                 ((1, float("inf")), invalid % "1 to inf"), ((1, 1e300), invalid % "1 to 1e+300"),
                 ((1, 1e15), too_long % "1 to 1e+15")]
        for (start, end), warning in cases:
            cmds.playbackOptions(min=start, max=end)
            standin.clear_calls()
            del standin.warnings[:]
            self.prepare_shot(CAMERA, SOURCE, "animated")
            self.assertEqual(list(standin.warnings), [warning])
            # The refused prepare's own checks (the camera's note looked for: there is none);
            # the window asks nothing first, since no curve was edited since it last looked.
            self.assertEqual([op for op, _, _ in self.logged()],
                             ["objExists", "objExists", "objExists", "attributeQuery",
                              "playbackOptions", "playbackOptions", "warning"])
            self.assertFalse(tt._prepared["ready"])
            self.assert_button("Prepare Shake", "primaryBtn")
            self.assertEqual(self.stdout.text(), "")
            self.assert_camera_animation_restored()  # still the animator's own keys

    def test_decoration_and_an_unreadable_evaluation_mode_do_not_fail_a_prepare(self):
        cmds.evaluationManager(mode="serial")
        standin.fail("inViewMessage", always=True)
        standin.fail("evaluationManager", on_call=1)
        standin.clear_calls()
        self.prepare_shot(CAMERA, SOURCE, "static")
        self.assertEqual(list(standin.warnings), [])
        self.assertTrue(tt._prepared["ready"])
        self.assertIn("Shake prepared. %d frames." % len(FRAMES), self.stdout.lines())
        self.assertEqual(standin.evaluation_mode(), "serial")
        self.assertEqual(self.logged("evaluationManager"),
                         [("evaluationManager", (), {"q": True, "mode": True})])


class NamesAsTheHostGivesThemTest(RealShotCase):
    def test_a_camera_known_by_its_dag_path_is_shaken_reset_and_baked(self):
        path = cameras_of_one_short_name()
        own = channels_everywhere(path)
        other = channels_everywhere("grpA|cam")
        cmds.select(path)
        self.window._set_camera()
        self.assertEqual(self.window.camera_field.text(), path)
        for finish in (self.window._reset_camera, self.window._bake_to_layer):
            self.prepare_shot(path, SOURCE, "static")
            self.assertEqual(list(standin.warnings), [])
            for channel in CHANNELS:
                blend = shake_curve(channel, camera="cam") + "_add"
                self.assertEqual(cmds.listConnections("%s.%s" % (path, channel), source=True), [blend])
                self.assertEqual(cmds.listConnections(blend + ".inputB", source=True),
                                 [shake_curve(channel, camera="cam")])
            finish()
            self.assertEqual(list(standin.warnings), [])
            for channel in CHANNELS:
                self.assertFalse(cmds.objExists(shake_curve(channel, camera="cam")), channel)
            self.assertEqual(channels_everywhere("grpA|cam"), other)
            if finish == self.window._reset_camera:
                for got, want in zip(channels_everywhere(path), own):
                    self.assert_close(got, want, "reset")


class RangesAsMeantTest(unittest.TestCase):
    def test_overlaps_take_the_largest_multiplier_and_huge_numbers_clamp(self):
        cases = [("10-50, 40-80", 50, 0, 3, 1.0), ("10-50, 40-80", 48, 0, 3, 1.0),
                 ("9223372036854775808-1", 5, 0, 0, 0.0), ("1-99999999999999999999", 5, 0, 0, 1.0)]
        for text, frame, fade_in, fade_out, expected in cases:
            ranges = tt.parse_ranges(text)
            self.assertEqual(tt.calculate_fade_multiplier(frame, ranges, fade_in, fade_out),
                             expected, (text, frame))
        self.assertEqual(tt.parse_ranges("9223372036854775808-1"), [(9223372036854775807, 1)])


if __name__ == "__main__":
    unittest.main()
