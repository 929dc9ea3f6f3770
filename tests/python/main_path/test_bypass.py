"""The shake page's Bypass box: while checked the camera shows the prepared shake at amount zero
(the start pose in the static mode, the smoothed own move in the animated and relax modes), the
settings keep their values, and clearing it brings the same shake back. Each toggle is one undo
step; reset and bake act as if it were clear, and clear it."""
from __future__ import division, print_function

import json
import unittest

from support.main_path import (
    CAMERA, CHANNELS, FRAMES, SETTINGS, MainPathCase, channel_value, expected_camera_values,
    shake_curve)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

MODES = ("static", "animated", "relax")


def shake_keys():
    """channel -> (times, values) of its shake curve, for the curves that exist."""
    keys = {}
    for channel in CHANNELS:
        curve = shake_curve(channel)
        if cmds.objExists(curve):
            keys[channel] = (cmds.keyframe(curve, q=True, timeChange=True),
                             cmds.keyframe(curve, q=True, valueChange=True))
    return keys


def scene_without_creation_order():
    """The whole scene, each node without its creation number: a bypassed bake or reset makes and
    drops curves of its own on the way."""
    dump = standin.scene_dump()
    dump["nodes"] = [node[1:] for node in dump["nodes"]]
    return dump


class BypassTest(MainPathCase):
    def bypass(self, on):
        self.window.bypass_cb.setChecked(on)

    def assert_camera_at_amount_zero(self, settings=SETTINGS):
        """The camera as the tool keys it with the shake's amount at zero, whatever else is set."""
        record = self.record()
        if record["camera_mode"] == "static":
            # The own value plus an offset that is the base less it: the base within rounding.
            base = record["camera_base"]
            for idx, channel in enumerate(CHANNELS):
                self.assert_values([channel_value(CAMERA, channel, f) for f in FRAMES],
                                   [base[idx]] * len(FRAMES), channel)
        else:
            for channel, values in expected_camera_values(record, dict(settings, amount=0)).items():
                self.assert_values([channel_value(CAMERA, channel, f) for f in FRAMES], values, channel)

    def test_on_off_on_shows_amount_zero_while_on_and_the_same_shake_after(self):
        for mode in MODES:
            self.setUp()
            self.prepare(mode)
            shaken = shake_keys()
            self.bypass(True)
            bypassed = shake_keys()
            self.assert_camera_at_amount_zero()
            self.bypass(False)
            self.assertEqual(shake_keys(), shaken, mode)
            self.assert_camera_shaken()
            self.bypass(True)
            self.assertEqual(shake_keys(), bypassed, mode)
            self.assert_camera_at_amount_zero()
            self.assertEqual(self.window.amount_slider.value(), SETTINGS["amount"], mode)
            if mode != "relax":  # the relax mode keys no shake term: amount zero changes nothing there
                self.assertNotEqual(bypassed, shaken, mode)

    def test_the_preview_shows_the_shake_as_bypassed_exactly_while_the_box_is_on(self):
        steps = (("prepare", lambda: self.prepare("animated"), False),
                 ("on", lambda: self.bypass(True), True),
                 ("a change while on", lambda: self.window.amount_slider.setValue(90), True),
                 ("off", lambda: self.bypass(False), False),
                 ("on again", lambda: self.bypass(True), True),
                 ("prepare while on", lambda: self.window._prepare_shake(), True))
        for name, step, bypassed in steps:
            step()
            self.assertEqual(self.window.shake_preview.preview_data()["bypassed"], bypassed, name)

    def test_changes_while_bypassed_key_nothing_until_the_box_clears(self):
        changed = dict(SETTINGS, smoothing=60, amount=90, lag_trans=5, rot_y=40, rotate=False, ranges="")
        for mode in MODES:
            self.setUp()
            self.prepare(mode)
            self.bypass(True)
            before = standin.scene_dump()
            self.apply_settings(changed)
            self.window._update_shake()  # as a typed range would
            self.assertEqual(standin.scene_dump(), before, mode)
            self.bypass(False)
            self.assert_camera_shaken(changed)

    def test_prepare_while_bypassed_keys_amount_zero_and_keeps_the_box(self):
        cmds.flushUndo()
        self.bypass(True)  # nothing prepared: no step, nothing changes
        self.assertEqual(cmds.undoInfo(q=True), 0)
        self.prepare("animated")
        self.assertTrue(self.window.bypass_cb.isChecked())
        self.assert_camera_at_amount_zero()
        self.bypass(False)
        self.assert_camera_shaken()

    def test_reset_and_bake_while_bypassed_act_as_without_it_and_clear_the_box(self):
        # Bake bakes the real shake, in one step; reset gives back the camera.
        for action, step in (("_bake_to_layer", "Trembla: bake"), ("_reset_camera", "Trembla: reset")):
            for mode in MODES:
                dumps = []
                for bypassed in (False, True):
                    self.setUp()
                    self.prepare(mode)
                    self.bypass(bypassed)
                    cmds.flushUndo()
                    getattr(self.window, action)()
                    what = "%s %s" % (action, mode)
                    self.assertFalse(self.window.bypass_cb.isChecked(), what)
                    self.assertFalse(tt._prepared["ready"], what)
                    self.assertEqual(cmds.undoInfo(q=True), 1, what)
                    self.assertEqual(cmds.undoInfo(q=True, undoName=True), step, what)
                    dumps.append(scene_without_creation_order())
                self.assertEqual(dumps[1], dumps[0], what)

    def test_each_toggle_is_one_step_that_undo_and_redo_walk_whole(self):
        for mode in MODES:
            for on in (True, False):
                self.setUp()
                self.prepare(mode)
                self.bypass(not on)
                cmds.flushUndo()
                before = standin.scene_dump()
                self.bypass(on)
                after = standin.scene_dump()
                case = "%s, bypass %s" % (mode, on)
                self.assertEqual(standin.undo_depth(), 0, case)
                self.assertEqual(cmds.undoInfo(q=True), 1, case)
                self.assertEqual(cmds.undoInfo(q=True, undoName=True), "Trembla: bypass", case)
                cmds.undo()
                self.assertEqual(standin.scene_dump(), before, case + ": undo")
                cmds.redo()
                self.assertEqual(standin.scene_dump(), after, case + ": redo")

    def test_a_toggle_with_nothing_prepared_changes_nothing(self):
        before = standin.scene_dump()
        self.bypass(True)
        self.bypass(False)
        self.assertEqual(self.logged(), [])
        self.assertEqual(standin.scene_dump(), before)

    def test_the_preset_snapshot_holds_no_bypass(self):
        snapshot = self.window._get_current_settings()
        self.bypass(True)
        self.assertEqual(self.window._get_current_settings(), snapshot)
        self.assertNotIn("bypass", json.dumps(snapshot))


if __name__ == "__main__":
    unittest.main()
