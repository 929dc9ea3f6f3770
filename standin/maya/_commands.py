"""The maya.cmds operations the stand-in host serves, with Maya's flag names and results.

Each function here is the bare operation; maya.cmds exposes them through the host wrapper
(_host.operation), which logs calls and applies injected faults. Where Maya answers an unknown
object with ValueError ("No object matches name") so does the stand-in; where Maya raises
RuntimeError, so does it. Maya usage the stand-in does not model raises NotImplementedError
(a RuntimeError), so a script that runs here also runs in Maya.
"""
from __future__ import absolute_import, division

import fnmatch
import sys
import tempfile

from . import _math
from ._flags import FlagSet, query_one
from ._host import in_view_messages, scene, settings, warnings
from ._scene import (
    ALIASES, COMPOUNDS, CURVE_TYPES, KEYABLE, ROTATE, SCALE, SHAPE_DEFAULTS, TRANSLATE,
    TYPE_FAMILY, AnimCurve, AnimLayer, DagNode, string_types, text_type)

_KNOWN_TYPES = frozenset(t for family in TYPE_FAMILY.values() for t in family)


# -- helpers ---------------------------------------------------------------------------------

def _no_object(name):
    return ValueError("No object matches name: %s" % (name,))


def _flatten(args):
    names = []
    for arg in args:
        if isinstance(arg, (list, tuple)):
            names.extend(arg)
        else:
            names.append(arg)
    return names


def _node(name):
    node = scene.find(name)
    if node is None:
        raise _no_object(name)
    return node


def _objects(args):
    """Objects named by the arguments, or the selection when none are named."""
    names = _flatten(args)
    return names if names else [node.name for node in scene.selection]


def _resolve_plug(plug):
    """(node, channels) for "node.attr" (a compound gives its three channels), or None."""
    if not isinstance(plug, string_types):
        return None
    node_name, dot, attr = plug.partition(".")
    if not dot:
        return None
    node = scene.find(node_name)
    if node is None:
        return None
    attr = ALIASES.get(attr, attr)
    if isinstance(node, DagNode):
        if attr in node.attrs:
            return node, (attr,)
        if attr in COMPOUNDS and node.type == "transform":
            return node, COMPOUNDS[attr]
    elif isinstance(node, AnimCurve) and attr == "output":
        return node, (attr,)
    return None


def _attributes(node, attribute):
    """The channels of a node named by an `attribute` flag (a name or a list of names)."""
    names = attribute if isinstance(attribute, (list, tuple)) else [attribute]
    channels = []
    for name in names:
        resolved = _resolve_plug("%s.%s" % (node.name, name))
        if resolved is None or not isinstance(resolved[0], DagNode):
            raise _no_object("%s.%s" % (node.name, name))
        channels.extend(resolved[1])
    return channels


def _key_targets(args, attribute):
    """What a keying command acts on: a list of curves and (node, channel) pairs."""
    targets = []
    for name in _objects(args):
        node = scene.find(name)
        if node is None:
            resolved = _resolve_plug(name)
            if resolved is None or not isinstance(resolved[0], DagNode):
                raise _no_object(name)
            targets.extend((resolved[0], attr) for attr in resolved[1])
        elif isinstance(node, AnimCurve):
            targets.append(node)
        elif isinstance(node, DagNode):
            channels = (_attributes(node, attribute) if attribute is not None
                        else KEYABLE.get(node.type, ()))
            targets.extend((node, attr) for attr in channels)
        else:
            raise RuntimeError("'%s' is not an animatable object" % (name,))
    return targets


def _transform(name, op):
    node = _node(name)
    if not isinstance(node, DagNode) or node.type != "transform":
        raise RuntimeError("%s: Object '%s' is not a transform." % (op, name))
    return node


def _layer(names, op):
    node = scene.find(names[0]) if names else None
    if not isinstance(node, AnimLayer):
        raise RuntimeError("%s: Object '%s' not found." % (op, names[0] if names else ""))
    return node


