"""Bake, prepare again, bake again: while a shake is live over an earlier bake of this tool, that
layer is muted, so the camera shows the live shake and the next bake keys it; every way out of the
shake gives the earlier layer its sound back and leaves its keys alone."""
import os
import tempfile

from support.main_path import CAMERA, CHANNELS, FRAMES, SETTINGS, MainPathCase, expected_camera_values

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

LAYER = "trembla_layer"
AMOUNT_200 = dict(SETTINGS, amount=200)
# What is changed after preparing again over the first bake, and the settings then live.
CHANGES = [
    ("nothing", lambda t: None, SETTINGS),
    ("amount", lambda t: t.window.amount_slider.setValue(200), AMOUNT_200),
    ("amount and mode", lambda t: (t.window.amount_slider.setValue(200), t.set_mode("animated")), AMOUNT_200),
]


def look():
    """Every channel of the camera on every frame, as the host evaluates it."""
    standin.set_logging(False)
    try:
        return [cmds.getAttr("%s.%s" % (CAMERA, c), time=f) for c in CHANNELS for f in FRAMES]
    finally:
        standin.set_logging(True)


def layer_keys(layer):
    plugs = cmds.animLayer(layer, q=True, attribute=True)
    curves = [cmds.animLayer(layer, q=True, findCurveForPlug=plug)[0] for plug in plugs]
    return [(c, cmds.keyframe(c, q=True, tc=True), cmds.keyframe(c, q=True, vc=True)) for c in curves]


def muted(layer=LAYER):
    return cmds.animLayer(layer, q=True, mute=True)


def reopen(t):
    path = os.path.join(tempfile.mkdtemp(), "shot.ma")
    cmds.file(rename=path)
    cmds.file(save=True)
    cmds.file(new=True, force=True)
    cmds.file(path, open=True, force=True)
    tt.reset_state()
    t.window = tt.show()
    t.window._reset_camera()


def escape(button, check):
    def press(t):
        saved = tt._progress_delay, tt._progress_interval
        tt._progress_delay, tt._progress_interval = 0, 0
        standin.set_main_window(1)
        standin.press_escape_at_check(check)
        try:
            getattr(t.window, button).click()
        finally:
            standin.press_escape_at_check(None)
            tt._progress_delay, tt._progress_interval = saved
    return press


def failing(op, command):
    def run(t):
        standin.fail(op, always=True)
        try:
            getattr(t.window, command)()
        except RuntimeError:  # a bake's failure reaches its caller
            pass
        finally:
            standin.clear_faults()
    return run


# How the shake prepared over the first bake ends, or does not: what is done, whether a prepare
# (which mutes the first bake's layer) ran before, whether the shake is then taken off (the
# first bake's look and sound back) or still live (its look and the layer muted, as before).
WAYS_OUT = [
    ("reset", lambda t: t.window._reset_camera(), True, True),
    ("undo of the prepare", lambda t: cmds.undo(), True, True),
    ("reset after save and reopen", reopen, True, True),
    ("reset from a new window", lambda t: (tt.reset_state(), setattr(t, "window", tt.show()),
                                           t.window._reset_camera()), True, True),
    ("cancelled prepare", escape("prepare_btn", 200), False, True),  # among the camera's reads
    ("failed prepare", failing("setAttr", "_prepare_shake"), False, True),  # the note on the camera
    ("cancelled bake", escape("bake_btn", 8), True, False),  # while keying the layer
    ("failed bake", failing("setKeyframe", "_bake_to_layer"), True, False),
]


class BakeAgainTest(MainPathCase):
    def bake_first(self):
        # The animator's own layer on the camera (keyless: it changes no value) is never muted.
        cmds.animLayer(cmds.animLayer("animatorLayer"), edit=True, attribute=CAMERA + ".translateX")
        self.prepare("static")
        self.window._bake_to_layer()
        return look(), layer_keys(LAYER)

    def test_while_prepared_over_an_earlier_bake_the_camera_shows_the_live_shake(self):
        for name, change, settings in CHANGES:
            self.setUp()
            self.bake_first()
            self.window._prepare_shake()
            change(self)
            self.assertTrue(muted(), name)
            self.assert_camera_shaken(settings)

    def test_a_second_bake_keys_the_live_shake_and_leaves_the_earlier_layer_as_it_was(self):
        for name, change, settings in CHANGES:
            self.setUp()
            first_look, first_keys = self.bake_first()
            self.window._prepare_shake()
            change(self)
            live = expected_camera_values(self.record(), settings)
            self.window._bake_to_layer()
            self.assertEqual(self.stdout.lines()[-1], "Baked to layer: trembla_layer1", name)
            self.assert_values(look(), [v for c in CHANNELS for v in live[c]], name)
            self.assertEqual(layer_keys(LAYER), first_keys, name)
            self.assertFalse(muted(), name)
            cmds.delete("trembla_layer1")
            self.assertEqual(look(), first_look, name)

    def test_every_way_out_of_a_shake_over_an_earlier_bake_gives_back_its_look_and_sound(self):
        for name, way, prepared, taken_off in WAYS_OUT:
            self.setUp()
            first_look, first_keys = self.bake_first()
            live = first_look
            if prepared:
                self.window._prepare_shake()
                self.window.amount_slider.setValue(200)
                live = look()
                self.assertEqual((muted(), muted("animatorLayer")), (True, False), name)
                if name.startswith("undo"):
                    cmds.undo()  # the slider's step first
            standin.clear_calls()
            way(self)
            if not prepared:  # it muted the layer before it ended
                self.assertIn(True, [kw.get("mute") for op, _, kw in self.logged("animLayer")], name)
            self.assertEqual(muted(), not taken_off, name)
            self.assertEqual(look(), first_look if taken_off else live, name)
            self.assertEqual(layer_keys(LAYER), first_keys, name)
            self.assertFalse(cmds.objExists("trembla_layer1"), name)
            if name.startswith("undo"):
                cmds.redo()
                self.assertTrue(muted(), name)
