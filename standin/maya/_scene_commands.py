"""Scene commands: building nodes and reading them (names, hierarchy, time, transforms, values).

Where Maya answers an unknown object with ValueError ("No object matches name") so does the
stand-in; where Maya raises RuntimeError, so does it. Maya usage the stand-in does not model
raises NotImplementedError (a RuntimeError), so a script that runs here also runs in Maya.
"""
from __future__ import absolute_import, division

import fnmatch
import math
import os
import pickle

from . import _locks, _math, _references, _units
from ._messages import messages
from ._script_jobs import jobs
from ._flags import FlagSet, query_one
from ._host import scene
from ._undo import journal
from ._lookup import (
    find_node, find_transform, flatten, named_objects, no_object, resolve_plug)
from ._scene import (
    AmbiguousName, BLEND_KINDS, CURVE_TYPES, ROTATE, SCALE, SHAPE_DEFAULTS, TRANSLATE, TYPE_FAMILY,
    AnimBlend, AnimCurve, DagNode, PlugLink, blend_role, message_element, string_types)

_KNOWN_TYPES = frozenset(t for family in TYPE_FAMILY.values() for t in family)


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


def _channel_value(node, attr, time):
    """A plug's value in the working units, as every command answers it."""
    if isinstance(node, AnimCurve):
        return _units.to_ui(scene.units, _units.kind_of_curve(node.type), node.output(time))
    return _units.to_ui(scene.units, _plug_kind(node, attr), scene.value(node, attr, time))


def _plug_kind(node, attr):
    """A blend node's plugs are distances or angles by its type (inputA (ia) distance / angle;
    animBlendNodeAdditiveDL / DA node references, see _scene.BLEND_TYPES); a channel's by its name."""
    if isinstance(node, AnimBlend) and blend_role(attr) in ("inputA", "inputB", "output"):
        return BLEND_KINDS.get(node.type)
    return _units.kind_of_channel(attr)


def _ui_value(attr, value):
    return _units.to_ui(scene.units, _units.kind_of_channel(attr), value)


def _internal_value(attr, value, node=None):
    kind = _units.kind_of_channel(attr) if node is None else _plug_kind(node, attr)
    return _units.to_internal(scene.units, kind, value)


def _coerce(attr, value):
    if attr == "visibility":
        return bool(value)
    if attr == "rotateOrder":  # an enum: xyz 0, yzx 1, zxy 2, xzy 3, yxz 4, zyx 5
        order = int(value)
        if order != value or not 0 <= order <= 5:
            raise RuntimeError("setAttr: %r is not a rotation order (0-5)." % (value,))
        return order
    return float(value)


# -- scene building --------------------------------------------------------------------------

_CREATE_NODE = FlagSet("createNode", "name|n parent|p skipSelect|ss")


def createNode(node_type, **kwargs):
    """createNode(type, name=..., parent=...): the name the new node got."""
    flags = _CREATE_NODE.parse(kwargs)
    name = flags.get("name")
    # "|" separates the parts of a DAG path and is no character of a node name
    # (createNode reference: https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
    # createNode.html; paths: https://help.autodesk.com/cloudhelp/2015/ENU/MayaLT/files/
    # Attributes_Getting_and_setting_attributes.htm).
    if name is not None and "|" in name:
        raise RuntimeError("createNode: '%s' is not a valid node name." % (name,))
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
    elif node_type in ("animBlendNodeAdditiveDL", "animBlendNodeAdditiveDA"):
        if parent is not None:
            raise RuntimeError("createNode: an %s is not a DAG node and takes no parent."
                               % (node_type,))
        node = scene.create_blend(node_type, name or node_type + "1")
    elif node_type == "transform":
        node = scene.create_dag(node_type, name or "transform1", parent)
    elif node_type in SHAPE_DEFAULTS:
        shape_name = scene.unique_name(name or node_type + "Shape1", True, parent)
        if parent is None:  # Maya gives a parentless shape its own transform
            head, found, tail = shape_name.rpartition("Shape")
            parent = scene.create_dag("transform", head + tail if found else "transform1", None)
        node = scene.create_dag(node_type, shape_name, parent)
    else:
        raise RuntimeError("createNode: Unknown object type: %s (the stand-in host knows %s)"
                           % (node_type, ", ".join(sorted(TYPE_FAMILY))))
    # skipSelect: "This node is not to be selected after creation, the original selection will be
    # preserved" (createNode reference above); without it the new node is the selection.
    if not flags.get("skipSelect"):
        journal.scene_changing(scene)
        scene.selection = [node]
    return scene.path_name(node)


