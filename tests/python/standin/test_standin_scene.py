"""The stand-in Maya host's scene: transforms, curves, names and layers behave as in Maya."""
import math
import unittest

import support  # noqa: F401  (puts the stand-in on sys.path)

import maya.standin as standin
from maya import cmds


class SceneTestCase(unittest.TestCase):
    def setUp(self):
        standin.reset()

    def assertVectorAlmostEqual(self, actual, expected, places=9):
        self.assertEqual(len(actual), len(expected), (actual, expected))
        for a, e in zip(actual, expected):
            self.assertAlmostEqual(a, e, places=places, msg="%r != %r" % (actual, expected))

    def transform(self, name, parent=None, t=(0, 0, 0), ro=(0, 0, 0)):
        node = (cmds.createNode("transform", name=name, parent=parent) if parent
                else cmds.createNode("transform", name=name))
        cmds.setAttr(node + ".translate", *t)
        cmds.setAttr(node + ".rotate", *ro)
        return node


class WorldTransformTest(SceneTestCase):
    def test_child_translation_is_carried_through_rotated_and_scaled_parents(self):
        grand = self.transform("grand", t=(0, 0, 10))
        cmds.setAttr(grand + ".scaleX", 2.0)
        parent = self.transform("parent", parent=grand, t=(1, 2, 3), ro=(0, 0, 90))
        child = self.transform("child", parent=parent, t=(1, 0, 0))
        # rotateZ 90 turns the child's +X offset into +Y; the grandparent doubles X.
        self.assertVectorAlmostEqual(cmds.xform(parent, q=True, ws=True, t=True), (2, 2, 13))
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, t=True), (2, 3, 13))
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, t=True), (1, 0, 0))

    def test_world_rotation_composes_local_before_parent_in_xyz_order(self):
        parent = self.transform("parent", ro=(0, 0, 90))
        child = self.transform("child", parent=parent, ro=(30, 0, 0))
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, ro=True), (30, 0, 90))
        swapped = self.transform("swapped", ro=(30, 0, 0))
        inner = self.transform("inner", parent=swapped, ro=(0, 0, 90))
        # Rz(90) then Rx(30) is no longer a plain XYZ triple: it needs all three angles.
        self.assertVectorAlmostEqual(cmds.xform(inner, q=True, ws=True, ro=True), (0, -30, 90))
        self.assertVectorAlmostEqual(cmds.xform(inner, q=True, ro=True), (0, 0, 90))

    def test_root_rotation_reads_back_and_wraps_into_principal_range(self):
        node = self.transform("node", ro=(10, 20, 30))
        self.assertVectorAlmostEqual(cmds.xform(node, q=True, ws=True, ro=True), (10, 20, 30))
        cmds.setAttr(node + ".rotate", 0, 0, 181)
        self.assertVectorAlmostEqual(cmds.xform(node, q=True, ws=True, ro=True), (0, 0, -179))

    def test_world_rotation_is_decomposed_in_the_nodes_rotation_order(self):
        # The answer is the same orientation, in the node's own order, with the middle angle
        # within +-90: a yaw of 120 comes back as the other Euler solution where Y is the middle.
        cases = [(0, (0, 120, 0), (-180, 60, -180)), (2, (0, 120, 0), (0, 120, 0)),
                 (5, (0, 120, 0), (180, 60, 180)), (4, (120, 0, 0), (60, 180, 180))]
        for order, rotate, answered in cases:
            node = self.transform("n%d" % order, ro=rotate)
            cmds.setAttr(node + ".rotateOrder", order)
            got = cmds.xform(node, q=True, ws=True, ro=True)
            self.assertVectorAlmostEqual([(a + 180) % 360 for a in got],
                                         [(a + 180) % 360 for a in answered])
        for order in range(6):
            parent = self.transform("p%d" % order, ro=(20, -35, 50))
            child = self.transform("c%d" % order, parent=parent, ro=(100, 120, -110))
            cmds.setAttr(child + ".rotateOrder", order)
            world = cmds.xform(child, q=True, ws=True, m=True)
            probe = self.transform("probe%d" % order, ro=cmds.xform(child, q=True, ws=True, ro=True))
            cmds.setAttr(probe + ".rotateOrder", order)
            self.assertVectorAlmostEqual(cmds.xform(probe, q=True, ws=True, m=True)[:11], world[:11])

    def test_world_transform_follows_animated_parent_at_current_time(self):
        parent = self.transform("parent")
        child = self.transform("child", parent=parent, t=(0, 0, 2))
        cmds.setKeyframe(parent, attribute="rotateY", time=1, value=0)
        cmds.setKeyframe(parent, attribute="rotateY", time=11, value=90)
        cmds.currentTime(11, edit=True)
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, t=True), (2, 0, 0))
        cmds.currentTime(1)
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, t=True), (0, 0, 2))

    def test_parent_keeps_world_pose_unless_relative(self):
        pivot = self.transform("pivot", t=(5, 0, 0), ro=(0, 90, 0))
        moved = self.transform("moved", t=(1, 2, 3), ro=(10, 0, 0))
        self.assertEqual(cmds.parent(moved, pivot), ["moved"])
        self.assertVectorAlmostEqual(cmds.xform(moved, q=True, ws=True, t=True), (1, 2, 3))
        self.assertVectorAlmostEqual(cmds.xform(moved, q=True, ws=True, ro=True), (10, 0, 0))
        kept = self.transform("kept", t=(0, 0, 1))
        cmds.parent(kept, pivot, relative=True)
        self.assertVectorAlmostEqual(cmds.xform(kept, q=True, ws=True, t=True), (6, 0, 0))
        self.assertEqual(cmds.listRelatives(pivot, children=True), ["moved", "kept"])

    def test_world_space_edit_places_node_under_rotated_parent(self):
        parent = self.transform("parent", t=(5, 0, 0), ro=(0, 90, 0))
        child = self.transform("child", parent=parent)
        cmds.xform(child, ws=True, t=(1, 2, 3), ro=(0, 0, 45))
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, t=True), (1, 2, 3))
        self.assertVectorAlmostEqual(cmds.xform(child, q=True, ws=True, ro=True), (0, 0, 45))


