"""The stand-in evaluates animation curves as the host does: each segment from its keys' tangents
(so a key's neighbours shape it), weighted or not, and infinity beyond the keys; every way of
reading a curve answers the same. Expected values are worked by hand from the cubic Hermite
(non-weighted) and Bezier (weighted) segments, at 24 fps."""
import math
import unittest

import support  # noqa: F401  (puts the stand-in on sys.path)

import maya.standin as standin
from maya import cmds
import maya.api.OpenMaya as om
import maya.api.OpenMayaAnim as oma

# Secants 1.0, 0.6 and -1.2 per frame: the key at 11 lies between its neighbours, the one at 21
# above both.
KEYS = [(1, 0.0), (11, 10.0), (21, 16.0), (31, 4.0)]
FRAMES = (6, 6.5, 11, 15.5, 16, 26)

# Slopes per frame (A, B, C, D): spline, the line from the key before to the key after
# (1.0, 0.8, -0.3, -1.2; the end keys their one segment's); auto and plateau flat at the ends and
# at C, B's spline slope within three times its secants (0, 0.8, 0, 0); fixed at 45 degrees,
# tan 45 / 24 per frame.
TYPE_TABLE = (
    ("spline", [5.25, 5.77225, 10.0, 13.974625, 14.375, 11.125]),
    ("clamped", [5.25, 5.77225, 10.0, 13.974625, 14.375, 11.125]),  # no neighbours close
    ("auto", [4.0, 4.6585, 10.0, 13.6405, 14.0, 10.0]),
    ("plateau", [4.0, 4.6585, 10.0, 13.6405, 14.0, 10.0]),
    ("flat", [5.0, 5.7475, 10.0, 12.5515, 13.0, 10.0]),
    ("linear", [5.0, 5.5, 10.0, 12.7, 13.0, 10.0]),
    ("step", [0.0, 0.0, 10.0, 10.0, 10.0, 16.0]),
    ("stepnext", [10.0, 10.0, 10.0, 16.0, 16.0, 4.0]),
    ("fixed", [5.0, 5.737188, 10.0, 12.561812, 13.0, 10.0]),
)


def keyed(keys, **types):
    node = cmds.createNode("transform", name="cam", skipSelect=True)
    for time, value in keys:
        cmds.setKeyframe(node, attribute="translateX", time=time, value=value, **types)
    return node, cmds.listConnections(node + ".translateX", source=True, destination=False)[0]


def api_value(curve, time):
    selection = om.MSelectionList()
    selection.add(curve)
    return oma.MFnAnimCurve(selection.getDependNode(0)).evaluate(om.MTime(float(time), om.MTime.kFilm))


class CurveEvalTestCase(unittest.TestCase):
    def setUp(self):
        standin.reset()

    def assertValues(self, node, frames, expected, label):
        got = [cmds.getAttr(node + ".translateX", time=t) for t in frames]
        for frame, value, want in zip(frames, got, expected):
            self.assertAlmostEqual(value, want, 5, "%s at %s: %r" % (label, frame, got))


