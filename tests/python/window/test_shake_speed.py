"""The shake page's Speed: a preset file written before it existed loads as 100, and a changed speed
re-keys the camera with the shake read further along, looping past the last frame."""
import json
import unittest

import support  # noqa: F401  (sys.path)
from support.main_path import CAMERA, CHANNELS, FRAMES, SETTINGS, MainPathCase, channel_value
from support.presets import ModuleDirectoryCase, captured_stdout

import maya.standin as standin  # noqa: E402

import trembla_tool as tt  # noqa: E402

# A record as files written before the speed hold it: every other member, no "speed".
OLDER_RECORD = {"camera": "", "source": "", "settings": {
    "lag_trans": 0, "lag_rot": 0, "smooth": 0, "amount": 140, "trans_amp": 100, "rot_amp": 100, "fade_in": 3,
    "fade_out": 3, "ranges": "", "mode": "static", "layer_name": "trembla_layer", "translate_enabled": True,
    "rotate_enabled": True, "trans_x": 100, "trans_y": 100, "trans_z": 100, "rot_x": 100, "rot_y": 100,
    "rot_z": 100}}


class SpeedPresetTest(ModuleDirectoryCase):
    def test_a_preset_file_without_the_speed_loads_it_as_100_and_saves_it_after(self):
        self.write_file(json.dumps({"older": OLDER_RECORD, "fast": {"settings": {"speed": 250}}}, indent=2))
        tt.reset_state()
        window = tt.show()
        self.addCleanup(window.close)
        entries = dict((window.preset_list.item(i).text(), window.preset_list.item(i)) for i in range(2))
        for name, speed, amount in (("fast", 250, 100), ("older", 100, 140)):
            with captured_stdout():
                window._load_selected_preset(entries[name])
            self.assertEqual((window.speed_slider.value(), window.amount_slider.value()), (speed, amount), name)
        self.assertEqual(standin.warnings, [])
        window.speed_slider.setValue(75)
        self.assertEqual(window._get_current_settings()["settings"]["speed"], 75)


class SpeedKeysTest(MainPathCase):
    """Static mode, no ranges: every key is the base plus the shake, weighed 1 everywhere, so the
    keys at a speed are the normal speed's keys read at the warped frames."""

    def keys(self):
        standin.set_logging(False)
        try:
            return dict((c, [channel_value(CAMERA, c, f) for f in FRAMES]) for c in CHANNELS)
        finally:
            standin.set_logging(True)

    def test_the_slider_rekeys_the_camera_with_the_shake_played_at_its_speed(self):
        settings = dict(SETTINGS, ranges="")
        self.prepare("static", settings)
        normal = self.keys()
        self.assert_camera_shaken(settings)
        count = len(FRAMES)
        # (speed, frame position -> position whose shake it shows; a half step is the midpoint)
        for speed, read_at in ((200, lambda i: (2 * i) % count), (50, lambda i: i / 2.0),
                               (300, lambda i: (3 * i) % count)):
            self.window.speed_slider.setValue(speed)
            warped = self.keys()
            for channel in CHANNELS:
                expected = []
                for i in range(count):
                    at = read_at(i)
                    below = int(at)
                    above = (below + 1) % count
                    expected.append(normal[channel][below] + (normal[channel][above] - normal[channel][below])
                                    * (at - below))
                self.assert_values(warped[channel], expected, "%s at %d%%" % (channel, speed))
        self.window.speed_slider.setValue(100)
        self.assertEqual(self.keys(), normal)
        self.assertEqual(standin.warnings, [])


if __name__ == "__main__":
    unittest.main()