class CurveTest(SceneTestCase):
    def test_values_follow_the_default_auto_tangents_and_hold_outside_the_keys(self):
        # Auto tangents are flat at the end keys and at 20, which is above both neighbours: each
        # segment is symmetric about its middle.
        curve = cmds.createNode("animCurveTL", name="curve")
        for time, value in ((20, 30.0), (10, 10.0), (30, -10.0)):  # out of order on purpose
            cmds.setKeyframe(curve, time=time, value=value)
        evaluate = lambda f: cmds.keyframe(curve, q=True, time=(f, f), eval=True)
        self.assertEqual(evaluate(10), [10.0])
        self.assertEqual(evaluate(15), [20.0])
        self.assertEqual(evaluate(25), [10.0])
        self.assertEqual(evaluate(-100), [10.0])
        self.assertEqual(evaluate(1000), [-10.0])
        cmds.setKeyframe(curve, time=20, value=0.0)  # same time: replaces the key
        self.assertEqual(cmds.keyframe(curve, q=True, timeChange=True), [10.0, 20.0, 30.0])
        self.assertEqual(cmds.keyframe(curve, q=True, valueChange=True), [10.0, 0.0, -10.0])

    def test_curve_without_keys_answers_nothing(self):
        curve = cmds.createNode("animCurveTA", name="empty")
        self.assertIsNone(cmds.keyframe(curve, q=True, time=(1, 1), eval=True))
        self.assertEqual(cmds.keyframe(curve, q=True, keyframeCount=True), 0)

    def test_channel_key_makes_a_connected_curve_named_after_the_channel(self):
        node = self.transform("ball")
        self.assertEqual(cmds.getAttr("ball.ty"), 0.0)
        cmds.setKeyframe(node, attribute="translateY", time=1, value=4.0)
        cmds.setKeyframe(node, attribute="ty", time=5, value=8.0)
        cmds.setKeyframe(node, attribute="rotateX", time=1, value=45.0)
        self.assertEqual(cmds.nodeType("ball_translateY"), "animCurveTL")
        self.assertEqual(cmds.nodeType("ball_rotateX"), "animCurveTA")
        self.assertEqual(cmds.listConnections("ball.translateY", source=True), ["ball_translateY"])
        self.assertEqual(cmds.getAttr("ball.translateY", time=3), 6.0)
        cmds.currentTime(5, edit=True)
        self.assertEqual(cmds.getAttr("ball.translateY"), 8.0)
        self.assertEqual(cmds.getAttr("ball.translate"), [(0.0, 8.0, 0.0)])

    def test_cut_key_removes_keys_and_curve_and_leaves_the_current_value(self):
        node = self.transform("ball")
        cmds.setKeyframe(node, attribute="translateX", time=1, value=0.0)
        cmds.setKeyframe(node, attribute="translateX", time=11, value=10.0)
        cmds.currentTime(6, edit=True)
        self.assertEqual(cmds.cutKey(node, attribute="translateX", clear=True), 1)
        self.assertFalse(cmds.objExists("ball_translateX"))
        self.assertIsNone(cmds.listConnections("ball.translateX"))
        cmds.currentTime(11, edit=True)
        self.assertEqual(cmds.getAttr("ball.translateX"), 5.0)
        self.assertEqual(cmds.cutKey(node, attribute="translateX", clear=True), 0)

    def test_connected_curve_drives_channel_and_force_replaces_it(self):
        node = self.transform("cam")
        first = cmds.createNode("animCurveTL", name="first")
        second = cmds.createNode("animCurveTL", name="second")
        cmds.setKeyframe(first, time=1, value=1.0)
        cmds.setKeyframe(second, time=1, value=2.0)
        cmds.connectAttr(first + ".output", node + ".translateZ")
        self.assertEqual(cmds.getAttr("cam.tz"), 1.0)
        with self.assertRaises(RuntimeError):
            cmds.connectAttr(second + ".output", node + ".translateZ")
        cmds.connectAttr(second + ".output", node + ".translateZ", force=True)
        self.assertEqual(cmds.getAttr("cam.tz"), 2.0)
        cmds.delete(second)
        self.assertEqual(cmds.getAttr("cam.tz"), 2.0)  # the value stays once the curve goes
        self.assertTrue(cmds.objExists(first))

    def test_deleting_a_node_takes_its_children_and_curves(self):
        parent = self.transform("parent")
        child = self.transform("child", parent=parent)
        cmds.setKeyframe(child, attribute="tx", time=1, value=1.0)
        cmds.select(child)
        cmds.delete(parent)
        for name in ("parent", "child", "child_translateX"):
            self.assertFalse(cmds.objExists(name), name)
        self.assertEqual(cmds.ls(selection=True), [])


