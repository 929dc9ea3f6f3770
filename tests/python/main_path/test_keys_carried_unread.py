"""An update reads the shake curves back only when a curve may have changed since the tool keyed
them: the animator's keys are carried into the own curves whatever came before them, and an update
with nothing new gets small answers from the host whatever the shot's length."""
from main_path import test_own_animation_kept as kept
from support import main_path as support
from support.main_path import CAMERA, SOURCE, channel_value, shake_curve

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402


def user_undo_and_redo(test):
    standin.menu_undo()
    standin.run_idle()
    standin.menu_redo()
    standin.run_idle()


def user_undo(test):
    standin.menu_undo()
    standin.run_idle()


def queue_off(test):
    cmds.undoInfo(state=False)


def taken_up(test):
    tt.reset_state()
    test.window = tt.show()


def nothing(test):
    pass


# What happens between the tool's last keying and the animator's key, and where that key goes:
# (case, before the tool's step, after it, channel, time, how far the animator moves the camera).
CASES = [
    ("a whole frame inside the range", nothing, nothing, "translateX", 25, 0.5),
    ("a sub-frame inside the range", nothing, nothing, "translateX", 30.5, 0.5),
    ("a frame outside the range", nothing, nothing, "translateX", 10, 0.25),
    ("a channel without its own curve", nothing, nothing, "translateY", 36, -0.75),
    ("after the user's undo of a tool step", nothing, user_undo, "translateX", 25, 0.5),
    ("after the user's undo and redo of a tool step", nothing, user_undo_and_redo, "translateX", 25, 0.5),
    ("after a script's undo and redo of a tool step", nothing, lambda t: (cmds.undo(), cmds.redo()),
     "translateX", 25, 0.5),
    ("with the undo queue off", queue_off, nothing, "translateX", 25, 0.5),
    ("on a taken-up shake", nothing, taken_up, "translateX", 25, 0.5),
    ("on a taken-up shake, a sub-frame", nothing, taken_up, "translateZ", 40.25, 1.5),
]


def offset_at(channel, time):
    """What the shake curve adds to the channel's own curve at `time`: 0 outside the range."""
    return kept.curve_value(shake_curve(channel), time)


class CarriedAfterAnythingTest(kept.OwnAnimationCase):
    def test_the_animators_key_is_carried_into_the_own_curve_whatever_came_before_it(self):
        for name, before, after, channel, time, move in CASES:
            self.setUp()
            before(self)
            self.prepare("static")
            self.window.amount_slider.setValue(110)  # the tool's step
            after(self)
            # The camera is its own curve plus the shake curve: the host keys the own curve with
            # the pose less what the shake adds there.
            pose = channel_value(CAMERA, channel, time) + move
            expected = pose - offset_at(channel, time)
            cmds.setKeyframe(CAMERA, attribute=channel, time=time, value=pose)
            self.window.amount_slider.setValue(120)  # the update that carries it
            own = self.curves.get(channel, "%s_%s" % (CAMERA, channel))
            self.assertIn(time, cmds.keyframe(own, q=True, tc=True), name)
            self.assertAlmostEqual(kept.curve_value(own, time), expected, places=9, msg=name)
            carried = [line for line in self.stdout.lines() if "own animation" in line and "kept" in line]
            self.assertEqual(len(carried), 1, (name, carried))
            self.window.close()


class SmallAnswersTest(support.MainPathCase):
    def test_an_update_with_nothing_new_gets_at_most_200_numbers_in_at_most_100_calls(self):
        for frames in (1000, 10000):
            self.addCleanup(support.use_shot_range(1, frames))
            support.build_scene()
            tt.reset_state()
            self.window = tt.show()
            self.window.camera_field.setText(CAMERA)
            self.window.source_field.setText(SOURCE)
            self.set_mode("animated")
            self.window._prepare_shake()
            for step, amount in enumerate((110, 120)):
                standin.clear_calls()
                standin.record_answers(True)
                try:
                    self.window.amount_slider.setValue(amount)
                finally:
                    standin.record_answers(False)
                what = (frames, step)
                self.assertLessEqual(len(standin.calls), 100, what)
                self.assertLessEqual(standin.numbers_answered(), 200, what)
                self.assertTrue(any(c.op == "OpenMayaAnim.MFnAnimCurve.addKeys" for c in standin.calls), what)
            self.window.close()
