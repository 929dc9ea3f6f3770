"""apply_shake_to_camera through the stand-in host: the exact host calls per channel, the key
values of every camera mode against the Python reference, and what survives a failing call."""
from __future__ import division

import math
import random
import unittest

import support  # noqa: F401  (sys.path)

import maya.standin as standin
from maya import cmds

import trembla_tool as tt
from functions.test_shake_functions import (
    CHANNELS, random_anim, random_record, ref_fade, ref_smooth_camera_anim,
    ref_smooth_camera_anim_per_axis)


def ref_camera_keys(camera, shake_data, frames, smoothing, amplitude, translate_amp, rotate_amp,
                    trans_axis_mult, rot_axis_mult, use_translate, use_rotate, ranges, fade_in,
                    fade_out, camera_base, camera_mode, camera_original_anim):
    """channel -> key values of `camera`'s shake curves, written the straightforward way."""
    attrs = (CHANNELS[:3] if use_translate else ()) + (CHANNELS[3:] if use_rotate else ())
    shake_amp = amplitude / 100.0
    t_amp = translate_amp / 100.0
    r_amp = rotate_amp / 100.0
    smoothed = camera_original_anim
    if camera_mode in ("animated", "relax") and camera_original_anim:
        smoothed = ref_smooth_camera_anim(camera_original_anim, frames, smoothing)
    if camera_mode == "relax" and camera_original_anim:
        smoothed = ref_smooth_camera_anim_per_axis(camera_original_anim, smoothed, frames,
                                                   smoothing, trans_axis_mult, rot_axis_mult)
    axis = list(trans_axis_mult[:3]) + list(rot_axis_mult[:3])
    keys = {}
    for attr in attrs:
        idx = CHANNELS.index(attr)
        axis_amp = axis[idx] / 100.0
        base_val = camera_base[idx]
        amp = t_amp if attr.startswith("translate") else r_amp
        values = []
        for i, f in enumerate(frames):
            shake_val = shake_data[f][idx] if f in shake_data else 0
            fade = ref_fade(f, ranges, fade_in, fade_out)
            if camera_mode in ("animated", "relax"):
                smoothed_val = smoothed.get(attr, [base_val] * len(frames))[i]
            if camera_mode == "animated":
                final = smoothed_val + shake_val * shake_amp * amp * axis_amp * fade
            elif camera_mode == "relax":
                final = smoothed_val
            else:
                final = base_val + shake_val * shake_amp * amp * axis_amp * fade
            values.append(final)
        keys[attr] = values
    return keys


ADD_KEYS = "OpenMayaAnim.MFnAnimCurve.addKeys"


def batch_key_calls(curve, frames, values, asked):
    """The host's Python API calls that key a new curve in one go, its values in internal units
    (radians for an angular curve; centimetres in this scene). Each unit is asked once per
    application, before the first curve that needs it: `asked` keeps what was."""
    if not frames:
        return []
    calls = []
    if curve.split("_")[-1].startswith("rotate"):
        calls += unit_calls(asked, ("currentUnit", (), {"q": True, "angle": True}),
                            ("OpenMaya.MAngle.uiToInternal", (1.0,), {}))
        values = [v * (math.pi / 180.0) for v in values]  # times MAngle.uiToInternal(1.0)
    else:
        calls += unit_calls(asked, ("OpenMaya.MDistance.uiToInternal", (1.0,), {}))
    calls += unit_calls(asked, ("OpenMaya.MTime.uiUnit", (), {}))
    return calls + [
        ("OpenMaya.MSelectionList.add", (curve,), {}),
        ("OpenMaya.MSelectionList.getDependNode", (0,), {}),
        ("OpenMayaAnim.MFnAnimCurve", (curve,), {}),
        (ADD_KEYS, (curve, tuple(float(f) for f in frames), tuple(values), 0, 0, False), {})]


def unit_calls(asked, *calls):
    new = [call for call in calls if call[0] not in asked]
    asked.update(call[0] for call in new)
    return new


