"""`trembla_run.py shake`: the shaken camera it writes equals what the module computes, every
control is honoured from flags and from a preset file, and a failure writes nothing."""
import json
import math
import os

import support  # noqa: F401  (sys.path)

from support.runner import (TempDirCase, chan_text, expected_camera, run_runner,
                                values_of)

from runner.settings import DEFAULTS

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

    def test_a_gap_in_the_camera_file_takes_the_straight_line_outside_the_shaken_range(self):
        # Frames 20-24 missing; the shake only on 1-5, so the gap shows the camera's own motion.
        kept = [f for f in FRAMES if not 20 <= f <= 24]
        self.write("gap.chan", chan_text(kept, [camera_sample(f) for f in kept]))
        self.shake("--camera", self.path("gap.chan"), "--mode", "animated", "--ranges", "1-5")
        frames, samples, _ = self.written()
        before, after = camera_sample(19), camera_sample(25)
        for frame in range(20, 25):
            part = (frame - 19) / 6.0
            line = [b + (a - b) * part for b, a in zip(before, after)]
            for k, (got, want) in enumerate(zip(samples[frames.index(frame)], line)):
                self.assertAlmostEqual(got, want, 5, "frame %d channel %d" % (frame, k))

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

    def test_long_inputs_report_each_phase_to_stderr_every_5_percent(self):
        _, err = self.shake("--camera", self.camera, "--progress")
        lines = err.splitlines()
        every_5 = " ".join("%d%%" % p for p in range(0, 101, 5))
        for phase in ("reading " + self.source, "reading " + self.camera, "scene building",
                      "keying", "writing " + self.out):
            self.assertIn("%s: %s" % (phase, every_5), lines, err)
        _, err = self.shake("--camera", self.camera)  # a small input stays quiet
        self.assertNotIn("%", err)


class ShakeFailureCase(ShakeCase):
    def run_failing(self, *args):
        code, out, err = run_runner(["shake", "--out", self.out] + list(args))
        self.assertNotEqual(code, 0, out + err)
        return err

    def assert_nothing_written(self):
        self.assertEqual(sorted(os.listdir(self.dir)), ["cam.chan", "old.chan", "plate.chan"])
        self.assertEqual(self.read("old.chan"), "keep me\n")

    def setUp(self):
        ShakeCase.setUp(self)
        self.out = self.write("old.chan", "keep me\n")  # an earlier result at the output path


class ShakeFailureTest(ShakeFailureCase):
    def test_a_malformed_camera_line_is_named_and_nothing_is_written(self):
        text = self.read("cam.chan").splitlines()
        text[6] = "7 0.35 1.6 9.3 -4.3 oops 0.0 36.75"
        self.write("cam.chan", "\n".join(text) + "\n")
        err = self.run_failing("--source", self.source, "--camera", self.camera)
        self.assertIn("error: %s:7: ry is not a number: 'oops'" % self.camera, err)
        self.assert_nothing_written()

    def test_a_malformed_source_line_is_named_and_nothing_is_written(self):
        self.write("plate.chan", self.read("plate.chan") + "41 1 2 3\n")
        err = self.run_failing("--source", self.source, "--camera", self.camera)
        self.assertIn("error: %s:41: expected 7 or 8 values" % self.source, err)
        self.assert_nothing_written()

    def test_an_unknown_preset_name_lists_the_names_and_nothing_is_written(self):
        preset = self.write("presets.json", json.dumps({"b": {"settings": {}}, "a": {}}))
        err = self.run_failing("--source", self.source, "--camera", self.camera, "--preset", preset,
                        "--preset-name", "c")
        self.assertIn("%s: no preset named 'c' (presets: a, b)" % preset, err)
        os.remove(preset)
        self.assert_nothing_written()

    def test_a_missing_output_folder_fails_before_any_work(self):
        err = self.run_failing("--source", self.source, "--camera", self.camera,
                        "--out", self.path(os.path.join("nowhere", "out.chan")))
        self.assertIn("does not exist", err)
        self.assert_nothing_written()

    def test_out_of_range_flags_are_refused_by_the_command_line(self):
        err = self.run_failing("--source", self.source, "--camera", self.camera, "--lag-trans", "16")
        self.assertIn("16 is outside 0-15", err)
        self.assert_nothing_written()


