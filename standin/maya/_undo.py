"""The host's undo queue: what undo and redo give back, and what they leave alone.

Each entry of the queue is one undoable command, or every undoable command run between
undoInfo(openChunk=True) and the matching undoInfo(closeChunk=True) ("Once close chunk is
called, all undoable operations in the chunk will undo as a single undo operation",
https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/undoInfo.html).

An entry is a journal of swaps, in the order the changes were made. A node's first change in the
entry keeps the node's whole state; a key set on a curve not otherwise changed in the entry keeps
only that key's old state (the per-key path sets tens of thousands of keys in one entry, and a
scene built key by key makes one entry per key). Undo runs the entry's swaps backwards, redo
forwards; a swap puts back what it kept and keeps what it replaced, so the same swaps serve both.

Undoing a node's creation takes the node object out of the scene and keeps it in the entry; redo
puts that very object back with what it held when it was undone. Keys written through the API
(MFnAnimCurve.addKeys) are not commands and never enter the queue: they travel with the curve
they were written into, which is safe only for a curve created in the same entry. In the host key
edits cannot be captured for undo like attribute values; MFnAnimCurve methods that add keys keep
undo information only in an MAnimCurveChange the caller passes them ("MAnimCurveChange Class
Reference", https://help.autodesk.com/cloudhelp/2022/CHS/Maya-SDK/cpp_ref/
class_m_anim_curve_change.html), and the stand-in's addKeys takes none.
"""
from __future__ import absolute_import

from bisect import bisect_left

# A finite queue, 50 entries unless undoInfo(infinity=True) or length=... says otherwise
# (undoInfo: "-length: Specifies the maximum number of items in the undo queue. The infinity flag
# overrides this one.", page above). The 50 is the stand-in's choice, not a documented default.
DEFAULT_LENGTH = 50


def _slots(cls):
    names = []
    for klass in reversed(cls.__mro__):
        names.extend(getattr(klass, "__slots__", ()))
    return tuple(names)


_SLOTS = {}


def _copy_value(name, value):
    if name == "layered":  # channel -> list of layers: the lists change in place
        return dict([(key, list(layers)) for key, layers in value.items()])
    if isinstance(value, list):
        return list(value)
    if isinstance(value, dict):
        return dict(value)
    return value


class _NodeSwap(object):
    """A node's whole state, kept at its first change in the entry."""
    __slots__ = ("node", "state")

    def __init__(self, node):
        self.node = node
        self.state = self._capture()

    def _capture(self):
        node = self.node
        names = _SLOTS.get(type(node))
        if names is None:
            names = _SLOTS[type(node)] = _slots(type(node))
        # Built from a list: a tuple grown from a generator is resized after the fact, which
        # moves blocks between the interpreter's tuple free lists on every capture.
        return tuple([_copy_value(name, getattr(node, name)) for name in names])

    def swap(self):
        kept, self.state = self.state, self._capture()
        for name, value in zip(_SLOTS[type(self.node)], kept):
            setattr(self.node, name, value)


class _KeySwap(object):
    """One key of a curve: whether the curve had a key at `time`, and its value."""
    __slots__ = ("curve", "time", "had", "value")

    def __init__(self, curve, time):
        self.curve = curve
        self.time = time
        self.had, self.value = self._read()

    def _read(self):
        times = self.curve.times
        i = bisect_left(times, self.time)
        if i < len(times) and times[i] == self.time:
            return True, self.curve.values[i]
        return False, None

    def swap(self):
        had, value = self._read()
        times, values = self.curve.times, self.curve.values
        i = bisect_left(times, self.time)
        if self.had:
            if had:
                values[i] = self.value
            else:
                times.insert(i, self.time)
                values.insert(i, self.value)
        elif had:
            del times[i]
            del values[i]
        self.had, self.value = had, value


# Not the current time: "currentTime is NOT undoable"
# (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/CommandsPython/currentTime.html).
# The working units are: "currentUnit is undoable" (its reference, _units.py). A units change
# replaces the scene's dict, so the dict itself is what is kept.
_SCENE_FIELDS = ("nodes", "by_name", "selection", "layers", "playback_min", "playback_max",
                 "animation_start", "animation_end", "_created", "units")


