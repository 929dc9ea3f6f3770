"""What the tool applied to a camera is found from the camera through its links, never through a
name in the note: a crafted, cut, renamed or copied note touches nothing outside the tool's own
nodes, and the animator's own curves come back key for key where a shake was really applied."""
import support  # noqa: F401  (sys.path)

from maya import cmds  # noqa: E402

import maya.standin as standin  # noqa: E402
import trembla_tool as tt  # noqa: E402

from main_path.test_own_animation_kept import OwnAnimationCase, curve_shape, own_curve  # noqa: E402
from support.main_path import CAMERA, CHANNELS, SOURCE, keyed_as_earlier_versions, shake_curve  # noqa: E402

OTHER, PROP = "otherCam", "prop"
MUTED_LAYER, SOUNDING_LAYER = "animatorMuted", "animatorSounding"
NOTE = ".tremblaShake"
HELD, REFUSED = "held", "refused"


def is_tools(node, also):
    return "_shake_" in node or node.startswith("trembla_layer") or node in also


def others_snapshot(with_camera, also_tools=(), also_driven=()):
    """Everything outside the tool's own nodes: every node and its type, every curve key for
    key, every layer's mute and members, what drives the other nodes' channels (and the
    camera's, when `with_camera`)."""
    standin.set_logging(False)
    try:
        nodes = [(n, cmds.nodeType(n)) for n in cmds.ls() if not is_tools(n, also_tools)]
        curves = [(c, curve_shape(c)) for c in cmds.ls(type="animCurve") if not is_tools(c, also_tools)]
        layers = [(l, cmds.animLayer(l, q=True, mute=True), cmds.animLayer(l, q=True, attribute=True))
                  for l in (MUTED_LAYER, SOUNDING_LAYER)]
        driven = [OTHER, PROP] + ([CAMERA] if with_camera else []) + list(also_driven)
        drivers = [cmds.listConnections("%s.%s" % (n, c), source=True, destination=False)
                   for n in driven for c in CHANNELS]
        return nodes, curves, layers, drivers
    finally:
        standin.set_logging(True)


def build_others():
    """Another camera with its own curve, a prop, an animator's muted layer and a sounding one."""
    cmds.createNode("transform", name=OTHER, skipSelect=True)
    cmds.createNode("camera", name=OTHER + "Shape", parent=OTHER, skipSelect=True)
    for time, value in ((20, 1.0), (80, 4.0)):
        cmds.setKeyframe(OTHER, attribute="translateX", time=time, value=value)
    cmds.createNode("locator", name=PROP + "Shape", skipSelect=True)
    for layer, channel in ((MUTED_LAYER, "translateY"), (SOUNDING_LAYER, "translateZ")):
        cmds.animLayer(layer)
        cmds.animLayer(layer, edit=True, attribute="%s.%s" % (OTHER, channel))
        cmds.setKeyframe(OTHER, attribute=channel, time=20, value=2.0, animLayer=layer)
    cmds.animLayer(MUTED_LAYER, edit=True, mute=True)


# -- the note's text, edited as a line-by-line text -----------------------------------------

def lines_of(text):
    return text.split("\n")[:-1]


def as_version(lines, version):
    """The note's lines as a note of `version`: versions 2 and 3 count their lines in their end
    line; only version 3 names blends."""
    body = [l for l in lines[1:] if not l.startswith("end ") and (version == 3 or not l.startswith("blend "))]
    if version == 1:
        return "\n".join(["trembla-applied 1"] + body) + "\n"
    body = ["trembla-applied %d" % version] + body
    return "\n".join(body + ["end %d" % len(body)]) + "\n"


def shake_named(channel, name):
    return lambda lines: [("shake %s %s" % (channel, name)) if l.startswith("shake %s " % channel) else l
                          for l in lines]


def own_named(channel, name):
    return lambda lines: [("own %s %s" % (channel, name)) if l.startswith("own %s " % channel) else l
                          for l in lines]


def added(line):
    return lambda lines: lines[:2] + [line] + lines[2:]


def range_of(start, end):
    return lambda lines: [("range %d %d" % (start, end)) if l.startswith("range ") else l for l in lines]


def source_of(name):
    return lambda lines: [("source " + name) if l.startswith("source ") else l for l in lines]


def unchanged(lines):
    return lines


def without_links(_):
    """As today's main leaves a shaken camera: no shake or layer links yet."""
    for attribute in ("tremblaShakeCurves", "tremblaLayers", "tremblaMutedLayers"):
        if cmds.attributeQuery(attribute, node=CAMERA, exists=True):
            cmds.deleteAttr(CAMERA + "." + attribute)


