"""Prepare reads the camera without stepping time: the same values, key for key, as stepping to
each frame and reading each channel there, with the time left where it always was, and N + 2
time changes in every mode; the bridge's time arrays kept across commands until reset_state()."""
import math

from support.main_path import CAMERA, CHANNELS, FIRST, FRAMES, LAST, MainPathCase

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402
from maya.api import OpenMaya as om  # noqa: E402

import trembla_tool as tt  # noqa: E402


def own_curve(channel):
    found = cmds.listConnections("%s.%s" % (CAMERA, channel), source=True, destination=False)
    return found[0] if found else None


def stepped_reading():
    """Each channel on each frame as a time-stepping read finds it: its own curve's value where it
    has one, else the channel at the current time; angles in degrees, as the record holds them."""
    per_degree = 1.0 if cmds.currentUnit(q=True, angle=True) in ("deg", "degree") else math.pi / 180.0
    curves = dict((channel, own_curve(channel)) for channel in CHANNELS)
    values = dict((channel, []) for channel in CHANNELS)
    for frame in FRAMES:
        cmds.currentTime(frame, edit=True)
        for channel in CHANNELS:
            answer = curves[channel] and cmds.keyframe(curves[channel], q=True, time=(frame, frame), eval=True)
            value = answer[0] if answer else cmds.getAttr("%s.%s" % (CAMERA, channel))
            values[channel].append(value / per_degree if channel.startswith("rotate") and per_degree != 1.0
                                   else value)
    return values


def sparse(case):
    """Some channels keyed sparsely, the others still with no curve."""
    for channel in ("translateY", "rotateX", "rotateZ"):
        cmds.cutKey(CAMERA, attribute=channel, clear=True)
    cmds.setAttr(CAMERA + ".translateY", 1.7)
    cmds.setAttr(CAMERA + ".rotateX", -5.25)
    cmds.setKeyframe(CAMERA, attribute="rotateZ", time=FIRST - 7, value=3.5)
    cmds.setKeyframe(CAMERA, attribute="rotateZ", time=LAST - 3, value=-1.25)


def still(case):
    for channel in CHANNELS:
        cmds.cutKey(CAMERA, attribute=channel, clear=True)
        cmds.setAttr("%s.%s" % (CAMERA, channel), 0.5 + CHANNELS.index(channel))


def sparse_in_radians(case):
    sparse(case)
    cmds.currentUnit(angle="rad")


SHOTS = (("keyed", lambda case: None), ("sparse", sparse), ("still", still),
         ("sparse, radians", sparse_in_radians))


class CameraReadTest(MainPathCase):
    def check_prepare(self, mode, expected, what):
        standin.clear_calls()
        self.prepare(mode)
        record = self.record()
        self.assertTrue(record["ready"], what)
        self.assertEqual(dict(record["camera_original_anim"]), expected, what)
        self.assertEqual(list(record["camera_base"]), [expected[c][0] for c in CHANNELS], what)
        self.assertEqual(cmds.currentTime(q=True), FIRST if mode == "static" else LAST, what)
        changes = [c for c in standin.calls if c.op == "currentTime" and not c.kwargs.get("q")]
        self.assertEqual(len(changes), len(FRAMES) + 2, what)

    def test_every_mode_reads_the_values_a_stepping_read_finds_also_when_shaken_or_baked(self):
        for name, shot in SHOTS:
            for mode in ("static", "animated", "relax"):
                self.setUp()
                shot(self)
                expected = stepped_reading()
                cmds.currentTime(FIRST + 3, edit=True)
                self.check_prepare(mode, expected, (name, mode, "first"))
                self.check_prepare(mode, expected, (name, mode, "while shaken"))
                self.window._bake_to_layer()
                self.check_prepare(mode, expected, (name, mode, "over a baked layer"))

    def test_the_frames_time_array_is_built_once_across_updates_until_reset_state(self):
        built = []
        original = om.MTimeArray

        class Counted(original):
            def __init__(self, *args):
                built.append(len(args[0]) if args else 0)
                original.__init__(self, *args)
        om.MTimeArray = Counted
        self.addCleanup(setattr, om, "MTimeArray", original)
        self.prepare("animated")
        self.window.amount_slider.setValue(self.window.amount_slider.value() + 5)
        self.window._update_shake()
        # The shake curves' keys: every frame and the one on each side of the range.
        self.assertEqual(built, [len(FRAMES) + 2])
        tt.reset_state()
        self.window = tt.show()
        self.prepare("animated")
        self.assertEqual(built, [len(FRAMES) + 2] * 2)


class StandinTimedReadsTest(MainPathCase):
    def test_keyframe_eval_at_many_times_and_getattr_at_a_time_leave_the_current_time(self):
        curve = own_curve("translateX")
        cmds.currentTime(FIRST + 2, edit=True)
        many = cmds.keyframe(curve, q=True, eval=True, time=[(f, f) for f in FRAMES])
        single = [cmds.keyframe(curve, q=True, eval=True, time=(f, f))[0] for f in FRAMES]
        self.assertEqual(many, single)
        self.assertEqual(cmds.getAttr(CAMERA + ".translate", time=FIRST + 5),
                         [tuple(cmds.getAttr("%s.translate%s" % (CAMERA, a), time=FIRST + 5) for a in "XYZ")])
        self.assertEqual(cmds.currentTime(q=True), FIRST + 2)
        with self.assertRaises(RuntimeError):
            cmds.keyframe(curve, q=True, eval=True, time=[(1, 2), (3, 3)])

    def test_getattr_at_a_time_reads_a_connection_driven_channel_at_the_current_time(self):
        cmds.createNode("transform", name="driver")
        cmds.setKeyframe("driver", attribute="translateX", time=FIRST, value=1.0)
        cmds.setKeyframe("driver", attribute="translateX", time=LAST, value=9.0)
        cmds.createNode("transform", name="driven")
        cmds.connectAttr("driver.translateX", "driven.translateX")
        cmds.currentTime(FIRST, edit=True)
        self.assertEqual(cmds.getAttr("driven.translateX", time=LAST), 1.0)
        self.assertEqual(cmds.getAttr("driver.translateX", time=LAST), 9.0)