class TangentTypeTest(CurveEvalTestCase):
    def test_each_tangent_type_shapes_whole_and_half_frames_as_the_segment_formulas_give(self):
        for kind, expected in TYPE_TABLE:
            standin.reset()
            node, curve = keyed(KEYS)
            if kind == "fixed":
                cmds.keyTangent(curve, ia=45, oa=45)
            else:
                cmds.keyTangent(curve, itt=kind, ott=kind)
            self.assertValues(node, FRAMES, expected, kind)

    def test_a_new_key_reshapes_the_segment_before_it(self):
        # (1, 0) - (11, 10) with auto tangents is flat at both ends: 5 at frame 6. A key at 21
        # makes 11 an inner key with slope 1 per frame: 5 + 10 (1/8 - 1/4) = 3.75.
        node, curve = keyed(KEYS[:2])
        self.assertValues(node, [6], [5.0], "two keys")
        cmds.setKeyframe(node, attribute="translateX", time=21, value=20)
        self.assertValues(node, [6], [3.75], "with a neighbour")

    def test_a_fixed_tangent_keeps_its_angle_when_a_neighbour_comes(self):
        node, curve = keyed(KEYS[:2])
        cmds.keyTangent(curve, time=(11, 11), itt="fixed", ott="fixed")
        cmds.setKeyframe(node, attribute="translateX", time=21, value=20)
        self.assertValues(node, [6], [5.0], "fixed flat")
        self.assertEqual(cmds.keyTangent(curve, q=True, time=(11, 11), ia=True), [0.0])

    def test_clamped_is_linear_towards_a_neighbour_of_the_same_value(self):
        # (1, 0) (11, 10) (21, 10): 11's out tangent and 21's in tangent are linear, the segment
        # between them a line at 10; before 11 the spline slopes, 1 at the end key and
        # (10 - 0) / 20 at 11: 5 + 10 (1/8) + 10 (0.5) (-1/8) = 5.625 at frame 6.
        node, curve = keyed([(1, 0.0), (11, 10.0), (21, 10.0)], itt="clamped", ott="clamped")
        self.assertValues(node, [6, 16, 18.5], [5.625, 10.0, 10.0], "clamped")


class WeightedTest(CurveEvalTestCase):
    # (0, 0) - (10, 10), flat tangents. Non-weighted: 10 (3s^2 - 2s^3). Weighted: a Bezier whose
    # inner points sit w/3 of the segment along each tangent (both shortened alike when they
    # would pass each other): weight 1 is the non-weighted curve.
    TABLE = (
        (False, 1.0, [1.5625, 5.0, 8.4375]),
        (True, 1.0, [1.5625, 5.0, 8.4375]),
        (True, 3.0, [1.058925, 5.0, 8.941075]),
        (True, 0.5, [2.071068, 5.0, 7.928932]),
    )

    def test_weights_shape_only_a_weighted_curve(self):
        for weighted, weight, expected in self.TABLE:
            standin.reset()
            node, curve = keyed([(0, 0.0), (10, 10.0)], itt="flat", ott="flat")
            cmds.keyTangent(curve, edit=True, weightedTangents=weighted)
            cmds.keyTangent(curve, iw=weight, ow=weight)
            self.assertValues(node, [2.5, 5, 7.5], expected, "weighted %s weight %s" % (weighted, weight))


class InfinityTest(CurveEvalTestCase):
    # (0, 0) (10, 10) (20, 5), linear tangents: in slope 1 at the first key, out -0.5 at the last.
    FRAMES = (-15, -5, -2.5, 25, 32.5, 45)
    TABLE = (
        ("constant", [0.0, 0.0, 0.0, 5.0, 5.0, 5.0]),
        ("linear", [-15.0, -5.0, -2.5, 2.5, -1.25, -7.5]),
        ("cycle", [5.0, 7.5, 6.25, 5.0, 8.75, 5.0]),
        ("cycleRelative", [0.0, 2.5, 1.25, 10.0, 13.75, 15.0]),
        ("oscillate", [7.5, 5.0, 2.5, 7.5, 7.5, 5.0]),
    )

    def test_each_infinity_continues_the_curve_before_and_after_its_keys(self):
        for kind, expected in self.TABLE:
            standin.reset()
            node, curve = keyed([(0, 0.0), (10, 10.0), (20, 5.0)], itt="linear", ott="linear")
            cmds.setInfinity(curve, preInfinite=kind, postInfinite=kind)
            self.assertValues(node, self.FRAMES, expected, kind)