class NamesAndQueriesTest(SceneTestCase):
    def test_taken_names_get_the_next_free_number(self):
        self.assertEqual(cmds.createNode("transform", name="cam"), "cam")
        self.assertEqual(cmds.createNode("transform", name="cam"), "cam1")
        self.assertEqual(cmds.createNode("transform", name="cam"), "cam2")
        self.assertEqual(cmds.createNode("animCurveTL", name="cam1"), "cam3")
        self.assertEqual(cmds.createNode("transform"), "transform1")
        self.assertEqual(cmds.createNode("transform"), "transform2")
        self.assertEqual(cmds.animLayer("cam", override=True), "cam4")
        cmds.createNode("transform", name="ball")
        cmds.createNode("transform", name="ball_translateX")
        cmds.setKeyframe("ball", attribute="tx", time=1, value=0)
        self.assertEqual(cmds.listConnections("ball.tx"), ["ball_translateX1"])

    def test_selection_lists_transforms_in_order_and_skips_shapes(self):
        cam = self.transform("cam")
        shape = cmds.createNode("camera", parent=cam)
        other = self.transform("other")
        self.assertEqual(shape, "cameraShape1")
        cmds.select(other, shape, cam)
        self.assertEqual(cmds.ls(selection=True, type="transform"), ["other", "cam"])
        cmds.select(shape)
        self.assertEqual(cmds.ls(sl=True, type="transform"), [])
        cmds.select(clear=True)
        self.assertEqual(cmds.ls(sl=True, type="transform"), [])

    def test_camera_shape_is_found_only_under_its_transform(self):
        cam = self.transform("cam")
        cmds.createNode("camera", name="camShape", parent=cam)
        plain = self.transform("plain")
        self.assertEqual(cmds.listRelatives(cam, shapes=True, type="camera"), ["camShape"])
        self.assertIsNone(cmds.listRelatives(plain, shapes=True, type="camera"))
        self.assertEqual(cmds.listRelatives("persp", s=True, type="camera"), ["perspShape"])

    def test_missing_objects_raise_as_in_maya_but_obj_exists_does_not(self):
        self.assertFalse(cmds.objExists("ghost"))
        self.assertFalse(cmds.objExists("persp.ghost"))
        self.assertTrue(cmds.objExists("persp.translateX"))
        with self.assertRaises(ValueError):
            cmds.getAttr("ghost.tx")
        with self.assertRaises(ValueError):
            cmds.xform("ghost", q=True, ws=True, t=True)
        with self.assertRaises(ValueError):
            cmds.delete("ghost")
        with self.assertRaises(RuntimeError):
            cmds.setAttr("ghost.tx", 1.0)
        with self.assertRaises(RuntimeError):
            cmds.connectAttr("ghost.output", "persp.tx", force=True)

    def test_playback_range_and_time(self):
        self.assertEqual(cmds.playbackOptions(q=True, min=True), 1.0)
        self.assertEqual(cmds.playbackOptions(q=True, max=True), 120.0)
        cmds.playbackOptions(min=1.5, max=10.7)
        self.assertEqual(cmds.playbackOptions(query=True, minTime=True), 1.5)
        self.assertEqual(cmds.playbackOptions(query=True, maxTime=True), 10.7)
        self.assertEqual(cmds.currentTime(q=True), 1.0)
        cmds.currentTime(42, edit=True)
        self.assertEqual(cmds.currentTime(query=True), 42.0)
        cmds.file(new=True, force=True)
        self.assertEqual(cmds.currentTime(q=True), 1.0)
        self.assertEqual(cmds.playbackOptions(q=True, max=True), 120.0)


