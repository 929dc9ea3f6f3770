"""Shake curves keyed in one call through the host's Python API against the per-key path.

The same scene, settings and actions run once with maya.api available (each new shake curve keyed
by one MFnAnimCurve.addKeys call) and once without it (one setKeyframe per frame); the whole
scene must come out the same: every curve's name, type, key times and values, what drives each
camera channel and what the camera evaluates to. A batch call that fails after writing some keys
leaves what the per-key path leaves when the same curve's next key fails (a call refused before
any key is in is keyed per key instead: test_host_units.py).
"""
from __future__ import print_function

import os
import unittest

import support  # noqa: F401  (sys.path)

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from support.main_path import (  # noqa: E402
    CAMERA, CHANNELS, FRAMES, SETTINGS, MainPathCase, build_scene, forget_host_recordings)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402
from maya.api import OpenMayaAnim  # noqa: E402

import trembla_tool as tt  # noqa: E402

ADD_KEYS = "OpenMayaAnim.MFnAnimCurve.addKeys"
API_PREFIXES = ("OpenMaya.", "OpenMayaAnim.")

# (mode, settings changed from SETTINGS): a table over the camera modes and channel switches.
CASES = (
    ("static", {}),
    ("animated", {}),
    ("relax", {}),
    ("animated", dict(translate=False, smoothing=0)),
    ("static", dict(rotate=False, ranges="")),
    ("relax", dict(smoothing=100, trans_y=100, rot_x=100)),
)


def scene_snapshot():
    """Everything the tool's keys can change, read through host commands."""
    standin.set_logging(False)
    try:
        curves = []
        for curve in sorted(cmds.ls(type="animCurve")):
            curves.append((curve, cmds.nodeType(curve),
                           cmds.keyframe(curve, q=True, timeChange=True),
                           cmds.keyframe(curve, q=True, valueChange=True)))
        drivers = [cmds.listConnections("%s.%s" % (CAMERA, c), source=True) for c in CHANNELS]
        values = [[cmds.getAttr("%s.%s" % (CAMERA, c), time=f) for f in FRAMES] for c in CHANNELS]
        return curves, drivers, values
    finally:
        standin.set_logging(True)


