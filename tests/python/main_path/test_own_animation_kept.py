"""The animator's own animation survives a shake: curves kept in the scene key for key, driven
channels refused, animation layers left alone, and a shake found again from the scene alone."""
import os
import tempfile

from support.main_path import CAMERA, CHANNELS, SETTINGS, SOURCE, MainPathCase, shake_curve

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

# Sparse keys with their own tangents and infinity, reaching outside the playback range (20-80).
SPARSE = {"translateX": [(-10, 0.1), (1, 0.1), (50, 2.0), (130, -1.0)],
          "translateZ": [(20, 10.0), (80, 4.0)],
          "rotateY": [(5, 20.0), (60, 45.0)]}
STILL = {"translateY": 1.7, "rotateX": -5.0, "rotateZ": 0.0}  # channels with no curve
TANGENT_FLAGS = ("itt", "ott", "ia", "oa", "iw", "ow")


def own_curve(channel):
    """The curve of the channel's base animation, below the blend nodes of any layers."""
    plug = "%s.%s" % (CAMERA, channel)
    while True:
        found = cmds.listConnections(plug, source=True, destination=False, plugs=True)
        node, _, output = found[0].partition(".") if found else (None, "", "")
        if not found or not cmds.nodeType(node).startswith("animBlendNode"):
            return node
        plug = "%s.inputA%s" % (node, output[len("output"):])  # a rotation node's outputX: inputAX


def curve_shape(curve):
    """Everything the animator set on a curve, key for key."""
    shape = [cmds.keyframe(curve, q=True, tc=True), cmds.keyframe(curve, q=True, vc=True),
             cmds.keyTangent(curve, q=True, wt=True), cmds.setInfinity(curve, q=True, pri=True),
             cmds.setInfinity(curve, q=True, poi=True)]
    return shape + [cmds.keyTangent(curve, q=True, **{flag: True}) for flag in TANGENT_FLAGS]


class OwnAnimationCase(MainPathCase):
    def setUp(self):
        MainPathCase.setUp(self)
        cmds.delete(CAMERA)
        cmds.createNode("camera", name=CAMERA + "Shape", skipSelect=True)
        for channel, value in STILL.items():
            cmds.setAttr("%s.%s" % (CAMERA, channel), value)
        for channel, keys in SPARSE.items():
            for time, value in keys:
                cmds.setKeyframe(CAMERA, attribute=channel, time=time, value=value)
        curve = own_curve("translateX")
        cmds.keyTangent(curve, time=(50, 50), itt="linear", ott="step", ia=12.5, ow=3.0)
        cmds.keyTangent(curve, edit=True, weightedTangents=True)
        cmds.setInfinity(curve, pri="cycle", poi="oscillate")
        cmds.playbackOptions(min=20, max=80)
        self.curves = dict((channel, own_curve(channel)) for channel in SPARSE)
        self.shapes = dict((channel, curve_shape(curve)) for channel, curve in self.curves.items())

    def assert_own_animation_back(self):
        for channel, curve in self.curves.items():
            self.assertEqual(own_curve(channel), curve, channel)
            self.assertEqual(curve_shape(curve), self.shapes[channel], channel)
        for channel, value in STILL.items():
            self.assertEqual(own_curve(channel), None, channel)
            self.assertAlmostEqual(cmds.getAttr("%s.%s" % (CAMERA, channel)), value, places=12)
        self.assertFalse(any(cmds.objExists(shake_curve(c)) for c in list(SPARSE) + list(STILL)))
        self.assertFalse(cmds.attributeQuery("tremblaOwnCurves", node=CAMERA, exists=True))  # the links went


