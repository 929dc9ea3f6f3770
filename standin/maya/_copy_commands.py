"""rename and duplicate: what a node keeps when its name changes, and what a copy of it carries.

A connection is between nodes, not names: renamed, a node keeps every connection it has, and a
plug named by the old name is found no more.
"""
from __future__ import absolute_import

from . import _references
from ._flags import FlagSet
from ._host import scene
from ._lookup import find_node, flatten
from ._scene import AnimCurve, DagNode, DependNode, PlugLink
from ._undo import journal

_RENAME = FlagSet("rename", "ignoreShape|is")


def rename(*args, **kwargs):
    """rename(node, new_name): "Renames the given object to have the new name ... If the new name
    conflicts with an existing name, the object will be given a unique name based on the supplied
    name ... When a transform is renamed then any shape nodes beneath the transform that have the
    same prefix as the old transform name are renamed" (rename reference, https://docs.huihoo.com/
    autodesk/maya/2017/english/CommandsPython/rename.html). Answers the new name."""
    flags = _RENAME.parse(kwargs)
    names = flatten(args)
    if len(names) != 2:
        raise NotImplementedError("rename: the stand-in renames one named object: rename(node, name)")
    node, wanted = find_node(names[0]), names[1]
    _references.refuse_referenced("rename", node)
    if not wanted or "|" in wanted or "." in wanted:
        raise RuntimeError("rename: '%s' is not a valid node name." % (wanted,))
    old = node.name
    dag = isinstance(node, DagNode) and not isinstance(node, DependNode)
    parent = node.parent if dag else None
    if wanted != old:
        scene.rename(node, scene.unique_name(wanted, dag, parent))
    if dag and node.type == "transform" and not flags.get("ignoreShape"):
        for child in list(node.children):
            if child.type != "transform" and child.name.startswith(old):
                new_child = scene.unique_name(node.name + child.name[len(old):], True, node)
                scene.rename(child, new_child)
    return scene.path_name(node)


_DUPLICATE = FlagSet("duplicate", "name|n inputConnections|ic upstreamNodes|un returnRootsOnly|rr")


def duplicate(*args, **kwargs):
    """duplicate(transform, name=..., inputConnections=...): a copy of the transform and its
    shapes under the same parent, holding the same values and dynamic attributes (a string
    attribute's text is copied). "The inputConnections option forces the duplication of input
    connections to the nodes that are to be duplicated"; "The upstream Nodes option forces
    duplication of all upstream nodes leading upto the selected objects" (duplicate reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/duplicate.html): without
    them, what drives a channel (a curve, another node) is not copied and the copy holds the
    value it had, and a message array's elements, each an input connection, are left empty.
    With inputConnections the same curves drive the copy too (fan-out) and its message arrays
    link the same nodes. The stand-in duplicates transforms only and models no upstreamNodes.
    Answers the new names, the copied transform first; the copy is the selection."""
    flags = _DUPLICATE.parse(kwargs)
    if flags.get("upstreamNodes"):
        raise NotImplementedError("duplicate: the stand-in models no upstreamNodes")
    names = flatten(args) or [scene.path_name(each) for each in scene.selection]
    if not names:
        raise RuntimeError("duplicate: Not enough objects or values.")
    made = []
    for name in names:
        node = find_node(name)
        if not isinstance(node, DagNode) or node.type != "transform":
            raise NotImplementedError("duplicate: the stand-in duplicates transforms only")
        copy = _copy_dag(node, flags.get("name") or node.name, node.parent,
                         bool(flags.get("inputConnections")))
        made.append(copy)
    journal.scene_changing(scene)
    scene.selection = list(made)
    answered = []
    for copy in made:
        answered.append(scene.path_name(copy))
        if not flags.get("returnRootsOnly"):
            answered.extend(scene.path_name(child) for child in scene.descendants(copy))
    return answered


def _copy_dag(node, wanted, parent, input_connections):
    copy = scene.create_dag(node.type, scene.unique_name(wanted), parent)
    journal.node_changing(copy)
    for attr, value in node.attrs.items():
        kind = node.dynamic.get(attr)
        if kind == "message":
            copy.attrs[attr] = dict(value) if input_connections else {}
        elif kind is None and attr in node.inputs:
            copy.attrs[attr] = scene.value(node, attr, scene.time)
        else:
            copy.attrs[attr] = value
    copy.dynamic = dict(node.dynamic)
    if input_connections:
        for attr, link in node.inputs.items():
            if isinstance(link, AnimCurve):
                scene.connect(link, copy, attr)
            elif isinstance(link, PlugLink):
                fan = PlugLink(scene, link.node, link.attr)
                copy.inputs[attr] = fan
    for child in list(node.children):
        if isinstance(child, DagNode):
            _copy_dag(child, child.name, copy, input_connections)
    return copy


COMMANDS = ("duplicate", "rename")