class AnimationLayerTest(SceneTestCase):
    def setUp(self):
        SceneTestCase.setUp(self)
        self.cam = self.transform("cam", t=(1, 0, 0))
        cmds.setKeyframe(self.cam, attribute="translateY", time=1, value=0.0)
        cmds.setKeyframe(self.cam, attribute="translateY", time=11, value=10.0)

    def test_override_layer_with_keys_replaces_the_base_value(self):
        layer = cmds.animLayer("shake", override=True)
        self.assertTrue(cmds.animLayer(layer, q=True, exists=True))
        cmds.animLayer(layer, edit=True, attribute="cam.translateY")
        cmds.animLayer(layer, edit=True, attribute="cam.translateX")
        cmds.currentTime(6, edit=True)
        self.assertEqual(cmds.getAttr("cam.ty"), 5.0)  # in the layer but unkeyed: base shows
        cmds.setKeyframe(self.cam, attribute="translateY", time=1, value=100.0, animLayer=layer)
        cmds.setKeyframe(self.cam, attribute="translateY", time=11, value=200.0, animLayer=layer)
        self.assertEqual(cmds.getAttr("cam.ty"), 150.0)
        self.assertEqual(cmds.getAttr("cam.tx"), 1.0)
        self.assertEqual(cmds.keyframe("cam_translateY", q=True, valueChange=True), [0.0, 10.0])
        cmds.delete(layer)
        self.assertEqual(cmds.getAttr("cam.ty"), 5.0)
        self.assertFalse(cmds.animLayer(layer, q=True, exists=True))

    def test_key_for_a_channel_outside_the_layer_goes_to_the_base(self):
        layer = cmds.animLayer("shake", override=True)
        cmds.setKeyframe(self.cam, attribute="translateY", time=11, value=50.0, animLayer=layer)
        self.assertEqual(cmds.getAttr("cam.ty", time=11), 50.0)
        self.assertIsNone(cmds.animLayer(layer, q=True, attribute=True))

    def test_a_layer_puts_a_blend_node_between_the_base_curve_and_the_channel(self):
        # (override, weight, muted, ty at frame 6: base 5, layer key 2 / 100 deg on rx)
        for override, weight, mute, ty, rx in ((True, 1.0, False, 2.0, 100.0), (True, 0.5, False, 3.5, 55.0),
                                               (False, 1.0, False, 7.0, 110.0), (False, 0.5, False, 6.0, 60.0),
                                               (False, 1.0, True, 5.0, 10.0)):
            self.setUp()
            cmds.setKeyframe(self.cam, attribute="rotateX", time=1, value=10.0)
            layer = cmds.animLayer("anim", override=override)
            for plug in ("cam.translateY", "cam.rotateX"):
                cmds.animLayer(layer, edit=True, attribute=plug)
            cmds.setKeyframe(self.cam, attribute="translateY", time=1, value=2.0, animLayer=layer)
            cmds.setKeyframe(self.cam, attribute="rotateX", time=1, value=100.0, animLayer=layer)
            cmds.animLayer(layer, edit=True, weight=weight, mute=mute)
            self.assertEqual(cmds.listConnections("cam.ty", s=True, d=False, p=True), ["cam_translateY_anim.output"])
            self.assertEqual([cmds.nodeType("cam_%s_anim" % c) for c in ("translateY", "rotate")],
                             ["animBlendNodeAdditiveDL", "animBlendNodeAdditiveRotation"])
            # One rotation node for the whole rotate compound, its plugs per axis.
            self.assertEqual(cmds.listConnections("cam.rx", s=True, d=False, p=True), ["cam_rotate_anim.outputX"])
            self.assertEqual(cmds.listConnections("cam_rotate_anim.inputAX", s=True, d=False), ["cam_rotateX"])
            self.assertEqual(cmds.listConnections("cam_rotate_anim.inputBX", s=True, d=False),
                             ["cam_rotate_anim_inputBX"])
            self.assertEqual(cmds.listConnections("cam_translateY_anim.inputA", s=True, d=False), ["cam_translateY"])
            self.assertEqual(cmds.listConnections("cam_translateY_anim.inputB", s=True, d=False),
                             ["cam_translateY_anim_inputB"])
            self.assertAlmostEqual(cmds.getAttr("cam.ty", time=6), ty, places=12)
            self.assertAlmostEqual(cmds.getAttr("cam.rx", time=6), rx, places=12)
            cmds.setKeyframe(self.cam, attribute="translateY", time=11, value=20.0)  # no layer: the base curve
            self.assertEqual(cmds.keyframe("cam_translateY", q=True, valueChange=True), [0.0, 20.0])
            cmds.delete(layer)
            self.assertEqual(cmds.listConnections("cam.ty", s=True, d=False), ["cam_translateY"])
            self.assertFalse(cmds.objExists("cam_translateY_anim") or cmds.objExists("cam_translateY_anim_inputB"))
            self.assertEqual(cmds.getAttr("cam.ty", time=6), 10.0)

    def test_layers_nest_and_a_keyed_weight_fades_the_layer(self):
        first = cmds.animLayer("first")
        second = cmds.animLayer("second", override=True)
        for layer, value in ((first, 1.0), (second, 50.0)):
            cmds.animLayer(layer, edit=True, attribute="cam.translateY")
            cmds.setKeyframe(self.cam, attribute="translateY", time=1, value=value, animLayer=layer)
        self.assertEqual(cmds.listConnections("cam_translateY_second.inputA", s=True, d=False, p=True),
                         ["cam_translateY_first.output"])
        for time, weight in ((1, 0.0), (2, 1.0), (3, 1.0), (4, 0.0)):
            cmds.setKeyframe(second, attribute="weight", time=time, value=weight)
        self.assertEqual(cmds.listConnections(second + ".weight", s=True, d=False), ["second_weight"])
        # At 4 the base curve's auto keys (1, 0) and (11, 10), flat at the ends, give
        # 10 (3 (0.3)^2 - 2 (0.3)^3) = 2.16, and the first layer adds 1.
        self.assertEqual([round(cmds.getAttr("cam.ty", time=t), 9) for t in (1, 2, 3, 4)],
                         [1.0, 50.0, 50.0, 3.16])
        cmds.animLayer(second, edit=True, removeAttribute="cam.translateY")
        self.assertEqual(cmds.listConnections("cam.ty", s=True, d=False), ["cam_translateY_first"])
        self.assertAlmostEqual(cmds.getAttr("cam.ty", time=4), 3.16, 9)

    def test_adding_a_missing_plug_raises_and_selection_flags_are_kept(self):
        layer = cmds.animLayer("shake", override=True)
        with self.assertRaises(RuntimeError):
            cmds.animLayer(layer, edit=True, attribute="ghost.translateX")
        with self.assertRaises(RuntimeError):
            cmds.animLayer(layer, edit=True, attribute="cam.ghost")
        cmds.animLayer(layer, edit=True, selected=True, preferred=True)
        self.assertTrue(cmds.animLayer(layer, q=True, selected=True))
        self.assertTrue(cmds.animLayer(layer, q=True, preferred=True))
        self.assertFalse(cmds.animLayer("nothing", q=True, exists=True))



