"""The clip list on SETUP: the object first, then the clips and the built-in profiles with their
length, rate and origin; a clip chosen there is what Prepare plays, from the start frame set
beside it; Save Clip keeps a shake of an object and chooses it; the preview shows a chosen clip
before anything is prepared."""
import json

from support.main_path import CAMERA, CHANNELS, FIRST, FRAMES, SOURCE  # noqa: E402

from main_path import test_shake_clips as clips  # noqa: E402

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

PROFILES = ["hand-held", "walking", "vehicle", "earthquake"]
BUILT_IN = u" \u2014 384 fr @ 24 fps, built-in profile"


class ClipWindowCase(clips.ClipCase):
    def setUp(self):
        clips.ClipCase.setUp(self)
        self.window._refresh_clip_list()  # the clip file of this test's own directory
        self.names = []
        tt._dialog_hook = lambda kind, text: self.names.pop(0) if kind == "name" else "yes"
        self.addCleanup(setattr, tt, "_dialog_hook", None)

    def entries(self):
        combo = self.window.clip_combo
        return [(combo.itemText(i), combo.itemData(i)) for i in range(combo.count())]

    def choose(self, name):
        combo = self.window.clip_combo
        combo.setCurrentIndex([combo.itemData(i) for i in range(combo.count())].index(name))


class ClipListTest(ClipWindowCase):
    def test_the_list_offers_the_object_then_the_clips_then_the_profiles_with_length_rate_and_origin(self):
        profiles = [(name + BUILT_IN, name) for name in PROFILES]
        self.assertEqual(self.entries(), [("Object: none picked", None)] + profiles)
        self.saved_clip()
        self.window._refresh_clip_list()
        self.window.source_field.setText("rig")
        take = u"take 1 \u2014 %d fr @ 24 fps, from %s" % (len(FRAMES), SOURCE)
        self.assertEqual(self.entries(), [("Object: rig", None), (take, "take 1")] + profiles)
        tip = " ".join(self.window.clip_combo.itemToolTip(1).split())
        self.assertTrue(tip.startswith(take + ", saved 20"), tip)

    def test_a_clip_chosen_is_what_prepare_plays_from_the_start_frame_beside_it(self):
        self.saved_clip()
        self.window._refresh_clip_list()
        self.prepare_on(clips.OTHER, "animated", clip="take 1")
        self.window._prepare_shake(clip="take 1", clip_offset=7)
        wanted = clips.keys_of(clips.OTHER)
        self.window._reset_camera()
        self.window.source_field.setText(SOURCE)
        for name, offset, note in (("take 1", 7, "trembla-applied 4"), (None, 0, "trembla-applied 3")):
            self.choose(name)
            self.window.clip_offset_spin.setValue(offset)
            self.assertEqual((self.window.clip_offset_spin.isEnabled(), self.window.clip_offset_spin.value()),
                             (name is not None, offset))
            self.window.prepare_btn.click()
            self.assertTrue(cmds.getAttr(clips.OTHER + ".tremblaShake").startswith(note), name)
            if name:
                self.assertEqual(clips.keys_of(clips.OTHER), wanted)
            self.window._reset_camera()

    def test_prepare_from_a_script_shows_its_clip_in_the_list(self):
        self.prepare_on(clips.OTHER, "animated", clip="vehicle")
        self.assertEqual((self.window.clip_combo.currentText(), self.window.clip_offset_spin.isEnabled()),
                         ("vehicle" + BUILT_IN, True))
        cmds.select(SOURCE)
        self.window._set_source()
        self.assertEqual(self.window.clip_combo.currentIndex(), 0)


class SaveClipTest(ClipWindowCase):
    def test_save_clip_saves_a_shake_of_an_object_under_the_name_given_and_chooses_it(self):
        button = self.window.save_clip_btn
        self.assertFalse(button.isEnabled())
        self.prepare_on(CAMERA, "animated")
        self.assertTrue(button.isEnabled())
        for answer, saved in ((None, []), ("take 2", ["take 2"])):
            self.names.append(answer)
            button.click()
            self.assertEqual(sorted(self.clips()) if saved else [], saved, answer)
        self.assertEqual((self.window.clip_combo.currentIndex(), self.window.clip_combo.itemData(1)), (1, "take 2"))
        self.assertEqual(self.clips()["take 2"]["source"], SOURCE)
        # A shake played from a clip is not saved again from the window.
        self.window.prepare_btn.click()
        self.assertFalse(button.isEnabled())
        self.assertIn("prepare a shake from an object", " ".join(button.toolTip().split()))


class ClipPreviewTest(ClipWindowCase):
    def test_a_clip_chosen_shows_in_the_preview_before_anything_is_prepared(self):
        preview = self.window.shake_preview
        self.window.camera_field.setText(clips.OTHER)
        self.choose("walking")
        shown = preview.preview_data()
        self.assertEqual((shown["first_frame"], shown["weights"]), (FIRST, [1.0] * len(FRAMES)))
        self.window.clip_offset_spin.setValue(30)
        later = preview.preview_data()["offsets"]
        self.assertEqual(later["rotateY"][:len(FRAMES) - 30], shown["offsets"]["rotateY"][30:])
        # The motion drawn is the motion the prepare then plays.
        self.window.prepare_btn.click()
        played = dict(tt._prepared.items())["delta_data"]
        for k, channel in enumerate(CHANNELS):
            self.assertEqual([played[f][k] for f in FRAMES], later[channel], channel)
        self.window._reset_camera()
        self.assertEqual(preview.preview_data()["offsets"], later)
        self.choose(None)
        self.assertEqual((preview.preview_data(), preview.hint()), (None, "Prepare a shake to preview it here."))


class PresetClipTest(ClipWindowCase):
    def test_a_preset_holds_the_clip_chosen_and_a_preset_of_an_object_is_written_as_before(self):
        for name, clip in (("walking", "walking"), (None, None)):
            self.choose(name)
            self.assertEqual(self.window._get_current_settings().get("clip"), clip, name)
        self.assertEqual(sorted(self.window._get_current_settings()), ["camera", "settings", "source"])

    def test_a_preset_naming_a_clip_chooses_it_while_no_shake_is_live_and_never_changes_a_live_one(self):
        for live, chosen, said in ((False, "walking", "The preset picked clip walking."),
                                   (True, None, "The preset's camera and source were not applied: the shake on "
                                                "otherCam is live.")):
            if live:
                self.window.source_field.setText(SOURCE)
                self.prepare_on(clips.OTHER, "animated")
            self.stdout.parts[:] = []
            self.window._apply_settings({"clip": "walking", "settings": {"amount": 90}})
            self.assertEqual(self.window.clip_combo.itemData(self.window.clip_combo.currentIndex()), chosen, live)
            self.assertIn(said, self.stdout.lines(), live)
            self.assertEqual(self.window.amount_slider.value(), 90)
            if not live:
                self.assertEqual(len(self.window.shake_preview.preview_data()["weights"]), len(FRAMES))
                # A preset that picks an object makes it the source again.
                self.window._apply_settings({"source": SOURCE})
                self.assertEqual(self.window.clip_combo.currentIndex(), 0)
                self.window.amount_slider.setValue(100)

    def test_a_preset_naming_a_clip_found_nowhere_keeps_the_source_and_says_so(self):
        forget = standin.warnings[:]
        self.window._apply_settings({"clip": "gone take"})
        self.assertEqual(standin.warnings[len(forget):], ["Clip gone take of the preset not found in the clip files."])
        self.assertEqual(self.window.clip_combo.currentIndex(), 0)