_PARENT = FlagSet("parent", "world|w relative|r absolute|a shape|s")


def parent(*args, **kwargs):
    """parent(child..., parent) or parent(child..., world=True); keeps world transforms unless
    relative. Answers the children's names."""
    flags = _PARENT.parse(kwargs)
    names = flatten(args)
    if flags.get("world"):
        target = None
    else:
        if len(names) < 2:
            raise RuntimeError("parent: Not enough objects or values.")
        names, target = names[:-1], find_transform(names[-1], "parent")
    children = [find_node(name) for name in names]
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
    return [scene.path_name(child) for child in children]


_SELECT = FlagSet("select", "replace|r add deselect|d toggle|tgl clear|cl noExpand|ne")


def select(*args, **kwargs):
    """select(*names), select(names, add=True), select(clear=True)."""
    flags = _SELECT.parse(kwargs)
    if flags.get("clear"):
        journal.scene_changing(scene)
        scene.selection = []
        return None
    nodes = [find_node(name) for name in flatten(args)]
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
    journal.scene_changing(scene)
    scene.selection = current
    return None


_SET_ATTR = FlagSet("setAttr", "type|typ lock|l")


def setAttr(plug, *values, **kwargs):
    """setAttr("node.attr", value) or setAttr("node.translate", x, y, z); a string attribute
    takes its text with type="string" ("setAttr node.attr -type "string" text"; setAttr reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/setAttr.html)."""
    flags = _SET_ATTR.parse(kwargs)
    resolved = resolve_plug(plug)
    if resolved is None:
        raise RuntimeError("setAttr: No object matches name: %s" % (plug,))
    node, channels = resolved
    if isinstance(node, AnimCurve):
        raise RuntimeError("setAttr: The attribute '%s' is an output and cannot be set." % plug)
    if "lock" in flags:  # setAttr(plug, lock=...): the lock alone, or a value set before it
        if values:
            setAttr(plug, *values, **dict((k, v) for k, v in kwargs.items() if k not in ("lock", "l")))
        for attr in channels:
            _locks.set_plug_lock(node, attr, flags["lock"])
        return None
    for attr in channels:
        _locks.refuse_locked_plug("setAttr", node, attr)
    if len(channels) == 1 and node.dynamic.get(channels[0]) == "string":
        if flags.get("type") != "string" or len(values) != 1 or not isinstance(
                values[0], string_types):
            raise RuntimeError("setAttr: '%s' is a string attribute: give one text with "
                               "type='string'." % (plug,))
        journal.node_changing(node)
        node.attrs[channels[0]] = values[0]
        return None
    values = flatten(values)
    if len(values) < len(channels):
        raise RuntimeError("setAttr: Not enough data was provided.")
    if len(values) > len(channels):
        raise RuntimeError("setAttr: Too many data values were provided.")
    for attr, value in zip(channels, values):
        journal.node_changing(node)
        node.attrs[attr] = _internal_value(attr, _coerce(attr, value), node)
    return None


_ADD_ATTR = FlagSet("addAttr", "longName|ln dataType|dt attributeType|at multi|m")


def addAttr(*args, **kwargs):
    """addAttr(node, longName=name, dataType="string"): a dynamic string attribute holding no
    text yet ("This command is used to add a dynamic attribute to a node", addAttr reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/Commands/addAttr.html). The stand-in adds
    string attributes only."""
    flags = _ADD_ATTR.parse(kwargs)
    message = flags.get("attributeType") == "message" and flags.get("multi")
    if not flags.get("longName") or not (message or flags.get("dataType") == "string"):
        raise NotImplementedError("addAttr: the stand-in adds string attributes and multi message "
                                  "attributes only (longName=..., dataType='string' or "
                                  "attributeType='message', multi=True)")
    name = flags["longName"]
    for node in [find_node(each) for each in named_objects(args)]:
        if not isinstance(node, DagNode):
            raise NotImplementedError("addAttr: the stand-in adds attributes to DAG nodes only")
        _locks.refuse_locked_node("addAttr", node)
        if name in node.attrs:
            raise RuntimeError("addAttr: Found attribute name '%s' already exists on node '%s'."
                               % (name, node.name))
        journal.node_changing(node)
        node.attrs[name] = {} if message else None  # a message array: {index: linked node}
        node.dynamic[name] = "message" if message else "string"
    return None


_DELETE_ATTR = FlagSet("deleteAttr", "attribute|at")


