"""The in-memory scene: nodes, animation curves, animation layers, selection, time.

Names: a DAG node's name is unique among its siblings only, so two nodes may share a short name
under different parents; a "grp|cam" path then tells them apart, and the commands answer such a
node by its shortest unique path ("Paths to nodes": "If two objects in a scene have different
parents, they're permitted to have the same name", https://help.autodesk.com/cloudhelp/2015/ENU/
MayaLT/files/Attributes_Getting_and_setting_attributes.htm). Other nodes (curves, layers) have
scene-wide unique names. A name that is taken gets a number, as Maya's createNode does. Channel
values are plain floats (rotateOrder an int 0-5) in the host's internal units: translations and
linear curves in centimetres, rotations and angular curves in radians (_units.py); the commands
convert at their edge.
"""
from __future__ import absolute_import, division

import math
import re
from bisect import bisect_left

from . import _curve_eval, _math, _units
from ._undo import journal

try:  # Python 2: the host answers names as unicode, as Maya 2.7 does
    text_type = unicode  # noqa: F821
    string_types = basestring  # noqa: F821
except NameError:
    text_type = str
    string_types = str


TRANSLATE = ("translateX", "translateY", "translateZ")
ROTATE = ("rotateX", "rotateY", "rotateZ")
SCALE = ("scaleX", "scaleY", "scaleZ")
TRANSFORM_CHANNELS = TRANSLATE + ROTATE + SCALE

# What setKeyframe keys when no attribute is named.
KEYABLE = {"transform": TRANSFORM_CHANNELS + ("visibility",)}

ALIASES = {
    "tx": "translateX", "ty": "translateY", "tz": "translateZ",
    "rx": "rotateX", "ry": "rotateY", "rz": "rotateZ",
    "sx": "scaleX", "sy": "scaleY", "sz": "scaleZ",
    "v": "visibility", "fl": "focalLength", "o": "output", "ro": "rotateOrder",
    "t": "translate", "r": "rotate", "s": "scale",
}
COMPOUNDS = {"translate": TRANSLATE, "rotate": ROTATE, "scale": SCALE}

# type -> the types an ls/listRelatives type filter matches it by
TYPE_FAMILY = {
    "transform": ("transform", "dagNode"),
    "camera": ("camera", "shape", "dagNode"),
    "locator": ("locator", "shape", "dagNode"),
    "animCurveTL": ("animCurveTL", "animCurve"),
    "animCurveTA": ("animCurveTA", "animCurve"),
    "animCurveTU": ("animCurveTU", "animCurve"),
    "animLayer": ("animLayer", "objectSet"),
    "animBlendNodeAdditiveDL": ("animBlendNodeAdditiveDL", "animBlendNodeBase"),
    "animBlendNodeAdditiveDA": ("animBlendNodeAdditiveDA", "animBlendNodeBase"),
    "animBlendNodeAdditive": ("animBlendNodeAdditive", "animBlendNodeBase"),
    "animBlendNodeAdditiveRotation": ("animBlendNodeAdditiveRotation", "animBlendNodeBase"),
}
SHAPE_DEFAULTS = {
    "camera": {"visibility": True, "focalLength": 35.0},
    "locator": {"visibility": True},
}
CURVE_TYPES = ("animCurveTL", "animCurveTA", "animCurveTU")

# A key's tangents where nothing set them: the host's default types, "auto" (_curve_eval.py cites
# the preference), weight 1. The angle matters only to a "fixed" tangent; every other type
# computes its own (_curve_eval.angle answers it).
DEFAULT_TANGENT = {"inTangentType": "auto", "outTangentType": "auto", "inAngle": 0.0,
                   "outAngle": 0.0, "inWeight": 1.0, "outWeight": 1.0}
INFINITY_TYPES = ("constant", "linear", "cycle", "cycleRelative", "oscillate")

_DEFAULT_CAMERAS = (  # Maya's startup cameras: name, translate, rotate
    ("persp", (28.0, 21.0, 28.0), (-27.938352729602379, 44.999999999999972, 0.0)),
    ("top", (0.0, 1000.1, 0.0), (-90.0, 0.0, 0.0)),
    ("front", (0.0, 0.0, 1000.1), (0.0, 0.0, 0.0)),
    ("side", (1000.1, 0.0, 0.0), (0.0, 90.0, 0.0)),
)