def _family(node):
    return TYPE_FAMILY.get(node.type, (node.type,))


def _type_filter(types, op):
    if types is None:
        return None
    types = (types,) if isinstance(types, string_types) else tuple(types)
    for each in types:
        if each not in _KNOWN_TYPES:
            raise RuntimeError("%s: Unknown object type: %s" % (op, each))
    return types


def _matches(node, types):
    return types is None or any(t in types for t in _family(node))


def _single_time(value, op):
    """A keying time: a number, or a list of numbers (Maya's multi-use flag)."""
    if isinstance(value, list):
        return [float(each) for each in value]
    if isinstance(value, tuple) or isinstance(value, string_types):
        raise NotImplementedError(
            "%s: the stand-in takes time as a number or a list of numbers, not %r" % (op, value))
    return [float(value)]


def _time_range(value, op):
    """(start, end) of a time or time range flag; (None, None) when absent."""
    if value is None:
        return None, None
    if isinstance(value, list) and len(value) == 1 and isinstance(value[0], (list, tuple)):
        value = value[0]
    if isinstance(value, (list, tuple)):
        if len(value) != 2:
            raise RuntimeError("%s: a time range is (start, end), not %r" % (op, value))
        return float(value[0]), float(value[1])
    if isinstance(value, string_types):
        raise NotImplementedError("%s: the stand-in takes times as numbers, not %r" % (op, value))
    return float(value), float(value)


def _channel_value(node, attr, time):
    if isinstance(node, AnimCurve):
        return node.output(time)
    return scene.value(node, attr, time)


def _coerce(attr, value):
    return bool(value) if attr == "visibility" else float(value)


# -- scene building --------------------------------------------------------------------------

_CREATE_NODE = FlagSet("createNode", "name|n parent|p skipSelect|ss")


def createNode(node_type, **kwargs):
    """createNode(type, name=..., parent=...): the name the new node got."""
    flags = _CREATE_NODE.parse(kwargs)
    name = flags.get("name")
    parent = None
    if flags.get("parent") is not None:
        parent = scene.find(flags["parent"])
        if parent is None:
            raise RuntimeError("createNode: No object matches name: %s" % (flags["parent"],))
        if parent.type != "transform":
            raise RuntimeError("createNode: '%s' is not a transform and cannot be a parent."
                               % (parent.name,))
    if node_type in CURVE_TYPES:
        if parent is not None:
            raise RuntimeError("createNode: an %s is not a DAG node and takes no parent."
                               % (node_type,))
        node = scene.create_curve(node_type, name or node_type + "1")
    elif node_type == "transform":
        node = scene.create_dag(node_type, name or "transform1", parent)
    elif node_type in SHAPE_DEFAULTS:
        shape_name = scene.unique_name(name or node_type + "Shape1")
        if parent is None:  # Maya gives a parentless shape its own transform
            head, found, tail = shape_name.rpartition("Shape")
            parent = scene.create_dag("transform", head + tail if found else "transform1", None)
        node = scene.create_dag(node_type, shape_name, parent)
    else:
        raise RuntimeError("createNode: Unknown object type: %s (the stand-in host knows %s)"
                           % (node_type, ", ".join(sorted(TYPE_FAMILY))))
    if not flags.get("skipSelect"):
        scene.selection = [node]
    return node.name


_PARENT = FlagSet("parent", "world|w relative|r absolute|a shape|s")


