"""maya.api.OpenMaya (Python API 2.0), the subset the tool uses: MSelectionList to find a node's
MObject by name, MTime / MTimeArray / MDoubleArray to carry the times and values of keys, and
MAngle / MDistance to convert values between the working (UI) units and the internal ones.

Value types (MObject, MTime, MTimeArray, MDoubleArray, an empty MSelectionList) are plain data
and are not logged; the calls that reach into the scene (MSelectionList.add, getDependNode,
MTime.uiUnit) are host operations: logged, and open to injected faults like maya.cmds.
"""
from __future__ import absolute_import

from operator import attrgetter

from .. import _units
from .._host import operation as _operation
from .._host import scene as _scene
from .._scene import string_types as _string_types

try:
    _INTEGERS = (int, long)  # noqa: F821  (Python 2)
except NameError:
    _INTEGERS = (int,)
_NUMBERS = _INTEGERS + (float,)

_INVALID_PARAMETER = "(kInvalidParameter): Object does not exist"


class MObject(object):
    """A handle on a scene node. It stays bound to that node; once the node is deleted (or the
    scene renewed) the handle no longer answers for it."""
    __slots__ = ("_node",)

    def __init__(self, node=None):
        self._node = node

    def isNull(self):
        return self._node is None


MObject.kNullObj = MObject()


def _without_self(args):
    return tuple(args[1:])


def _logged(value):
    """A logged argument as plain data: an MObject as its node's name, an array as a tuple."""
    if isinstance(value, MObject):
        return None if value._node is None else value._node.name
    if isinstance(value, _Array):
        return tuple(getattr(each, "value", each) for each in value)
    return value


def _alive(obj):
    """The scene node behind an MObject, or None when it is null or its node is gone."""
    node = obj._node if isinstance(obj, MObject) else None
    if node is None or _scene.nodes.get(node.order) is not node:
        return None
    return node


def _selection_add(self, pattern, mergeWithExisting=True):
    # add(pattern, mergeWithExisting=True) -> self: "Adds to the list any nodes, DAG paths,
    # components or plugs which match the given pattern string"; a pattern that matches nothing
    # raises RuntimeError (kInvalidParameter). Python API 2.0 reference, OpenMaya.MSelectionList,
    # https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/py_ref/class_open_maya_1_1_m_selection_list.html
    if not isinstance(pattern, _string_types):
        raise TypeError("an MSelectionList pattern must be a string, not %s"
                        % type(pattern).__name__)
    if any(c in pattern for c in "*?[."):
        raise NotImplementedError("MSelectionList.add: the stand-in takes a plain node name, "
                                  "not %r" % (pattern,))
    node = _scene.find(pattern)
    if node is None:
        raise RuntimeError(_INVALID_PARAMETER)
    if not any(each is node for each in self._items):
        self._items.append(node)
    return self


def _selection_get_depend_node(self, index):
    # getDependNode(index) -> MObject: "Returns the node at the given index"; an index past the
    # end raises IndexError (same reference as above).
    if not isinstance(index, _INTEGERS) or isinstance(index, bool):
        raise TypeError("an integer is required")
    if index < 0 or index >= len(self._items):
        raise IndexError("MSelectionList index out of range")
    return MObject(self._items[index])


class MSelectionList(object):
    """A list of scene nodes (the stand-in holds nodes only, no components or plugs)."""

    def __init__(self, other=None):
        self._items = list(other._items) if isinstance(other, MSelectionList) else []

    def length(self):
        return len(self._items)

    def __len__(self):
        return len(self._items)

    add = _operation("OpenMaya.MSelectionList.add", _selection_add, _without_self)
    getDependNode = _operation("OpenMaya.MSelectionList.getDependNode", _selection_get_depend_node,
                               _without_self)


def _ui_unit():
    # uiUnit() -> int: "Returns the Unit Type currently used by Maya's user interface" (static):
    # the scene's working time unit (currentUnit -time).
    return _units.entry("time", _scene.units["time"])[3]