def curve_type_for(attr):
    if attr.startswith("translate"):
        return "animCurveTL"
    if attr.startswith("rotate"):
        return "animCurveTA"
    return "animCurveTU"


class Node(object):
    __slots__ = ("name", "type", "order", "locked")

    def __init__(self, name, node_type):
        self.name = name
        self.type = node_type
        self.order = 0
        self.locked = False  # lockNode (see _locks.py)


class DagNode(Node):
    """A transform or a shape. `inputs` maps a channel to what drives it: an animation curve, or
    a PlugLink to another node's plug (a constraint, an expression, a layer's blend node)."""
    __slots__ = ("parent", "children", "attrs", "inputs", "dynamic", "locked_attrs")

    def __init__(self, name, node_type, attrs):
        Node.__init__(self, name, node_type)
        self.parent = None
        self.children = []
        self.attrs = attrs
        self.inputs = {}
        self.dynamic = {}  # attributes addAttr added: name -> data type ("string")
        self.locked_attrs = frozenset()  # setAttr(plug, lock=True) (see _locks.py)


class DependNode(DagNode):
    """A dependency node outside the DAG (never parented) whose plugs are set, queried, keyed and
    connected as a DAG node's channels are: the stand-in reuses that machinery for them."""
    __slots__ = ()


# The blend node a layer puts on a channel, by the channel's kind: "Performs a weighted sum of its
# inputs to compute the output. output = input a * weight a + input b * weight b"; DL takes
# distances, DA angles, the plain one doubles (animBlendNodeAdditiveDL / DA / animBlendNodeAdditive
# node references, https://help.autodesk.com/cloudhelp/2027/ENU/Maya-Tech-Docs/Nodes/
# animBlendNodeAdditiveDL.html). A transform's rotation goes through one node for its three
# channels, as the host blends it: animBlendNodeAdditiveRotation, whose inputA and inputB are
# compounds of X, Y and Z angles (inputAX ... inputBZ) and whose output is one angle per axis
# (outputX, outputY, outputZ; animBlendNodeAdditiveRotation node reference, https://
# help.autodesk.com/cloudhelp/2027/ENU/Maya-Tech-Docs/Nodes/animBlendNodeAdditiveRotation.html).
BLEND_TYPES = {"animCurveTL": "animBlendNodeAdditiveDL", "animCurveTA": "animBlendNodeAdditiveRotation",
               "animCurveTU": "animBlendNodeAdditive"}
ROTATION_BLEND = "animBlendNodeAdditiveRotation"
BLEND_KINDS = {"animBlendNodeAdditiveDL": "linear", "animBlendNodeAdditiveDA": "angle",
               ROTATION_BLEND: "angle"}


def blend_plug(blend, role, attr):
    """The plug of `blend` in `role` ("inputA", "inputB", "output") for the channel `attr`: the
    role itself, or on a rotation node the role with the channel's axis (rotateY -> inputAY)."""
    return role + attr[-1] if blend.type == ROTATION_BLEND else role


def blend_role(attr):
    """"inputA" for "inputA" or "inputAX": a blend plug's role without its axis."""
    return attr[:-1] if attr[-1:] in ("X", "Y", "Z") else attr


class AnimBlend(DependNode):
    """One layer's blend on one channel: inputA carries the layers below (the base curve, or the
    blend of the layer below), inputB the layer's own curve, output drives the channel (or the
    inputA of the blend of the layer above). Plugs hold internal units, as channels do.

    A blend node made by createNode belongs to no layer (`layer` None): it is the plain weighted
    sum its node reference gives, "output = input a * weight a + input b * weight b", with its
    weightA and weightB plugs at their default of 1 (animBlendNodeAdditiveDL / DA node references,
    see BLEND_TYPES)."""
    __slots__ = ("layer",)

    def __init__(self, name, node_type, layer):
        axes = ("X", "Y", "Z") if node_type == ROTATION_BLEND else ("",)
        attrs = dict((role + axis, 0.0) for role in ("inputA", "inputB", "output") for axis in axes)
        if layer is None:
            attrs.update(weightA=1.0, weightB=1.0)
        DependNode.__init__(self, name, node_type, attrs)
        self.layer = layer


