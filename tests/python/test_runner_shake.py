"""`trembla_run.py shake`: the shaken camera it writes equals what the module computes, every
control is honoured from flags and from a preset file, and a failure writes nothing."""
import json
import math
import os

import support  # noqa: F401  (sys.path)

from test_runner_common import (TempDirCase, chan_text, expected_camera, run_runner,
                                values_of)

FRAMES = list(range(1, 41))
FOV = ["%.2f" % (35.0 + 0.25 * f) for f in FRAMES]


def source_sample(f):
    """A shake riding on a slow drift."""
    return (0.5 * math.sin(1.7 * f) + 0.1 * f, 0.3 * math.cos(2.3 * f) + 2.0,
            0.2 * math.sin(0.9 * f) - 0.05 * f, 2.0 * math.sin(1.1 * f),
            1.5 * math.cos(0.7 * f) + 0.2 * f, 1.0 * math.sin(2.9 * f))


def camera_sample(f):
    """A dolly with a pan and a tilt."""
    return (0.05 * f, 1.6, 10.0 - 0.1 * f, -5.0 + 0.1 * f, 20.0 + 0.5 * f, 3.0 * math.sin(0.2 * f))


# Every shaping control away from its default, each different from the others.
FLAGS = ["--lag-trans", "3", "--lag-rot", "2", "--smooth", "30", "--amount", "150",
         "--trans-amp", "80", "--rot-amp", "120", "--fade-in", "3", "--fade-out", "4",
         "--ranges", "5-30, 34-38", "--trans-axes", "100", "55", "90", "--rot-axes", "33", "100", "71"]
SETTINGS = dict(lag_trans=3, lag_rot=2, smooth=30, amount=150, trans_amp=80, rot_amp=120,
                fade_in=3, fade_out=4, ranges="5-30, 34-38", translate_enabled=True,
                rotate_enabled=True, trans_x=100, trans_y=55, trans_z=90, rot_x=33, rot_y=100,
                rot_z=71, layer_name="trembla_layer")


class ShakeCase(TempDirCase):
    def setUp(self):
        TempDirCase.setUp(self)
        source = self.write("plate.chan", chan_text(FRAMES, [source_sample(f) for f in FRAMES], FOV))
        camera = self.write("cam.chan", chan_text(FRAMES, [camera_sample(f) for f in FRAMES], FOV))
        self.source_values = values_of(self.read("plate.chan"))
        self.camera_values = values_of(self.read("cam.chan"))
        self.source, self.camera, self.out = source, camera, self.path("out.chan")

    def shake(self, *args):
        code, out, err = run_runner(["shake", "--source", self.source, "--out", self.out] + list(args))
        self.assertEqual(code, 0, out + err)
        return out, err

    def written(self):
        return values_of(self.read("out.chan"))