def expected_channel_calls(camera, attr, frames, values, curve_existed, batch, asked):
    curve = "%s_shake_%s" % (camera, attr)
    curve_type = "animCurveTL" if attr.startswith("translate") else "animCurveTA"
    calls = [("objExists", (curve,), {})]
    if curve_existed:
        calls.append(("delete", (curve,), {}))
    calls.append(("createNode", (curve_type,), {"name": curve, "skipSelect": True}))
    if batch:
        calls += batch_key_calls(curve, frames, values, asked)
    else:
        if frames:
            calls += unit_calls(asked, ("currentUnit", (), {"q": True, "angle": True}))
        calls += [("setKeyframe", (curve,), {"time": f, "value": v})
                  for f, v in zip(frames, values)]
    calls.append(("connectAttr", (curve + ".output", "%s.%s" % (camera, attr)), {"force": True}))
    return calls


def logged(calls):
    return [(call.op, call.args, call.kwargs) for call in calls]


class ApplyTest(unittest.TestCase):
    """A host without the batch interface: one setKeyframe per key."""
    BATCH = False

    def reset(self):
        standin.reset()
        standin.set_api_available(self.BATCH)

    def setUp(self):
        self.reset()
        rng = random.Random(17)
        self.camera = cmds.createNode("transform", name="cam1")
        cmds.createNode("camera", parent=self.camera)
        self.frames = list(range(5, 35))
        self.shake = random_record(rng, self.frames, scale=2.0)
        del self.shake[20]  # a frame without shake contributes nothing
        self.anim = random_anim(rng, len(self.frames))
        self.base = tuple(rng.uniform(-50, 50) for _ in range(6))
        standin.clear_calls()

    def arguments(self, **changes):
        args = dict(
            camera="cam1", shake_data=self.shake, frames=self.frames, smoothing=30,
            amplitude=150, translate_amp=80, rotate_amp=120, trans_axis_mult=(100, 55, 0),
            rot_axis_mult=(33, 100, 71), use_translate=True, use_rotate=True,
            ranges=[(8, 20), (25, 40)], fade_in=3, fade_out=4, camera_base=self.base,
            camera_mode="static", camera_original_anim={})
        args.update(changes)
        return args

    def apply(self, args):
        order = ("camera", "shake_data", "frames", "smoothing", "amplitude", "translate_amp",
                 "rotate_amp", "trans_axis_mult", "rot_axis_mult", "use_translate", "use_rotate",
                 "ranges", "fade_in", "fade_out", "camera_base", "camera_mode",
                 "camera_original_anim")
        self.assertIsNone(tt.apply_shake_to_camera(*[args[name] for name in order]))

    def assert_applied(self, args, existing=()):
        expected_keys = ref_camera_keys(**args)
        written = [c for c in CHANNELS if c in expected_keys]
        # One cut for all the channels written, then each channel's curve in turn.
        expected = [("cutKey", (args["camera"],), {"attribute": written, "clear": True})] if written else []
        asked = set()
        for attr in written:
            expected += expected_channel_calls(args["camera"], attr, args["frames"],
                                               expected_keys[attr], attr in existing,
                                               self.BATCH, asked)
        self.assertEqual(logged(standin.calls), expected)
        standin.set_logging(False)
        for attr, values in expected_keys.items():
            curve = "cam1_shake_" + attr
            self.assertEqual(cmds.listConnections("cam1." + attr, source=True), [curve])
            shown = cmds.keyframe(curve, q=True, valueChange=True) or []
            self.assertEqual(len(shown), len(values))
            for a, e in zip(shown, values):  # through radians and back
                self.assertAlmostEqual(a, e, delta=1e-12 * max(1.0, abs(e)))

    def test_static_mode_writes_base_plus_scaled_shake_per_channel_in_order(self):
        args = self.arguments()
        self.apply(args)
        self.assert_applied(args)

    def test_animated_mode_builds_on_the_smoothed_recorded_animation(self):
        for smoothing in (0, 1, 30, 100):
            standin.set_logging(True)
            standin.clear_calls()
            args = self.arguments(camera_mode="animated", camera_original_anim=self.anim,
                                  smoothing=smoothing)
            self.apply(args)
            self.assert_applied(args)

    def test_relax_mode_writes_the_relaxed_animation(self):
        args = self.arguments(camera_mode="relax", camera_original_anim=self.anim, smoothing=45)
        self.apply(args)
        self.assert_applied(args)

    def test_mode_text_naming_no_mode_keys_as_static_even_with_a_recording(self):
        args = self.arguments(camera_mode="Relax", camera_original_anim=self.anim, smoothing=45)
        self.apply(args)
        self.assert_applied(args)

    def test_recorded_modes_without_animation_build_on_the_base(self):
        for mode in ("animated", "relax"):
            self.reset()
            cmds.createNode("transform", name="cam1")
            standin.clear_calls()
            args = self.arguments(camera_mode=mode)
            self.apply(args)
            self.assert_applied(args)

    def test_second_update_replaces_each_curve_by_name(self):
        args = self.arguments(use_rotate=False)
        self.apply(args)
        standin.clear_calls()
        self.apply(args)
        # Cutting the channel's keys takes the connected curve with it: nothing left to delete.
        self.assert_applied(args)
        self.assertEqual(cmds.ls("cam1_shake_*"), ["cam1_shake_" + c for c in CHANNELS[:3]])

    def test_an_old_curve_that_survived_the_cut_is_deleted_first(self):
        for attr in ("translateY", "rotateZ"):
            cmds.createNode("animCurveTA" if attr.startswith("rotate") else "animCurveTL",
                            name="cam1_shake_" + attr)
        standin.clear_calls()
        args = self.arguments()
        self.apply(args)
        self.assert_applied(args, existing=("translateY", "rotateZ"))

    def test_switched_off_channels_are_not_touched(self):
        self.apply(self.arguments(use_translate=False, use_rotate=False))
        self.assertEqual(standin.calls, [])
        self.apply(self.arguments(use_translate=False))
        self.assertEqual([c.kwargs["attribute"] for c in standin.calls_of("cutKey")], [list(CHANNELS[3:])])

    def test_empty_frames_still_replace_and_connect_each_curve(self):
        args = self.arguments(frames=[], use_rotate=False)
        self.apply(args)
        self.assert_applied(args)

    def test_failed_connection_is_ignored_and_the_curve_stays_keyed(self):
        standin.fail("connectAttr", on_call=2)
        args = self.arguments()
        self.apply(args)
        standin.set_logging(False)
        self.assertIsNone(cmds.listConnections("cam1.translateY", source=True))
        self.assertEqual(len(cmds.keyframe("cam1_shake_translateY", q=True, valueChange=True)),
                         len(self.frames))
        self.assertEqual(cmds.listConnections("cam1.translateZ", source=True),
                         ["cam1_shake_translateZ"])

    def test_host_failure_propagates_and_keeps_earlier_channels(self):
        # Per key: the third key of translateY fails. In one batch: translateY's function set
        # cannot be made, leaving what the per-key path leaves when the curve's first key fails
        # (addKeys refusing the call itself would key per key instead: test_host_units.py).
        op, nth = (("OpenMayaAnim.MFnAnimCurve", 2) if self.BATCH
                   else ("setKeyframe", len(self.frames) + 3))
        standin.fail(op, on_call=nth)
        with self.assertRaises(RuntimeError) as caught:
            self.apply(self.arguments())
        self.assertEqual(str(caught.exception), "stand-in fault: %s call #%d failed" % (op, nth))
        ops = [call.op for call in standin.calls]
        self.assertEqual(ops.count("connectAttr"), 1)
        self.assertEqual(standin.calls[-1].op, op)
        standin.set_logging(False)
        self.assertEqual(cmds.listConnections("cam1.translateX", source=True),
                         ["cam1_shake_translateX"])
        self.assertIsNone(cmds.listConnections("cam1.translateY", source=True))
        self.assertEqual(
            len(cmds.keyframe("cam1_shake_translateY", q=True, valueChange=True) or []),
            0 if self.BATCH else 2)
        self.assertFalse(cmds.objExists("cam1_shake_translateZ"))

    def test_bad_recorded_animation_fails_before_any_host_call(self):
        short = dict(self.anim)
        short["rotateY"] = short["rotateY"][:-1]
        with self.assertRaises(ValueError):
            self.apply(self.arguments(camera_mode="animated", camera_original_anim=short, smoothing=20))
        self.assertEqual(standin.calls, [])


class BatchApplyTest(ApplyTest):
    """The host's Python API keys each new curve in one addKeys call."""
    BATCH = True


if __name__ == "__main__":
    unittest.main()