class AnimCurve(Node):
    """Keys as two aligned lists sorted by time, evaluated with their tangents and infinity as
    the host does (_curve_eval.py).

    Tangents: every key has an in and an out tangent type, angle and weight ("Tangents help to
    control the shape of animation curves ... Tangent angles specify the direction the curve takes
    as it enters (or leaves) a key. Tangent weights specify how much influence the tangent angle
    has on the curve", keyTangent reference, https://docs.huihoo.com/autodesk/maya/2017/english/
    CommandsPython/keyTangent.html). `tangents` maps a key's time to its own settings; a key with no
    entry has the host's defaults (DEFAULT_TANGENT). `weighted` is the curve's weightedTangents
    state. Infinity: the type before the first key and after the last ("constant", "linear",
    "cycle", "cycleRelative", "oscillate"; setInfinity reference, https://docs.huihoo.com/autodesk/
    maya/2017/english/CommandsPython/setInfinity.html), "constant" on a new curve."""
    __slots__ = ("times", "values", "outputs", "layer", "tangents", "weighted", "pre_infinity",
                 "post_infinity")

    def __init__(self, name, node_type):
        Node.__init__(self, name, node_type)
        self.times = []
        self.values = []
        self.outputs = []  # (DagNode, channel) pairs this curve drives as a base curve
        self.layer = None  # (AnimLayer, DagNode, channel) when the curve belongs to a layer
        self.tangents = {}  # time -> dict of the settings changed from DEFAULT_TANGENT
        self.weighted = False
        self.pre_infinity = "constant"
        self.post_infinity = "constant"

    def tangent(self, time):
        """The tangent settings of the key at `time`, defaults filled in."""
        found = dict(DEFAULT_TANGENT)
        found.update(self.tangents.get(time, {}))
        return found

    def key_for_key(self):
        """Everything that makes the curve what it is, comparable with ==: keys with their
        tangents as keyTangent answers them, weighting and infinity."""
        keys = [(t, v, sorted(_curve_eval.key_tangent(self, i).items()))
                for i, (t, v) in enumerate(zip(self.times, self.values))]
        return (self.type, keys, self.weighted, self.pre_infinity, self.post_infinity)

    def set_key(self, time, value, in_type=None, out_type=None):
        """Key `value` at `time`. A new key takes the tangent types given, else the host's
        default ones (keyTangent -global, _curve_eval.global_tangents); a key already there keeps
        its tangents unless types are given."""
        times = self.times
        i = bisect_left(times, time)
        new = i == len(times) or times[i] != time
        if new:
            in_type = in_type or _curve_eval.global_tangents.in_type
            out_type = out_type or _curve_eval.global_tangents.out_type
        types = {}
        if in_type is not None and (not new or in_type != DEFAULT_TANGENT["inTangentType"]):
            types["inTangentType"] = in_type
        if out_type is not None and (not new or out_type != DEFAULT_TANGENT["outTangentType"]):
            types["outTangentType"] = out_type
        if new:
            # A key's tangents are read only while it exists, so those of a new key need no undo
            # of their own: undone, the key goes; redone, it finds them again.
            journal.key_changing(self, time)
            if types:
                self.tangents[time] = types
            else:
                self.tangents.pop(time, None)
            times.insert(i, time)
            self.values.insert(i, value)
            return
        if types:
            journal.node_changing(self)  # the key's tangents change too: the whole curve
            settings = dict(self.tangents.get(time, {}))  # a new dict: undo keeps the old
            settings.update(types)
            self.tangents[time] = settings
        else:
            journal.key_changing(self, time)
        self.values[i] = value

    def evaluate(self, time):
        """The value at `time`, or None when the curve has no keys."""
        return _curve_eval.evaluate(self, time)

    def output(self, time):
        """What the curve's output plug carries: an empty curve puts out 0."""
        value = self.evaluate(time)
        return 0.0 if value is None else value


class PlugLink(object):
    """A channel driven by another DAG node's channel (not an animation curve): what a
    constraint's or an expression's output is to the channel it drives."""
    __slots__ = ("scene", "node", "attr", "outputs")

    def __init__(self, scene, node, attr):
        self.scene = scene
        self.node = node
        self.attr = attr
        self.outputs = []

    def output(self, time):
        return self.scene.value(self.node, self.attr, time)

    def plug_name(self, scene):
        return "%s.%s" % (scene.path_name(self.node), self.attr)


