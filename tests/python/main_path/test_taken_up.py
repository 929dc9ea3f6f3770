"""A live shake is taken up again from the scene: by a new window, after a reset module state or a
reopened file, and when the scene changes under an open window. The window then shows what is
applied, keys nothing by showing it, and the next slider move keys what an uninterrupted session
would have keyed."""
import os
import tempfile

from support.main_path import (  # noqa: E402
    CAMERA, CHANNELS, SETTINGS, SLIDERS, SOURCE, MainPathCase, build_scene, keyed_as_earlier_versions, shake_curve)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402


TAKEN_UP_HINT = "Shake applied. Its preview shows at the next change."


def shake_keys():
    """Every key of every shake curve on the camera: time and value, exactly."""
    return dict((c, (cmds.keyframe(shake_curve(c), q=True, tc=True), cmds.keyframe(shake_curve(c), q=True, vc=True)))
                for c in CHANNELS if cmds.objExists(shake_curve(c)))


def saved_scene():
    path = os.path.join(tempfile.mkdtemp(), "shot.ma")
    cmds.file(rename=path)
    cmds.file(save=True)
    return path


class TakenUpCase(MainPathCase):
    def reopen(self, how):
        """Loses the session's preparation the way `how` names, then shows the window from the shelf."""
        if how == "close":
            self.window.close()
            self.window.show()
            return
        if how == "reset_state":
            tt.reset_state()
        elif how == "reopen file":
            path = saved_scene()
            cmds.file(new=True, force=True)
            cmds.file(path, open=True, force=True)
        self.window = tt.show()

    def assert_shows_applied(self, settings=SETTINGS, mode="animated"):
        w = self.window
        self.assertEqual((w.camera_field.text(), w.source_field.text()), (CAMERA, SOURCE))
        self.assertEqual(dict((n, getattr(w, n + "_slider").value()) for n in SLIDERS),
                         dict((n, settings[n]) for n in SLIDERS))
        self.assertEqual(w.ranges_field.text(), settings["ranges"])
        self.assertEqual(w._get_camera_mode(), mode)
        self.assert_button("Re-Prepare", "preparedBtn")
        self.assertTrue(w.reset_btn.isEnabled())


class TakenUpTest(TakenUpCase):
    def session(self, how, mode="animated"):
        """Prepare, lose the session (unless `how` is None), move the amount slider: the keys after each."""
        build_scene()
        tt.reset_state()
        self.window = tt.show()
        self.prepare(mode)
        prepared = shake_keys()
        if how:
            self.reopen(how)
            self.assertEqual(shake_keys(), prepared, how)  # taking up keys nothing
            self.assert_shows_applied(mode=mode)
            if how in ("reset_state", "reopen file"):  # taken up: not "Prepare a shake..." while one is applied
                self.assertEqual((self.window.shake_preview.hint(), self.window.shake_preview.preview_data()),
                                 (TAKEN_UP_HINT, None), how)
            else:  # the same scene: the samples kept show at once
                self.assertIsNotNone(self.window.shake_preview.preview_data(), how)
        self.window.amount_slider.setValue(90)
        self.assertIsNotNone(self.window.shake_preview.preview_data(), how)  # the samples read, the shake shows
        return prepared, shake_keys()

    def test_a_reopened_window_shows_the_shake_and_its_next_move_keys_as_an_uninterrupted_session(self):
        for mode in ("static", "animated"):
            uninterrupted = self.session(None, mode)
            for how in ("show again", "close", "reset_state", "reopen file"):
                self.assertEqual(self.session(how, mode), uninterrupted, (mode, how))
                self.assertEqual(standin.warnings, [])
                self.window.reset_btn.click()
                self.assert_no_shake_curves()
                self.assert_camera_animation_restored()
                self.assert_button("Prepare Shake", "primaryBtn")

    def test_with_several_shaken_cameras_and_no_camera_named_none_is_taken_up(self):
        self.prepare("static")
        cmds.createNode("camera", name="otherCamShape", parent=cmds.createNode("transform", name="otherCam"))
        self.window.camera_field.setText("otherCam")
        self.window._prepare_shake()
        tt.reset_state()
        self.window = tt.show()
        self.assertEqual(self.window.camera_field.text(), "")
        self.assert_button("Prepare Shake", "primaryBtn")
        self.assertFalse(self.window.reset_btn.isEnabled())
        self.assertEqual([l for l in self.stdout.lines() if "several cameras" in l],
                         ["Shakes are applied to several cameras (shotCam, otherCam): none is taken up. "
                          "Set the camera to show its shake."])

    def test_a_taken_up_shake_whose_source_is_gone_warns_once_keys_nothing_and_resets(self):
        self.prepare("animated")
        keys = shake_keys()
        cmds.delete(SOURCE)
        self.reopen("reset_state")
        self.assertEqual(self.window.source_field.text(), SOURCE)
        forget_warnings = standin.warnings[:]
        for value in (90, 80):
            self.window.amount_slider.setValue(value)
        self.assertEqual(shake_keys(), keys)
        self.assertEqual(len(standin.warnings) - len(forget_warnings), 1)
        self.assertIn("Source shaker of the shake on shotCam no longer exists", standin.warnings[-1])
        self.window.reset_btn.click()
        self.assert_no_shake_curves()
        self.assert_camera_animation_restored()


