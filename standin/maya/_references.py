"""File references: file(path, reference=True, namespace=ns) brings a saved scene's nodes in under
"ns:", each marked as from a referenced file; referenceQuery(node, isNodeReferenced=True) tells.

What the host lets a scene change on a referenced node is what its reference node records
(reference node, https://help.autodesk.com/cloudhelp/2022/ENU/Maya-Tech-Docs/Nodes/reference.html):
"connections between attributes in a scene and attributes in the reference", "dynamic attributes
on node in the reference file, but where the attributes were not defined in the reference file;
setAttrs made after the file was referenced; and internal broken reference connections". So
setAttr, addAttr, connectAttr and disconnectAttr act on referenced nodes as on any other. Deleting
or renaming a referenced node is none of those edits, and the host refuses both; the stand-in
says so with the host's kind of line. The file's startup cameras (persp, top, front, side) stay
out, as every scene has its own.
"""
from __future__ import absolute_import

import pickle

from ._flags import FlagSet, query_one
from ._host import scene
from ._lookup import find_node, flatten
from ._scene import PlugLink, _DEFAULT_CAMERAS
from ._undo import journal

_STARTUP = frozenset(name for name, _, _ in _DEFAULT_CAMERAS) | frozenset(
    name + "Shape" for name, _, _ in _DEFAULT_CAMERAS)


def referenced(node):
    return any(each is node for each in scene.referenced_nodes)


def refuse_referenced(op, node):
    if referenced(node):
        raise RuntimeError("%s: Cannot %s '%s' because it is from a referenced file." % (op, op, node.name))


def load_reference(path, namespace):
    """The nodes of the scene saved at `path`, added under `namespace`; answers the file."""
    with open(path, "rb") as source:
        state = pickle.load(source)
    journal.pause()  # file is not undoable (file reference)
    try:
        added = []
        for node in sorted(state["nodes"].values(), key=lambda each: each.order):
            if node.name in _STARTUP:
                continue
            node.name = "%s:%s" % (namespace, node.name)
            scene._add(node)
            added.append(node)
            for link in getattr(node, "inputs", {}).values():
                if isinstance(link, PlugLink):
                    link.scene = scene
        scene.referenced_nodes = scene.referenced_nodes + added
    finally:
        journal.resume()
    return path


_REFERENCE_QUERY = FlagSet("referenceQuery", "isNodeReferenced|inr")


def referenceQuery(*args, **kwargs):
    """referenceQuery(node, isNodeReferenced=True) -> bool: "Returns true if the specified node is
    from a referenced file" (referenceQuery reference, https://help.autodesk.com/cloudhelp/2024/
    ENU/Maya-Tech-Docs/CommandsPython/referenceQuery.html)."""
    flags = _REFERENCE_QUERY.parse(kwargs)
    query_one("referenceQuery", flags, ("isNodeReferenced",))
    names = flatten(args)
    if len(names) != 1:
        raise RuntimeError("referenceQuery: one node at a time.")
    return referenced(find_node(names[0]))


COMMANDS = ("referenceQuery",)