class AgreementTest(CurveEvalTestCase):
    def test_getattr_keyframe_eval_and_the_api_answer_alike(self):
        node, curve = keyed(KEYS)
        for time in FRAMES + (-3, 40):
            plug = cmds.getAttr(node + ".translateX", time=time)
            self.assertAlmostEqual(cmds.keyframe(curve, q=True, time=(time, time), eval=True)[0], plug, 9)
            self.assertAlmostEqual(api_value(curve, time), plug, 9)

    def test_angles_answered_are_the_ones_the_types_give(self):
        # Spline at 11: 0.8 per frame, 19.2 per second; linear into 11: 1 per frame.
        node, curve = keyed(KEYS, itt="spline", ott="spline")
        cmds.keyTangent(curve, time=(21, 21), itt="linear")
        self.assertAlmostEqual(cmds.keyTangent(curve, q=True, time=(11, 11), oa=True)[0],
                               math.degrees(math.atan(19.2)), 9)
        self.assertAlmostEqual(cmds.keyTangent(curve, q=True, time=(21, 21), ia=True)[0],
                               math.degrees(math.atan(0.6 * 24)), 9)
        cmds.keyTangent(curve, time=(11, 11), ia=30)
        self.assertEqual((cmds.keyTangent(curve, q=True, time=(11, 11), itt=True),
                          cmds.keyTangent(curve, q=True, time=(11, 11), ia=True),
                          cmds.keyTangent(curve, q=True, time=(11, 11), ott=True)),
                         (["fixed"], [30.0], ["spline"]))

    def test_new_keys_take_the_global_tangent_types(self):
        self.assertEqual((cmds.keyTangent(q=True, g=True, itt=True), cmds.keyTangent(q=True, g=True, ott=True)),
                         (["auto"], ["auto"]))
        cmds.keyTangent(g=True, itt="linear", ott="linear")
        node, curve = keyed(KEYS)
        self.assertEqual(cmds.keyTangent(curve, q=True, ott=True), ["linear"] * 4)
        self.assertValues(node, [6.5], [5.5], "global linear")
        standin.reset()
        self.assertEqual(cmds.keyTangent(q=True, g=True, itt=True), ["auto"])

    def test_undo_and_redo_of_a_key_take_its_tangent_types_along(self):
        node, curve = keyed(KEYS[:1])
        cmds.setKeyframe(node, attribute="translateX", time=11, value=10, itt="linear", ott="step")
        cmds.undo()
        self.assertEqual(cmds.keyframe(curve, q=True, tc=True), [1.0])
        cmds.redo()
        self.assertEqual(cmds.keyTangent(curve, q=True, ott=True), ["auto", "step"])
        self.assertValues(node, [6], [3.75], "redone")  # auto (flat) end key, linear in at 11
        cmds.setKeyframe(node, attribute="translateX", time=11, value=8, ott="linear")
        cmds.undo()
        self.assertEqual((cmds.keyTangent(curve, q=True, ott=True), cmds.keyframe(curve, q=True, vc=True)),
                         (["auto", "step"], [0.0, 10.0]))

    def test_add_keys_takes_the_tangent_types_given(self):
        node = cmds.createNode("transform", name="cam", skipSelect=True)
        for constant, kind, expected in ((oma.MFnAnimCurve.kTangentGlobal, "auto", 4.6585),
                                         (oma.MFnAnimCurve.kTangentLinear, "linear", 5.5),
                                         (oma.MFnAnimCurve.kTangentStep, "step", 0.0)):
            curve = cmds.createNode("animCurveTL", name="curve_" + kind, skipSelect=True)
            cmds.connectAttr(curve + ".output", node + ".translateX", force=True)
            selection = om.MSelectionList()
            selection.add(curve)
            fn = oma.MFnAnimCurve(selection.getDependNode(0))
            fn.addKeys([om.MTime(float(t), om.MTime.kFilm) for t, _ in KEYS], [v for _, v in KEYS],
                       constant, constant, True)
            self.assertEqual(cmds.keyTangent(curve, q=True, itt=True), [kind] * 4)
            self.assertValues(node, [6.5], [expected], kind)


if __name__ == "__main__":
    unittest.main()