class KeptCurvesTest(OwnAnimationCase):
    def test_kept_curves_survive_the_hosts_unused_curve_cleanup_while_the_shake_is_live(self):
        for end in ("reset", "bake", "reset from a new window"):
            self.prepare("animated")
            self.assertEqual(standin.remove_unused_anim_curves(), [], end)  # File > Optimize Scene Size
            if end == "bake":
                self.window._bake_to_layer()
                cmds.delete("trembla_layer")
            else:
                if end != "reset":
                    tt.reset_state()
                    self.window = tt.show()
                self.window._reset_camera()
            self.assert_own_animation_back()

    def test_reset_and_bake_give_back_every_key_tangent_and_infinity_in_every_mode(self):
        for mode in ("static", "animated", "relax"):
            for end in ("reset", "bake"):
                self.prepare(mode)
                self.assertTrue(tt._prepared["ready"], (mode, end))
                for channel, curve in self.curves.items():  # driving through the blend, untouched
                    self.assertEqual(own_curve(channel), curve, (mode, channel))
                    self.assertEqual(curve_shape(curve), self.shapes[channel], (mode, channel))
                # Outside the range (20-80) the shaken camera follows its own keys.
                for time, value in ((-10, 0.1), (1, 0.1), (130, -1.0)):
                    self.assertAlmostEqual(cmds.getAttr(CAMERA + ".translateX", time=time), value, places=12)
                if end == "reset":
                    self.window._reset_camera()
                else:
                    self.window._bake_to_layer()
                    cmds.delete("trembla_layer")
                self.assert_own_animation_back()

    def test_recorded_animation_is_the_own_curve_under_an_animators_layer(self):
        cmds.animLayer("animatorLayer")
        cmds.animLayer("animatorLayer", edit=True, attribute=CAMERA + ".translateX")
        cmds.setKeyframe(CAMERA, attribute="translateX", time=20, value=5.0, animLayer="animatorLayer")
        layer_keys = cmds.keyframe("%s_translateX_animatorLayer_inputB" % CAMERA, q=True, vc=True)
        self.prepare("animated")
        recorded = tt._prepared["camera_original_anim"]["translateX"]
        self.assertAlmostEqual(recorded[30], cmds.keyframe(self.curves["translateX"], q=True, time=(50, 50),
                                                           eval=True)[0], places=12)
        self.window._reset_camera()
        self.assert_own_animation_back()
        self.assertEqual(cmds.animLayer("animatorLayer", q=True, attribute=True), [CAMERA + ".translateX"])
        self.assertEqual(cmds.keyframe("%s_translateX_animatorLayer_inputB" % CAMERA, q=True, vc=True), layer_keys)

    def test_after_a_bake_the_camera_follows_its_own_keys_outside_the_range(self):
        for mode in ("static", "animated", "relax"):
            self.prepare(mode)
            inside = [cmds.getAttr(CAMERA + ".translateX", time=t) for t in (20, 50, 80)]
            self.window._bake_to_layer()
            self.assertEqual([cmds.getAttr(CAMERA + ".translateX", time=t) for t in (20, 50, 80)], inside, mode)
            for time in (-10, 1, 19, 81, 100, 130):
                own = cmds.keyframe(self.curves["translateX"], q=True, time=(time, time), eval=True)[0]
                self.assertEqual(cmds.getAttr(CAMERA + ".translateX", time=time), own, (mode, time))
            cmds.delete("trembla_layer")
            self.assert_own_animation_back()

    def test_an_animators_additive_layer_keeps_combining_through_prepare_reset_bake_and_prepare_again(self):
        layer = cmds.animLayer("animatorLayer")
        for channel, keys in (("translateX", ((20, 1.0), (80, 3.0))), ("rotateX", ((30, 4.0),))):
            cmds.animLayer(layer, edit=True, attribute="%s.%s" % (CAMERA, channel))
            for time, value in keys:
                cmds.setKeyframe(CAMERA, attribute=channel, time=time, value=value, animLayer=layer)
        layer_curves = [CAMERA + "_translateX_animatorLayer_inputB", CAMERA + "_rotate_animatorLayer_inputBX"]
        layer_shapes = [curve_shape(curve) for curve in layer_curves]
        times = (1, 20, 50, 80, 100)

        def values():
            return [[cmds.getAttr("%s.%s" % (CAMERA, c), time=t) for t in times] for c in ("translateX", "rotateX")]

        def check_animators_work(what):
            for channel, curve in self.curves.items():
                self.assertEqual((own_curve(channel), curve_shape(curve)), (curve, self.shapes[channel]), what)
            self.assertEqual([curve_shape(curve) for curve in layer_curves], layer_shapes, what)
            for row, expected in zip(values(), before):
                self.assert_values(row, expected, what)
            self.assertFalse(any(cmds.objExists(shake_curve(c)) for c in list(SPARSE) + list(STILL)))

        before = values()
        self.prepare("animated")
        self.assertTrue(tt._prepared["ready"])
        recorded = tt._prepared["camera_original_anim"]
        # The shake goes in below the layer: the channel stays on the animator's blend node.
        self.assertEqual(cmds.listConnections(CAMERA + ".translateX", s=True, d=False), [CAMERA + "_translateX_animatorLayer"])
        self.assertEqual(own_curve("translateX"), self.curves["translateX"])
        live = values()
        # Before the range the own keys hold; after it see the known fault in the test below.
        self.assertEqual(live[0][0], before[0][0])
        for row, channel in enumerate(("translateX", "rotateX")):  # the layer adds on top of the shake
            own = (cmds.keyframe(self.curves[channel], q=True, time=(50, 50), eval=True)[0]
                   if channel in self.curves else STILL[channel])
            shaken = own + cmds.keyframe(shake_curve(channel), q=True, time=(50, 50), eval=True)[0]
            self.assertAlmostEqual(live[row][2] - shaken, before[row][2] - own, places=9)
        self.window._reset_camera()
        check_animators_work("reset")
        self.prepare("animated")
        self.window._bake_to_layer()  # the layer holds the live look inside the range, the own look outside
        self.assertEqual(values(), [row[:1] + live_row[1:4] + row[4:] for row, live_row in zip(before, live)])
        self.prepare("animated")  # the baked camera is prepared from its own animation again
        self.assertTrue(tt._prepared["ready"])
        self.assertEqual(tt._prepared["camera_original_anim"], recorded)
        self.window._reset_camera()
        cmds.delete("trembla_layer")
        check_animators_work("bake")

    def test_a_channel_driven_by_another_node_is_refused_with_one_warning(self):
        driver = cmds.createNode("transform", name="rig", skipSelect=True)
        cmds.connectAttr(driver + ".translateY", CAMERA + ".translateY")
        self.prepare("static")
        self.assertFalse(tt._prepared["ready"])
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn(CAMERA + ".translateY (driven by rig.translateY)", standin.warnings[0])
        self.assertEqual(cmds.listConnections(CAMERA + ".translateY", s=True, d=False, p=True), ["rig.translateY"])
        self.assertFalse(cmds.objExists(shake_curve("translateX")))


