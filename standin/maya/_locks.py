"""Locked nodes and locked plugs: lockNode, and what the other commands refuse because of them.

lockNode (https://help.autodesk.com/cloudhelp/2016/ENU/Maya-Tech-Docs/CommandsPython/
lockNode.html): "A locked node is restricted in the following ways: It may not be deleted. It may
not be renamed. Its parenting may not be changed. Attributes may not be added to or removed from
it. Locked attributes may not be unlocked. Unlocked attributes may not be locked. Note that an
unlocked attribute of a locked node may still have its value set, or connections to it made or
broken." The same page sends attribute locking to setAttr, whose lock flag "Sets the attribute's
lock setting. If set to true the attribute will be locked"; a locked attribute's value cannot be
set and "only an unlocked attribute may have connections made to it or broken from it" (setAttr
and getAttr references, https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
setAttr.html, .../getAttr.html: getAttr's lock flag "Returns the lock state of the attribute").
A locked channel takes no key either: a key is a curve connected to the channel.
"""
from __future__ import absolute_import

from ._flags import FlagSet
from ._host import scene
from ._lookup import find_node, named_objects
from ._undo import journal


def plug_locked(node, attr):
    return attr in getattr(node, "locked_attrs", ())


def refuse_locked_plug(op, node, attr):
    """RuntimeError when `op` would change the locked plug node.attr."""
    if plug_locked(node, attr):
        raise RuntimeError("%s: The attribute '%s.%s' is locked and cannot be changed."
                           % (op, scene.path_name(node), attr))


def refuse_locked_node(op, node):
    """RuntimeError when `op` would delete the locked node or add or remove its attributes."""
    if getattr(node, "locked", False):
        raise RuntimeError("%s: Cannot change the locked node '%s'." % (op, scene.path_name(node)))


def set_plug_lock(node, attr, locked):
    """setAttr(plug, lock=...): on a locked node the attribute's lock stays as it is."""
    if plug_locked(node, attr) == bool(locked):
        return
    refuse_locked_node("setAttr", node)
    journal.node_changing(node)
    changed = set(node.locked_attrs)
    if locked:
        changed.add(attr)
    else:
        changed.discard(attr)
    node.locked_attrs = frozenset(changed)  # replaced, never changed in place: the journal keeps it


_LOCK_NODE = FlagSet("lockNode", "query|q lock|l")


def lockNode(*args, **kwargs):
    """lockNode(node, lock=True|False); lockNode(node, q=True[, lock=True]) -> [bool] per node
    ("boolean[] For query execution"; lock "Specifies the new lock state for the node. The
    default is true")."""
    flags = _LOCK_NODE.parse(kwargs)
    nodes = [find_node(name) for name in named_objects(args)]
    if flags.get("query"):
        return [bool(node.locked) for node in nodes]
    locked = bool(flags.get("lock", True))
    for node in nodes:
        if node.locked != locked:
            journal.node_changing(node)
            node.locked = locked
    return None


COMMANDS = ("lockNode",)