class SharedNamesAndHostFlagsTest(SceneTestCase):
    def test_a_short_name_shared_under_two_parents_is_answered_as_a_dag_path(self):
        for group in ("grpA", "grpB"):
            self.transform(group)
            cmds.createNode("transform", name="cam", parent=group)
        self.assertEqual(cmds.ls("grp*", "cam", type="transform"), ["grpA", "grpB", "grpA|cam", "grpB|cam"])
        self.assertEqual(cmds.listRelatives("grpB", children=True), ["grpB|cam"])
        cmds.select("grpB|cam")
        self.assertEqual(cmds.ls(selection=True, type="transform"), ["grpB|cam"])
        self.assertTrue(cmds.objExists("cam"))
        self.assertTrue(cmds.objExists("cam.translateX"))
        with self.assertRaises(ValueError):  # which one? the host does not guess
            cmds.getAttr("cam.translateX")
        cmds.setAttr("grpB|cam.translateX", 3.0)
        self.assertEqual(cmds.getAttr("|grpB|cam.translateX"), 3.0)
        self.assertEqual(cmds.getAttr("grpA|cam.translateX"), 0.0)
        self.assertEqual(cmds.createNode("transform", name="cam", parent="grpA"), "cam1")
        # Moved beside a node of its name, it takes a number: now two cam1 share the short name.
        self.assertEqual(cmds.parent("grpA|cam", "grpB"), ["grpB|cam1"])
        with self.assertRaises(RuntimeError):
            cmds.createNode("animCurveTL", name="grpB|cam_shake_translateX")

    def test_flags_as_the_host_documents_them(self):
        with self.assertRaises(TypeError):  # refresh is not queryable
            cmds.refresh(q=True, suspend=True)
        cmds.inViewMessage(assistMessage="long", pos="midCenter", fade=True)
        cmds.inViewMessage(amg="short", pos="midCenter", fade=True)
        self.assertEqual(list(standin.in_view_messages), ["long", "short"])
        with self.assertRaises(TypeError):
            cmds.inViewMessage(assembleMessage="no such flag")
        self.assertEqual(cmds.evaluationManager(q=True, mode=True), ["parallel"])