def deleteAttr(*args, **kwargs):
    """deleteAttr("node.attr") or deleteAttr(node, attribute=name): "delete a dynamic attribute
    from a node ... Static attributes cannot be deleted" (deleteAttr reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/deleteAttr.html). The
    links a message array holds go with it."""
    flags = _DELETE_ATTR.parse(kwargs)
    names = flatten(args)
    if len(names) != 1:
        raise NotImplementedError("deleteAttr: the stand-in deletes one attribute at a time")
    if flags.get("attribute"):
        node, name = find_node(names[0]), flags["attribute"]
    else:
        node_name, _, name = names[0].partition(".")
        node = find_node(node_name)
    if not isinstance(node, DagNode) or name not in node.dynamic:
        raise RuntimeError("deleteAttr: '%s.%s' is not a dynamic attribute." % (node.name, name))
    _locks.refuse_locked_node("deleteAttr", node)
    journal.node_changing(node)
    del node.attrs[name]
    del node.dynamic[name]
    return None


_ATTRIBUTE_QUERY = FlagSet("attributeQuery", "node|n exists|ex message|msg multi|m")


def attributeQuery(name, **kwargs):
    """attributeQuery(attr, node=node, exists=True): whether the node has the attribute;
    message=True: whether it is a message attribute; multi=True: whether it is an array
    (attributeQuery reference, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
    attributeQuery.html: "message: Return true if the attribute is a message attribute", "multi:
    Return true if the attribute is a multi-attribute"). A missing attribute is an error for the
    type queries, as the host says "No attribute named ...". One query at a time."""
    flags = _ATTRIBUTE_QUERY.parse(kwargs)
    asked = query_one("attributeQuery", flags, ("exists", "message", "multi"))
    node = find_node(flags.get("node"))
    found = resolve_plug("%s.%s" % (scene.path_name(node), name)) is not None
    if asked == "exists":
        return found
    if not found:
        raise RuntimeError("attributeQuery: No attribute named %s on %s." % (name, node.name))
    kind = node.dynamic.get(name) if isinstance(node, DagNode) else None
    if asked == "message":
        return name == "message" or kind == "message"
    return kind == "message"


_FILE = FlagSet("file", "new|n force|f save|s open|o rename|rn type|typ query|q sceneName|sn "
                        "reference|r namespace|ns")


def _saved_scene():
    return dict(scene.__dict__)


def file(*args, **kwargs):
    """file(new=True, force=True): a fresh scene; file(rename=path) then file(save=True): the
    scene written to path; file(path, open=True, force=True): the scene read back, replacing the
    one in memory; file(q=True, sceneName=True): the path, "" before any. The stand-in writes
    its own format (a pickle), not Maya's; what matters is that everything the scene holds
    (nodes, dynamic attributes, curves, connections, layers) comes back ("open: Open the
    specified file", file reference, https://docs.huihoo.com/autodesk/maya/2017/english/
    CommandsPython/file.html). Opening empties the undo queue, as a new scene does."""
    flags = _FILE.parse(kwargs)
    if flags.get("query"):
        if not flags.get("sceneName"):
            raise NotImplementedError("file: the stand-in answers q=True, sceneName=True only")
        return getattr(scene, "scene_name", "")
    if flags.get("rename"):
        scene.scene_name = os.path.abspath(flags["rename"])
        return scene.scene_name
    if flags.get("save"):
        path = getattr(scene, "scene_name", "")
        if not path:
            raise RuntimeError("file: Scene has no name; rename it before saving.")
        with open(path, "wb") as out:
            pickle.dump(_saved_scene(), out, 2)
        return path
    if flags.get("reference"):
        if len(args) != 1 or not flags.get("namespace"):
            raise NotImplementedError("file: the stand-in references one file under a namespace")
        path = _references.load_reference(os.path.abspath(args[0]), flags["namespace"])
        messages.scene_message(45)  # MSceneMessage.kAfterCreateReference
        jobs.trigger("PostSceneRead")  # "after ... all child references have been read"
        return path
    if flags.get("open"):
        if len(args) != 1:
            raise RuntimeError("file: open takes one file name.")
        path = os.path.abspath(args[0])
        with open(path, "rb") as source:
            state = pickle.load(source)
        _replace_scene(state, path)
        messages.scene_message(6)  # MSceneMessage.kAfterOpen
        jobs.trigger("SceneOpened")
        jobs.trigger("PostSceneRead")
        return path
    if args or not flags.get("new"):
        raise NotImplementedError("file: the stand-in host serves new, rename, save, open and "
                                  "q=True, sceneName=True only")
    # A new scene empties the undo queue; making it is no step to undo.
    journal.pause()
    try:
        scene.clear()
    finally:
        journal.resume()
    journal.flush()
    messages.scene_message(2)  # MSceneMessage.kAfterNew
    jobs.trigger("NewSceneOpened")
    return None