class StrictInputTest(ShakeFailureCase):
    """What the window forgives as the user types is an error before a run's minutes of work."""

    def fail_with(self, status, args, words):
        code, out, err = run_runner(["shake", "--out", self.out, "--source", self.source] + args)
        self.assertEqual(code, status, "%s: %s" % (args, out + err))
        self.assertIn(words, err, args)
        self.assertEqual(self.read("old.chan"), "keep me\n")
        self.assertEqual([name for name in os.listdir(self.dir) if name.endswith(".tmp")], [])

    BAD_RANGES = [
        ("abc", "argument --ranges: 'abc' is not a frame range"),
        ("10-20;30-40", "argument --ranges: '10-20;30-40' is not a frame range"),
        ("30", "argument --ranges: '30' is not a frame range"),
        ("10-30, banana", "argument --ranges: 'banana' is not a frame range"),
        ("10-30,,35-38", "argument --ranges: '' is not a frame range"),
        ("30-10", "argument --ranges: '30-10' is reversed"),
        ("300-400", "argument --ranges: '300-400' is outside the source's frames 1-40"),
        ("5-30, 35-41", "argument --ranges: '35-41' is outside the source's frames 1-40"),
        ("-10--5", "argument --ranges: '-10--5' is outside the source's frames 1-40"),
    ]

    def test_a_bad_ranges_part_is_a_bad_flag_naming_the_part(self):
        for text, words in self.BAD_RANGES:
            self.fail_with(2, ["--camera", self.camera, "--ranges", text], words)

    BAD_PRESET_VALUES = [
        ("amount", 9999, "9999 is outside 0-200"),
        ("lag_trans", -3, "-3 is outside 0-15"),
        ("rot_z", 101, "101 is outside 0-100"),
        ("amount", "high", '"high" is not a whole number'),
        ("smooth", 12.5, "12.5 is not a whole number"),
        ("fade_in", True, "true is not a whole number"),
        ("translate_enabled", 1, "1 is not true or false"),
        ("mode", "wobbly", '"wobbly" is not a camera mode'),
        ("ranges", "10-50, banana", "'banana' is not a frame range"),
        ("ranges", 10, "10 is not a ranges text"),
        ("ranges", "30-10", "'30-10' is reversed"),
        ("ranges", "10-50", "'10-50' is outside the source's frames 1-40"),
        ("layer_name", ["a"], '["a"] is not text'),
    ]

    def test_a_preset_value_the_window_would_clamp_or_ignore_names_file_preset_and_member(self):
        for member, value, words in self.BAD_PRESET_VALUES:
            presets = {"a_good_one": {"settings": {}},
                       "soft": {"settings": {"amount": 80, member: value}}}
            preset = self.write("presets.json", json.dumps(presets))
            self.fail_with(1, ["--camera", self.camera, "--preset", preset, "--preset-name", "soft"],
                           "error: %s: preset 'soft': settings.%s: %s" % (preset, member, words))
            os.remove(preset)

    def test_an_output_naming_an_input_file_is_refused(self):
        os.link(self.camera, self.path("cam_link.chan"))
        os.symlink(self.source, self.path("plate_link.chan"))
        self.addCleanup(os.remove, self.path("cam_link.chan"))
        self.addCleanup(os.remove, self.path("plate_link.chan"))
        cases = [("--source", self.source, self.source),
                 ("--camera", os.path.join(self.dir, ".", "cam.chan"), self.camera),
                 ("--camera", self.path("cam_link.chan"), self.camera),  # another name, same inode
                 ("--source", self.path("plate_link.chan"), self.source)]
        for flag, out, victim in cases:
            before = self.read(os.path.basename(victim))
            code, _, err = run_runner(["shake", "--source", self.source, "--camera", self.camera,
                                       "--out", out])
            self.assertEqual(code, 2, out)
            self.assertIn("argument --out: %s is the %s file" % (out, flag), err)
            self.assertEqual(self.read(os.path.basename(victim)), before, out)


class OneLineRefusalTest(ShakeFailureCase):
    """A user's mistake ends in one line on stderr, never a traceback, a hang or a replaced
    special file."""

    def refused(self, args, status, words, job="shake"):
        code, out, err = run_runner([job] + args)
        lines = err.strip().splitlines()
        self.assertEqual((code, len(lines)), (status, 1), "%s: %s" % (args, out + err))
        self.assertIn("trembla_run.py %s: error: " % job, lines[0])
        self.assertIn(words, lines[0], args)

    def test_an_output_that_is_not_a_regular_file_is_left_alone(self):
        os.mkfifo(self.path("fifo"))
        os.symlink(os.devnull, self.path("null_link"))
        os.mkdir(self.path("folder"))
        for name, kind in (("fifo", "a FIFO"), ("null_link", "a character device"),
                           ("folder", "a folder")):
            out = self.path(name)
            self.refused(["--source", self.source, "--camera", self.camera, "--out", out], 2,
                         "argument --out: %s is %s, not a regular file" % (out, kind))
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["cam.chan", "fifo", "folder", "null_link", "old.chan", "plate.chan"])
        self.assertTrue(os.path.islink(self.path("null_link")))
        self.assertFalse(os.path.isfile(self.path("fifo")))

    def test_absurd_inputs_are_refused_in_one_line_naming_the_file(self):
        span = self.write("span.chan", "0 0 0 0 0 0 0\n1000000000000 0 0 0 0 0 0\n")
        deep = self.write("deep.json", "[" * 100000 + "]" * 100000)
        self.refused(["--source", span, "--camera-pose"] + ["0"] * 6 + ["--out", self.out], 1,
                     "%s: frames 0-1000000000000 span 1000000000001 frames; at most 10000000" % span)
        self.refused(["--source", self.source, "--camera", self.camera, "--preset", deep,
                      "--out", self.out], 1, "error: %s: not a preset file: nesting deeper than 512" % deep)
        self.assertEqual(self.read("old.chan"), "keep me\n")

    def test_a_demo_folder_that_cannot_be_made_is_one_line(self):
        under_file = os.path.join(self.out, "demo")
        self.refused(["--out", self.out], 2, "argument --out: %s is a file, not a folder" % self.out,
                     job="demo")
        self.refused(["--out", under_file], 2, "argument --out: cannot make the folder %s" % under_file,
                     job="demo")