class ReferenceTest(SceneTestCase):
    def test_a_referenced_node_takes_edits_but_is_never_deleted_or_renamed(self):
        import os
        import shutil
        import tempfile
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder, True)
        cmds.createNode("transform", name="cam")
        cmds.setKeyframe("cam", attribute="translateX", time=1, value=2.0)
        cmds.file(rename=os.path.join(folder, "cam.mb"))
        cmds.file(save=True)
        cmds.file(new=True, force=True)
        cmds.file(os.path.join(folder, "cam.mb"), reference=True, namespace="ref")
        self.assertEqual([cmds.referenceQuery(n, isNodeReferenced=True) for n in ("ref:cam", "persp")],
                         [True, False])
        self.assertEqual(cmds.ls("ref:*"), ["ref:cam", "ref:cam_translateX"])
        # the edits a reference node records
        cmds.addAttr("ref:cam", longName="note", dataType="string")
        cmds.setAttr("ref:cam.note", "kept", type="string")
        cmds.disconnectAttr("ref:cam_translateX.output", "ref:cam.translateX")
        cmds.connectAttr("ref:cam_translateX.output", "ref:cam.translateX")
        for refused in (lambda: cmds.delete("ref:cam"), lambda: cmds.delete("ref:cam_translateX"),
                        lambda: cmds.rename("ref:cam", "mine")):
            self.assertRaises(RuntimeError, refused)
        self.assertEqual(cmds.getAttr("ref:cam.note"), "kept")