def _replace_scene(state, path):
    journal.pause()
    try:
        scene.__dict__.clear()
        scene.__dict__.update(state)
        scene.scene_name = path
        # Links read their driver through the scene in memory, not the copy the file held.
        for node in scene.nodes.values():
            for link in getattr(node, "inputs", {}).values():
                if isinstance(link, PlugLink):
                    link.scene = scene
    finally:
        journal.resume()
    journal.flush()


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
            journal.scene_changing(scene)
            setattr(scene, field, float(flags[flag]))
    # Maya widens the animation range to hold the playback range.
    journal.scene_changing(scene)
    scene.animation_start = min(scene.animation_start, scene.playback_min)
    scene.animation_end = max(scene.animation_end, scene.playback_max)
    return None


# -- queries ---------------------------------------------------------------------------------

_LS = FlagSet("ls", "selection|sl type|typ")


def ls(*args, **kwargs):
    """ls(selection=True, type="transform"), ls("pattern*"), ls(type="animCurve")."""
    flags = _LS.parse(kwargs)
    types = _type_filter(flags.get("type"), "ls")
    names = flatten(args)
    if names:
        everything = sorted(scene.nodes.values(), key=lambda node: node.order)
        named = []
        for name in names:
            if isinstance(name, string_types) and ("*" in name or "?" in name):
                named.extend(node for node in everything if fnmatch.fnmatchcase(node.name, name))
            else:
                named.extend(scene.find_all(name))
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
    # A short name shared by several nodes is answered as a DAG path ("grpA|cam"), as the host
    # does (ls reference: https://help.autodesk.com/cloudhelp/2015/ENU/MayaLT/files/
    # Attributes_Getting_and_setting_attributes.htm, "Paths to nodes").
    return [scene.path_name(node) for node in nodes if _matches(node, types)]


_LIST_RELATIVES = FlagSet("listRelatives",
                          "shapes|s children|c parent|p allDescendents|ad type|typ")


def listRelatives(*args, **kwargs):
    """listRelatives(node, shapes=True, type="camera"); None when there is nothing, as in Maya."""
    flags = _LIST_RELATIVES.parse(kwargs)
    types = _type_filter(flags.get("type"), "listRelatives")
    found = []
    for name in named_objects(args):
        node = find_node(name)
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
    return [scene.path_name(node) for node in found] or None  # DAG paths as ls answers them


def objExists(name):
    """True exactly when a node (or a "node.attr" plug) of that name exists; never raises (a short
    name that several nodes share exists)."""
    if scene.find_all(name):
        return True
    try:
        return resolve_plug(name) is not None
    except AmbiguousName:  # "cam.tx" with two nodes called cam: such a plug exists
        return True


def nodeType(name):
    """The node's type, e.g. "animCurveTL"."""
    return find_node(name).type


_CURRENT_UNIT = FlagSet("currentUnit", "query|q linear|l angle|a time|t fullName|f "
                                       "updateAnimation|ua")