def parent(*args, **kwargs):
    """parent(child..., parent) or parent(child..., world=True); keeps world transforms unless
    relative. Answers the children's names."""
    flags = _PARENT.parse(kwargs)
    names = _flatten(args)
    if flags.get("world"):
        target = None
    else:
        if len(names) < 2:
            raise RuntimeError("parent: Not enough objects or values.")
        names, target = names[:-1], _transform(names[-1], "parent")
    children = [_node(name) for name in names]
    for child in children:
        if not isinstance(child, DagNode):
            raise RuntimeError("parent: Object '%s' is not a DAG node." % (child.name,))
        if child.type != "transform" and not flags.get("shape"):
            raise NotImplementedError("parent: the stand-in moves a shape only with shape=True")
        if child.parent is target:
            where = target.name if target is not None else "the world"
            raise RuntimeError("parent: Object '%s' is already a child of '%s'."
                               % (child.name, where))
        if target is child or target in scene.descendants(child):
            raise RuntimeError("parent: Cannot parent '%s' under itself or a descendant."
                               % (child.name,))
    for child in children:
        if child.type == "transform" and not flags.get("relative"):
            world = scene.world_transform(child, scene.time)
            parent_world = (_math.IDENTITY if target is None
                            else scene.world_transform(target, scene.time))
            scene.reparent(child, target)
            scene.set_local(child, _math.compose(world, _math.invert(parent_world)))
        else:
            scene.reparent(child, target)
    return [child.name for child in children]


_SELECT = FlagSet("select", "replace|r add deselect|d toggle|tgl clear|cl noExpand|ne")


def select(*args, **kwargs):
    """select(*names), select(names, add=True), select(clear=True)."""
    flags = _SELECT.parse(kwargs)
    if flags.get("clear"):
        scene.selection = []
        return None
    nodes = [_node(name) for name in _flatten(args)]
    if not nodes:
        raise RuntimeError("select: Not enough objects or values.")
    current = list(scene.selection)
    if flags.get("deselect"):
        current = [node for node in current if node not in nodes]
    elif flags.get("toggle"):
        for node in nodes:
            if node in current:
                current.remove(node)
            else:
                current.append(node)
    else:
        if not flags.get("add"):
            current = []
        current.extend(node for node in nodes if node not in current)
    scene.selection = current
    return None


_SET_ATTR = FlagSet("setAttr", "type|typ")


def setAttr(plug, *values, **kwargs):
    """setAttr("node.attr", value) or setAttr("node.translate", x, y, z)."""
    _SET_ATTR.parse(kwargs)
    resolved = _resolve_plug(plug)
    if resolved is None:
        raise RuntimeError("setAttr: No object matches name: %s" % (plug,))
    node, channels = resolved
    if isinstance(node, AnimCurve):
        raise RuntimeError("setAttr: The attribute '%s' is an output and cannot be set." % plug)
    values = _flatten(values)
    if len(values) < len(channels):
        raise RuntimeError("setAttr: Not enough data was provided.")
    if len(values) > len(channels):
        raise RuntimeError("setAttr: Too many data values were provided.")
    for attr, value in zip(channels, values):
        node.attrs[attr] = _coerce(attr, value)
    return None


_FILE = FlagSet("file", "new|n force|f")


def file(*args, **kwargs):
    """file(new=True, force=True): a fresh scene. Nothing else of Maya's file command."""
    flags = _FILE.parse(kwargs)
    if args or not flags.get("new"):
        raise NotImplementedError("file: the stand-in host serves file(new=True, force=True) only")
    scene.clear()
    return None


_PLAYBACK_OPTIONS = FlagSet("playbackOptions", "query|q edit|e minTime|min maxTime|max "
                                               "animationStartTime|ast animationEndTime|aet")
_PLAYBACK_FIELDS = (("minTime", "playback_min"), ("maxTime", "playback_max"),
                    ("animationStartTime", "animation_start"),
                    ("animationEndTime", "animation_end"))


def playbackOptions(**kwargs):
    """playbackOptions(min=..., max=...) or playbackOptions(q=True, min=True)."""
    flags = _PLAYBACK_OPTIONS.parse(kwargs)
    if flags.get("query"):
        asked = query_one("playbackOptions", flags, [flag for flag, _ in _PLAYBACK_FIELDS])
        return float(getattr(scene, dict(_PLAYBACK_FIELDS)[asked]))
    for flag, field in _PLAYBACK_FIELDS:
        if flag in flags:
            setattr(scene, field, float(flags[flag]))
    # Maya widens the animation range to hold the playback range.
    scene.animation_start = min(scene.animation_start, scene.playback_min)
    scene.animation_end = max(scene.animation_end, scene.playback_max)
    return None