class SceneChangedUnderTheWindowTest(TakenUpCase):
    def test_the_next_command_follows_a_file_opened_under_the_window(self):
        bare = saved_scene()
        self.prepare("animated")
        shaken = saved_scene()
        # Reset, then the file with the shake: the next command takes it up, Reset takes it off.
        self.window.reset_btn.click()
        cmds.file(shaken, open=True, force=True)
        keys = shake_keys()
        self.window.amount_slider.setValue(90)  # the move taken up shows the scene's settings again
        self.assert_shows_applied()
        self.assertEqual(shake_keys(), keys)
        self.window.reset_btn.click()
        self.assert_no_shake_curves()
        self.assert_camera_animation_restored()
        # Prepared, then a file without a shake: the slider keys nothing and nothing shows prepared.
        self.window._prepare_shake()
        cmds.file(bare, open=True, force=True)
        self.window.amount_slider.setValue(90)
        self.assert_no_shake_curves()
        self.assert_button("Prepare Shake", "primaryBtn")
        self.assertFalse(self.window.reset_btn.isEnabled())

    def test_a_file_opened_on_a_queue_already_empty_is_noticed_too(self):
        cmds.flushUndo()
        self.prepare("animated")
        self.window.amount_slider.setValue(42)
        shaken = saved_scene()
        standin.menu_undo()
        standin.menu_undo()
        standin.run_idle()  # the window followed both undos: unprepared, the queue empty
        cmds.file(shaken, open=True, force=True)
        keys = shake_keys()
        self.window.amount_slider.setValue(90)  # taken up: the scene's settings, keyed as they were
        self.assertEqual((self.window.amount_slider.value(), shake_keys()), (42, keys))
        self.assertTrue(self.window.reset_btn.isEnabled())

    def test_the_settings_noted_on_the_camera_round_trip_and_older_notes_still_read(self):
        self.prepare("relax", dict(SETTINGS, ranges="5-30,\\ 34-38"))
        noted = cmds.getAttr(CAMERA + ".tremblaShake")
        self.assertIn("setting ranges 5-30,\\\\ 34-38\n", noted)
        # As a version of the tool before the settings were noted wrote it: version 1, no end line.
        # It named no blends: the shake curves drove the channels.
        older = "\n".join(l for l in noted.split("\n") if not l.startswith(("setting", "bypass", "end", "blend")))
        older = older.replace("trembla-applied 3", "trembla-applied 1")
        # A text without settings shows the noted mode and keeps the fresh window's ranges.
        for text, ranges in ((noted, "5-30,\\ 34-38"), (older, "")):
            if text == older:
                keyed_as_earlier_versions()
            cmds.setAttr(CAMERA + ".tremblaShake", text, type="string")
            tt.reset_state()
            self.window = tt.show()
            self.assertEqual((self.window._get_camera_mode(), self.window.ranges_field.text()), ("relax", ranges))
            self.assert_button("Re-Prepare", "preparedBtn")