def currentUnit(**kwargs):
    """currentUnit(q=True, linear=True | angle=True | time=True) -> the working unit's name
    ("cm", "deg", "film"; the long name with fullName=True); currentUnit(linear=..., angle=...,
    time=...) sets them and answers the last one set (currentUnit reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/Commands/currentUnit.html: "currentUnit is
    undoable, queryable, and NOT editable"; names "[mm | millimeter | cm | centimeter | m | meter
    | km | kilometer | in | inch | ft | foot | yd | yard | mi | mile]", "[deg | degree | rad |
    radian]", and the time units by name). Values already in the scene keep their physical size:
    the scene holds them in internal units."""
    flags = _CURRENT_UNIT.parse(kwargs)
    if flags.get("query"):
        asked = query_one("currentUnit", flags, ("linear", "angle", "time"))
        row = _units.entry(asked, scene.units[asked])
        return row[1] if flags.get("fullName") else row[0]
    if "updateAnimation" in flags:
        raise NotImplementedError("currentUnit: the stand-in does not model updateAnimation")
    answer = None
    for kind in ("linear", "angle", "time"):
        if kind not in flags:
            continue
        row = _units.entry(kind, flags[kind])
        if row is None:
            raise RuntimeError("currentUnit: Invalid %s unit: %s" % (kind, flags[kind]))
        if kind == "time" and row[0] != scene.units["time"] and any(
                isinstance(node, AnimCurve) for node in scene.nodes.values()):
            raise NotImplementedError("currentUnit: the stand-in changes the time unit of a scene "
                                      "without animation curves only")
        journal.scene_changing(scene)
        scene.units = dict(scene.units, **{kind: row[0]})
        answer = row[0]
    return answer


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
    """xform(node, q=True, ws=True, t=True) / (..., ro=True): world translation, or world rotation
    in degrees decomposed in the node's own rotation order (so a node turned past 90 degrees
    answers the other Euler solution, as the host does); without ws, the node's own values.
    Without q, sets t, ro or s."""
    flags = _XFORM.parse(kwargs)
    names = named_objects(args)
    if flags.get("query"):
        if len(names) != 1:
            raise RuntimeError("xform: a query takes exactly one object")
        return _xform_query(find_transform(names[0], "xform"), flags)
    if "matrix" in flags:
        raise NotImplementedError("xform: the stand-in does not set matrices")
    nodes = [find_transform(name, "xform") for name in names]
    for node in nodes:
        _xform_edit(node, flags)
    return None


def _xform_query(node, flags):
    asked = query_one("xform", flags, _XFORM_QUERIES)
    time = scene.time
    if flags.get("worldSpace"):
        if asked == "translation":
            return [_ui_value("translateX", each) for each in scene.world_translation(node, time)]
        affine = scene.world_transform(node, time)
    else:
        channels = {"translation": TRANSLATE, "rotation": ROTATE, "scale": SCALE}.get(asked)
        if channels is not None:
            return [_ui_value(attr, scene.value(node, attr, time)) for attr in channels]
        affine = scene.local_transform(node, time)
    if asked == "matrix":
        # The matrix's translation row in the working linear unit, as the other answers.
        matrix = _math.as_matrix16(affine)
        matrix[12:15] = [_ui_value("translateX", each) for each in matrix[12:15]]
        return matrix
    translate, rotate, scale = _math.decompose(affine, node.attrs.get("rotateOrder", 0))
    if asked == "rotation":
        return [_ui_value("rotateX", math.radians(each)) for each in rotate]
    return list(scale)