class FoundAgainTest(OwnAnimationCase):
    def shaken_ty(self):
        return cmds.keyframe(shake_curve("translateY"), q=True, vc=True)

    def new_window(self):
        tt.reset_state()
        self.window = tt.show()
        self.name_camera_and_source()

    def test_preparing_again_from_a_new_window_or_after_a_bake_does_not_double_the_shake(self):
        for between in ("new window", "bake"):
            self.prepare("static")
            first = self.shaken_ty()
            if between == "bake":
                self.window._bake_to_layer()
            else:
                self.new_window()
            self.prepare("static")
            self.assertEqual(self.shaken_ty(), first, between)
            self.window._reset_camera()
            self.assert_own_animation_back()
            if between == "bake":
                cmds.delete("trembla_layer")

    def test_reset_after_save_and_reopen_takes_the_shake_off_exactly(self):
        self.prepare("animated")
        path = os.path.join(tempfile.mkdtemp(), "shot.ma")
        cmds.file(rename=path)
        cmds.file(save=True)
        cmds.file(new=True, force=True)
        cmds.file(path, open=True, force=True)
        self.new_window()
        self.window._reset_camera()
        self.assert_own_animation_back()
        self.assertEqual(cmds.getAttr(CAMERA + "." + "translateY"), STILL["translateY"])
        self.assertTrue(cmds.objExists(SOURCE))