# -- queries ---------------------------------------------------------------------------------

_LS = FlagSet("ls", "selection|sl type|typ")


def ls(*args, **kwargs):
    """ls(selection=True, type="transform"), ls("pattern*"), ls(type="animCurve")."""
    flags = _LS.parse(kwargs)
    types = _type_filter(flags.get("type"), "ls")
    names = _flatten(args)
    if names:
        everything = sorted(scene.nodes.values(), key=lambda node: node.order)
        named = []
        for name in names:
            if isinstance(name, string_types) and ("*" in name or "?" in name):
                named.extend(node for node in everything if fnmatch.fnmatchcase(node.name, name))
            else:
                node = scene.find(name)
                if node is not None:
                    named.append(node)
        if flags.get("selection"):
            named = [node for node in named if node in scene.selection]
        nodes = []
        for node in named:
            if node not in nodes:
                nodes.append(node)
    elif flags.get("selection"):
        nodes = list(scene.selection)
    else:
        nodes = sorted(scene.nodes.values(), key=lambda node: node.order)
    return [node.name for node in nodes if _matches(node, types)]


_LIST_RELATIVES = FlagSet("listRelatives",
                          "shapes|s children|c parent|p allDescendents|ad type|typ")


def listRelatives(*args, **kwargs):
    """listRelatives(node, shapes=True, type="camera"); None when there is nothing, as in Maya."""
    flags = _LIST_RELATIVES.parse(kwargs)
    types = _type_filter(flags.get("type"), "listRelatives")
    found = []
    for name in _objects(args):
        node = _node(name)
        if not isinstance(node, DagNode):
            continue
        if flags.get("parent"):
            relatives = [node.parent] if node.parent is not None else []
        elif flags.get("allDescendents"):
            relatives = list(reversed(scene.descendants(node)))
        else:
            relatives = list(node.children)
        if flags.get("shapes"):
            relatives = [each for each in relatives if each.type != "transform"]
        found.extend(each for each in relatives if _matches(each, types) and each not in found)
    return [node.name for node in found] or None


def objExists(name):
    """True exactly when a node (or a "node.attr" plug) of that name exists; never raises."""
    if scene.find(name) is not None:
        return True
    return _resolve_plug(name) is not None


def nodeType(name):
    """The node's type, e.g. "animCurveTL"."""
    return _node(name).type


_CURRENT_TIME = FlagSet("currentTime", "query|q edit|e update|u")


def currentTime(*args, **kwargs):
    """currentTime(q=True) -> frame; currentTime(frame, edit=True) or currentTime(frame)."""
    flags = _CURRENT_TIME.parse(kwargs)
    if flags.get("query"):
        if args:
            raise RuntimeError("currentTime: a query takes no time")
        return scene.time
    if len(args) != 1:
        raise RuntimeError("currentTime: Not enough objects or values.")
    scene.time = float(args[0])
    return scene.time


_XFORM = FlagSet("xform", "query|q worldSpace|ws objectSpace|os translation|t rotation|ro "
                          "scale|s matrix|m absolute|a")
_XFORM_QUERIES = ("translation", "rotation", "scale", "matrix")


def xform(*args, **kwargs):
    """xform(node, q=True, ws=True, t=True) / (..., ro=True): world translation or XYZ rotation
    in degrees; without ws, the node's own values. Without q, sets t, ro or s."""
    flags = _XFORM.parse(kwargs)
    names = _objects(args)
    if flags.get("query"):
        if len(names) != 1:
            raise RuntimeError("xform: a query takes exactly one object")
        return _xform_query(_transform(names[0], "xform"), flags)
    if "matrix" in flags:
        raise NotImplementedError("xform: the stand-in does not set matrices")
    nodes = [_transform(name, "xform") for name in names]
    for node in nodes:
        _xform_edit(node, flags)
    return None