def _xform_edit(node, flags):
    time = scene.time
    if not flags.get("worldSpace"):
        for flag, channels in (("translation", TRANSLATE), ("rotation", ROTATE),
                               ("scale", SCALE)):
            if flag in flags:
                for attr, value in zip(channels, flags[flag]):
                    journal.node_changing(node)
                    node.attrs[attr] = _internal_value(attr, float(value))
        return
    if "scale" in flags:
        raise NotImplementedError("xform: the stand-in sets scale in object space only")
    parent_world = (_math.IDENTITY if node.parent is None
                    else scene.world_transform(node.parent, time))
    matrix, translate = scene.world_transform(node, time)
    if "rotation" in flags:
        scale, _ = _math.split_scale(matrix)
        rx, ry, rz = (math.degrees(_internal_value("rotateX", float(value)))
                      for value in flags["rotation"])
        rotation = _math.rotation(rx, ry, rz, node.attrs.get("rotateOrder", 0))
        matrix = tuple(rotation[k] * scale[k // 3] for k in range(9))
    if "translation" in flags:
        translate = tuple(_internal_value("translateX", float(value))
                          for value in flags["translation"])
    local = _math.compose((matrix, translate), _math.invert(parent_world))
    new_translate, new_rotate, _ = _math.decompose(local, node.attrs.get("rotateOrder", 0))
    if "translation" in flags:
        node.attrs.update(zip(TRANSLATE, new_translate))
    if "rotation" in flags:
        node.attrs.update(zip(ROTATE, map(math.radians, new_rotate)))


_GET_ATTR = FlagSet("getAttr", "time|t lock|l")


def getAttr(plug, **kwargs):
    """getAttr("node.attr") -> its value at the current time (or at time=...); a compound
    ("node.translate") answers [(x, y, z)].

    time: "Evaluate the attribute at the given time instead of the current time" (getAttr
    reference, https://download.autodesk.com/global/docs/maya2013/en_us/CommandsPython/
    getAttr.html); the current time stays. Not for a channel driven by a connection from another
    node's channel (the stand-in's constraint or expression): "Use of the 'setAttr' or 'getAttr'
    statements from within an expression node can have unexpected results. Using these
    statements bypasses the normal dependency graph evaluation mechanism" (expression node
    reference, https://help.autodesk.com/cloudhelp/2016/ENU/Maya-Tech-Docs/Nodes/
    expression.html): an expression reading its inputs with getAttr reads them at the current
    time, which is what such a channel answers here."""
    flags = _GET_ATTR.parse(kwargs)
    resolved = resolve_plug(plug)
    if resolved is None:
        raise no_object(plug)
    node, channels = resolved
    if flags.get("lock"):
        return _locks.plug_locked(node, channels[0])
    # "Other data types cannot be retrieved" (getAttr reference above): a message plug carries
    # no value.
    if channels[0] == "message" or message_element(node, channels[0]) or (
            isinstance(node, DagNode) and node.dynamic.get(channels[0]) == "message"):
        raise RuntimeError("getAttr: Message attributes have no data values: %s" % (plug,))
    time = float(flags["time"]) if "time" in flags else scene.time

    def at(attr):
        # An animation layer's blend node is animation, evaluated at the time asked like a curve.
        link = getattr(node, "inputs", {}).get(attr)
        driven = isinstance(link, PlugLink) and not link.node.type.startswith("animBlendNode")
        return _channel_value(node, attr, scene.time if driven else time)
    if len(channels) == 1:
        return at(channels[0])
    return [tuple(at(attr) for attr in channels)]


_LIST_CONNECTIONS = FlagSet("listConnections", "source|s destination|d plugs|p")


def listConnections(obj, **kwargs):
    """Curves (or other nodes' channels) driving a node or plug (source side), channels a curve
    drives (destination side); None when there are none, as in Maya ("returns a list of all
    attributes/objects of a specified type that are connected to the given object(s)",
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/listConnections.html)."""
    flags = _LIST_CONNECTIONS.parse(kwargs)
    want_sources = flags.get("source", True)
    want_destinations = flags.get("destination", True)
    plugs = flags.get("plugs", False)
    node = scene.find(obj)
    channels = None
    if node is None:
        resolved = resolve_plug(obj)
        if resolved is None:
            raise no_object(obj)
        node, channels = resolved
    found = []
    if channels and isinstance(node, DagNode) and node.dynamic.get(channels[0]) == "message":
        # A whole message array: the node linked into each element, in element order.
        links = node.attrs[channels[0]] if want_sources else {}
        for index in sorted(links):
            name = scene.path_name(links[index])
            found.append(name + ".message" if plugs else name)
        return found or None
    element = message_element(node, channels[0]) if channels else None
    if element is not None:  # a message array's element: the node linked there
        linked = node.attrs[element[0]].get(element[1]) if want_sources else None
        if linked is not None:
            found.append(scene.path_name(linked) + ".message" if plugs else scene.path_name(linked))
        return found or None
    if isinstance(node, DagNode) and want_sources:
        for attr in channels or sorted(node.inputs):
            curve = node.inputs.get(attr)
            if isinstance(curve, PlugLink):
                found.append(curve.plug_name(scene) if plugs else scene.path_name(curve.node))
            elif curve is not None:
                found.append(curve.name + ".output" if plugs else curve.name)
    elif isinstance(node, AnimCurve) and want_destinations:
        for target, attr in node.outputs:
            name = scene.path_name(target)
            found.append("%s.%s" % (name, attr) if plugs else name)
    if want_destinations and channels is None:  # the message arrays that link the node
        for target, array, index in scene.message_links_to(node):
            name = scene.path_name(target)
            found.append("%s.%s[%d]" % (name, array, index) if plugs else name)
    return found or None


# -- removal ---------------------------------------------------------------------------------

_DELETE = FlagSet("delete", "")


def delete(*args, **kwargs):
    """delete(name, ...): nodes, curves or layers (a node takes its children and curves)."""
    _DELETE.parse(kwargs)
    nodes = [find_node(name) for name in named_objects(args)]
    if not nodes:
        raise RuntimeError("delete: Not enough objects or values.")
    for node in nodes:
        _locks.refuse_locked_node("delete", node)
        _references.refuse_referenced("delete", node)
    for node in nodes:
        scene.delete(node)
    return None


COMMANDS = ("addAttr", "attributeQuery", "createNode", "currentTime", "currentUnit", "delete", "deleteAttr", "file", "getAttr", "listConnections",
            "listRelatives", "ls", "nodeType", "objExists", "parent", "playbackOptions", "select",
            "setAttr", "xform")