# Every tangent type and infinity the host documents, on own keys before, inside and after the
# range (20-80); the times outside it are whole and half frames, beyond the keys too (infinity).
TANGENTS = [("spline", {}), ("linear", {}), ("flat", {}), ("step", {}), ("stepnext", {}), ("clamped", {}),
            ("plateau", {}), ("auto", {}), ("fixed", {"ia": 30.0, "oa": -15.0})]
INFINITIES = ("constant", "linear", "cycle", "cycleRelative", "oscillate")
MOVE_KEYS = {"translateX": [(-10, 0.1), (5, 1.5), (30, 2.0), (50, -1.0), (100, 0.75), (130, 3.0)],
             "rotateY": [(12, 20.0), (60, 45.0), (95, -30.0)]}
OUTSIDE_TIMES = (-40.5, -10, 1, 10.5, 18, 19, 19.5, 80.5, 81, 84.5, 100.5, 129, 150, 150.5, 300.5)


class OutsideTheRangeTest(MainPathCase):
    def setUp(self):
        MainPathCase.setUp(self)
        cmds.playbackOptions(min=20, max=80)

    def keyed_camera(self, tangent, flags, infinity):
        cmds.delete(CAMERA)
        cmds.createNode("camera", name=CAMERA + "Shape", skipSelect=True)
        for channel, keys in MOVE_KEYS.items():
            for time, value in keys:
                cmds.setKeyframe(CAMERA, attribute=channel, time=time, value=value)
            curve = own_curve(channel)
            if tangent == "fixed":
                cmds.keyTangent(curve, edit=True, **flags)
            else:
                cmds.keyTangent(curve, edit=True, itt="auto" if tangent == "stepnext" else tangent, ott=tangent)
            cmds.setInfinity(curve, pri=infinity, poi=infinity)

    def outside(self):
        return [[cmds.getAttr("%s.%s" % (CAMERA, channel), time=t) for t in OUTSIDE_TIMES] for channel in MOVE_KEYS]

    def test_outside_the_range_the_live_camera_moves_exactly_as_its_own_curves(self):
        for (tangent, flags), infinity in [(t, i) for t in TANGENTS for i in INFINITIES]:
            self.keyed_camera(tangent, flags, infinity)
            before = self.outside()
            curves = [own_curve(channel) for channel in MOVE_KEYS]
            for mode in ("static", "animated", "relax"):
                self.prepare(mode)
                self.assertTrue(tt._prepared["ready"], (tangent, infinity, mode))
                self.window.amount_slider.setValue(150)  # an update keys it again
                self.assertEqual(self.outside(), before, (tangent, infinity, mode))
                self.window._reset_camera()
                self.assertEqual([own_curve(channel) for channel in MOVE_KEYS], curves, (tangent, infinity, mode))
                self.assertEqual(self.outside(), before, (tangent, infinity, mode))


def outside_look(curve):
    """The keys of a curve outside the playback range (20-80), each with its tangents, and the
    curve's weighting and infinity."""
    times = [t for t in cmds.keyframe(curve, q=True, tc=True) if t < 20 or t > 80]
    tangents = [[cmds.keyTangent(curve, q=True, time=(t, t), **{flag: True}) for flag in TANGENT_FLAGS] for t in times]
    return (times, tangents, cmds.keyTangent(curve, q=True, wt=True), cmds.setInfinity(curve, q=True, pri=True),
            cmds.setInfinity(curve, q=True, poi=True))


def curve_value(curve, time):
    return cmds.keyframe(curve, q=True, time=(time, time), eval=True)[0]


# The commands that key or take off the shake curves, each after keys the animator set on the
# shaken camera.
CARRYING_COMMANDS = [
    ("update", lambda t: t.window.amount_slider.setValue(120)),
    ("mode change", lambda t: t.set_mode("animated")),
    ("prepare again", lambda t: t.window._prepare_shake()),
    ("reset", lambda t: t.window._reset_camera()),
    ("bake", lambda t: (t.window._bake_to_layer(), cmds.delete("trembla_layer"))),
]
# channel, time, how far the animator moves the shaken camera there; frame 10 lies outside the
# range, where the shake curve carries the own keys; translateY had no curve of its own.
ANIMATOR_KEYS = [("translateX", 25, 0.5), ("translateX", 10, 0.25), ("translateY", 36, -0.75)]