def own_links_as_text(_):
    cmds.deleteAttr(CAMERA + ".tremblaOwnCurves")
    cmds.addAttr(CAMERA, longName="tremblaOwnCurves", dataType="string")


def note_as_links(_):
    cmds.deleteAttr(CAMERA + NOTE)
    cmds.addAttr(CAMERA, longName="tremblaShake", attributeType="message", multi=True)


# (what, note version, edit of its lines, edit of the scene, then: Reset or Prepare, outcome).
# A version 1 note must agree with the scene; in a note of version 2 or 3 the names are hints only.
CASES = []
for _version in (1, 2, 3):
    _agreeing = HELD if _version >= 2 else REFUSED
    CASES += [
        ("today's note", _version, unchanged, without_links if _version == 1 else None, "reset", HELD),
        ("shake names another camera", _version, shake_named("translateX", OTHER), None, "reset", _agreeing),
        ("shake names its curve", _version, shake_named("translateX", OTHER + "_translateX"), None, "reset",
         _agreeing),
        ("shake names the source", _version, shake_named("rotateY", SOURCE), None, "reset", _agreeing),
        ("shake names the camera's shape", _version, shake_named("translateZ", CAMERA + "Shape"), None, "reset",
         _agreeing),
        ("shake names an animator's layer", _version, shake_named("translateX", MUTED_LAYER), None, "reset",
         _agreeing),
        ("shake names a prop", _version, shake_named("translateX", PROP), None, "reset", _agreeing),
        ("own names a prop", _version, own_named("translateX", PROP), None, "reset", HELD),
        ("muted names an animator's muted layer", _version, added("muted " + MUTED_LAYER), None, "reset", HELD),
        ("layer names an animator's layer", _version, added("layer " + SOUNDING_LAYER), None, "prepare", HELD),
        ("range far past the keys", _version, range_of(20, 2000000), None, "reset", REFUSED),
        ("range past the frame limits", _version, range_of(20, 2000000000), None, "reset", REFUSED),
        ("huge source name", _version, source_of("s" * (2 << 20)), None, "reset", REFUSED),
        ("own links made a text", _version, unchanged, own_links_as_text, "reset", REFUSED),
        ("the note made links", _version, unchanged, note_as_links, "reset", REFUSED),
    ]
CASES.append(("a number for a note", 2, unchanged, lambda _: cmds.setAttr(CAMERA + NOTE, "42", type="string"),
              "reset", REFUSED))