def _curve_plug_name(self, scene):
    return self.name + ".output"


AnimCurve.plug_name = _curve_plug_name


class AnimLayer(DependNode):
    """`members` maps (DagNode, channel) to the layer's curve for that channel, or None; `blends`
    maps it to the layer's blend node on that channel. The weight is a keyable plug ("weight
    (w) double 1.0 ... keyable", animLayer node reference, https://help.autodesk.com/cloudhelp/
    2027/ENU/Maya-Tech-Docs/Nodes/animLayer.html): a curve may drive it."""
    __slots__ = ("override", "mute", "members", "blends", "selected", "preferred")

    def __init__(self, name, override):
        DependNode.__init__(self, name, "animLayer", {"weight": 1.0})
        self.override = override
        self.mute = False
        self.members = {}
        self.blends = {}
        self.selected = False
        self.preferred = False

    @property
    def weight(self):
        return self.attrs["weight"]

    @weight.setter
    def weight(self, value):
        self.attrs["weight"] = value


# An element of a multi message attribute addAttr added ("name[3]"): it holds a link from another
# node's .message plug, which carries no value ("Messaging attribute. For connecting without
# dataflow", the base node's attributes, https://docs.huihoo.com/autodesk/maya/2017/english/
# Nodes/node.html; addAttr -attributeType message -multi makes such an array, addAttr reference,
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/addAttr.html). The array is kept in node.attrs as {index: node}, replaced on each
# change (never changed in place), so that the undo journal's copy of attrs holds.
_ELEMENT = re.compile(r"^(\w+)\[(\d+)\]$")


def message_element(node, attr):
    """(array name, index) when `attr` names an element of a message array of `node`, else None."""
    found = _ELEMENT.match(attr)
    if found and isinstance(node, DagNode) and node.dynamic.get(found.group(1)) == "message":
        return found.group(1), int(found.group(2))
    return None


class AmbiguousName(ValueError):
    """A short name or partial path that more than one node answers to."""


