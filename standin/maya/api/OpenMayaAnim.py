"""maya.api.OpenMayaAnim (Python API 2.0), the subset the tool uses: MFnAnimCurve attached to a
curve node, and addKeys to key it at many times in one call. Every call that reaches the scene
is a host operation (logged, open to injected faults); addKeys checks all of its arguments
before it writes anything, so a refused call leaves the curve as it was."""
from __future__ import absolute_import

from itertools import islice as _islice
from operator import lt as _lt

from .. import _units
from .._host import faults as _faults
from .._host import operation as _operation
from .._host import scene as _scene
from .._curve_eval import global_tangents as _global_tangents
from .._scene import DEFAULT_TANGENT as _DEFAULT_TANGENT
from .._scene import AnimCurve as _AnimCurve
from .._undo import journal
from .._messages import messages as _messages
from .OpenMaya import MDoubleArray, MMessage, MObject, MTime, MTimeArray, _alive, _logged

# Curve types by the MFnAnimCurve.AnimCurveType constants; the Python API 2.0 reference,
# OpenMayaAnim.MFnAnimCurve (https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/py_ref/
# class_open_maya_anim_1_1_m_fn_anim_curve.html), lists kAnimCurveTA ... kAnimCurveUnknown.
_CURVE_TYPES = {"animCurveTA": 0, "animCurveTL": 1, "animCurveTT": 2, "animCurveTU": 3}


def _logged_call(args):
    """Log the function set as the name of its curve, arrays as tuples."""
    node = getattr(args[0], "_node", None)
    return (None if node is None else node.name,) + tuple(_logged(each) for each in args[1:])


def _fn_init(self, obj=None):
    # __init__() / __init__(MObject object): "Initializes a new MFnAnimCurve and attaches it to an
    # animCurve object"; an object that is not an animCurve raises (kInvalidParameter).
    self._node = None
    if obj is None:
        return
    if not isinstance(obj, MObject):
        raise NotImplementedError("MFnAnimCurve: the stand-in attaches to an MObject only, not %s"
                                  % type(obj).__name__)
    node = _alive(obj)
    if not isinstance(node, _AnimCurve):
        raise RuntimeError("(kInvalidParameter): Object is incompatible with this method")
    self._node = node


def _times_in_frames(times):
    if isinstance(times, (list, tuple)):
        try:
            times = MTimeArray(times)
        except TypeError:
            raise TypeError("addKeys: times must hold MTime values")
    elif not isinstance(times, MTimeArray):
        raise TypeError("addKeys: times must be an MTimeArray or a sequence of MTime, not %s"
                        % type(times).__name__)
    # An MTime is a time in its own unit; the scene's keys sit at frames of the working time
    # unit (currentUnit -time), so a time in another unit lands where that unit says (frame 10
    # film is frame 20 show). Answers (frames, whether they strictly ascend); the array keeps
    # them while it and the working unit stay (MTimeArray), and nobody may change the list.
    working = _scene.units["time"]
    kept = times._frames
    if kept is not None and kept[0] == working:
        return kept[1], kept[2]
    ui_fps = _units.factor(_scene.units, "time")
    units = set(times._units)
    for unit in units:
        if _units.fps_of_mtime_unit(unit) is None:
            raise NotImplementedError("addKeys: the stand-in does not model MTime unit %r" % (unit,))
    if units <= set([_units.entry("time", working)[3]]):
        frames = times._values
    else:
        frames = [value * ui_fps / _units.fps_of_mtime_unit(unit)
                  for value, unit in zip(times._values, times._units)]
    ascending = all(map(_lt, frames, _islice(frames, 1, None)))
    times._frames = (working, frames, ascending)
    return frames, ascending


