"""Taking the shake off again (reset) and freezing it onto an override layer (bake)."""
import unittest

from support.main_path import (
    CAMERA, CHANNELS, FRAMES, SETTINGS, MainPathCase, channel_value,
    expected_camera_values, shake_curve)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402


class ResetTest(MainPathCase):
    def check_reset_restores_the_recording(self, mode):
        self.prepare(mode)
        self.window._reset_camera()
        self.assert_no_shake_curves()
        self.assertFalse(tt._prepared["ready"])
        self.assert_button("Prepare Shake", "primaryBtn")
        self.assert_camera_animation_restored()  # the camera's own curves, in every mode

        # The preparation is over: controls no longer touch the scene.
        standin.clear_calls()
        self.window.lag_trans_slider.setValue(9)
        self.window._update_shake()
        self.assertEqual(self.logged(), [])

    def test_static_reset_gives_back_the_camera_animation(self):
        self.check_reset_restores_the_recording("static")

    def test_animated_reset_gives_back_the_recorded_animation(self):
        self.check_reset_restores_the_recording("animated")

    def test_relax_reset_gives_back_the_recorded_animation(self):
        self.check_reset_restores_the_recording("relax")

    def test_the_reset_button_is_enabled_only_while_a_shake_is_applied_and_resets(self):
        w = self.window
        self.assertFalse(w.reset_btn.isEnabled())
        self.prepare("animated")
        self.assertTrue(w.reset_btn.isEnabled())
        w.reset_btn.click()
        self.assertFalse(w.reset_btn.isEnabled())
        self.assert_no_shake_curves()
        self.assert_camera_animation_restored()
        self.prepare("animated")
        w._bake_to_layer()
        self.assertFalse(w.reset_btn.isEnabled())

    def test_reset_without_preparation_does_nothing(self):
        self.window._reset_camera()
        self.assertEqual(self.logged(), [])
        self.assert_button("Prepare Shake", "primaryBtn")

    def test_reset_with_the_camera_gone_keeps_the_preparation(self):
        self.prepare("animated")
        cmds.delete(CAMERA)
        self.window._reset_camera()
        self.assertTrue(tt._prepared["ready"])
        self.assert_button("Re-Prepare", "preparedBtn")

    def test_reset_after_the_record_was_replaced_takes_off_the_shake_the_scene_holds(self):
        self.prepare("animated")
        tt.reset_state()
        self.window._reset_camera()  # the new record is not prepared; the camera says what is on it
        self.assertFalse(cmds.objExists(shake_curve("translateX")))
        self.assert_camera_animation_restored()


class BakeTest(MainPathCase):
    def bake(self, mode, settings=SETTINGS):
        self.prepare(mode, settings)
        shaken = expected_camera_values(self.record(), settings)
        self.stdout.parts[:] = []
        standin.clear_calls()
        del standin.in_view_messages[:]
        self.window._bake_to_layer()
        return shaken

    def check_bake(self, mode):
        shaken = self.bake(mode)
        self.assertEqual(self.stdout.lines(), ["Baked to layer: trembla_layer"])
        self.assertEqual(list(standin.in_view_messages), ["Baked to layer: trembla_layer"])
        self.assertTrue(cmds.animLayer("trembla_layer", q=True, exists=True))
        self.assertEqual(cmds.animLayer("trembla_layer", q=True, attribute=True),
                         sorted("%s.%s" % (CAMERA, c) for c in CHANNELS))
        self.assert_no_shake_curves()
        self.assertFalse(tt._prepared["ready"])
        self.assert_button("Prepare Shake", "primaryBtn")
        self.assertFalse(standin.refresh_suspended())
        self.assertEqual(standin.evaluation_mode(), "parallel")
        for channel, values in shaken.items():
            self.assert_values([channel_value(CAMERA, channel, f) for f in FRAMES], values, channel)

        # Under the layer the camera carries its own animation again, in every mode.
        cmds.animLayer("trembla_layer", edit=True, mute=True)
        self.assert_camera_animation_restored()

    def test_static_bake_freezes_the_shake_over_the_start_pose(self):
        self.check_bake("static")

    def test_animated_bake_freezes_the_shake_over_the_recorded_animation(self):
        self.check_bake("animated")

    def test_relax_bake_freezes_the_relaxed_animation(self):
        self.check_bake("relax")

    def test_a_bake_keeps_every_existing_layer_and_takes_the_next_free_number(self):
        for taken, used in (((), "trembla_layer"), (("trembla_layer",), "trembla_layer1"),
                            (("trembla_layer", "trembla_layer1"), "trembla_layer2")):
            self.setUp()
            cmds.createNode("transform", name="prop")
            for name in taken:
                cmds.animLayer(cmds.animLayer(name, override=True), edit=True, attribute="prop.translateX")
            self.bake("animated")
            self.assertEqual(self.stdout.lines(), ["Baked to layer: " + used], used)
            self.assertEqual(list(standin.in_view_messages), ["Baked to layer: " + used], used)
            for name in taken:
                self.assertEqual(cmds.animLayer(name, q=True, attribute=True), ["prop.translateX"], name)
            self.assertIn(CAMERA + ".translateX", cmds.animLayer(used, q=True, attribute=True))

    def test_message_names_the_layer_the_host_created(self):
        cmds.createNode("transform", name="shakeLayer")  # takes the typed name
        self.window.layer_field.setText("shakeLayer")
        self.bake("static")
        self.assertEqual(self.stdout.lines(), ["Baked to layer: shakeLayer1"])
        self.assertEqual(list(standin.in_view_messages), ["Baked to layer: shakeLayer1"])
        self.assertTrue(cmds.animLayer("shakeLayer1", q=True, exists=True))

    def test_empty_layer_field_bakes_to_the_default_layer(self):
        self.window.layer_field.setText("")
        self.bake("static")
        self.assertTrue(cmds.animLayer("trembla_layer", q=True, exists=True))

    def test_switched_off_channels_lose_their_shake_get_their_animation_back_and_stay_off_the_layer(self):
        self.prepare("animated")
        self.window.rotate_cb.setChecked(False)
        self.window._bake_to_layer()
        self.assertEqual(cmds.animLayer("trembla_layer", q=True, attribute=True),
                         ["%s.%s" % (CAMERA, c) for c in CHANNELS[:3]])
        self.assert_no_shake_curves()
        cmds.animLayer("trembla_layer", edit=True, mute=True)
        self.assert_camera_animation_restored()

    def test_bake_without_preparation_warns_and_changes_nothing(self):
        self.window._bake_to_layer()
        self.assertEqual([op for op, _, _ in self.logged()], ["warning"])
        self.assertEqual(list(standin.warnings), ["Please prepare shake first."])
        self.assertFalse(cmds.animLayer("trembla_layer", q=True, exists=True))
        self.assertEqual(self.stdout.text(), "")


if __name__ == "__main__":
    unittest.main()
