"""Finding what a command names: nodes, "node.attr" plugs, the selection as default."""
from __future__ import absolute_import

from ._host import scene
from ._scene import ALIASES, COMPOUNDS, AnimCurve, DagNode, message_element, string_types


def no_object(name):
    return ValueError("No object matches name: %s" % (name,))


def flatten(args):
    names = []
    for arg in args:
        if isinstance(arg, (list, tuple)):
            names.extend(arg)
        else:
            names.append(arg)
    return names


def find_node(name):
    node = scene.find(name)
    if node is None:
        raise no_object(name)
    return node


def named_objects(args):
    """Objects named by the arguments, or the selection when none are named."""
    names = flatten(args)
    return names if names else [scene.path_name(node) for node in scene.selection]


def resolve_plug(plug):
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
        if message_element(node, attr):
            return node, (attr,)
    # Every node has one: "message (msg) Message ... Messaging attribute. For connecting without
    # dataflow" (the base node's attributes, https://docs.huihoo.com/autodesk/maya/2017/english/
    # Nodes/node.html).
    if attr == "message":
        return node, (attr,)
    if isinstance(node, AnimCurve) and attr == "output":
        return node, (attr,)
    return None


def find_transform(name, op):
    node = find_node(name)
    if not isinstance(node, DagNode) or node.type != "transform":
        raise RuntimeError("%s: Object '%s' is not a transform." % (op, name))
    return node
