"""A shake saved as a clip and played on another camera in place of its source: the keys are the
source's own there, and a shake taken up from the scene plays its clip again only while the clip
is the one noted."""
import json
import os
import shutil
import tempfile

from support.main_path import (  # noqa: E402
    CAMERA, CHANNELS, FRAMES, SOURCE, MainPathCase, build_scene, key_channels, shake_curve)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

OTHER = "otherCam"


def other_channel_values(frame):
    f = float(frame)
    return (1.0 - 0.02 * f, 3.0 + 0.01 * f, -4.0, 0.3 * f, -10.0 + 0.2 * f, 1.5)


def keys_of(camera):
    """Every key of every shake curve on the camera: time and value, exactly."""
    return dict((c, (cmds.keyframe(shake_curve(c, camera), q=True, tc=True),
                     cmds.keyframe(shake_curve(c, camera), q=True, vc=True)))
                for c in CHANNELS if cmds.objExists(shake_curve(c, camera)))


class ClipCase(MainPathCase):
    def setUp(self):
        MainPathCase.setUp(self)
        # The clip file lives beside the module: a temporary directory of its own.
        directory = os.path.realpath(tempfile.mkdtemp(prefix="trembla_clips_"))
        real_file = tt.__file__
        tt.__file__ = os.path.join(directory, "trembla_tool.so")
        self.addCleanup(shutil.rmtree, directory, True)
        self.addCleanup(setattr, tt, "__file__", real_file)
        cmds.createNode("transform", name=OTHER)
        cmds.createNode("camera", name=OTHER + "Shape", parent=OTHER)
        key_channels(OTHER, other_channel_values)

    def prepare_on(self, camera, mode, clip=None):
        self.window.camera_field.setText(camera)
        self.window.source_field.setText(SOURCE if clip is None else "")
        self.apply_settings()
        self.set_mode(mode)
        self.window._prepare_shake(clip=clip)

    def saved_clip(self, mode="animated"):
        """The source prepared on the shot's camera and saved as clip "take 1", then taken off."""
        self.prepare_on(CAMERA, mode)
        self.assertTrue(tt.save_clip("take 1"))
        self.window._reset_camera()

    def clips(self):
        with open(tt.get_clip_file_path()) as f:
            return json.load(f)


class ClipOnAnotherCameraTest(ClipCase):
    def test_a_clip_saved_from_a_source_keys_on_another_camera_exactly_what_that_source_keys_there(self):
        for mode in ("static", "animated", "relax"):
            self.saved_clip(mode)
            saved = self.clips()["take 1"]
            self.assertEqual((saved["source"], saved["frame_rate"], len(saved["channels"]["rotateY"])),
                             (SOURCE, 24.0, len(FRAMES)), mode)
            self.prepare_on(OTHER, mode)
            from_source = keys_of(OTHER)
            self.window._reset_camera()
            self.prepare_on(OTHER, mode, clip="take 1")
            self.assertEqual(keys_of(OTHER), from_source, mode)
            note = cmds.getAttr(OTHER + ".tremblaShake")
            self.assertTrue(note.startswith("trembla-applied 4\nlive 1\nclip 0 24 fnv1a64:"), note[:80])
            self.assertTrue(note.split("\n")[2].endswith(" take 1"), note[:80])
            self.window._reset_camera()

    def test_a_clip_is_saved_at_the_scenes_frame_rate(self):
        for unit, rate in (("game", 15.0), ("pal", 25.0), ("ntscf", 60.0)):
            build_scene(time_unit=unit)
            tt.reset_state()
            self.window = tt.show()
            self.saved_clip()
            self.assertEqual(self.clips()["take 1"]["frame_rate"], rate, unit)

    def test_a_clip_found_nowhere_prepares_nothing_and_says_so(self):
        forget = standin.warnings[:]
        self.prepare_on(OTHER, "animated", clip="no such take")
        self.assertEqual(standin.warnings[len(forget):], ["Clip no such take not found in the clip files."])
        self.assertEqual(keys_of(OTHER), {})
        self.assertFalse(self.window.reset_btn.isEnabled())


class TakenUpClipTest(ClipCase):
    def test_a_taken_up_shake_whose_clip_is_gone_or_changed_warns_once_keys_nothing_and_resets(self):
        def changed(clips):
            clips["take 1"]["channels"]["translateX"][4] += 0.25

        def removed(clips):
            del clips["take 1"]

        for how, edit, warned in (("the same", None, False), ("changed", changed, True), ("gone", removed, True)):
            self.saved_clip()
            self.prepare_on(CAMERA, "animated", clip="take 1")
            keys = keys_of(CAMERA)
            if edit:
                clips = self.clips()
                edit(clips)
                with open(tt.get_clip_file_path(), "w") as f:
                    json.dump(clips, f)
            tt.reset_state()
            self.window = tt.show()
            forget = standin.warnings[:]
            for value in (90, 80):
                self.window.amount_slider.setValue(value)
            new = standin.warnings[len(forget):]
            if warned:
                self.assertEqual(keys_of(CAMERA), keys, how)
                self.assertEqual(len(new), 1, how)
                self.assertIn("Clip take 1 of the shake on shotCam is gone or changed since Prepare", new[0])
            else:
                self.assertEqual(new, [], how)
                self.assertNotEqual(keys_of(CAMERA), keys, how)  # keyed anew from the clip
            self.window.reset_btn.click()
            self.assert_no_shake_curves()
            self.assert_camera_animation_restored()

    def test_a_taken_up_shake_of_a_clip_prepares_again_from_that_clip(self):
        self.saved_clip()
        self.prepare_on(CAMERA, "animated", clip="take 1")
        keys = keys_of(CAMERA)
        tt.reset_state()
        self.window = tt.show()
        self.assertEqual(self.window.source_field.text(), "")
        forget = standin.warnings[:]
        self.window.prepare_btn.click()
        self.assertEqual((standin.warnings[len(forget):], keys_of(CAMERA)), ([], keys))
        # An object picked as the source is the source again.
        cmds.select(SOURCE)
        self.window._set_source()
        self.window.prepare_btn.click()
        self.assertTrue(cmds.getAttr(CAMERA + ".tremblaShake").startswith("trembla-applied 3\nlive 1\nsource shaker\n"))


PROFILES = ["hand-held", "walking", "vehicle", "earthquake"]


class ClipListTest(ClipCase):
    def test_the_list_offers_the_saved_clips_first_then_the_built_in_profiles(self):
        profiles = [(n, 384, 24.0, "") for n in PROFILES]
        def listed():
            return [(c["name"], c["frames"], c["frame_rate"], c["file"]) for c in tt.list_clips()]
        self.assertEqual(listed(), profiles)
        self.saved_clip()
        self.assertEqual(listed(), [("take 1", len(FRAMES), 24.0, tt.get_clip_file_path())] + profiles)
        self.assertEqual(tt.list_clips()[0]["source"], SOURCE)

    def test_a_built_in_profile_plays_like_a_clip_and_is_played_again_when_taken_up(self):
        self.prepare_on(OTHER, "animated", clip="walking")
        self.assertTrue(cmds.getAttr(OTHER + ".tremblaShake").split("\n")[2].endswith(" walking"))
        keys = keys_of(OTHER)
        self.assertEqual(sorted(keys), sorted(CHANNELS))
        tt.reset_state()
        self.window = tt.show()
        self.window.camera_field.setText(OTHER)
        forget = standin.warnings[:]
        self.window.amount_slider.setValue(90)
        self.assertEqual(standin.warnings[len(forget):], [])
        self.assertNotEqual(keys_of(OTHER), keys)