def _add_keys(self, times, values, tangentInType=0, tangentOutType=0, keepExistingKeys=False,
              change=None):
    # addKeys(times, values, tangentInType=kTangentGlobal, tangentOutType=kTangentGlobal,
    # keepExistingKeys=False, change=None) -> self: "Add a set of new keys with the given
    # corresponding values and tangent types at the specified times. This method only works for
    # animCurves of type kAnimCurveTA, kAnimCurveTL and kAnimCurveTU." (reference above).
    # kTangentGlobal takes the host's default tangent types, as setKeyframe does (keyTangent
    # -global, _curve_eval.py); the other types as named (_TYPE_NAMES). kTangentFixed, which
    # would need an angle addKeys does not take, is not modelled.
    node = _alive(MObject(self._node))
    if node is None:
        raise RuntimeError("(kInvalidParameter): Object does not exist")
    if node.type not in ("animCurveTA", "animCurveTL", "animCurveTU"):
        raise RuntimeError("(kInvalidParameter): addKeys works on animCurveTA, TL and TU only")
    frames, ascending = _times_in_frames(times)
    if not isinstance(values, (MDoubleArray, list, tuple)):
        raise TypeError("addKeys: values must be an MDoubleArray or a sequence of floats, not %s"
                        % type(values).__name__)
    numbers = (values if isinstance(values, MDoubleArray) else MDoubleArray(list(values)))._items
    if len(numbers) != len(frames):
        raise RuntimeError("(kInvalidParameter): times and values differ in length")
    for tangent in (tangentInType, tangentOutType):
        if tangent not in _TANGENT_TYPES:
            raise ValueError("addKeys: %r is not a TangentType" % (tangent,))
        if tangent == MFnAnimCurve.kTangentFixed:
            raise NotImplementedError("addKeys: the stand-in keys no kTangentFixed")
    in_type = _type_name(tangentInType, _global_tangents.in_type)
    out_type = _type_name(tangentOutType, _global_tangents.out_type)
    if change is not None:
        raise NotImplementedError("addKeys: the stand-in takes no MAnimCurveChange")
    if not keepExistingKeys and node.times and frames:
        # Not needed by the tool (it keys new curves, an empty one or one holding the key that
        # created it, always keeping what is there); not modelled.
        raise NotImplementedError("addKeys: the stand-in replaces no existing keys")
    # The values are in internal units, radians for an animCurveTA and centimetres for an
    # animCurveTL: "Unless otherwise specified all API methods use Maya internal units: cm and
    # radians" (Maya SDK, Appendix: Frequently asked questions, https://help.autodesk.com/
    # cloudhelp/2018/ENU/Maya-SDK/files/Appendices_Appendix_D_Frequently_asked_questions.htm);
    # addKeys has no unit argument (its sibling addKeysWithTangents has convertUnits). The curves
    # hold internal units, so the values go in as they are.
    written = _faults.partway(_ADD_KEYS)
    if written is not None:  # an injected failure after some keys are in
        frames, numbers = frames[:written], numbers[:written]
    # No MAnimCurveChange is given (the stand-in takes none), so nothing of this edit goes on the
    # undo queue: the keys travel with the curve when its creation is undone and redone.
    journal.pause()
    try:
        if ascending and (not node.times or not frames or frames[0] > node.times[-1]):
            # Ascending distinct times after every key already there: the arrays extend the keys.
            node.times.extend(frames)
            node.values.extend(numbers)
            _note_types(node, frames, in_type, out_type)
        else:
            for frame, value in zip(frames, numbers):
                node.set_key(frame, value, in_type, out_type)
    finally:
        journal.resume()
    if written is not None:
        raise RuntimeError("stand-in fault: %s failed after %d keys" % (_ADD_KEYS, written))
    return self


def _type_name(constant, global_type):
    return global_type if constant == MFnAnimCurve.kTangentGlobal else _TYPE_NAMES[constant]


