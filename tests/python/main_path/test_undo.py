"""Every user action is one step of the host's undo queue: undo gives back the whole scene as it
was before the action, redo the scene after it, also for shake curves keyed through the API."""
from __future__ import division, print_function

import unittest

import support
from support.main_path import CHANNELS, MainPathCase, SETTINGS, cmds, shake_curve, standin, tt


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
    ("mode change", True, lambda t: t.set_mode("static"), "Trembla: camera mode static"),
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
            standin.menu_undo()
            self.assertEqual(standin.scene_dump(), before, name + ": undo")
            standin.menu_redo()
            self.assertEqual(standin.scene_dump(), after, name + ": redo")
            standin.menu_undo()
            self.assertEqual(standin.scene_dump(), before, name + ": undo after redo")
            self.window.close()

    @support.sweep
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
        standin.menu_undo()
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
        standin.fail("undoInfo", on_call=1)  # the update's open: the window asks the queue nothing
        self.window.amount_slider.setValue(30)
        self.assertEqual(standin.scene_dump(), before)
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn("undoInfo", standin.warnings[0])

    def test_a_failing_close_is_not_the_users_failure(self):
        self.prepare("animated")
        standin.fail("undoInfo", on_call=2)  # after the open
        self.window.amount_slider.setValue(30)
        self.assertEqual(standin.warnings, [])
        self.assertEqual(standin.undo_depth(), 1)  # the host refused the close itself
        cmds.undoInfo(closeChunk=True)

    def test_keys_written_through_the_api_come_back_with_their_curve_on_redo(self):
        self.prepare("static")
        curve = "%s_shake_translateX" % ("shotCam",)
        keys = cmds.keyframe(curve, q=True, valueChange=True)
        self.assertTrue(standin.calls_of("OpenMayaAnim.MFnAnimCurve.addKeys"))
        standin.menu_undo()
        self.assertFalse(cmds.objExists(curve))
        standin.menu_redo()
        self.assertEqual(cmds.keyframe(curve, q=True, valueChange=True), keys)


def tool_state(t):
    """What the window shows and the record holds."""
    w = t.window
    return t.record(), w.amount_slider.value(), w.prepare_btn.text(), w.bypass_cb.isChecked()


def undo(t, idle):
    standin.menu_undo()
    if idle:
        standin.run_idle()  # the host runs its Undo script jobs when it goes idle


def redo(t, idle):
    standin.menu_redo()
    if idle:
        standin.run_idle()


def in_callers_chunk(act):
    """The action run by a script inside its own undo chunk: one entry on the queue, the script's."""
    def run(t):
        cmds.undoInfo(openChunk=True, chunkName="my script")
        try:
            act(t)
        finally:
            cmds.undoInfo(closeChunk=True)
    return run


def with_room(act):
    """The action on a queue with room: its length then tells where each entry is."""
    def run(t):
        cmds.undoInfo(infinity=True)
        act(t)
    return run


def typed(value):
    return lambda t: t.window.amount_slider.setValue(value)


def bake(t):
    t.window._bake_to_layer()


# after a prepare: the user's steps, then how many undos and how many redos, each run before the
# host goes idle once
SEVERAL = [
    ("three typed values", [typed(42), typed(60), typed(80)], 3, 2),
    ("a typed value and a reset", [typed(42), lambda t: t.window._reset_camera()], 2, 1),
    ("prepare again and a bake", [lambda t: t.window._prepare_shake(), bake], 2, 2),
    ("a bake in a caller's chunk", [in_callers_chunk(bake)], 1, 1),
    ("typed values, one in a caller's chunk", [with_room(typed(42)), in_callers_chunk(typed(60)), typed(80)], 3, 2),
    ("a drag in a caller's chunk", [with_room(in_callers_chunk(lambda t: drag(t.window)))], 1, 1),
    ("a prepare in a caller's chunk",
     [lambda t: t.window._reset_camera(), in_callers_chunk(lambda t: t.window._prepare_shake())], 1, 1),
]


# A shot long enough that each preparation holds a lot: undo and redo, then the slider step (of
# typed values 120, 140, 170 after a prepare at 100) the tool and the scene must both show.
LONG_SHOT = 60000
LONG_SHOT_WALK = [("undo", 2), ("undo", 1), ("undo", 0), ("redo", 1), ("redo", 2)]


def long_shot(t):
    """A static camera and a source keyed every 997 frames over LONG_SHOT frames, prepared."""
    t.window.close()
    standin.reset()
    cmds.playbackOptions(min=1, max=LONG_SHOT)
    cmds.createNode("transform", name="shaker", skipSelect=True)
    for frame in range(1, LONG_SHOT + 1, 997):
        cmds.setKeyframe("shaker", attribute="translateX", time=frame, value=frame % 2 * 0.5)
    cmds.createNode("transform", name="shotCam", skipSelect=True)
    cmds.createNode("camera", name="shotCamShape", parent="shotCam", skipSelect=True)
    t.window = tt.show()
    t.name_camera_and_source()
    t.window._prepare_shake()