class Scene(object):
    def __init__(self):
        self.clear()

    def clear(self):
        self.scene_name = ""  # the file the scene was last saved to or opened from
        self.nodes = {}  # creation number -> node
        self.by_name = {}  # short name -> nodes of that name
        self.selection = []
        self.layers = []
        self.referenced_nodes = []  # brought in by file references (_references.py)
        self.units = dict(_units.DEFAULTS)
        self.time = 1.0
        self.playback_min, self.playback_max = 1.0, 120.0
        self.animation_start, self.animation_end = 1.0, 200.0
        self._created = 0
        for name, translate, rotate in _DEFAULT_CAMERAS:
            transform = self.create_dag("transform", name, None)
            for attr, value in zip(TRANSLATE + ROTATE, translate + tuple(map(math.radians, rotate))):
                transform.attrs[attr] = value
            self.create_dag("camera", name + "Shape", transform)

    # -- names -------------------------------------------------------------------------------

    def find_all(self, name):
        """Every node a name or "|a|b" path answers to, in creation order."""
        if not isinstance(name, string_types):
            return []
        if "|" not in name:
            return list(self.by_name.get(name, ()))
        parts = name.split("|")
        return [node for node in self.by_name.get(parts[-1], ()) if _path_matches(node, parts)]

    def find(self, name):
        """The node called `name` (a "|a|b" path is checked against the parents), or None;
        AmbiguousName when several nodes answer to it, as Maya refuses to guess."""
        found = self.find_all(name)
        if len(found) > 1:
            raise AmbiguousName("More than one object matches name: %s" % (name,))
        return found[0] if found else None

    def path_name(self, node):
        """How the host names a node in its answers: the short name when it is unique, else the
        shortest partial DAG path that is ("grpA|cam")."""
        if not isinstance(node, DagNode) or len(self.by_name.get(node.name, ())) < 2:
            return node.name
        parts = [node.name]
        walk = node.parent
        while walk is not None:
            parts.insert(0, walk.name)
            candidate = "|".join(parts)
            if len(self.find_all(candidate)) == 1:
                return candidate
            walk = walk.parent
        return "|" + "|".join(parts)

    def _taken(self, name, dag, parent, newcomer=None):
        for node in self.by_name.get(name, ()):
            if node is newcomer:
                continue
            if not dag or not isinstance(node, DagNode) or node.parent is parent:
                return True
        return False

    def unique_name(self, wanted, dag=False, parent=None):
        """`wanted`, or it with the lowest free number: a DAG node's name must be free among its
        siblings (and of other nodes), any other node's in the whole scene."""
        wanted = text_type(wanted)
        if not self._taken(wanted, dag, parent):
            return wanted
        base = wanted.rstrip("0123456789")
        number = 1
        while self._taken(base + text_type(number), dag, parent):
            number += 1
        return base + text_type(number)

    def _add(self, node):
        journal.scene_changing(self)
        journal.node_changing(node)
        self._created += 1
        node.order = self._created
        self.nodes[node.order] = node
        self.by_name.setdefault(node.name, []).append(node)
        return node

    def _forget(self, node):
        journal.scene_changing(self)
        del self.nodes[node.order]
        named = self.by_name[node.name]
        named.remove(node)
        if not named:
            del self.by_name[node.name]

    def rename(self, node, name):
        journal.node_changing(node)
        self._forget(node)
        node.name = name
        self.nodes[node.order] = node
        self.by_name.setdefault(name, []).append(node)

    # -- creation ----------------------------------------------------------------------------

    def create_dag(self, node_type, name, parent):
        if node_type == "transform":
            attrs = dict.fromkeys(TRANSLATE + ROTATE, 0.0)
            attrs.update(dict.fromkeys(SCALE, 1.0))
            attrs["visibility"] = True
            attrs["rotateOrder"] = 0
        else:
            attrs = dict(SHAPE_DEFAULTS[node_type])
        node = self._add(DagNode(self.unique_name(name, True, parent), node_type, attrs))
        if parent is not None:
            journal.node_changing(parent)
            node.parent = parent
            parent.children.append(node)
        return node

    def create_curve(self, node_type, name):
        return self._add(AnimCurve(self.unique_name(name), node_type))

    def create_blend(self, node_type, name):
        """A blend node of no layer (createNode)."""
        return self._add(AnimBlend(self.unique_name(name), node_type, None))

    def create_layer(self, name, override):
        journal.scene_changing(self)
        if not self.layers and "BaseAnimation" not in self.by_name:
            self.layers.append(self._add(AnimLayer(text_type("BaseAnimation"), False)))
        layer = self._add(AnimLayer(self.unique_name(name), override))
        self.layers.append(layer)
        return layer

    # -- evaluation --------------------------------------------------------------------------

    def value(self, node, attr, time):
        """The plug's value at `time`: what drives it (a curve, a blend node...), else its own."""
        if isinstance(node, AnimBlend) and blend_role(attr) == "output":
            return self._blend_output(node, attr[len("output"):], time)
        curve = node.inputs.get(attr)
        return node.attrs[attr] if curve is None else curve.output(time)

    def _blend_output(self, blend, axis, time):
        """A layer's blend: an override layer goes from the layers below (inputA) towards its own
        curve by its weight, an additive layer adds its curve times its weight ("When in Override
        mode, an animation layer overrides the animation of any layer that ... precedes it in the
        stack"; "an animation layer 'adds' its animation to layers that precede it"; with
        Passthrough, "the Weight value determines" how much of the layers below remains; Animation
        layer modes, https://help.autodesk.com/cloudhelp/2027/ENU/Maya-Animation/files/
        GUID-BBCA0BC3-7608-4E86-8E9F-B4099C316156.htm). A muted layer adds nothing ("mute",
        animLayer reference, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
        animLayer.html). A layer holding no keys for the channel leaves the layers below as they
        are."""
        below = self.value(blend, "inputA" + axis, time)
        layer = blend.layer
        if layer is None:  # a blend node of no layer: the weighted sum (AnimBlend)
            return (below * self.value(blend, "weightA", time)
                    + self.value(blend, "inputB" + axis, time) * self.value(blend, "weightB", time))
        own = blend.inputs.get("inputB" + axis)
        if layer.mute or own is None or (isinstance(own, AnimCurve) and not own.times):
            return below
        weight = self.value(layer, "weight", time)
        layered = own.output(time)
        if layer.override:
            return layered if weight == 1.0 else below + (layered - below) * weight
        return below + layered * weight

    def values(self, node, attrs, time):
        """Several channels at once (the lean path for transform queries)."""
        inputs, static = node.inputs, node.attrs
        if not inputs:
            return [static[attr] for attr in attrs]
        found = []
        for attr in attrs:
            curve = inputs.get(attr)
            found.append(static[attr] if curve is None else curve.output(time))
        return found

    def local_transform(self, node, time):
        v = self.values(node, TRANSFORM_CHANNELS, time)
        rotate = [math.degrees(each) for each in v[3:6]]  # _math turns by degrees
        return _math.local_transform(v[0:3], rotate, v[6:9], node.attrs.get("rotateOrder", 0))

    def world_transform(self, node, time):
        """World transform of a DAG node; a shape takes its transform's."""
        world = _math.IDENTITY
        walk = node
        while walk is not None:
            if walk.type == "transform":
                world = _math.compose(world, self.local_transform(walk, time))
            walk = walk.parent
        return world

    def world_translation(self, node, time):
        """World position of a transform's origin: its translation carried through the parents
        (the node's own rotation and scale do not move its origin)."""
        point = self.values(node, TRANSLATE, time)
        walk = node.parent
        while walk is not None:
            if walk.type == "transform":
                point = _math.transform_point(point, self.local_transform(walk, time))
            walk = walk.parent
        return list(point)

    # -- connections and keys ----------------------------------------------------------------

    def connect(self, curve, node, attr):
        if node.inputs.get(attr) is curve:
            return
        journal.node_changing(node)
        journal.node_changing(curve)
        self.disconnect(node, attr, keep_value=False)
        node.inputs[attr] = curve
        curve.outputs.append((node, attr))

    def link_message(self, source, node, array, index):
        journal.node_changing(node)
        links = dict(node.attrs[array])
        if source is None:
            links.pop(index, None)
        else:
            links[index] = source
        node.attrs[array] = links

    def message_links_to(self, source):
        """(node, array, index) of every message array element that `source` is linked to."""
        found = []
        for node in self.nodes.values():
            for array, kind in getattr(node, "dynamic", {}).items():
                if kind == "message":
                    found.extend((node, array, i) for i, each in node.attrs[array].items() if each is source)
        return found

    def disconnect(self, node, attr, keep_value=True):
        """Detach the channel's curve; like Maya, the channel keeps the value it had."""
        if attr not in node.inputs:
            return None
        journal.node_changing(node)
        curve = node.inputs.pop(attr)
        journal.node_changing(curve)
        if keep_value:
            node.attrs[attr] = curve.output(self.time)
        curve.outputs.remove((node, attr))
        return curve

    def key_channel(self, node, attr, time, value, layer=None, in_type=None, out_type=None):
        """Key a channel at `time`, making and connecting its curve when it has none. Without a
        layer of its own the key goes to the base animation: the curve at the bottom of the
        channel's blend chain (see add_to_layer)."""
        if layer is not None and (node, attr) in layer.members:
            curve = layer.members[(node, attr)]
            if curve is None:
                blend = layer.blends[(node, attr)]
                own_plug = blend_plug(blend, "inputB", attr)
                curve = self.create_curve(curve_type_for(attr), blend.name + "_" + own_plug)
                journal.node_changing(layer)
                curve.layer = (layer, node, attr)
                layer.members[(node, attr)] = curve
                self.connect(curve, blend, own_plug)
        else:
            channel_node, channel = node, attr
            value = self.resolved_value(node, attr, time, value)
            node, attr = self.base_plug(node, attr)
            curve = node.inputs.get(attr)
            if curve is not None and not isinstance(curve, AnimCurve):
                raise NotImplementedError("setKeyframe: the stand-in does not key a channel "
                                          "driven by another node")
            if curve is None:  # named for the channel keyed, as a first key's curve is
                curve = self.create_curve(curve_type_for(channel), "%s_%s" % (channel_node.name, channel))
                self.connect(curve, node, attr)
        curve.set_key(time, value, in_type, out_type)

    def resolved_value(self, node, attr, time, value):
        """The base value that shows `value` on the channel through the blend nodes of no layer
        above the base: setKeyframe resolves a value across what blends it unless told not to
        ("noResolve", setKeyframe reference, https://docs.huihoo.com/autodesk/maya/2017/english/
        CommandsPython/setKeyframe.html, which names animation layers). The host documents no key
        on a channel driven by a blend node outside a layer; the stand-in keys its base, as it
        does a layered channel's, resolved so that the channel shows the value keyed. Layers'
        blends are passed unresolved, as before."""
        link = node.inputs.get(attr)
        while isinstance(link, PlugLink) and isinstance(link.node, AnimBlend):
            blend, axis = link.node, link.attr[len("output"):]
            if blend.layer is None:
                value = ((value - self.value(blend, "inputB" + axis, time) * self.value(blend, "weightB", time))
                         / self.value(blend, "weightA", time))
            node, attr = blend, "inputA" + axis
            link = node.inputs.get(attr)
        return value

    def base_plug(self, node, attr):
        """The plug the channel's base animation drives: the channel itself, or the inputA at the
        bottom of its blend chain."""
        link = node.inputs.get(attr)
        while isinstance(link, PlugLink) and isinstance(link.node, AnimBlend):
            node, attr = link.node, "inputA" + link.attr[len("output"):]
            link = node.inputs.get(attr)
        return node, attr

    def _blend_above(self, node, attr, blend):
        """The plug `blend` drives in the channel's chain: the channel, or a blend's inputA."""
        link = node.inputs.get(attr)
        while isinstance(link, PlugLink) and isinstance(link.node, AnimBlend):
            if link.node is blend:
                return node, attr
            node, attr = link.node, "inputA" + link.attr[len("output"):]
            link = node.inputs.get(attr)
        return None

    def add_to_layer(self, layer, node, attr):
        """The host puts a blend node between the channel and what drove it: the old driver (the
        base curve, or the blend of a layer below) goes to inputA, the layer's curve comes on
        inputB, the output drives the channel ("This node manages the input of this information
        and passes the data to [blend] nodes for mixing the layers together", animLayer node
        reference, https://help.autodesk.com/cloudhelp/2027/ENU/Maya-Tech-Docs/Nodes/
        animLayer.html; "blendNodes ... The blend nodes for the layer connect into this
        attribute"). A channel without a driver gives inputA its value. Layers added later sit
        above the earlier ones."""
        if (node, attr) in layer.members:
            return
        journal.node_changing(layer)
        journal.node_changing(node)
        blend_type = BLEND_TYPES[curve_type_for(attr)]
        blend = None
        if blend_type == ROTATION_BLEND:  # the node of the rotation's other channels, if any
            blend = next((each for (member, channel), each in layer.blends.items()
                          if member is node and each.type == ROTATION_BLEND), None)
        if blend is None:
            channel = "rotate" if blend_type == ROTATION_BLEND else attr
            blend = self._add(AnimBlend(self.unique_name("%s_%s_%s" % (node.name, channel, layer.name)),
                                        blend_type, layer))
        base_plug = blend_plug(blend, "inputA", attr)
        below = self.disconnect(node, attr, keep_value=False)
        if below is None:
            journal.node_changing(blend)
            blend.attrs[base_plug] = node.attrs[attr]
        else:
            self.connect(below, blend, base_plug)
        self.connect(PlugLink(self, blend, blend_plug(blend, "output", attr)), node, attr)
        layer.members[(node, attr)] = None
        layer.blends[(node, attr)] = blend

    def remove_from_layer(self, layer, node, attr):
        """The layer's blend goes and what it blended from (inputA) drives its plug again; the
        layer's curve goes with it ("removeAttribute: Remove an object from a layer"; deleting a
        layer takes its animation off, animLayer reference, https://docs.huihoo.com/autodesk/
        maya/2017/english/CommandsPython/animLayer.html)."""
        journal.node_changing(layer)
        journal.node_changing(node)
        curve = layer.members.pop((node, attr), None)
        blend = layer.blends.pop((node, attr), None)
        if curve is not None:
            journal.node_changing(curve)
            curve.layer = None
            self.delete(curve)
        if blend is None or self.nodes.get(blend.order) is not blend:
            return
        base_plug = blend_plug(blend, "inputA", attr)
        above = self._blend_above(node, attr, blend)
        below = self.disconnect(blend, base_plug, keep_value=False)
        if above is not None:
            self.disconnect(above[0], above[1], keep_value=False)
            if below is not None:
                self.connect(below, above[0], above[1])
            else:
                journal.node_changing(above[0])
                above[0].attrs[above[1]] = blend.attrs[base_plug]
        if not any(each is blend for each in layer.blends.values()):  # a rotation's last channel
            self.delete(blend)

    # -- deletion ----------------------------------------------------------------------------

    def delete(self, node):
        if self.nodes.get(node.order) is not node:
            return  # already gone with its parent or its layer
        journal.scene_changing(self)
        journal.node_changing(node)
        for each, array, index in self.message_links_to(node):  # a deleted node's links go with it
            self.link_message(None, each, array, index)
        if isinstance(node, AnimLayer):
            self._delete_layer(node)
            self._delete_dag(node)
        elif isinstance(node, DagNode):
            self._delete_dag(node)
        elif isinstance(node, AnimCurve):
            self._delete_curve(node)
        self._forget(node)
        if node in self.selection:
            self.selection = [each for each in self.selection if each is not node]

    def _delete_dag(self, node):
        for child in list(node.children):
            self.delete(child)
        if isinstance(node, AnimBlend):  # deleted on its own: the plug it drove keeps its value
            for key, blend in list(node.layer.blends.items() if node.layer is not None else ()):
                if blend is node:
                    self.remove_from_layer(node.layer, key[0], key[1])
            for other in list(self.nodes.values()):
                for attr, link in list(getattr(other, "inputs", {}).items()):
                    if isinstance(link, PlugLink) and link.node is node:
                        self.disconnect(other, attr)
        for layer in list(self.layers):  # the blends come off first, the base curves back on
            for member, attr in list(layer.members):
                if member is node:
                    self.remove_from_layer(layer, member, attr)
        for attr in list(node.inputs):
            curve = self.disconnect(node, attr, keep_value=False)
            if isinstance(curve, AnimCurve) and not curve.outputs:  # a curve left driving nothing goes with its node, as in Maya
                self.delete(curve)
        if node.parent is not None:
            journal.node_changing(node.parent)
            node.parent.children.remove(node)
            node.parent = None

    def _delete_curve(self, curve):
        for node, attr in list(curve.outputs):
            self.disconnect(node, attr)
        if curve.layer is not None:
            layer, node, attr = curve.layer
            if layer.members.get((node, attr)) is curve:
                journal.node_changing(layer)
                layer.members[(node, attr)] = None
            curve.layer = None

    def _delete_layer(self, layer):
        for node, attr in list(layer.members):
            self.remove_from_layer(layer, node, attr)
        self.layers.remove(layer)

    # -- hierarchy ---------------------------------------------------------------------------

    def reparent(self, node, parent):
        journal.node_changing(node)
        if node.parent is not None:
            journal.node_changing(node.parent)
            node.parent.children.remove(node)
        node.parent = None
        # A sibling already bearing the name makes the newcomer take a numbered one.
        if self._taken(node.name, True, parent, node):
            self.rename(node, self.unique_name(node.name, True, parent))
        node.parent = parent
        if parent is not None:
            journal.node_changing(parent)
            parent.children.append(node)

    def descendants(self, node):
        found = []
        for child in node.children:
            found.append(child)
            found.extend(self.descendants(child))
        return found

    def set_local(self, node, affine):
        """Write a local transform into the node's static channels."""
        journal.node_changing(node)
        translate, rotate, scale = _math.decompose(affine, node.attrs.get("rotateOrder", 0))
        rotate = [math.radians(each) for each in rotate]
        for names, values in ((TRANSLATE, translate), (ROTATE, rotate), (SCALE, scale)):
            for attr, value in zip(names, values):
                node.attrs[attr] = value


def _path_matches(node, parts):
    """Whether the parents of `node` carry the names of a "|a|b" path's leading parts."""
    walk = node
    for part in reversed(parts[:-1]):
        if part == "":  # a leading "|": the path starts at the world
            return walk.parent is None
        walk = walk.parent if isinstance(walk, DagNode) else None
        if walk is None or walk.name != part:
            return False
    return True