class MTime(object):
    """A time value and its unit. MTime(value, unit=kFilm) (Python API 2.0 reference,
    OpenMaya.MTime, https://help.autodesk.com/cloudhelp/2017/CHS/Maya-SDK/py_ref/
    class_open_maya_1_1_m_time.html). The stand-in models seconds and the frame units of
    currentUnit -time (game 15 ... ntscf 60 fps)."""
    __slots__ = ("value", "unit")

    kInvalid = 0
    kSeconds = 3
    kGames = 5
    kFilm = 6
    kPALFrame = 7
    kNTSCFrame = 8
    kShowScan = 9
    kPALField = 10
    kNTSCField = 11

    def __init__(self, value=None, unit=None):
        if type(value) is float and type(unit) is int:  # the common case, checked at once
            self.value, self.unit = value, unit
            return
        if isinstance(value, MTime):
            self.value, self.unit = value.value, value.unit
            return
        if value is None:
            # MTime(): "value 1.0 and unit set to the current UI unit"
            value, unit = 1.0, _ui_unit() if unit is None else unit
        elif unit is None:
            unit = MTime.kFilm
        if isinstance(value, bool) or not isinstance(value, _NUMBERS):
            raise TypeError("an MTime value must be a number, not %s" % type(value).__name__)
        if isinstance(unit, bool) or not isinstance(unit, _INTEGERS):
            raise TypeError("an MTime unit must be an int, not %s" % type(unit).__name__)
        self.value = float(value)
        self.unit = unit

    def __repr__(self):
        return "maya.api.OpenMaya.MTime(%r, %d)" % (self.value, self.unit)

    uiUnit = staticmethod(_operation("OpenMaya.MTime.uiUnit", _ui_unit))


def _unit_methods(cls, op_prefix, kind):
    """The static conversions MAngle and MDistance share (Python API 2.0 reference,
    OpenMaya.MAngle, https://help.autodesk.com/cloudhelp/2020/ENU/Maya-SDK-MERGED/py_ref/
    class_open_maya_1_1_m_angle.html, and OpenMaya.MDistance, https://help.autodesk.com/cloudhelp/
    2025/ENU/MAYA-API-REF/py_ref/class_open_maya_1_1_m_distance.html): uiToInternal(value) from
    the working unit to the internal one (radians, centimetres), internalToUI(value) back,
    uiUnit() the working unit's constant, internalUnit() the internal one's."""
    def number(value, op):
        if isinstance(value, bool) or not isinstance(value, _NUMBERS):
            raise TypeError("%s: a number is required, not %s" % (op, type(value).__name__))
        return float(value)

    def ui_to_internal(value):
        return _units.to_internal(_scene.units, kind, number(value, "uiToInternal"))

    def internal_to_ui(value):
        return _units.to_ui(_scene.units, kind, number(value, "internalToUI"))

    def ui_unit():
        return cls._BY_NAME[_units.entry(kind, _scene.units[kind])[0]]

    cls.uiToInternal = staticmethod(_operation(op_prefix + ".uiToInternal", ui_to_internal))
    cls.internalToUI = staticmethod(_operation(op_prefix + ".internalToUI", internal_to_ui))
    cls.uiUnit = staticmethod(_operation(op_prefix + ".uiUnit", ui_unit))
    cls.internalUnit = staticmethod(lambda: cls._INTERNAL)
    return cls


class _Measure(object):
    """A value and its unit; asUnits(unit) converts it."""
    __slots__ = ("value", "unit")

    def __init__(self, value=0.0, unit=None):
        if isinstance(value, type(self)):
            value, unit = value.value, value.unit
        if isinstance(value, bool) or not isinstance(value, _NUMBERS):
            raise TypeError("%s: the value must be a number" % type(self).__name__)
        unit = self._INTERNAL if unit is None else unit
        if unit not in self._SIZES:
            raise ValueError("%s: %r is not a unit type" % (type(self).__name__, unit))
        self.value, self.unit = float(value), unit

    def asUnits(self, unit):
        if unit not in self._SIZES:
            raise ValueError("%s: %r is not a unit type" % (type(self).__name__, unit))
        return self.value * self._SIZES[self.unit] / self._SIZES[unit]


