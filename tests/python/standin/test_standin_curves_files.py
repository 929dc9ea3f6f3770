"""The stand-in keeps what the animator's curves carry (tangents, weights, infinity), other
nodes' connections, added attributes and saved files, as Maya does."""
import os
import tempfile
import unittest

import support  # noqa: F401  (puts the stand-in on sys.path)

import maya.standin as standin
from maya import cmds


def keyed(name, keys):
    node = cmds.createNode("transform", name=name, skipSelect=True)
    for time, value in keys:
        cmds.setKeyframe(node, attribute="translateX", time=time, value=value)
    return node, cmds.listConnections(node + ".translateX", source=True, destination=False)[0]


class CurveShapeTest(unittest.TestCase):
    def setUp(self):
        standin.reset()

    def test_tangents_weights_and_infinity_are_set_queried_and_kept_per_key(self):
        node, curve = keyed("cam", [(1, 0.0), (10, 5.0), (20, 2.0)])
        # An angle given makes its tangent fixed; the auto end keys are flat.
        cmds.keyTangent(curve, time=(10, 10), ia=30, ow=2.5)
        cmds.keyTangent(curve, time=(10, 10), ott="step")
        cmds.keyTangent(curve, edit=True, weightedTangents=True)
        cmds.setInfinity(node, attribute="translateX", pri="cycle", poi="linear")
        for flag, expected in (("itt", ["auto", "fixed", "auto"]), ("ott", ["auto", "step", "auto"]),
                               ("ia", [0.0, 30.0, 0.0]), ("ow", [1.0, 2.5, 1.0]), ("wt", [True])):
            self.assertEqual(cmds.keyTangent(curve, q=True, **{flag: True}), expected, flag)
        self.assertEqual((cmds.setInfinity(curve, q=True, pri=True), cmds.setInfinity(curve, q=True, poi=True)),
                         (["cycle"], ["linear"]))
        before = cmds.keyTangent(curve, q=True, ott=True)
        cmds.keyTangent(curve, ott="flat")
        cmds.undo()
        self.assertEqual(cmds.keyTangent(curve, q=True, ott=True), before)
        self.assertRaises(RuntimeError, cmds.keyTangent, curve, itt="bouncy")
        self.assertRaises(RuntimeError, cmds.setInfinity, curve, poi="forever")


class ConnectionAndAttributeTest(unittest.TestCase):
    def setUp(self):
        standin.reset()

    def test_another_nodes_channel_drives_a_channel_until_disconnected(self):
        driver = cmds.createNode("transform", name="drv", skipSelect=True)
        cam = cmds.createNode("transform", name="cam", skipSelect=True)
        cmds.setAttr(driver + ".ty", 3)
        cmds.connectAttr(driver + ".ty", cam + ".ty")
        cmds.setAttr(driver + ".ty", 4)
        self.assertEqual(cmds.getAttr(cam + ".ty"), 4.0)
        self.assertEqual(cmds.listConnections(cam + ".ty", s=True, d=False, p=True), ["drv.translateY"])
        cmds.cutKey(cam, attribute="ty", clear=True)  # no curve to cut: the link stays
        self.assertEqual(cmds.listConnections(cam + ".ty", s=True, d=False), ["drv"])
        cmds.disconnectAttr(driver + ".ty", cam + ".ty")
        self.assertEqual((cmds.listConnections(cam + ".ty", s=True, d=False), cmds.getAttr(cam + ".ty")),
                         (None, 4.0))

    def test_string_attribute_added_set_and_read(self):
        cam = cmds.createNode("transform", name="cam", skipSelect=True)
        self.assertFalse(cmds.attributeQuery("note", node=cam, exists=True))
        cmds.addAttr(cam, longName="note", dataType="string")
        self.assertEqual((cmds.attributeQuery("note", node=cam, exists=True), cmds.getAttr(cam + ".note")),
                         (True, None))
        cmds.setAttr(cam + ".note", "held", type="string")
        self.assertEqual(cmds.getAttr(cam + ".note"), "held")
        self.assertRaises(RuntimeError, cmds.setAttr, cam + ".note", 2.0)
        self.assertRaises(RuntimeError, cmds.addAttr, cam, longName="note", dataType="string")

    def test_a_message_link_keeps_a_curve_from_the_unused_curve_cleanup_until_removed(self):
        cam, curve = keyed("cam", [(1, 2.0)])
        loose = keyed("other", [(1, 1.0)])[1]
        for each in (cam + ".tx", "other.tx"):
            cmds.disconnectAttr(cmds.listConnections(each, s=True, d=False, p=True)[0], each)
        before = standin.scene_dump()
        cmds.addAttr(cam, longName="kept", attributeType="message", multi=True)
        cmds.connectAttr(curve + ".message", cam + ".kept[2]")
        self.assertEqual((cmds.listConnections(cam + ".kept[2]", s=True, d=False, p=True),
                          cmds.listConnections(curve, p=True), cmds.getAttr(cam + ".tx")),
                         ([curve + ".message"], [cam + ".kept[2]"], 2.0))  # it drives nothing
        self.assertEqual((standin.remove_unused_anim_curves(), cmds.objExists(curve)), ([loose], True))
        cmds.undo()
        cmds.disconnectAttr(curve + ".message", cam + ".kept[2]")
        cmds.deleteAttr(cam + ".kept")
        self.assertEqual(standin.scene_dump(), before)
        self.assertRaises(RuntimeError, cmds.deleteAttr, cam + ".translateX")  # static: not deleted
        self.assertEqual(standin.remove_unused_anim_curves(), [curve, loose])


class SceneFileTest(unittest.TestCase):
    def setUp(self):
        standin.reset()

    def test_saved_scene_opens_again_with_curves_links_and_attributes(self):
        node, curve = keyed("cam", [(1, 0.0), (10, 5.0)])
        cmds.keyTangent(curve, time=(10, 10), ott="step")
        driver = cmds.createNode("transform", name="drv", skipSelect=True)
        cmds.connectAttr(driver + ".tz", node + ".tz")
        cmds.addAttr(node, longName="note", dataType="string")
        cmds.setAttr(node + ".note", "kept", type="string")
        path = os.path.join(tempfile.mkdtemp(), "shot.ma")
        cmds.file(rename=path)
        cmds.file(save=True, type="mayaAscii")
        cmds.file(new=True, force=True)
        self.assertFalse(cmds.objExists(node))
        cmds.file(path, open=True, force=True)
        cmds.setAttr(driver + ".tz", 7)
        self.assertEqual((cmds.getAttr(node + ".note"), cmds.keyTangent(curve, q=True, ott=True),
                          cmds.getAttr(node + ".tz"), cmds.file(q=True, sceneName=True)),
                         ("kept", ["auto", "step"], 7.0, path))


if __name__ == "__main__":
    unittest.main()