class FollowTest(MainPathCase):
    """After the host's undo or redo of a tool step the tool shows what the scene holds: told by
    the host's Undo/Redo events, or, before those ran, found at the start of the next command."""

    def test_undo_and_redo_of_a_tool_step_bring_the_tool_back_with_the_scene(self):
        for idle in (True, False):
            for name, act in [("slider drag", lambda t: drag(t.window)),
                              ("bypass", lambda t: t.window.bypass_cb.setChecked(True)),
                              ("bake", lambda t: t.window._bake_to_layer()),
                              ("reset", lambda t: t.window._reset_camera())]:
                what = "%s, %s" % (name, "after idle" if idle else "at the next command")
                self.setUp()
                self.prepare("animated")
                before = tool_state(self)
                act(self)
                after = tool_state(self)
                undo(self, idle)
                if not idle:
                    self.window._update_shake()
                self.assertEqual(tool_state(self), before, what + ": undo")
                if idle:  # a command of its own is a new step, which ends what redo could bring back
                    redo(self, idle)
                    self.assertEqual(tool_state(self), after, what + ": redo")
                self.window.close()

    def test_a_scripts_undo_triggers_no_event_and_the_next_command_shows_the_scene(self):
        # The host's Undo event is documented for the user's Edit > Undo only: after a script's
        # cmds.undo() nothing tells the tool, and the next command must find it by itself.
        for name, act in [("slider drag", lambda t: drag(t.window)),
                          ("bypass", lambda t: t.window.bypass_cb.setChecked(True)),
                          ("reset", lambda t: t.window._reset_camera())]:
            self.setUp()
            self.prepare("animated")
            before = tool_state(self)
            act(self)
            cmds.undo()
            standin.run_idle()
            self.window._update_shake()
            self.assertEqual(tool_state(self), before, name)
            self.window.close()

    def test_several_undos_and_redos_between_two_idle_moments_are_all_followed(self):
        for name, steps, undos, redos in SEVERAL:
            self.setUp()
            self.prepare("animated")
            states = [tool_state(self)]
            for step in steps:
                step(self)
                states.append(tool_state(self))
            for _ in range(undos):
                standin.menu_undo()
            standin.run_idle()
            self.assertEqual(tool_state(self), states[-1 - undos], name + ": undo")
            for _ in range(redos):
                standin.menu_redo()
            standin.run_idle()
            self.assertEqual(tool_state(self), states[-1 - undos + redos], name + ": redo")
            self.window.close()

    def test_every_slider_step_of_a_long_shot_is_followed_and_keys_from_what_the_scene_holds(self):
        long_shot(self)
        frame = 1 + 997 * 3  # a key of the source: the shake is not zero there
        shown = [(self.window.amount_slider.value(), cmds.getAttr("shotCam.translateX", time=frame))]
        for value in (120, 140, 170):
            self.window.amount_slider.setValue(value)
            shown.append((value, cmds.getAttr("shotCam.translateX", time=frame)))
        self.assertEqual(len(set(scene for _, scene in shown)), 4)
        for action, step in LONG_SHOT_WALK:
            getattr(standin, "menu_" + action)()
            standin.run_idle()
            now = (self.window.amount_slider.value(), cmds.getAttr("shotCam.translateX", time=frame))
            self.assertEqual(now, shown[step], "%s to step %d" % (action, step))
        # The keyed values the tool gives back are the scene's to the bit: the next move finds no
        # key of the animator's on the shake curves.
        self.window.amount_slider.setValue(shown[step][0] + 10)
        self.assertNotIn("keys set on the shaken camera", self.stdout.text())
        self.assertEqual(cmds.listConnections("shotCam.translateX", source=True), ["shotCam_shake_translateX_add"])

    def test_bake_or_reset_after_undo_act_on_what_the_scene_holds(self):
        for idle in (True, False):
            self.setUp()
            self.prepare("animated")
            undo(self, idle)  # the prepare
            scene = standin.scene_dump()
            self.window._bake_to_layer()
            self.assertEqual(standin.scene_dump(), scene, idle)
            self.assertEqual(len(standin.warnings), 1, idle)
            self.assertNotIn("Baked to layer: trembla_layer", standin.in_view_messages, idle)
            self.window._prepare_shake()
            self.window._bake_to_layer()
            undo(self, idle)  # the bake
            self.window._reset_camera()
            self.assert_no_shake_curves()
            self.assert_camera_animation_restored()
            self.window.close()

    def test_a_shake_curve_gone_refuses_the_bake_and_the_reset_says_so(self):
        for gone, command, warning in [
                (["translateY"], "_bake_to_layer",
                 "Cannot bake: shake curve not found: shotCam_shake_translateY. Prepare the shake again."),
                (CHANNELS, "_reset_camera",
                 "Nothing to reset: shake curve not found: %s." % ", ".join(shake_curve(c) for c in CHANNELS))]:
            self.setUp()
            self.prepare("animated")
            cmds.delete([shake_curve(c) for c in gone])
            standin.run_idle()
            del standin.warnings[:]
            scene = standin.scene_dump()
            getattr(self.window, command)()
            self.assertEqual(standin.warnings, [warning])
            if command == "_bake_to_layer":
                self.assertEqual(standin.scene_dump(), scene, command)
            else:
                # Curves deleted by hand left the channels without input: the camera's own
                # curves, kept aside, drive them again.
                self.assert_camera_animation_restored()
                self.assertFalse(self.window.reset_btn.isEnabled())
            self.window.close()

    def test_the_undo_jobs_live_as_long_as_the_window_is_up_and_never_raise(self):
        self.assertEqual(len(standin.script_jobs()), 5)  # Undo, Redo and the scene file events
        self.prepare("animated")
        standin.fail("objExists", always=True)
        standin.menu_undo()
        standin.run_idle()  # a host that cannot answer: the job says nothing
        standin.clear_faults()
        self.window.close()
        self.assertEqual(standin.script_jobs(), [])


if __name__ == "__main__":
    unittest.main()
