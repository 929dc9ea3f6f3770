"""Every user action is one step of the host's undo queue: undo gives back the whole scene as it
was before the action, redo the scene after it, also for shake curves keyed through the API."""
from __future__ import division, print_function

import unittest

from support.main_path import MainPathCase, standin, cmds


def drag(window):
    """A mouse drag on one slider: hold, three moves, release."""
    slider = window.amount_slider.slider
    slider.setSliderDown(True)
    for value in (120, 140, 170):
        slider.setValue(value)
    slider.setSliderDown(False)


def preset(window):
    window._apply_settings({"settings": {"amount": 60, "lag_trans": 7, "mode": "relax"}})


# name, whether the shot is prepared first, what the user does, the chunk it runs in
ACTIONS = [
    ("prepare static", False, lambda t: t.prepare("static"), "Trembla: prepare"),
    ("prepare animated", False, lambda t: t.prepare("animated"), "Trembla: prepare"),
    ("prepare relax", False, lambda t: t.prepare("relax"), "Trembla: prepare"),
    ("slider drag", True, lambda t: drag(t.window), "Trembla: slider drag"),
    ("typed value", True, lambda t: t.window.amount_slider.setValue(42), "Trembla: update"),
    ("keyboard step", True, lambda t: t.window.lag_rot_slider.slider.setValue(3), "Trembla: update"),
    ("check box", True, lambda t: t.window.rotate_cb.setChecked(False), "Trembla: update"),
    ("bypass", True, lambda t: t.window.bypass_cb.setChecked(True), "Trembla: bypass"),
    ("mode change", True, lambda t: t.set_mode("static"), "Trembla: update"),
    ("preset apply", True, lambda t: preset(t.window), "Trembla: apply preset"),
    ("reset", True, lambda t: t.window._reset_camera(), "Trembla: reset"),
    ("reset button", True, lambda t: t.window.reset_btn.click(), "Trembla: reset"),
    ("bake", True, lambda t: t.window._bake_to_layer(), "Trembla: bake"),
]


class UndoTest(MainPathCase):
    def run_action(self, prepared, act):
        if prepared:
            self.prepare("animated")
        cmds.flushUndo()
        before = standin.scene_dump()
        act(self)
        return before, standin.scene_dump()

    def test_each_action_is_one_step_that_undo_and_redo_walk_whole(self):
        for name, prepared, act, chunk in ACTIONS:
            self.setUp()
            before, after = self.run_action(prepared, act)
            self.assertNotEqual(before, after, name)
            self.assertEqual(standin.undo_depth(), 0, name)
            self.assertEqual(cmds.undoInfo(q=True), 1, name)
            self.assertEqual(cmds.undoInfo(q=True, undoName=True), chunk, name)
            cmds.undo()
            self.assertEqual(standin.scene_dump(), before, name + ": undo")
            cmds.redo()
            self.assertEqual(standin.scene_dump(), after, name + ": redo")
            cmds.undo()
            self.assertEqual(standin.scene_dump(), before, name + ": undo after redo")
            self.window.close()

    def test_chunks_are_closed_when_a_host_command_fails(self):
        for name, prepared, act, _ in ACTIONS:
            for op in ("setKeyframe", "createNode", "cutKey", "OpenMayaAnim.MFnAnimCurve.addKeys"):
                self.setUp()
                if prepared:
                    self.prepare("animated")
                standin.fail(op, always=True)
                try:
                    act(self)
                except Exception:  # noqa: BLE001  (the failure is the point; reporting is tested elsewhere)
                    pass
                standin.clear_faults()
                self.assertEqual(standin.undo_depth(), 0, "%s with %s failing" % (name, op))
                self.window.close()

    def test_a_failed_action_still_undoes_to_the_scene_before_it(self):
        self.prepare("animated")
        before = standin.scene_dump()
        standin.fail("setKeyframe", on_call=20)
        self.window.amount_slider.setValue(30)
        self.assertEqual(standin.undo_depth(), 0)
        cmds.undo()
        self.assertEqual(standin.scene_dump(), before)

    def test_a_busy_refusal_leaves_the_chunks_balanced(self):
        self.prepare("animated")
        window = self.window
        refused = []

        def nested(*args, **kwargs):
            refused.append(window._reset_camera())
            return original(*args, **kwargs)

        original = cmds.connectAttr
        cmds.connectAttr = nested
        try:
            window.amount_slider.setValue(30)
        finally:
            cmds.connectAttr = original
        self.assertIn("Trembla: busy", standin.warnings)
        self.assertTrue(refused)
        self.assertEqual(standin.undo_depth(), 0)

    def test_a_refused_chunk_stops_the_action_before_it_changes_anything(self):
        self.prepare("animated")
        before = standin.scene_dump()
        standin.fail("undoInfo", on_call=1)
        self.window.amount_slider.setValue(30)
        self.assertEqual(standin.scene_dump(), before)
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn("undoInfo", standin.warnings[0])

    def test_a_failing_close_is_not_the_users_failure(self):
        self.prepare("animated")
        standin.fail("undoInfo", on_call=2)
        self.window.amount_slider.setValue(30)
        self.assertEqual(standin.warnings, [])
        self.assertEqual(standin.undo_depth(), 1)  # the host refused the close itself
        cmds.undoInfo(closeChunk=True)

    def test_keys_written_through_the_api_come_back_with_their_curve_on_redo(self):
        self.prepare("static")
        curve = "%s_shake_translateX" % ("shotCam",)
        keys = cmds.keyframe(curve, q=True, valueChange=True)
        self.assertTrue(standin.calls_of("OpenMayaAnim.MFnAnimCurve.addKeys"))
        cmds.undo()
        self.assertFalse(cmds.objExists(curve))
        cmds.redo()
        self.assertEqual(cmds.keyframe(curve, q=True, valueChange=True), keys)


if __name__ == "__main__":
    unittest.main()