class _SceneSwap(object):
    """The scene's own state: which nodes it holds, their names, selection, layers, ranges."""
    __slots__ = ("scene", "state")

    def __init__(self, scene):
        self.scene = scene
        self.state = self._capture()

    def _capture(self):
        scene = self.scene
        return tuple([dict(scene.nodes),
                      dict([(name, list(nodes)) for name, nodes in scene.by_name.items()]),
                      list(scene.selection), list(scene.layers)] +
                     [getattr(scene, field) for field in _SCENE_FIELDS[4:]])

    def swap(self):
        kept, self.state = self.state, self._capture()
        for field, value in zip(_SCENE_FIELDS, kept):
            setattr(self.scene, field, value)


class Entry(object):
    __slots__ = ("name", "swaps")

    def __init__(self, name, swaps):
        self.name = name
        self.swaps = swaps

    def undo(self):
        for swap in reversed(self.swaps):
            swap.swap()

    def redo(self):
        for swap in self.swaps:
            swap.swap()


class Journal(object):
    def __init__(self):
        self.reset()

    def reset(self):
        self.state = True
        self.infinity = False
        self.length = DEFAULT_LENGTH
        self.depth = 0  # chunks open
        self.chunk_name = None
        self.undo_queue = []
        self.redo_queue = []
        self.swaps = None  # the entry being recorded, or None
        self._touched = set()
        self._scene_touched = False
        self._paused = 0

    # -- recording: the scene calls these before it changes ----------------------------------

    def recording(self):
        return self.swaps is not None and not self._paused

    def node_changing(self, node):
        if self.swaps is not None and not self._paused and id(node) not in self._touched:
            self._touched.add(id(node))
            self.swaps.append(_NodeSwap(node))

    def key_changing(self, curve, time):
        if self.swaps is not None and not self._paused and id(curve) not in self._touched:
            self.swaps.append(_KeySwap(curve, time))

    def scene_changing(self, scene):
        if self.swaps is not None and not self._paused and not self._scene_touched:
            self._scene_touched = True
            self.swaps.append(_SceneSwap(scene))

    def pause(self):
        """Changes made until resume() stay off the queue (API edits)."""
        self._paused += 1

    def resume(self):
        self._paused -= 1

    # -- entries -----------------------------------------------------------------------------

    def begin(self, name):
        self.swaps = []
        self._touched = set()
        self._scene_touched = False
        self.chunk_name = name

    def end(self):
        swaps, self.swaps = self.swaps, None
        self._touched = set()
        self._scene_touched = False
        if swaps:
            self.undo_queue.append(Entry(self.chunk_name, swaps))
            del self.redo_queue[:]
            if not self.infinity and len(self.undo_queue) > self.length:
                del self.undo_queue[:len(self.undo_queue) - self.length]
        self.chunk_name = None

    def command(self, op, impl, args, kwargs):
        """Run a command: inside an open chunk it joins the chunk, else it is its own entry."""
        if not self.state or self.swaps is not None:
            return impl(*args, **kwargs)
        self.begin(op)
        try:
            return impl(*args, **kwargs)
        finally:
            self.end()

    def open_chunk(self, name):
        self.depth += 1
        if self.depth == 1 and self.state:
            self.begin(name)

    def close_chunk(self):
        if self.depth == 0:
            return  # Maya ignores a close without an open
        self.depth -= 1
        if self.depth == 0 and self.swaps is not None:
            self.end()

    def flush(self):
        if self.swaps is not None:  # an open chunk starts again from the scene as it is
            self.begin(self.chunk_name)
        del self.undo_queue[:]
        del self.redo_queue[:]

    def undo(self):
        if self.swaps is not None:
            raise RuntimeError("undo: an undo chunk is open")
        if not self.undo_queue:
            return False
        entry = self.undo_queue.pop()
        entry.undo()
        self.redo_queue.append(entry)
        return True

    def redo(self):
        if self.swaps is not None:
            raise RuntimeError("redo: an undo chunk is open")
        if not self.redo_queue:
            return False
        entry = self.redo_queue.pop()
        entry.redo()
        self.undo_queue.append(entry)
        return True


journal = Journal()
