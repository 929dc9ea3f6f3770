"""`trembla_run.py demo`: the files it writes, and a shaken camera equal to what the module
computes for the demo shot and the preset it loads."""
import os

import support  # noqa: F401  (sys.path)

from support.runner import (TempDirCase, expected_camera, has_matplotlib, run_runner,
                                values_of)

from runner import demo_scene
from runner.pages import PAGE_NAMES


class DemoTest(TempDirCase):
    def test_demo_writes_the_camera_before_and_after_the_plot_and_the_pages(self):
        out_dir = self.path("demo")
        code, out, err = run_runner(["demo", "--out", out_dir])
        self.assertEqual(code, 0, out + err)
        self.assertIn("Shake prepared. 120 frames.", out)
        self.assertIn("Baked to layer: trembla_shake", out)

        camera, source = demo_scene.camera_track(), demo_scene.source_track()
        before = values_of(self.read(os.path.join("demo", "camera_before.chan")))
        after = values_of(self.read(os.path.join("demo", "camera_after.chan")))
        self.assertEqual(before[0], camera.frames)
        self.assertEqual(after[0], camera.frames)
        self.assertEqual(before[2], camera.fov)
        self.assertEqual(after[2], camera.fov)
        self.assert_samples(before[1], camera.samples, "before")
        expected = expected_camera(source.frames, source.samples, demo_scene.PRESET["settings"],
                                   camera_samples=camera.samples)
        self.assert_samples(after[1], expected, "after")
        self.assertNotEqual(after[1], before[1])

        # The preset went through the presets page: saved there, with the demo's results.
        with open(os.path.join(out_dir, "trembla_presets.json")) as handle:
            self.assertIn('"%s"' % demo_scene.PRESET_NAME, handle.read())
        with open(os.path.join(out_dir, "trembla_clips.json")) as handle:  # and the shake as a clip
            self.assertIn('"%s"' % demo_scene.CLIP_NAME, handle.read())

        plot = os.path.join(out_dir, "shake_plot.png")
        if has_matplotlib():
            self.assert_png(plot)
        else:
            self.assertFalse(os.path.exists(plot))
            self.assertIn("plot: skipped, matplotlib is not available", out)

        pages = [os.path.join(out_dir, "pages", "%d_%s.png" % (i, name))
                 for i, name in enumerate(PAGE_NAMES)]
        if "pages: skipped" in out:
            self.assertFalse(any(os.path.exists(page) for page in pages))
        else:
            for page in pages:
                self.assert_png(page)

    def assert_png(self, path):
        with open(path, "rb") as handle:
            self.assertEqual(handle.read(8), b"\x89PNG\r\n\x1a\n", path)