def _note_types(node, frames, in_type, out_type):
    """The tangent types of keys appended in one go, where they are not the curve's defaults."""
    types = {}
    if in_type != _DEFAULT_TANGENT["inTangentType"]:
        types["inTangentType"] = in_type
    if out_type != _DEFAULT_TANGENT["outTangentType"]:
        types["outTangentType"] = out_type
    if types:
        for frame in frames:
            node.tangents[frame] = dict(types)
    elif node.tangents:  # a curve with no key of its own types has nothing to forget
        for frame in frames:
            node.tangents.pop(frame, None)


def _evaluate(self, time):
    # evaluate(MTime) -> float: "Evaluates the curve at the given time" (reference above), in
    # internal units as every API method answers (see _add_keys).
    node = _alive(MObject(self._node))
    if node is None:
        raise RuntimeError("(kInvalidParameter): Object does not exist")
    if not isinstance(time, MTime):
        raise TypeError("evaluate: time must be an MTime, not %s" % type(time).__name__)
    value = node.evaluate(_times_in_frames([time])[0][0])
    return 0.0 if value is None else value


class MFnAnimCurve(object):
    """Function set for animation curve nodes."""

    # TangentType and InfinityType constants, as numbered in the reference above (kTangentGlobal
    # first; the C++ MFnAnimCurve.h enum gives their order).
    (kTangentGlobal, kTangentFixed, kTangentLinear, kTangentFlat, kTangentSmooth, kTangentStep,
     kTangentSlow, kTangentFast, kTangentClamped, kTangentPlateau, kTangentStepNext,
     kTangentAuto) = range(12)
    kConstant, kLinear, kCycle, kCycleRelative, kOscillate = 0, 1, 3, 4, 5
    kAnimCurveTA, kAnimCurveTL, kAnimCurveTT, kAnimCurveTU = 0, 1, 2, 3

    __init__ = _operation("OpenMayaAnim.MFnAnimCurve", _fn_init,
                          lambda args: tuple(_logged(each) for each in args[1:]))
    addKeys = _operation("OpenMayaAnim.MFnAnimCurve.addKeys", _add_keys, _logged_call)
    evaluate = _operation("OpenMayaAnim.MFnAnimCurve.evaluate", _evaluate, _logged_call)

    @property
    def numKeys(self):
        return len(self._node.times) if _alive(MObject(self._node)) is not None else 0


_TANGENT_TYPES = frozenset(range(12))
# The keyTangent names of the TangentType constants (kTangentSmooth is the Graph Editor's spline).
_TYPE_NAMES = {MFnAnimCurve.kTangentLinear: "linear", MFnAnimCurve.kTangentFlat: "flat",
               MFnAnimCurve.kTangentSmooth: "spline", MFnAnimCurve.kTangentStep: "step",
               MFnAnimCurve.kTangentSlow: "slow", MFnAnimCurve.kTangentFast: "fast",
               MFnAnimCurve.kTangentClamped: "clamped", MFnAnimCurve.kTangentPlateau: "plateau",
               MFnAnimCurve.kTangentStepNext: "stepnext", MFnAnimCurve.kTangentAuto: "auto"}
_ADD_KEYS = "OpenMayaAnim.MFnAnimCurve.addKeys"


def _add_anim_curve_edited_callback(function, clientData=None):
    # addAnimCurveEditedCallback(function, clientData=None) -> id: "registers a callback that is
    # called whenever an AnimCurve is edited" (Python API 2.0 reference, OpenMayaAnim.MAnimMessage,
    # https://help.autodesk.com/cloudhelp/2024/ENU/MAYA-API-REF/py_ref/
    # class_open_maya_anim_1_1_m_anim_message.html); when it is called: _messages.py.
    return _messages.add_curve_edited(function, clientData)


class MAnimMessage(MMessage):
    """Animation messages: the anim curve edited callback."""
    addAnimCurveEditedCallback = staticmethod(
        _operation("OpenMayaAnim.MAnimMessage.addAnimCurveEditedCallback", _add_anim_curve_edited_callback))
