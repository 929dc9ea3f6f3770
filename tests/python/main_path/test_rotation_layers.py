"""A rotate channel in an animator's layer goes through the host's one rotation blend node
(animBlendNodeAdditiveRotation: inputAX/Y/Z below, outputX/Y/Z to the channels). The shake drives
the node's base input of each axis and the animator's layer keeps adding on top, through prepare,
an update, a reset and a prepare over a bake, in a scene working in degrees or in radians."""
from support.main_path import CAMERA, FRAMES, MainPathCase, shake_curve

from maya import cmds  # noqa: E402

NODE = CAMERA + "_rotate_animatorLayer"  # the layer's one blend node for the rotation
AXES = (("rotateX", "X"), ("rotateY", "Y"), ("rotateZ", "Z"))
LAYER_KEY = 0.25  # the layer adds this on every axis, in the scene's working unit
STILL_Z = 0.5  # rotateZ has no curve of its own: its base value sits on inputAZ
TIMES = (FRAMES[0], FRAMES[len(FRAMES) // 2], FRAMES[-1])


def rotation():
    return [cmds.getAttr("%s.%s" % (CAMERA, channel), time=t) for channel, _ in AXES for t in TIMES]


def base_input(axis):
    found = cmds.listConnections("%s.inputA%s" % (NODE, axis), source=True, destination=False)
    return found[0] if found else None


def prepare_over_a_bake(t):
    t.prepare("animated")
    t.window._bake_to_layer()
    t.prepare("animated")


def update(t):
    t.prepare("animated")
    t.window.amount_slider.setValue(t.window.amount_slider.value() + 20)


# step, how it is run, whether the shake is live after it
STEPS = [
    ("prepare", lambda t: t.prepare("animated"), True),
    ("update", update, True),
    ("reset", lambda t: (t.prepare("animated"), t.window._reset_camera()), False),
    ("prepare over a bake", prepare_over_a_bake, True),
]


class RotationLayerTest(MainPathCase):
    def build(self, unit):
        cmds.currentUnit(angle=unit)
        cmds.cutKey(CAMERA, attribute="rotateZ", clear=True)
        cmds.setAttr(CAMERA + ".rotateZ", STILL_Z)
        layer = cmds.animLayer("animatorLayer")
        for channel, _ in AXES:
            cmds.animLayer(layer, edit=True, attribute="%s.%s" % (CAMERA, channel))
            cmds.setKeyframe(CAMERA, attribute=channel, time=FRAMES[0], value=LAYER_KEY, animLayer=layer)

    def test_a_layered_rotation_goes_through_the_rotation_node_at_every_step_in_any_unit(self):
        for unit in ("degree", "radian"):
            for step, run, live in STEPS:
                self.setUp()
                self.build(unit)
                where = "%s, %s" % (step, unit)
                self.assertEqual(cmds.nodeType(NODE), "animBlendNodeAdditiveRotation", where)
                before = rotation()
                run(self)
                for channel, axis in AXES:  # each channel on an axis of a rotation node (a bake's on top)
                    driver = cmds.listConnections("%s.%s" % (CAMERA, channel), s=True, d=False, p=True)[0]
                    node, _, plug = driver.partition(".")
                    self.assertEqual((cmds.nodeType(node), plug), ("animBlendNodeAdditiveRotation", "output" + axis),
                                     where)
                if not live:
                    self.assertEqual([base_input(axis) for _, axis in AXES],
                                     [CAMERA + "_rotateX", CAMERA + "_rotateY", None], where)
                    self.assertEqual(cmds.getAttr(NODE + ".inputAZ"), STILL_Z, where)
                    self.assert_values(rotation(), before, where)
                    continue
                for channel, axis in AXES:
                    # Under the layer, the blend that adds the shake curve to the own animation.
                    blend = shake_curve(channel) + "_add"
                    self.assertEqual(base_input(axis), blend, where)
                    self.assertEqual(cmds.listConnections(blend + ".inputB", s=True, d=False), [shake_curve(channel)],
                                     where)
                    for time in TIMES:  # the layer adds on top of the shake
                        shaken = cmds.getAttr(blend + ".output", time=time)
                        self.assert_values([cmds.getAttr("%s.%s" % (CAMERA, channel), time=time)],
                                           [shaken + LAYER_KEY], "%s, %s at %d" % (where, channel, time))