class MAngle(_Measure):
    """MAngle(value, unit=kRadians); unit constants kInvalid 0, kRadians 1, kDegrees 2,
    kAngMinutes 3, kAngSeconds 4 (reference above)."""
    __slots__ = ()
    kInvalid, kRadians, kDegrees, kAngMinutes, kAngSeconds = range(5)
    _INTERNAL = kRadians
    _SIZES = {kRadians: 1.0, kDegrees: _units.ANGLE[0][2], kAngMinutes: _units.ANGLE[0][2] / 60.0,
              kAngSeconds: _units.ANGLE[0][2] / 3600.0}
    _BY_NAME = {"rad": kRadians, "deg": kDegrees}

    def asRadians(self):
        return self.asUnits(MAngle.kRadians)

    def asDegrees(self):
        return self.asUnits(MAngle.kDegrees)


class MDistance(_Measure):
    """MDistance(value, unit=kCentimeters); unit constants kInvalid 0, kInches 1, kFeet 2,
    kYards 3, kMiles 4, kMillimeters 5, kCentimeters 6, kKilometers 7, kMeters 8 (reference
    above)."""
    __slots__ = ()
    (kInvalid, kInches, kFeet, kYards, kMiles, kMillimeters, kCentimeters, kKilometers,
     kMeters) = range(9)
    _INTERNAL = kCentimeters
    _BY_NAME = {"in": kInches, "ft": kFeet, "yd": kYards, "mi": kMiles, "mm": kMillimeters,
                "cm": kCentimeters, "km": kKilometers, "m": kMeters}
    _SIZES = {kInches: 2.54, kFeet: 30.48, kYards: 91.44, kMiles: 160934.4, kMillimeters: 0.1,
              kCentimeters: 1.0, kKilometers: 100000.0, kMeters: 100.0}  # cm per unit

    def asCentimeters(self):
        return self.asUnits(MDistance.kCentimeters)


_unit_methods(MAngle, "OpenMaya.MAngle", "angle")
_unit_methods(MDistance, "OpenMaya.MDistance", "linear")


class _Array(object):
    """M*Array: constructed empty, from another array or a sequence of elements, or as
    (size, initialValue); indexable and sized like a list."""
    _element = None

    def __init__(self, *args):
        if not args:
            items = []
        elif len(args) == 1 and isinstance(args[0], _Array):
            items = [self._check(each) for each in args[0]._items]
        elif len(args) == 1 and isinstance(args[0], (list, tuple)):
            # Long arrays of the element's own type are taken whole: the type test runs in C.
            if set(map(type, args[0])) <= self._exact:
                items = list(args[0])
            else:
                items = [self._check(each) for each in args[0]]
        elif len(args) == 2 and isinstance(args[0], _INTEGERS):
            items = [self._check(args[1])] * args[0]
        else:
            raise TypeError("%s(): bad arguments %r" % (type(self).__name__, args))
        self._take(items)

    def _take(self, items):
        self._items = items

    def __len__(self):
        return len(self._items)

    def __getitem__(self, index):
        return self._items[index]

    def __iter__(self):
        return iter(self._items)

    def append(self, item):
        self._items.append(self._check(item))


class _HeldTime(MTime):
    """An element of an MTimeArray, looked at through the array: the array holds the times
    themselves, as the C++ array behind it "implements an array of MTimes ... compatible with the
    internal Maya implementation so that it can be passed efficiently between plugins and internal
    maya data structures" (C++ API reference, MTimeArray, https://help.autodesk.com/cloudhelp/
    2017/CHS/Maya-SDK/cpp_ref/class_m_time_array.html). A change through it is the array's
    change; the MTime the array was given is not the array's."""
    __slots__ = ("_array", "_index")

    def __init__(self, array, index):  # pylint: disable=super-init-not-called
        object.__setattr__(self, "_array", array)
        object.__setattr__(self, "_index", index)

    def _get_value(self):
        return self._array._values[self._index]

    def _set_value(self, value):
        self._array._set(self._index, MTime(value, self.unit))

    def _get_unit(self):
        return self._array._units[self._index]

    def _set_unit(self, unit):
        self._array._set(self._index, MTime(self.value, unit))

    value = property(_get_value, _set_value)
    unit = property(_get_unit, _set_unit)