class AnimatorKeysTest(OwnAnimationCase):
    def test_the_own_curves_keep_driving_through_the_blend_untouched(self):
        for mode in ("static", "animated", "relax"):
            self.prepare(mode)
            self.window.amount_slider.setValue(120)
            for channel, curve in self.curves.items():
                self.assertEqual(own_curve(channel), curve, (mode, channel))
                self.assertEqual(curve_shape(curve), self.shapes[channel], (mode, channel))
            self.window._reset_camera()

    def test_keys_set_on_the_shaken_camera_go_into_its_own_curves_minus_the_shake(self):
        # The host keys the own curve below the blend, resolved: the own animation moves by as much
        # as the animator moved the shaken camera there.
        for (name, command), session in [(c, s) for s in ("same session", "new session") for c in CARRYING_COMMANDS]:
            name = "%s, %s" % (name, session)
            self.setUp()
            self.prepare("static")
            record = self.record()
            if session == "new session":  # taken up by a new window before the animator keys
                tt.reset_state()
                self.window = tt.show()
            expected = {}
            for channel, time, move in ANIMATOR_KEYS:
                k = CHANNELS.index(channel)
                shown = cmds.getAttr("%s.%s" % (CAMERA, channel), time=time)
                own = (curve_value(self.curves[channel], time) if channel in self.curves
                       else record["camera_base"][k])
                cmds.setKeyframe(CAMERA, attribute=channel, time=time, value=shown + move)
                expected[channel, time] = own + move
            command(self)
            for (channel, time), value in expected.items():
                own = self.curves.get(channel, "%s_%s" % (CAMERA, channel))
                self.assertIn(time, cmds.keyframe(own, q=True, tc=True), (name, channel))
                self.assertAlmostEqual(curve_value(own, time), value, places=9, msg=(name, channel, time))
            if tt._prepared["ready"]:  # the shake goes on top of the new keys
                self.assertAlmostEqual(tt._prepared["camera_original_anim"]["translateX"][5], expected["translateX", 25],
                                       places=9, msg=name)
            else:
                self.assertEqual(own_curve("translateY"), "%s_translateY" % CAMERA, name)
            kept = [line for line in self.stdout.lines() if "own animation" in line and "kept" in line]
            if session == "same session":  # a window taking the shake up finds them in place already
                self.assertEqual(len(kept), 1, (name, kept))
                self.assertIn("translateX frames 10, 25; translateY frame 36", kept[0], name)
            self.window.close()


    def test_a_channel_taken_from_the_shake_stays_as_taken_and_its_own_curve_stays_in_the_scene(self):
        # Whatever drives a shaken channel instead of the shake's blend (the user, or a host that
        # answers a key there with a curve of its own) is left as it is by reset, bake and Prepare.
        for name, command in [c for c in CARRYING_COMMANDS if c[0] in ("prepare again", "reset", "bake")]:
            self.setUp()
            self.prepare("static")
            taken = cmds.createNode("animCurveTL", name="takenTX", skipSelect=True)
            cmds.setKeyframe(taken, time=30, value=4.0)
            cmds.connectAttr(taken + ".output", CAMERA + ".translateX", force=True)
            del standin.warnings[:]
            command(self)
            self.assertEqual(own_curve("translateX"), taken, name)
            self.assertTrue(cmds.objExists(self.curves["translateX"]), name)
            self.assertEqual(curve_shape(self.curves["translateX"]), self.shapes["translateX"], name)
            self.assertEqual(len([w for w in standin.warnings if "no longer driven by the shake" in w]), 1,
                             (name, standin.warnings))
            self.window.close()


