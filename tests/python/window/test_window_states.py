"""The window as the workflow leaves it: Bake and Reset are enabled only while a shake is applied,
their tooltips saying why not otherwise; Reset says in the view that it acted; fades longer than a
range are said once."""
import unittest

import support  # noqa: F401  (sys.path)
from support.main_path import MainPathCase

import maya.standin as standin  # noqa: E402

BAKE_RESET_STATES = [  # state, steps, Bake and Reset enabled, words of the bake tooltip
    ("nothing prepared", [], False, "Prepare Shake first"),
    ("prepared", [lambda t: t.prepare("animated")], True, "new animation layer"),
    ("baked", [lambda t: t.prepare("animated"), lambda t: t.window.bake_btn.click()], False, "Prepare Shake first"),
    ("reset", [lambda t: t.prepare("animated"), lambda t: t.window.reset_btn.click()], False, "Prepare Shake first"),
]

FADE_CASES = [  # ranges, fade in, fade out, the warnings said after each change
    ("10-40", 12, 25, ["Fade In 12 + Fade Out 25 frames overlap in 10-40"]),
    ("10-60", 12, 25, []),
    ("10-40, 50-52, 70-90", 3, 3, ["Fade In 3 + Fade Out 3 frames overlap in 50-52"]),
    ("10-40", 0, 0, []),
]


class WindowStatesTest(MainPathCase):
    def test_bake_and_reset_act_only_on_an_applied_shake_and_say_so(self):
        for state, steps, enabled, tip in BAKE_RESET_STATES:
            self.setUp()
            for step in steps:
                step(self)
            w = self.window
            self.assertEqual((w.bake_btn.isEnabled(), w.reset_btn.isEnabled()), (enabled, enabled), state)
            self.assertIn(tip, " ".join(w.bake_btn.toolTip().split()), state)

    def test_reset_says_in_the_view_that_the_camera_has_its_own_move_back(self):
        self.prepare("animated")
        del standin.in_view_messages[:]
        self.window.reset_btn.click()
        self.assertEqual(list(standin.in_view_messages), ["Shake reset: the camera's own animation is back."])

    def test_overlapping_fades_are_said_once_per_range(self):
        for ranges, fade_in, fade_out, said in FADE_CASES:
            self.setUp()
            del standin.warnings[:]
            w = self.window
            w.fade_in_slider.setValue(fade_in)
            w.fade_out_slider.setValue(fade_out)
            w.ranges_field.setText(ranges)
            w._update_shake()
            w._update_shake()  # the same ranges again: nothing new to say
            self.assertEqual([text.split(":")[0] for text in standin.warnings], said, ranges)


if __name__ == "__main__":
    unittest.main()