class ShakeResultTest(ShakeCase):
    def check_mode_with_camera_file(self, mode):
        out, _ = self.shake("--camera", self.camera, "--mode", mode, *FLAGS)
        frames, samples, fov = self.written()
        self.assertEqual(frames, FRAMES)
        self.assertEqual(fov, FOV)  # passed through as written
        settings = dict(SETTINGS, mode=mode)
        expected = expected_camera(self.source_values[0], self.source_values[1], settings,
                                   camera_samples=self.camera_values[1])
        self.assert_samples(samples, expected, mode)
        self.assertIn("wrote %s: 40 frames (1-40), mode %s" % (self.out, mode), out)

    def test_animated_camera_file_carries_the_shaped_shake(self):
        self.check_mode_with_camera_file("animated")

    def test_relax_camera_file_is_smoothed_and_relaxed_without_shake(self):
        self.check_mode_with_camera_file("relax")

    def test_static_pose_with_rotations_off_keeps_the_pose_rotations(self):
        pose = ["1.5", "2", "-3", "10", "-20", "5"]
        self.shake("--camera-pose", *(pose + FLAGS + ["--no-rotate"]))
        frames, samples, fov = self.written()
        self.assertEqual(frames, FRAMES)
        self.assertIsNone(fov)
        settings = dict(SETTINGS, mode="static", rotate_enabled=False)
        expected = expected_camera(self.source_values[0], self.source_values[1], settings,
                                   pose=[float(v) for v in pose])
        self.assert_samples(samples, expected, "static")

    def test_mode_defaults_to_animated_for_a_camera_file_and_static_for_a_pose(self):
        out, _ = self.shake("--camera", self.camera)
        self.assertIn("mode animated", out)
        out, _ = self.shake("--camera-pose", "0", "0", "0", "0", "0", "0")
        self.assertIn("mode static", out)

    def test_preset_file_sets_the_controls_and_flags_override_it(self):
        preset_settings = dict(SETTINGS, mode="animated", amount=120, lag_trans=5)
        presets = {"soft": {"camera": "x", "source": "y", "settings": {"amount": 10}},
                   "plate_follow": {"camera": "cam1", "source": "plate", "settings": preset_settings}}
        preset = self.write("presets.json", json.dumps(presets, indent=2))
        self.shake("--camera", self.camera, "--preset", preset, "--preset-name", "plate_follow",
                   "--amount", "70")
        settings = dict(preset_settings, amount=70)
        expected = expected_camera(self.source_values[0], self.source_values[1], settings,
                                   camera_samples=self.camera_values[1])
        self.assert_samples(self.written()[1], expected, "preset")

    def test_long_inputs_report_each_phase_to_stderr(self):
        _, err = self.shake("--camera", self.camera, "--progress")
        lines = err.splitlines()
        for phase in ("reading " + self.source, "reading " + self.camera, "scene building",
                      "keying (prepare, update, bake)", "writing " + self.out):
            found = [line for line in lines if line.startswith(phase + ": 0%")]
            self.assertEqual(len(found), 1, "%s in %r" % (phase, err))
            self.assertTrue(found[0].endswith(" 100%"), found[0])
        _, err = self.shake("--camera", self.camera)  # a small input stays quiet
        self.assertNotIn("%", err)


class ShakeFailureTest(ShakeCase):
    def fail(self, *args):
        code, out, err = run_runner(["shake", "--out", self.out] + list(args))
        self.assertNotEqual(code, 0, out + err)
        return err

    def assert_nothing_written(self):
        self.assertEqual(sorted(os.listdir(self.dir)), ["cam.chan", "old.chan", "plate.chan"])
        self.assertEqual(self.read("old.chan"), "keep me\n")

    def setUp(self):
        ShakeCase.setUp(self)
        self.out = self.write("old.chan", "keep me\n")  # an earlier result at the output path

    def test_a_malformed_camera_line_is_named_and_nothing_is_written(self):
        text = self.read("cam.chan").splitlines()
        text[6] = "7 0.35 1.6 9.3 -4.3 oops 0.0 36.75"
        self.write("cam.chan", "\n".join(text) + "\n")
        err = self.fail("--source", self.source, "--camera", self.camera)
        self.assertIn("error: %s:7: ry is not a number: 'oops'" % self.camera, err)
        self.assert_nothing_written()

    def test_a_malformed_source_line_is_named_and_nothing_is_written(self):
        self.write("plate.chan", self.read("plate.chan") + "41 1 2 3\n")
        err = self.fail("--source", self.source, "--camera", self.camera)
        self.assertIn("error: %s:41: expected 7 or 8 values" % self.source, err)
        self.assert_nothing_written()

    def test_an_unknown_preset_name_lists_the_names_and_nothing_is_written(self):
        preset = self.write("presets.json", json.dumps({"b": {"settings": {}}, "a": {}}))
        err = self.fail("--source", self.source, "--camera", self.camera, "--preset", preset,
                        "--preset-name", "c")
        self.assertIn("%s: no preset named 'c' (presets: a, b)" % preset, err)
        os.remove(preset)
        self.assert_nothing_written()

    def test_a_missing_output_folder_fails_before_any_work(self):
        err = self.fail("--source", self.source, "--camera", self.camera,
                        "--out", self.path(os.path.join("nowhere", "out.chan")))
        self.assertIn("does not exist", err)
        self.assert_nothing_written()

    def test_out_of_range_flags_are_refused_by_the_command_line(self):
        err = self.fail("--source", self.source, "--camera", self.camera, "--lag-trans", "16")
        self.assertIn("16 is outside 0-15", err)
        self.assert_nothing_written()