class BatchKeysTest(MainPathCase):
    def run_path(self, batch, mode, changes, action):
        """Fresh scene and window; prepare in `mode`, change a slider (an update), then `action`;
        answers the scene and the host calls of the update."""
        build_scene()
        standin.set_api_available(batch)
        tt.reset_state()
        self.window = tt.show()
        settings = dict(SETTINGS, **changes)
        self.prepare(mode, settings)
        forget_host_recordings()
        self.window.amount_slider.setValue(settings["amount"] - 7)
        update_calls = list(standin.calls)
        if action is not None:
            action()
        return scene_snapshot(), update_calls

    def test_both_paths_leave_identical_scenes(self):
        for mode, changes in CASES:
            batch, batch_calls = self.run_path(True, mode, changes, None)
            per_key, per_key_calls = self.run_path(False, mode, changes, None)
            what = "%s %r" % (mode, changes)
            self.assertEqual(batch, per_key, what)
            self.assertTrue(any(c.op == ADD_KEYS for c in batch_calls), what)
            self.assertFalse(any(c.op == "setKeyframe" for c in batch_calls), what)
            self.assertFalse(any(c.op.startswith(API_PREFIXES) for c in per_key_calls), what)
            # One curve's worth of calls per channel, whatever the frame count, inside one undo
            # chunk (its open and close; the queries around it are the window's look at the queue
            # and at the camera before and after the step, and the read of each shake curve for
            # keys the animator set; the settings noted on the camera after the keys are two more;
            # each new curve is linked to the camera, and each curve the record names is looked
            # for before it is replaced, thirteen more).
            chunk = [c for c in batch_calls if c.op == "undoInfo" and not c.kwargs.get("q")]
            self.assertEqual([sorted(c.kwargs) for c in chunk],
                             [["chunkName", "openChunk"], ["closeChunk"]], what)
            self.assertLessEqual(len(batch_calls) - len(chunk), 105, what)
            self.assertGreater(len(per_key_calls), len(FRAMES), what)

    def test_bake_and_reset_leave_identical_scenes_on_both_paths_undo_and_redo_included(self):
        # Bake keys each layer curve with one setKeyframe (which creates it in the step) and one
        # addKeys; reset keys nothing. Both in calls that do not grow with the frame count.
        def command(name, seen):
            def action():
                forget_host_recordings()
                getattr(self.window, name)()
                seen.append(list(standin.calls))
                seen.append(scene_snapshot())
                cmds.undo()
                seen.append(scene_snapshot())
                cmds.redo()
            return action

        for mode, changes in CASES:
            for name in ("_bake_to_layer", "_reset_camera"):
                what = "%s %s %r" % (name, mode, changes)
                batch_seen, per_key_seen = [], []
                batch, _ = self.run_path(True, mode, changes, command(name, batch_seen))
                per_key, _ = self.run_path(False, mode, changes, command(name, per_key_seen))
                self.assertEqual(batch, per_key, what)
                self.assertEqual(batch_seen[1:], per_key_seen[1:], what)
                self.assertEqual(batch, batch_seen[1], what + ": redo")
                calls = batch_seen[0]
                # The layer's weight is keyed too (on and off at the range's ends): four keys.
                keyed = [c for c in calls if c.op == "setKeyframe" and c.kwargs.get("attribute") != "weight"]
                self.assertLessEqual(len(keyed), len(CHANNELS), what)
                self.assertEqual(len([c for c in calls if c.op == ADD_KEYS]),
                                 len(keyed) if name == "_bake_to_layer" else 0, what)
                # The queries that find the camera's nodes through its links and check them and its locks come
                # once per channel, whatever the frame count; the keying is what is bounded here.
                found = ("attributeQuery", "listConnections", "nodeType", "objExists", "lockNode")
                keying = [c for c in calls if c.op not in found and not c.kwargs.get("lock")]
                self.assertLessEqual(len(keying), 200, what)  # per key: over 6 per frame, 240 and more

    def test_a_host_api_without_add_keys_takes_the_per_key_path(self):
        batch, _ = self.run_path(True, "animated", {}, None)
        saved = OpenMayaAnim.MFnAnimCurve.addKeys
        del OpenMayaAnim.MFnAnimCurve.addKeys
        try:
            fallback, calls = self.run_path(True, "animated", {}, None)
        finally:
            OpenMayaAnim.MFnAnimCurve.addKeys = saved
        self.assertEqual(fallback, batch)
        # Each shake curve holds a 0 on the frame before the range and on the one after it.
        self.assertEqual(len([c for c in calls if c.op == "setKeyframe"]), 6 * (len(FRAMES) + 2))
        self.assertFalse(any(c.op.startswith(API_PREFIXES) for c in calls))

    def test_a_batch_call_failing_partway_leaves_what_the_per_key_path_leaves(self):
        # The update's second curve fails after 3 keys: in one batch, or on its fourth key (the
        # first curve holds a key on every frame and on the one on each side of the range).
        def failing_update(fault):
            def action():
                fault()
                with self.assertRaises(RuntimeError):
                    self.window._update_shake()
            return action

        for mode, changes in CASES[:3]:
            batch, _ = self.run_path(True, mode, changes, failing_update(
                lambda: standin.fail_add_keys_partway(3, on_call=2)))
            per_key, _ = self.run_path(False, mode, changes, failing_update(
                lambda: standin.fail("setKeyframe", on_call=len(FRAMES) + 2 + 4)))
            self.assertEqual(batch, per_key, mode)
            curves = dict((each[0], each[1:]) for each in batch[0])
            self.assertEqual(curves["%s_shake_translateY" % CAMERA][1], [FRAMES[0] - 1] + FRAMES[:2])
            # The channel's blend, made by the prepare, still drives it.
            self.assertEqual(batch[1][1], ["%s_shake_translateY_add" % CAMERA])

    def test_a_batch_call_failing_partway_inside_prepare_is_reported_and_the_viewport_resumed(self):
        outcomes = []
        for batch, fault in ((True, lambda: standin.fail_add_keys_partway(2)),
                             (False, lambda: standin.fail("setKeyframe", on_call=3))):
            build_scene()
            standin.set_api_available(batch)
            tt.reset_state()
            self.window = tt.show()
            fault()
            self.prepare("animated")
            self.assertFalse(standin.refresh_suspended())
            self.assertEqual(len(standin.warnings), 1)
            self.assertIn("Failed to prepare shake: stand-in fault: ", standin.warnings[0])
            self.assertTrue(tt._prepared["ready"])
            outcomes.append(scene_snapshot())
        self.assertEqual(outcomes[0], outcomes[1])


class ApiArgumentCheckTest(unittest.TestCase):
    """The stand-in's API refuses what the host's documents refuse, before changing anything."""

    def test_refused_calls_leave_the_curve_unkeyed(self):
        from maya.api import OpenMaya as om
        oma = OpenMayaAnim
        standin.reset()
        curve = cmds.createNode("animCurveTL", name="probe")
        cmds.createNode("transform", name="plain")
        gone = cmds.createNode("animCurveTA", name="gone")

        def node(name):
            return om.MSelectionList().add(name).getDependNode(0)

        fn = oma.MFnAnimCurve(node(curve))
        dead = oma.MFnAnimCurve(node(gone))
        cmds.delete(gone)
        times = om.MTimeArray([om.MTime(1.0, om.MTime.kFilm), om.MTime(2.0, om.MTime.kFilm)])
        values = om.MDoubleArray([0.5, 1.5])
        glob = oma.MFnAnimCurve.kTangentGlobal
        refused = (
            (RuntimeError, lambda: node("noSuchNode")),
            (IndexError, lambda: om.MSelectionList().add(curve).getDependNode(1)),
            (RuntimeError, lambda: oma.MFnAnimCurve(node("plain"))),
            (RuntimeError, lambda: fn.addKeys(times, om.MDoubleArray([1.0]), glob, glob, False)),
            (TypeError, lambda: fn.addKeys([1.0, 2.0], values, glob, glob, False)),
            (TypeError, lambda: om.MDoubleArray(["a"])),
            (ValueError, lambda: fn.addKeys(times, values, 99, glob, False)),
            (RuntimeError, lambda: dead.addKeys(times, values, glob, glob, False)),
        )
        for error, call in refused:
            self.assertRaises(error, call)
        self.assertIsNone(cmds.keyframe(curve, q=True, valueChange=True))
        self.assertIs(fn.addKeys(times, values, glob, glob, False), fn)
        self.assertEqual(cmds.keyframe(curve, q=True, timeChange=True), [1.0, 2.0])
        self.assertEqual(cmds.keyframe(curve, q=True, valueChange=True), [0.5, 1.5])


if __name__ == "__main__":
    unittest.main()