class NegativeFramesTest(TempDirCase):
    def test_negative_ranges_work_with_and_without_equals_and_shake_those_frames(self):
        frames = list(range(-20, 20))
        samples = [source_sample(f) for f in frames]
        source = self.write("plate.chan", chan_text(frames, samples))
        written = []
        for ranges in (["--ranges=-10--5"], ["--ranges", "-10--5"]):
            out = self.path("out%d.chan" % len(written))
            code, stdout, err = run_runner(["shake", "--source", source, "--out", out,
                                            "--camera-pose", "0", "0", "0", "0", "0", "0"] + ranges)
            self.assertEqual(code, 0, stdout + err)
            written.append(values_of(self.read(os.path.basename(out))))
        self.assertEqual(written[0], written[1])
        self.assertEqual(written[0][0], frames)
        # The same shot starting at frame 1 with the range moved along gives the same camera.
        source_frames, source_samples = values_of(self.read("plate.chan"))[:2]
        expected = expected_camera([f + 21 for f in source_frames], source_samples,
                                   dict(DEFAULTS, ranges="11-16"), pose=[0.0] * 6)
        self.assert_samples(written[0][1], expected, "negative frames")
        self.assertNotEqual(written[0][1][12], (0.0,) * 6)  # frame -8 is shaken


class WhatTheUserReadsTest(ShakeCase):
    """stderr carries the runner's own warnings, once each, and nothing else."""

    def run_clean(self, args):
        env_without_runtime = dict((k, v) for k, v in os.environ.items() if k != "XDG_RUNTIME_DIR")
        code, out, err = run_runner(["shake", "--source", self.source, "--out", self.out] + args,
                                    env=env_without_runtime)
        self.assertEqual(code, 0, out + err)
        self.assertNotIn("layer", out.lower())
        return [line for line in err.splitlines()]

    def test_warnings_come_once_each_and_nothing_else_reaches_stderr(self):
        late = list(range(501, 541))
        late_camera = self.write("late.chan", chan_text(late, [camera_sample(f) for f in late], FOV))
        static = self.write("static.json", json.dumps({"p": {"settings": {"mode": "static"}}}))
        covers = "warning: %s covers frames 501-540, the source 1-40" % late_camera
        drops = "and drops its own move, while its field of view, carried to the output, keeps changing"
        cases = [
            (["--camera", self.camera], []),
            (["--camera-pose", "0", "0", "0", "0", "0", "0", "--ranges", "5-30"], []),
            (["--camera", late_camera], [covers]),
            (["--camera", self.camera, "--mode", "static"], ["the static mode (--mode static) keeps"]),
            (["--camera", self.camera, "--preset", static], ["the static mode (the preset's mode)"]),
            (["--camera", late_camera, "--mode", "static"], [covers, drops]),
        ]
        for args, expected in cases:
            lines = self.run_clean(args)
            self.assertEqual(len(lines), len(expected), "%s: %r" % (args, lines))
            for line, words in zip(lines, expected):
                self.assertTrue(line.startswith("trembla_run.py shake: warning: "), line)
                self.assertIn(words, line)

    def test_help_gives_units_rotation_order_what_each_control_does_defaults_and_an_example(self):
        code, out, err = run_runner(["shake", "--help"])
        self.assertEqual(code, 0, err)
        text = " ".join(out.split())
        for words in ("rotations are in degrees", "rotation order XYZ", "it does not smooth the shake",
                      "how many frames the translation shake lags behind the source; 0-15, default 0",
                      "overall shake amount, percent; 0-200, default 100",
                      "--ranges -10--5", "0-100 each, default 100 100 100",
                      "example (from the repository root): trembla_run.py shake --source "
                      "examples/plate.chan --camera examples/cgcam.chan"):
            self.assertIn(words, text)
