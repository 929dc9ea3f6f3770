"""Preparing a shake through the window and following the controls live, in each camera mode."""
import unittest

from support.main_path import (
    CAMERA, CHANNELS, FIRST, FRAMES, LAST, RECORD_KEYS, SETTINGS, SOURCE, MainPathCase,
    camera_channel_values, channel_value, world_sample)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402


HELD = ("Static mode: %s's own move is held at its pose of frame %d until Reset, or until a baked "
        "layer is removed." % (CAMERA, FIRST))


class PrepareTest(MainPathCase):
    def check_prepared(self, mode):
        self.prepare(mode)

        # Read before anything below moves the time: static samples end on the first frame, the
        # camera recording of the other modes on the last.
        self.assertEqual(cmds.currentTime(q=True), FIRST if mode == "static" else LAST)
        # The static mode holds the dolly at its first pose, and says so.
        held = [HELD] if mode == "static" else []
        self.assertEqual(self.stdout.lines(),
                         ["Preparing shake (mode: %s)..." % mode,
                          "Shake prepared. %d frames." % len(FRAMES)] + held)
        self.assertEqual(list(standin.in_view_messages), [" ".join(["Shake prepared!"] + held)])
        self.assertEqual(list(standin.warnings), [])
        self.assert_button("Re-Prepare", "preparedBtn")
        self.assertFalse(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())
        self.assertEqual(standin.evaluation_mode(), "parallel")
        self.assertEqual(tt._original_eval_mode, "parallel")

        record = self.record()
        self.assertEqual(sorted(record), sorted(RECORD_KEYS))
        self.assertEqual(len(tt._prepared), 10)
        self.assertEqual((record["ready"], record["camera"], record["source"], record["camera_mode"]),
                         (True, CAMERA, SOURCE, mode))
        self.assertEqual((record["start_frame"], record["end_frame"]), (FIRST, LAST))
        self.assertEqual(sorted(record["source_data"]), FRAMES)
        self.assertEqual(sorted(record["delta_data"]), FRAMES)
        first = world_sample(SOURCE, FIRST)
        for frame in FRAMES:
            sample = world_sample(SOURCE, frame)
            self.assert_values(record["source_data"][frame], sample, "source at %d" % frame)
            self.assert_values(record["delta_data"][frame], [s - f for s, f in zip(sample, first)],
                               "delta at %d" % frame)
        # The start pose is the camera's own channels on the first frame, as keyed before the shake.
        self.assert_values(record["camera_base"], camera_channel_values(FIRST), "camera_base")
        # Every mode records the camera's animation: a mode chosen later applies at once.
        self.assertEqual(sorted(record["camera_original_anim"]), sorted(CHANNELS))
        for idx, channel in enumerate(CHANNELS):
            self.assert_values(record["camera_original_anim"][channel],
                               [camera_channel_values(f)[idx] for f in FRAMES], channel)

        self.assert_camera_shaken()

    def test_static_prepare_shakes_the_start_pose(self):
        self.check_prepared("static")

    def test_animated_prepare_shakes_the_smoothed_animation(self):
        self.check_prepared("animated")

    def test_relax_prepare_writes_the_relaxed_animation(self):
        self.check_prepared("relax")

    def test_a_static_prepare_of_a_still_camera_says_nothing_of_a_held_move(self):
        cmds.cutKey(CAMERA, clear=True)
        self.prepare("static")
        self.assertNotIn(HELD, self.stdout.lines())
        self.assertEqual(list(standin.in_view_messages), ["Shake prepared!"])

    def test_viewport_is_suspended_exactly_around_the_sampling(self):
        self.prepare("animated")
        ops = [op for op, _, _ in self.logged()]
        suspend = self.logged().index(("refresh", (), {"suspend": True}))
        resume = self.logged().index(("refresh", (), {"suspend": False}))
        first_sample = ops.index("xform")
        last_key = max(i for i, op in enumerate(ops)
                       if op in ("setKeyframe", "OpenMayaAnim.MFnAnimCurve.addKeys"))
        self.assertLess(ops.index("playbackOptions"), suspend)
        self.assertLess(suspend, first_sample)
        self.assertLess(last_key, ops.index("inViewMessage"))
        self.assertLess(ops.index("inViewMessage"), resume)
        self.assertEqual(ops.count("refresh"), 2)

    def test_preparing_again_stays_prepared_with_the_new_mode(self):
        self.prepare("static")
        self.prepare("animated")
        self.assertEqual(self.record()["camera_mode"], "animated")
        self.assert_button("Re-Prepare", "preparedBtn")
        self.assert_camera_shaken()


