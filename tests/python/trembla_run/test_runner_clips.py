"""`trembla_run.py clip` and `shake --clip`: a plate saved as a clip shakes a camera exactly as the
plate does, a clip at another frame rate is resampled, a built-in profile plays by its name, and a
clip that cannot be played or saved is one line of error."""
import glob
import json
import os

import support  # noqa: F401  (sys.path)

from support.runner import TempDirCase, chan_text, run_runner

from trembla_run.test_runner_shake import FLAGS, FRAMES, FOV, camera_sample, source_sample

import trembla_tool as tt  # noqa: E402

POSE = ["--camera-pose", "0.5", "1.6", "8", "-3", "10", "0"]


class ClipRunCase(TempDirCase):
    def setUp(self):
        TempDirCase.setUp(self)
        self.plate = self.write("plate.chan", chan_text(FRAMES, [source_sample(f) for f in FRAMES], FOV))
        self.camera = self.write("cam.chan", chan_text(FRAMES, [camera_sample(f) for f in FRAMES], FOV))
        self.clips = self.path("clips.json")
        # The module from a folder of its own: the user's clip file beside it is the test's.
        self.module_dir = self.path("module")
        os.makedirs(self.module_dir)
        for built in glob.glob(os.path.join(os.path.dirname(tt.__file__), "trembla_tool*")):
            os.symlink(built, os.path.join(self.module_dir, os.path.basename(built)))

    def run_ok(self, *args):
        code, out, err = run_runner(["--module-dir", self.module_dir] + list(args))
        self.assertEqual((code, err), (0, ""), out + err)
        return out

    def shaken(self, *args):
        """The .chan text `shake` writes with `args`."""
        out = self.path("out.chan")
        if os.path.exists(out):
            os.remove(out)
        self.run_ok("shake", "--out", out, *args)
        return self.read("out.chan")


class ClipShakeTest(ClipRunCase):
    def test_a_clip_saved_from_a_plate_shakes_exactly_as_the_plate_does(self):
        said = self.run_ok("clip", "--source", self.plate, "--name", "take 1", "--clip-file", self.clips)
        self.assertEqual(said, "saved clip 'take 1': 40 frames at 24 fps, to %s\n" % self.clips)
        self.run_ok("clip", "--source", self.plate, "--name", "take 1")  # into the user's clip file
        # (the shot's camera and flags, what --clip adds to them)
        for shot, clip in (([], ["--clip", self.clips]), (FLAGS, ["--clip", self.clips]),
                           (["--mode", "relax"] + FLAGS, ["--clip", "take 1"]),
                           (FLAGS, ["--clip", self.clips, "--clip-offset", "40"])):
            for camera in (["--camera", self.camera], POSE):
                frames = ["--frames", "1-40"] if camera == POSE else []
                self.assertEqual(self.shaken(*(clip + frames + camera + shot)),
                                 self.shaken(*(["--source", self.plate] + camera + shot)), (clip, camera, shot))
        self.run_ok("clip", "--source", self.plate, "--name", "at 48", "--clip-file", self.clips, "--fps", "48")
        with open(self.clips) as f:
            records = json.load(f)
        self.assertEqual([(records[n]["source"], records[n]["frame_rate"]) for n in ("take 1", "at 48")],
                         [(self.plate, 24.0), (self.plate, 48.0)])

    def test_a_clip_at_another_frame_rate_keys_the_resampled_shake(self):
        self.run_ok("clip", "--source", self.plate, "--name", "take 1", "--clip-file", self.clips)
        with open(self.clips) as f:
            clip = json.load(f)["take 1"]
        # At 48 fps, each frame of the clip then the point halfway to the next: played at 24 fps the
        # scene's frames fall on the clip's own.
        doubled = dict(clip, frame_rate=48.0, channels={})
        for channel, values in clip["channels"].items():
            doubled["channels"][channel] = [v for a, b in zip(values, values[1:] + values[-1:])
                                            for v in (a, (a + b) / 2.0)]
        with open(self.path("doubled.json"), "w") as f:
            json.dump({"take 1 at 48": doubled}, f)
        self.assertEqual(self.shaken("--clip", self.path("doubled.json"), "--camera", self.camera, *FLAGS),
                         self.shaken("--clip", self.clips, "--camera", self.camera, *FLAGS))

    def test_a_built_in_profile_plays_by_name_as_its_exported_clip_does(self):
        self.assertTrue(tt.export_clips(self.clips, ["walking"]))
        by_name = self.shaken("--clip", "walking", "--frames", "1-300", *POSE)
        self.assertEqual(by_name, self.shaken("--clip", self.clips, "--frames", "1-300", *POSE))
        self.assertGreater(len(set(line.split(" ", 1)[1] for line in by_name.splitlines())), 290)  # it shakes


class ClipRefusedTest(ClipRunCase):
    def test_a_clip_that_cannot_be_played_or_saved_is_one_line_and_writes_nothing(self):
        self.run_ok("clip", "--source", self.plate, "--name", "a", "--clip-file", self.clips)
        self.run_ok("clip", "--source", self.plate, "--name", "b", "--clip-file", self.clips)
        self.write("bad.json", "{bad")
        shared = self.path("studio")
        os.makedirs(shared)
        env = dict(os.environ, TREMBLA_PRESET_PATH=shared)
        out = self.path("out.chan")
        camera = ["--camera", self.camera, "--out", out]
        # (arguments, exit status, what the error line says)
        for args, status, says in (
                (["shake", "--clip", "no such"] + camera, 1,
                 "argument --clip: no clip named 'no such' in the clip files or the built-in profiles "
                 "(clips: hand-held, walking, vehicle, earthquake)"),
                (["shake", "--clip", "./no.json"] + camera, 1, "argument --clip: ./no.json: no such clip file"),
                (["shake", "--clip", self.clips] + camera, 1,
                 "%s: holds 2 clips; name one with --clip-name (a, b)" % self.clips),
                (["shake", "--clip", self.clips, "--clip-name", "c"] + camera, 1,
                 "%s: no clip named 'c' (clips: a, b)" % self.clips),
                (["shake", "--clip", self.path("bad.json")] + camera, 1, "Failed to parse clips file"),
                (["shake", "--clip", "walking", "--clip-name", "a"] + camera, 1,
                 "argument --clip-name: walking is no clip file"),
                (["shake", "--source", self.plate, "--clip-offset", "3"] + camera, 2, "--clip-offset needs --clip"),
                (["shake", "--clip", "walking", "--out", out] + POSE, 2, "--clip with --camera-pose needs --frames"),
                (["clip", "--source", self.plate, "--name", "a", "--clip-file",
                  os.path.join(shared, "trembla_clips.json")], 1,
                 "it is a shared clip file, read-only here."),
        ):
            code, _, err = run_runner(["--module-dir", self.module_dir] + args, env=env)
            last = err.splitlines()[-1]
            self.assertEqual(code, status, err)
            self.assertTrue(last.startswith("trembla_run.py %s: error: " % args[0]) and says in last, err)
            if status == 1:
                self.assertEqual(len(err.splitlines()), 1, err)
            self.assertFalse(os.path.exists(out), args)
        self.assertEqual(os.listdir(shared), [])
        # Saved over a file that is no clip file: kept aside, and said so.
        code, _, err = run_runner(["--module-dir", self.module_dir, "clip", "--source", self.plate, "--name", "a",
                                   "--clip-file", self.path("bad.json")])
        self.assertEqual((code, err.splitlines()[-1]), (0, "trembla_run.py clip: warning: Trembla: Kept a copy of "
                                                           "the unusable clip file as %s.1.bak" % self.path("bad.json")))