def keyed_as_version_2(times_inside):
    """The live shake as the tool keyed it before the blends, built with host commands from the
    live shake of today: each channel driven by a shake curve holding the shaken values inside the
    range and a copy of the own curve's keys, tangents and infinity outside it; the own curve
    driving nothing, kept by its link; a note of version 2."""
    shaken = dict((c, [cmds.getAttr("%s.%s" % (CAMERA, c), time=t) for t in times_inside]) for c in CHANNELS)
    for k, channel in enumerate(CHANNELS):
        offset = shake_curve(channel)
        own = cmds.listConnections(offset + "_add.inputA", source=True, destination=False)
        cmds.delete(offset)
        curve = cmds.createNode("animCurveTL" if k < 3 else "animCurveTA", name=offset, skipSelect=True)
        for time, value in zip(times_inside, shaken[channel]):
            cmds.setKeyframe(curve, time=time, value=value)
        if own:
            cmds.disconnectAttr(own[0] + ".output", offset + "_add.inputA")
            cmds.keyTangent(curve, edit=True, weightedTangents=cmds.keyTangent(own[0], q=True, wt=True)[0])
            for time in cmds.keyframe(own[0], q=True, tc=True):
                if times_inside[0] <= time <= times_inside[-1]:
                    continue
                cmds.setKeyframe(curve, time=time, value=curve_value(own[0], time))
                flags = dict((f, cmds.keyTangent(own[0], q=True, time=(time, time), **{f: True})[0])
                             for f in TANGENT_FLAGS)
                cmds.keyTangent(curve, edit=True, time=(time, time), **flags)
            cmds.setInfinity(curve, pri=cmds.setInfinity(own[0], q=True, pri=True)[0],
                             poi=cmds.setInfinity(own[0], q=True, poi=True)[0])
        cmds.delete(offset + "_add")
        cmds.connectAttr(curve + ".output", "%s.%s" % (CAMERA, channel), force=True)
        cmds.connectAttr(curve + ".message", "%s.tremblaShakeCurves[%d]" % (CAMERA, k), force=True)
    cmds.deleteAttr(CAMERA + ".tremblaShakeBlends")
    lines = [l for l in cmds.getAttr(CAMERA + ".tremblaShake").split("\n")[1:-1]
             if not l.startswith(("blend ", "end "))]
    lines = ["trembla-applied 2"] + lines
    cmds.setAttr(CAMERA + ".tremblaShake", "\n".join(lines + ["end %d" % len(lines)]) + "\n", type="string")
    return shaken


class SavedBeforeTheBlendsTest(OwnAnimationCase):
    def test_a_shake_keyed_before_the_blends_is_taken_up_reset_and_updated_exactly(self):
        inside = list(range(20, 81))
        outside = (-10.5, 1, 10.5, 19.5, 80.5, 100.5, 130.5)
        for then in ("reset", "update"):
            self.setUp()
            own_moves = [[cmds.getAttr("%s.%s" % (CAMERA, c), time=t) for t in outside] for c in CHANNELS]
            self.prepare("animated")
            self.window.amount_slider.setValue(120)
            updated = [[cmds.getAttr("%s.%s" % (CAMERA, c), time=t) for t in inside] for c in CHANNELS]
            self.window.amount_slider.setValue(SETTINGS["amount"])
            shaken = keyed_as_version_2(inside)
            tt.reset_state()
            self.window = tt.show()
            self.assertTrue(self.window.reset_btn.isEnabled(), then)
            self.assertEqual(self.window.amount_slider.value(), SETTINGS["amount"], then)
            for channel in CHANNELS:
                self.assertEqual([cmds.getAttr("%s.%s" % (CAMERA, channel), time=t) for t in inside],
                                 shaken[channel], then)
            if then == "update":  # keyed again through blends: its own curve drives outside the range
                self.window.amount_slider.setValue(120)
                for k, channel in enumerate(CHANNELS):
                    self.assertEqual(cmds.listConnections("%s.%s" % (CAMERA, channel), source=True),
                                     [shake_curve(channel) + "_add"], channel)
                    self.assert_values([cmds.getAttr("%s.%s" % (CAMERA, channel), time=t) for t in inside],
                                       updated[k], channel)
                    self.assertEqual([cmds.getAttr("%s.%s" % (CAMERA, channel), time=t) for t in outside],
                                     own_moves[k], channel)
            self.window._reset_camera()
            self.assert_own_animation_back()
            self.assertEqual([[cmds.getAttr("%s.%s" % (CAMERA, c), time=t) for t in outside] for c in CHANNELS],
                             own_moves, then)