class LiveUpdateTest(MainPathCase):
    def test_each_kind_of_control_rekeys_the_camera_from_the_stored_samples(self):
        self.prepare("animated")
        settings = dict(SETTINGS)
        changes = (("lag_trans", 7), ("smoothing", 60), ("rot_amp", 40), ("trans_z", 10),
                   ("fade_out", 0))
        for name, value in changes:
            standin.clear_calls()
            getattr(self.window, name + "_slider").setValue(value)
            settings[name] = value
            self.assert_camera_shaken(settings)
            # No value is read again; the locks are asked (getAttr(plug, lock=True)).
            ops = set(op for op, _, kwargs in self.logged() if not kwargs.get("lock"))
            self.assertFalse(ops & set(["xform", "currentTime", "getAttr", "refresh"]), name)

        self.window.translate_cb.setChecked(False)
        self.window.translate_cb.setChecked(True)
        self.window.ranges_field.setText("10-20")
        self.window._update_shake()
        settings["ranges"] = "10-20"
        self.assert_camera_shaken(settings)

    def test_a_mode_chosen_while_prepared_applies_live_and_reset_gives_back_the_own_animation(self):
        for prepared, chosen in (("static", "relax"), ("static", "animated"), ("relax", "static"),
                                 ("animated", "static")):
            what = prepared + " -> " + chosen
            self.setUp()
            self.prepare(prepared)
            self.set_mode(chosen)
            self.assertEqual(self.record()["camera_mode"], chosen, what)
            for name in ("amp_header", "amount_slider", "trans_amp_slider", "rot_amp_slider"):
                self.assertEqual(getattr(self.window, name).isVisible(), chosen != "relax", what)
            self.assert_camera_shaken()
            self.window._reset_camera()
            # Every mode gives the camera its own curves back.
            self.assert_camera_animation_restored()

    def test_the_preview_holds_the_offsets_the_shake_curves_carry_until_the_reset(self):
        self.prepare("static")
        self.window.amount_slider.setValue(60)
        settings = dict(SETTINGS, amount=60)
        data = self.window.shake_preview.preview_data()
        # The static prepare leaves the time on the first frame.
        self.assertEqual((data["first_frame"], data["current_frame"]), (FIRST, FIRST))
        ranges = tt.parse_ranges(settings["ranges"])
        self.assert_values(data["weights"], [tt.calculate_fade_multiplier(
            f, ranges, settings["fade_in"], settings["fade_out"]) for f in FRAMES], "weights")
        self.assertEqual(sorted(data["offsets"]), sorted(CHANNELS))
        base = self.record()["camera_base"]
        standin.set_logging(False)
        for idx, channel in enumerate(CHANNELS):
            keyed = [channel_value(CAMERA, channel, f) - base[idx] for f in FRAMES]
            self.assert_values(data["offsets"][channel], keyed, channel)
        standin.set_logging(True)
        self.window._reset_camera()
        self.assertIsNone(self.window.shake_preview.preview_data())

    def test_update_does_nothing_before_a_prepare(self):
        self.name_camera_and_source()
        standin.clear_calls()
        self.assertIsNone(self.window._update_shake())
        self.window.lag_trans_slider.setValue(5)
        self.assertEqual(self.logged(), [])
        self.assertFalse(cmds.objExists(CAMERA + "_shake_translateX"))


class ValidationTest(MainPathCase):
    def check_rejected(self, camera, source, warning):
        self.name_camera_and_source(camera, source)
        self.window._prepare_shake()
        self.assertEqual(list(standin.warnings), [warning])
        self.assertEqual(self.logged("refresh"), [])
        self.assertEqual(self.logged("evaluationManager"), [])
        self.assertEqual(self.stdout.text(), "")
        self.assertFalse(tt._prepared["ready"])
        self.assertIsNone(tt._original_eval_mode)
        self.assert_button("Prepare Shake", "primaryBtn")

    def test_camera_name_with_a_leading_space_is_not_found(self):
        self.check_rejected(" " + CAMERA, SOURCE, "Please set a valid camera.")

    def test_empty_camera_name_is_refused(self):
        self.check_rejected("", SOURCE, "Please set a valid camera.")

    def test_unknown_source_is_refused_after_the_camera_passes(self):
        self.check_rejected(CAMERA, SOURCE + " ", "Please set a valid source object.")

    def test_a_rejected_prepare_keeps_an_earlier_preparation_and_its_button(self):
        self.prepare("static")
        before = self.record()
        self.window.camera_field.setText("noSuchCam")
        self.window._prepare_shake()
        self.assertEqual(self.record(), before)
        self.assert_button("Re-Prepare", "preparedBtn")


if __name__ == "__main__":
    unittest.main()
