"""A studio's real scenes: a published camera with locked channels or locked itself, animation
layers the animator left selected or preferred, a hidden time slider. Each command asks for locks
before its first change and refuses whole; a bake leaves the animator's layers and view as they
were and keys its layer in one call per channel."""
from support.main_path import CAMERA, CHANNELS, MainPathCase

import maya.standin as standin  # noqa: E402
from maya import cmds, mel  # noqa: E402

LOCKED_PLUG = CAMERA + ".translateX"


def lock_channel(_t):
    cmds.setAttr(LOCKED_PLUG, lock=True)
    return LOCKED_PLUG


def lock_camera(_t):
    cmds.lockNode(CAMERA, lock=True)
    return CAMERA + " (node)"


def move_slider(t):
    t.window.amount_slider.setValue(t.window.amount_slider.value() + 10)


# step (as its refusal names it), whether a prepare comes first (the lock then comes after it),
# how the step is run
STEPS = [
    ("prepare", False, lambda t: t.prepare("animated")),
    ("update", True, move_slider),
    ("reset", True, lambda t: t.window._reset_camera()),
    ("bake", True, lambda t: t.window._bake_to_layer()),
]
LOCKS = [("a locked channel", lock_channel), ("a locked camera", lock_camera)]


class LockedCameraTest(MainPathCase):
    def test_each_step_refuses_a_lock_whole_with_one_warning_naming_it(self):
        for step, after_prepare, run in STEPS:
            for what, lock in LOCKS:
                self.setUp()
                if after_prepare:
                    self.prepare("animated")
                    self.assertTrue(self.record()["ready"], step)
                named = lock(self)
                before = standin.scene_dump()
                del standin.warnings[:]
                run(self)
                where = "%s, %s" % (step, what)
                self.assertEqual(list(standin.warnings),
                                 ["Cannot %s %s: locked: %s. Unlock them first." % (step, CAMERA, named)], where)
                self.assertEqual(standin.scene_dump(), before, where)
                self.assertEqual(self.record()["ready"], after_prepare, where)

    def test_the_stand_in_refuses_what_the_host_refuses_on_locks(self):
        cmds.setAttr(LOCKED_PLUG, lock=True)
        self.assertTrue(cmds.getAttr(LOCKED_PLUG, lock=True))
        curve = cmds.listConnections(LOCKED_PLUG, s=True, d=False, p=True)[0]
        refused = [
            lambda: cmds.setAttr(LOCKED_PLUG, 1.0),
            lambda: cmds.disconnectAttr(curve, LOCKED_PLUG),
            lambda: cmds.connectAttr(curve, LOCKED_PLUG, force=True),
        ]
        cmds.lockNode(CAMERA, lock=True)
        self.assertEqual(cmds.lockNode(CAMERA, q=True, lock=True), [True])
        refused += [
            lambda: cmds.addAttr(CAMERA, longName="note", dataType="string"),
            lambda: cmds.delete(CAMERA),
            lambda: cmds.setAttr(CAMERA + ".rotateX", lock=True),  # a locked node's locks stay
        ]
        before = standin.scene_dump()
        for i, call in enumerate(refused):
            with self.assertRaises(RuntimeError, msg=str(i)):
                call()
        cmds.setKeyframe(CAMERA, attribute="translateX", time=3, value=99.0)  # a locked channel takes no key
        self.assertEqual(standin.scene_dump(), before)
        cmds.setAttr(CAMERA + ".rotateX", 5.0)  # an unlocked channel of a locked node still takes values


class LayersAroundBakeTest(MainPathCase):
    def layer_states(self):
        layers = cmds.ls(type="animLayer") or []
        return dict((layer, (cmds.animLayer(layer, q=True, selected=True), cmds.animLayer(layer, q=True, preferred=True)))
                    for layer in layers)

    def test_bake_leaves_every_layer_and_the_time_slider_as_the_animator_had_them(self):
        cmds.animLayer("blocking")
        cmds.animLayer("polish")
        cmds.animLayer("blocking", edit=True, selected=True, preferred=True)
        mel.eval("setTimeSliderVisible 0")
        before = self.layer_states()
        self.prepare("animated")
        self.assertFalse(standin.time_slider_visible(), "prepare")
        self.window._bake_to_layer()
        after = self.layer_states()
        self.assertEqual(dict((layer, after[layer]) for layer in before), before)
        self.assertEqual(after["trembla_layer"], (False, False))  # the animator's next key goes elsewhere
        self.assertFalse(standin.time_slider_visible(), "bake")

    def test_bake_keys_each_channel_of_its_layer_in_one_call(self):
        self.prepare("animated")
        standin.clear_calls()
        self.window._bake_to_layer()
        layer_keys = [c for c in standin.calls if c.op == "setKeyframe" and c.kwargs.get("animLayer")]
        self.assertEqual(len(layer_keys), len(CHANNELS))  # the first key, the rest through findCurveForPlug