def _xform_query(node, flags):
    asked = query_one("xform", flags, _XFORM_QUERIES)
    time = scene.time
    if flags.get("worldSpace"):
        if asked == "translation":
            return scene.world_translation(node, time)
        affine = scene.world_transform(node, time)
    else:
        channels = {"translation": TRANSLATE, "rotation": ROTATE, "scale": SCALE}.get(asked)
        if channels is not None:
            return [scene.value(node, attr, time) for attr in channels]
        affine = scene.local_transform(node, time)
    if asked == "matrix":
        return _math.as_matrix16(affine)
    translate, rotate, scale = _math.decompose(affine)
    return list(rotate if asked == "rotation" else scale)


def _xform_edit(node, flags):
    time = scene.time
    if not flags.get("worldSpace"):
        for flag, channels in (("translation", TRANSLATE), ("rotation", ROTATE),
                               ("scale", SCALE)):
            if flag in flags:
                for attr, value in zip(channels, flags[flag]):
                    node.attrs[attr] = float(value)
        return
    if "scale" in flags:
        raise NotImplementedError("xform: the stand-in sets scale in object space only")
    parent_world = (_math.IDENTITY if node.parent is None
                    else scene.world_transform(node.parent, time))
    matrix, translate = scene.world_transform(node, time)
    if "rotation" in flags:
        scale, _ = _math.split_scale(matrix)
        rx, ry, rz = (float(value) for value in flags["rotation"])
        rotation = _math.rotation_xyz(rx, ry, rz)
        matrix = tuple(rotation[k] * scale[k // 3] for k in range(9))
    if "translation" in flags:
        translate = tuple(float(value) for value in flags["translation"])
    local = _math.compose((matrix, translate), _math.invert(parent_world))
    new_translate, new_rotate, _ = _math.decompose(local)
    if "translation" in flags:
        node.attrs.update(zip(TRANSLATE, new_translate))
    if "rotation" in flags:
        node.attrs.update(zip(ROTATE, new_rotate))


_GET_ATTR = FlagSet("getAttr", "time|t")


def getAttr(plug, **kwargs):
    """getAttr("node.attr") -> its value at the current time (or at time=...)."""
    flags = _GET_ATTR.parse(kwargs)
    resolved = _resolve_plug(plug)
    if resolved is None:
        raise _no_object(plug)
    node, channels = resolved
    time = float(flags["time"]) if "time" in flags else scene.time
    if len(channels) == 1:
        return _channel_value(node, channels[0], time)
    return [tuple(scene.value(node, attr, time) for attr in channels)]


_LIST_CONNECTIONS = FlagSet("listConnections", "source|s destination|d plugs|p")


def listConnections(obj, **kwargs):
    """Curves driving a node or plug (source side), channels a curve drives (destination
    side); None when there are none, as in Maya."""
    flags = _LIST_CONNECTIONS.parse(kwargs)
    want_sources = flags.get("source", True)
    want_destinations = flags.get("destination", True)
    plugs = flags.get("plugs", False)
    node = scene.find(obj)
    channels = None
    if node is None:
        resolved = _resolve_plug(obj)
        if resolved is None:
            raise _no_object(obj)
        node, channels = resolved
    found = []
    if isinstance(node, DagNode) and want_sources:
        for attr in channels or sorted(node.inputs):
            curve = node.inputs.get(attr)
            if curve is not None:
                found.append(curve.name + ".output" if plugs else curve.name)
    elif isinstance(node, AnimCurve) and want_destinations:
        for target, attr in node.outputs:
            found.append("%s.%s" % (target.name, attr) if plugs else target.name)
    return found or None


# -- edits of animation ----------------------------------------------------------------------

_DELETE = FlagSet("delete", "")


def delete(*args, **kwargs):
    """delete(name, ...): nodes, curves or layers (a node takes its children and curves)."""
    _DELETE.parse(kwargs)
    nodes = [_node(name) for name in _objects(args)]
    if not nodes:
        raise RuntimeError("delete: Not enough objects or values.")
    for node in nodes:
        scene.delete(node)
    return None


_CONNECT_ATTR = FlagSet("connectAttr", "force|f")


def connectAttr(source, destination, **kwargs):
    """connectAttr(curve + ".output", "node.attr", force=True): the curve drives the channel."""
    flags = _CONNECT_ATTR.parse(kwargs)
    src = _resolve_plug(source)
    if src is None:
        raise RuntimeError("connectAttr: The source attribute '%s' cannot be found." % source)
    if not isinstance(src[0], AnimCurve):
        raise NotImplementedError("connectAttr: the stand-in connects animation curve outputs "
                                  "only, not '%s'" % (source,))
    dst = _resolve_plug(destination)
    if dst is None:
        raise RuntimeError("connectAttr: The destination attribute '%s' cannot be found."
                           % destination)
    node, channels = dst
    if not isinstance(node, DagNode) or len(channels) != 1:
        raise RuntimeError("connectAttr: The destination attribute '%s' cannot be connected "
                           "to '%s'." % (destination, source))
    current = node.inputs.get(channels[0])
    if current is src[0]:
        raise RuntimeError("connectAttr: '%s' is already connected to '%s'."
                           % (source, destination))
    if current is not None and not flags.get("force"):
        raise RuntimeError("connectAttr: '%s' already has an incoming connection from '%s'."
                           % (destination, current.name + ".output"))
    scene.connect(src[0], node, channels[0])
    return None


def disconnectAttr(source, destination):
    """disconnectAttr(curve + ".output", "node.attr"): the channel keeps its current value."""
    src, dst = _resolve_plug(source), _resolve_plug(destination)
    if (src is None or dst is None or not isinstance(dst[0], DagNode)
            or dst[0].inputs.get(dst[1][0]) is not src[0]):
        raise RuntimeError("disconnectAttr: There is no connection from '%s' to '%s' to "
                           "disconnect." % (source, destination))
    scene.disconnect(dst[0], dst[1][0])
    return None


_CUT_KEY = FlagSet("cutKey", "attribute|at clear|cl")


def cutKey(*args, **kwargs):
    """cutKey(node, attribute=..., clear=True): every key of the channel goes, with its curve;
    the channel keeps its current value. Answers the number of curves cut."""
    flags = _CUT_KEY.parse(kwargs)
    cut = 0
    for target in _key_targets(args, flags.get("attribute")):
        if isinstance(target, AnimCurve):
            curve = target
        else:
            curve = scene.disconnect(target[0], target[1])
            if curve is None:
                continue
        scene.delete(curve)
        cut += 1
    return cut


_SET_KEYFRAME = FlagSet("setKeyframe", "attribute|at time|t value|v animLayer|al")


def setKeyframe(*args, **kwargs):
    """setKeyframe(node, attribute=..., time=..., value=...[, animLayer=...]) or
    setKeyframe(curve, time=..., value=...). A channel without a curve gets one named
    node_attribute. Answers the number of keys set."""
    flags = _SET_KEYFRAME.parse(kwargs)
    times = _single_time(flags["time"], "setKeyframe") if "time" in flags else [scene.time]
    value = flags.get("value")
    if value is not None:
        value = float(value)
    layer = None
    if flags.get("animLayer"):
        layer = scene.find(flags["animLayer"])
        if not isinstance(layer, AnimLayer):
            raise RuntimeError("setKeyframe: Animation layer '%s' not found."
                               % (flags["animLayer"],))
    targets = _key_targets(args, flags.get("attribute"))
    now = scene.time
    for target in targets:
        if isinstance(target, AnimCurve):
            key_value = target.output(now) if value is None else value
            for time in times:
                target.set_key(time, key_value)
        else:
            node, attr = target
            key_value = float(scene.value(node, attr, now)) if value is None else value
            for time in times:
                scene.key_channel(node, attr, time, key_value, layer)
    return len(targets) * len(times)


_KEYFRAME = FlagSet("keyframe", "query|q time|t eval|ev valueChange|vc timeChange|tc "
                                "keyframeCount|kc attribute|at")


def keyframe(*args, **kwargs):
    """keyframe(curve, q=True, time=(f, f), eval=True) -> [value], None when nothing answers;
    also q with tc / vc (keys in the time range) and kc (their number)."""
    flags = _KEYFRAME.parse(kwargs)
    if not flags.get("query"):
        raise NotImplementedError("keyframe: the stand-in serves queries (q=True) only")
    asked = query_one("keyframe", flags,
                      ("eval", "valueChange", "timeChange", "keyframeCount"))
    start, end = _time_range(flags.get("time"), "keyframe")
    curves = []
    for target in _key_targets(args, flags.get("attribute")):
        curve = target if isinstance(target, AnimCurve) else target[0].inputs.get(target[1])
        if curve is not None:
            curves.append(curve)
    if asked == "eval":
        if start != end:
            raise RuntimeError("keyframe: eval takes one time, time=(f, f)")
        at = scene.time if start is None else start
        found = [curve.evaluate(at) for curve in curves if curve.times]
        return found or None
    found = []
    for curve in curves:
        for time, value in zip(curve.times, curve.values):
            if start is None or start <= time <= end:
                found.append(time if asked == "timeChange" else value)
    if asked == "keyframeCount":
        return len(found)
    return found or None


_ANIM_LAYER = FlagSet("animLayer", "query|q edit|e exists|ex override|o attribute|at "
                                   "removeAttribute|ra selected|sel preferred|prf weight|w "
                                   "mute|m")
_LAYER_QUERIES = ("attribute", "selected", "preferred", "override", "weight", "mute")


def animLayer(*args, **kwargs):
    """animLayer(name, override=True) -> the new layer's name; animLayer(name, q=True,
    exists=True); animLayer(layer, edit=True, attribute=plug | selected=True, preferred=True)."""
    flags = _ANIM_LAYER.parse(kwargs)
    names = _flatten(args)
    if flags.get("query"):
        if flags.get("exists"):
            return isinstance(scene.find(names[0]) if names else None, AnimLayer)
        layer = _layer(names, "animLayer")
        asked = query_one("animLayer", flags, _LAYER_QUERIES)
        if asked == "attribute":
            plugs = ["%s.%s" % (node.name, attr) for node, attr in layer.members]
            return sorted(plugs) or None
        return getattr(layer, asked)
    if "exists" in flags:
        raise RuntimeError("animLayer: exists is a query flag")
    added = _plugs(flags.get("attribute"))
    removed = _plugs(flags.get("removeAttribute"))
    if flags.get("edit"):
        layer = _layer(names, "animLayer")
    else:
        layer = scene.create_layer(names[0] if names else "AnimLayer1",
                                   bool(flags.get("override")))
    if flags.get("edit") and "override" in flags:
        layer.override = bool(flags["override"])
    for node, attr in added:
        scene.add_to_layer(layer, node, attr)
    for node, attr in removed:
        scene.remove_from_layer(layer, node, attr)
    for flag in ("selected", "preferred", "mute"):
        if flag in flags:
            setattr(layer, flag, bool(flags[flag]))
    if "weight" in flags:
        layer.weight = float(flags["weight"])
    return None if flags.get("edit") else layer.name


def _plugs(value):
    """(node, channel) pairs of an attribute flag; RuntimeError for a plug that is not there."""
    if value is None:
        return []
    pairs = []
    for plug in (value if isinstance(value, (list, tuple)) else [value]):
        resolved = _resolve_plug(plug)
        if resolved is None or not isinstance(resolved[0], DagNode):
            raise RuntimeError("animLayer: No object matches name: %s" % (plug,))
        pairs.extend((resolved[0], attr) for attr in resolved[1])
    return pairs


# -- host state ------------------------------------------------------------------------------

_EVALUATION_MANAGER = FlagSet("evaluationManager", "query|q mode|m")
_EVALUATION_MODES = ("off", "serial", "serialUncached", "parallel")


def evaluationManager(**kwargs):
    """evaluationManager(q=True, mode=True) -> [mode]; evaluationManager(mode=name)."""
    flags = _EVALUATION_MANAGER.parse(kwargs)
    if flags.get("query"):
        query_one("evaluationManager", flags, ("mode",))
        return [settings.evaluation_mode]
    mode = flags.get("mode")
    if mode not in _EVALUATION_MODES:
        raise RuntimeError("evaluationManager: Unknown evaluation mode: %s" % (mode,))
    settings.evaluation_mode = mode
    return None


_REFRESH = FlagSet("refresh", "query|q suspend|su force|f currentView|cv")


def refresh(**kwargs):
    """refresh(suspend=True/False) stops or resumes viewport redraw; refresh() redraws."""
    flags = _REFRESH.parse(kwargs)
    if flags.get("query"):
        query_one("refresh", flags, ("suspend",))
        return settings.refresh_suspended
    if "suspend" in flags:
        settings.refresh_suspended = bool(flags["suspend"])
    return None


_IN_VIEW_MESSAGE = FlagSet("inViewMessage", "assembleMessage|amg message|msg statusMessage|smg "
                                            "position|pos fade|f fadeInTime|fit "
                                            "fadeStayTime|fst fadeOutTime|fot")
_POSITIONS = ("topLeft", "topCenter", "topRight", "midLeft", "midCenter", "midCenterTop",
              "midCenterBot", "midRight", "botLeft", "botCenter", "botRight")


def inViewMessage(**kwargs):
    """inViewMessage(amg=text, pos="midCenter", fade=True): shown briefly; recorded here."""
    flags = _IN_VIEW_MESSAGE.parse(kwargs)
    if "position" in flags and flags["position"] not in _POSITIONS:
        raise RuntimeError("inViewMessage: Invalid position: %s" % (flags["position"],))
    for flag in ("assembleMessage", "message", "statusMessage"):
        if flag in flags:
            in_view_messages.append(flags[flag])
            return None
    raise RuntimeError("inViewMessage: No message was given.")


_WARNING = FlagSet("warning", "noContext|nc showLineNumber|sl")


def warning(text, **kwargs):
    """warning(text): recorded, and printed as mayapy prints it ("Warning: text")."""
    _WARNING.parse(kwargs)
    warnings.append(text)
    line = u"Warning: %s\n" % (text,)
    if sys.version_info[0] < 3 and isinstance(line, text_type):
        line = line.encode("utf-8")
    sys.stderr.write(line)
    return None


_INTERNAL_VAR = FlagSet("internalVar", "userScriptDir|usd userAppDir|uad userTmpDir|utd")


def internalVar(**kwargs):
    """internalVar(userScriptDir=True) -> a directory path ending in "/"."""
    flags = _INTERNAL_VAR.parse(kwargs)
    asked = query_one("internalVar", flags, ("userScriptDir", "userAppDir", "userTmpDir"))
    if asked == "userScriptDir":
        return settings.user_script_dir
    if asked == "userAppDir":
        return settings.user_script_dir.rstrip("/").rsplit("/", 1)[0] + "/"
    return tempfile.gettempdir().replace("\\", "/").rstrip("/") + "/"


COMMANDS = (
    "animLayer", "connectAttr", "createNode", "currentTime", "cutKey", "delete",
    "disconnectAttr", "evaluationManager", "file", "getAttr", "inViewMessage", "internalVar",
    "keyframe", "listConnections", "listRelatives", "ls", "nodeType", "objExists", "parent",
    "playbackOptions", "refresh", "select", "setAttr", "setKeyframe", "warning", "xform",
)