class UnitsTest(SceneTestCase):
    """Commands speak the working units (currentUnit), the API and the curves internal ones."""

    def test_commands_speak_working_units_and_the_api_internal_ones(self):
        from maya.api import OpenMaya as om, OpenMayaAnim as oma
        self.assertEqual([cmds.currentUnit(q=True, **{k: True}) for k in ("linear", "angle", "time")],
                         ["cm", "deg", "film"])
        node = self.transform("n", t=(1, 2, 3), ro=(0, 90, 0))  # set in cm and degrees
        curve = cmds.createNode("animCurveTA", name="turn")
        cmds.setKeyframe(curve, time=5, value=180.0)
        cmds.currentUnit(linear="m", angle="rad")  # the values keep their physical size
        self.assertEqual(cmds.currentUnit(q=True, linear=True, fullName=True), "meter")
        self.assertVectorAlmostEqual(cmds.xform(node, q=True, ws=True, t=True), (0.01, 0.02, 0.03))
        self.assertAlmostEqual(cmds.getAttr(node + ".rotateY"), math.pi / 2)
        self.assertVectorAlmostEqual(cmds.xform(node, q=True, ws=True, ro=True), (0, math.pi / 2, 0))
        self.assertVectorAlmostEqual(cmds.keyframe(curve, q=True, valueChange=True), [math.pi])
        cmds.setAttr(node + ".translateX", 2.0)
        cmds.currentUnit(linear="mm", angle="deg")
        self.assertAlmostEqual(cmds.getAttr(node + ".translateX"), 2000.0)
        self.assertEqual((om.MAngle.uiToInternal(180.0), om.MDistance.uiToInternal(10.0)),
                         (math.pi, 1.0))
        self.assertAlmostEqual(om.MAngle.internalToUI(math.pi), 180.0)
        # addKeys takes internal values, at MTime times in their own unit.
        cmds.delete(curve)
        cmds.currentUnit(time="show")
        self.assertEqual(om.MTime.uiUnit(), om.MTime.kShowScan)
        probe = cmds.createNode("animCurveTA", name="probe")
        fn = oma.MFnAnimCurve(om.MSelectionList().add(probe).getDependNode(0))
        fn.addKeys([om.MTime(10.0, om.MTime.kFilm), om.MTime(30.0, om.MTime.kShowScan)],
                   [math.pi, math.pi / 2])
        self.assertEqual(cmds.keyframe(probe, q=True, timeChange=True), [20.0, 30.0])
        self.assertVectorAlmostEqual(cmds.keyframe(probe, q=True, valueChange=True), [180.0, 90.0])
        with self.assertRaises(NotImplementedError):  # moving keys with the rate: not modelled
            cmds.currentUnit(time="pal")
        with self.assertRaises(RuntimeError):
            cmds.currentUnit(angle="gradian")

    def test_create_node_selects_the_new_node_unless_skip_select(self):
        first = self.transform("first")
        cmds.select(first)
        cmds.createNode("animCurveTL", name="quiet", skipSelect=True)
        self.assertEqual(cmds.ls(selection=True), [first])
        loud = cmds.createNode("animCurveTL", name="loud")
        self.assertEqual(cmds.ls(selection=True), [loud])

    def test_a_partway_add_keys_fault_writes_some_keys_then_raises(self):
        from maya.api import OpenMaya as om, OpenMayaAnim as oma
        curve = cmds.createNode("animCurveTU", name="partly")
        fn = oma.MFnAnimCurve(om.MSelectionList().add(curve).getDependNode(0))
        standin.fail_add_keys_partway(2)
        with self.assertRaises(RuntimeError):
            fn.addKeys([om.MTime(float(f), om.MTime.kFilm) for f in (1, 2, 3)], [1.0, 2.0, 3.0])
        self.assertEqual(cmds.keyframe(curve, q=True, valueChange=True), [1.0, 2.0])

    def test_add_keys_reads_a_time_array_as_it_holds_its_times_now(self):
        from maya.api import OpenMaya as om, OpenMayaAnim as oma

        def set_value(index, value):
            def change(times, given):
                times[index].value = value
            return change

        cases = (  # what changed after the array keyed a first curve, the second curve's keys
            ("nothing", lambda times, given: None, [1.0, 2.0, 3.0]),
            ("an element", set_value(2, 7.0), [1.0, 2.0, 7.0]),
            ("an element, out of order", set_value(0, 5.0), [2.0, 3.0, 5.0]),
            ("an element appended", lambda times, given: times.append(om.MTime(9.0, om.MTime.kFilm)),
             [1.0, 2.0, 3.0, 9.0]),
            ("a time it was made from", lambda times, given: setattr(given[2], "value", 8.0),
             [1.0, 2.0, 3.0]),
            ("the working time unit", lambda times, given: cmds.currentUnit(time="show"),
             [2.0, 4.0, 6.0]),
        )
        for name, change, expected in cases:
            standin.reset()
            given = [om.MTime(float(f), om.MTime.kFilm) for f in (1, 2, 3)]
            times = om.MTimeArray(given)
            for step in ("first", "second"):  # the first is gone before the change: units
                curve = cmds.createNode("animCurveTU", name=step)
                fn = oma.MFnAnimCurve(om.MSelectionList().add(curve).getDependNode(0))
                fn.addKeys(times, [0.0] * len(times))
                if step == "first":
                    cmds.delete(curve)
                    change(times, given)
            self.assertEqual(cmds.keyframe(curve, q=True, timeChange=True), expected, name)


if __name__ == "__main__":
    unittest.main()