class NodesByLinkTest(OwnAnimationCase):
    def setUp(self):
        OwnAnimationCase.setUp(self)
        build_others()

    def fresh_window(self, camera=""):
        tt.reset_state()
        self.window = tt.show()
        if camera:
            self.window.camera_field.setText(camera)

    def assert_said_once_naming(self, camera, start, what=""):
        said = [w for w in standin.warnings if w.startswith(start)]
        self.assertEqual(len(said), 1, "%s %s" % (what, list(standin.warnings)))
        self.assertIn(camera, said[0])
        self.assertLess(len(said[0]), 400)

    def test_a_crafted_note_touches_nothing_outside_the_tools_nodes(self):
        for what, version, edit_note, edit_scene, then, outcome in CASES:
            what = "%s (version %d)" % (what, version)
            self.setUp()
            self.prepare("animated")
            if version < 3:
                keyed_as_earlier_versions()
            text = as_version(edit_note(lines_of(cmds.getAttr(CAMERA + NOTE))), version)
            cmds.setAttr(CAMERA + NOTE, text, type="string")
            if edit_scene is not None:
                edit_scene(None)
            before = others_snapshot(outcome == REFUSED)
            del standin.warnings[:]
            self.fresh_window()
            self.assertEqual(self.window.reset_btn.isEnabled(), outcome == HELD, what)
            if outcome == REFUSED:
                self.window.camera_field.setText(CAMERA)
                self.window._reset_camera()
                self.assert_said_once_naming(CAMERA, "Cannot reset " + CAMERA + ": ", what)
                self.assertEqual(others_snapshot(True), before, what)
                continue
            if then == "prepare":
                self.prepare("animated")
                self.assertFalse(cmds.animLayer(SOUNDING_LAYER, q=True, mute=True), what)
            self.window._reset_camera()
            self.assertEqual(others_snapshot(False), before, what)
            try:
                self.assert_own_animation_back()
            except AssertionError as error:
                raise AssertionError("%s: %s %s" % (what, error, list(standin.warnings)))

    def test_a_renamed_camera_curve_or_layer_is_still_the_one_reset_finds(self):
        renames = (("camera", lambda: CAMERA), ("own curve", lambda: self.curves["rotateY"]),
                   ("shake curve", lambda: shake_curve("translateX")), ("baked layer", lambda: "trembla_layer"))
        for what, node in renames:
            for window in ("fresh", "same"):
                self.setUp()
                if what == "baked layer":
                    self.prepare("animated")
                    self.window._bake_to_layer()
                self.prepare("animated")
                if what == "baked layer":
                    self.assertTrue(cmds.animLayer("trembla_layer", q=True, mute=True))
                renamed = cmds.rename(node(), "renamed_by_hand")
                if what == "own curve":
                    self.curves["rotateY"] = renamed
                ours = (renamed,) if what == "shake curve" else ()
                before = others_snapshot(False, ours)
                camera = renamed if what == "camera" else CAMERA
                if window == "fresh":
                    self.fresh_window()
                    self.assertTrue(self.window.reset_btn.isEnabled(), (what, window))
                self.window.camera_field.setText(camera)
                del standin.warnings[:]
                self.window._reset_camera()
                self.assertEqual(list(standin.warnings), [], (what, window))
                self.assertFalse(tt._prepared["ready"], (what, window))
                self.assertEqual(others_snapshot(False, ours), before, (what, window))
                if what == "camera":
                    cmds.rename(camera, CAMERA)
                if what == "baked layer":
                    self.assertFalse(cmds.animLayer(renamed, q=True, mute=True), (what, window))
                    cmds.delete(renamed)
                self.assert_own_animation_back()

    def test_a_duplicated_camera_carries_no_shake_and_says_so_once(self):
        self.prepare("animated")
        copy = cmds.duplicate(CAMERA)[0]
        self.assertEqual(cmds.getAttr(copy + NOTE), cmds.getAttr(CAMERA + NOTE))  # the note is copied
        del standin.warnings[:]
        self.fresh_window()  # the original's shake is taken up; the copy's note is told of once
        self.assertEqual(self.window.camera_field.text(), CAMERA)
        self.assert_said_once_naming(copy, copy + ": its note belongs to another camera")
        self.window._reset_camera()
        self.assert_own_animation_back()
        # The copy alone still notes a live shake: not taken up, and Reset on it touches nothing.
        before = others_snapshot(True, also_driven=[copy])
        del standin.warnings[:]
        self.fresh_window(copy)
        self.assertFalse(self.window.reset_btn.isEnabled())
        self.window._reset_camera()
        self.assert_said_once_naming(copy, "Cannot reset " + copy + ": its note belongs to another camera")
        self.assertEqual(others_snapshot(True, also_driven=[copy]), before)

    def test_a_note_cut_at_any_line_or_inside_it_is_not_taken_up_and_changes_nothing(self):
        self.prepare("animated")
        text = cmds.getAttr(CAMERA + NOTE)
        before = others_snapshot(True)
        cuts = sorted(set([i for i, c in enumerate(text) if c == "\n"] +
                          [i + 3 for i, c in enumerate(text) if c == "\n"]))
        for cut in [c for c in cuts if c < len(text) - 1]:
            cmds.setAttr(CAMERA + NOTE, text[:cut], type="string")
            del standin.warnings[:]
            self.fresh_window(CAMERA)
            self.assertFalse(self.window.reset_btn.isEnabled(), cut)
            self.window._reset_camera()
            self.assertEqual(others_snapshot(True), before, cut)
        cmds.setAttr(CAMERA + NOTE, text, type="string")
        self.fresh_window()
        self.window._reset_camera()
        self.assert_own_animation_back()

    def test_a_step_that_cannot_finish_says_why_in_one_line_and_changes_nothing(self):
        self.prepare("animated")
        cmds.delete(CAMERA)
        del standin.warnings[:]
        self.window.amount_slider.setValue(90)
        self.window._bake_to_layer()
        self.window._reset_camera()
        self.assertEqual(len(standin.warnings), 3, list(standin.warnings))
        for warning in standin.warnings:
            self.assertIn("Camera %s no longer exists" % CAMERA, warning.replace("camera", "Camera"))
        self.assertNotIn("Traceback", self.stderr.text())
        self.assertFalse(cmds.ls(type="animLayer") and cmds.objExists("trembla_layer"))