class MTimeArray(_Array):
    """Array of MTime values, held as two columns (values, units). What addKeys reads of them,
    the times in frames of the working unit, is kept until the array or the unit changes: the
    host reads its native array at C++ speed, which a pass over Python objects per call would
    not model."""
    _exact = frozenset([MTime, _HeldTime])

    def _take(self, items):
        self._values = list(map(_value_of, items))
        self._units = list(map(_unit_of, items))
        self._frames = None  # (working time unit, frames, strictly ascending), see addKeys

    @property
    def _items(self):
        return [_HeldTime(self, i) for i in range(len(self._values))]

    @staticmethod
    def _check(item):
        if not isinstance(item, MTime):
            raise TypeError("an MTimeArray holds MTime values, not %s" % type(item).__name__)
        return item

    def __len__(self):
        return len(self._values)

    def __getitem__(self, index):
        if isinstance(index, slice):
            return [_HeldTime(self, i) for i in range(len(self._values))[index]]
        if index < 0:
            index += len(self._values)
        if not 0 <= index < len(self._values):
            raise IndexError("MTimeArray index out of range")
        return _HeldTime(self, index)

    def __iter__(self):
        return iter(self._items)

    def _set(self, index, time):
        self._values[index], self._units[index] = time.value, time.unit
        self._frames = None

    def append(self, item):
        item = self._check(item)
        self._values.append(item.value)
        self._units.append(item.unit)
        self._frames = None


_value_of = attrgetter("value")
_unit_of = attrgetter("unit")


class MDoubleArray(_Array):
    """Array of double values."""
    _exact = frozenset([float])

    @staticmethod
    def _check(item):
        if isinstance(item, bool) or not isinstance(item, _NUMBERS):
            raise TypeError("an MDoubleArray holds numbers, not %s" % type(item).__name__)
        return float(item)


class MObjectArray(_Array):
    """Array of MObject handles."""
    _exact = frozenset([MObject])

    @staticmethod
    def _check(item):
        if not isinstance(item, MObject):
            raise TypeError("an MObjectArray holds MObject values, not %s" % type(item).__name__)
        return item


class _CurvesArray(MObjectArray):
    """The MObjectArray a curve-edited callback gets, its handles made when first looked at: a
    command keying one key at a time sends one message per key."""

    def __init__(self, nodes):
        self._nodes = nodes

    @property
    def _items(self):
        return [MObject(node) for node in self._nodes()]


def _curve_array(nodes):
    return _CurvesArray(nodes)


def _remove_callback(number):
    # removeCallback(id) -> None: "Removes the specified callback" (Python API 2.0 reference,
    # OpenMaya.MMessage, https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/py_ref/
    # class_open_maya_1_1_m_message.html); _messages.py models the messages.
    from .._messages import messages
    messages.remove(number)


class MMessage(object):
    """Base of the message classes: removing a callback by its id."""
    removeCallback = staticmethod(_operation("OpenMaya.MMessage.removeCallback", _remove_callback))


def _add_scene_callback(message, function, clientData=None):
    # addCallback(message, function, clientData=None) -> id: _messages.py cites the reference.
    from .._messages import messages
    return messages.add_scene(message, function, clientData)


class MSceneMessage(MMessage):
    """Scene messages: the callbacks after a new scene, a file opened or imported, a reference."""
    kAfterNew = 2
    kAfterImport = 4
    kAfterOpen = 6
    kAfterLoadReference = 37
    kAfterCreateReference = 45
    addCallback = staticmethod(_operation("OpenMaya.MSceneMessage.addCallback", _add_scene_callback))


def _tell_messages():
    from .._messages import messages
    messages.curve_array = _curve_array


_tell_messages()
