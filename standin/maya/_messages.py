"""Callbacks registered through the API on the host's messages (OpenMaya.MMessage and its
subclasses); the stand-in models the anim curve edited message and the scene messages after a new
scene and after a file opened.

MSceneMessage.addCallback(message, function, clientData=None) -> id registers a function "that
will be executed whenever the specified message occurs" (C++ reference, MSceneMessage,
https://help.autodesk.com/cloudhelp/2018/ENU/Maya-SDK/cpp_ref/class_m_scene_message.html; the
Python API 2.0 reference lists its constants, kAfterNew = 2, kAfterImport = 4, kAfterOpen = 6,
kAfterLoadReference = 37, kAfterCreateReference = 45). file() tells kAfterNew and kAfterOpen once
the scene is in place.

MAnimMessage.addAnimCurveEditedCallback(function, clientData=None) -> id: "This method registers a
callback that is called whenever an AnimCurve is edited. function - callable which will be passed
a MObjectArray object containing an array of AnimCurves which have been edited, and the clientData
object" (Python API 2.0 reference, OpenMayaAnim.MAnimMessage, https://help.autodesk.com/cloudhelp/
2024/ENU/MAYA-API-REF/py_ref/class_open_maya_anim_1_1_m_anim_message.html). MMessage.removeCallback(id)
removes it; an id already removed raises.

When: the reference says "whenever", not when. The stand-in calls the callbacks as soon as a
command that may have edited a curve returns (every non-query use of the commands that key, cut,
change tangents or infinity, copy, delete or load, an API addKeys, an undo or a redo), and tells
every curve of the scene as edited: it tells more often than the host may, never less. A callback
that raises prints its traceback; the command still succeeds, as the host's script editor shows
a callback's error."""
from __future__ import absolute_import, print_function

import sys
import traceback

# Commands that may edit an animation curve; for those with a query mode only their edits.
_EDITING = frozenset(["setKeyframe", "cutKey", "keyframe", "keyTangent", "setInfinity", "duplicate",
                      "delete", "file", "animLayer", "mel.eval", "undo", "redo",
                      "OpenMayaAnim.MFnAnimCurve.addKeys"])


class Registry(object):
    def __init__(self):
        self.reset()

    def reset(self):
        self.curve_edited = {}  # id -> (function, clientData)
        self.scene = {}  # id -> (message, function, clientData)
        self._next = 1

    # The MObjectArray the callbacks take, from a function answering the nodes; set by
    # api/OpenMaya.py, which holds the types (a test may hide the API's modules from imports while
    # callbacks stay registered).
    curve_array = staticmethod(lambda nodes: nodes())

    def add_curve_edited(self, function, client_data):
        if not callable(function):
            raise TypeError("addAnimCurveEditedCallback: the function must be callable")
        number = self._next
        self._next += 1
        self.curve_edited[number] = (function, client_data)
        return number

    def add_scene(self, message, function, client_data):
        if not callable(function):
            raise TypeError("addCallback: the function must be callable")
        number = self._next
        self._next += 1
        self.scene[number] = (int(message), function, client_data)
        return number

    def remove(self, number):
        if self.curve_edited.pop(number, None) is None and self.scene.pop(number, None) is None:
            raise RuntimeError("(kFailure): Unexpected Internal Failure: no callback %r" % (number,))

    def scene_message(self, message):
        """Called by file() after a new scene (2) or a file opened (6)."""
        for wanted, function, client_data in list(self.scene.values()):
            if wanted != message:
                continue
            try:
                function(client_data)
            except Exception:
                traceback.print_exc(file=sys.stdout)

    def after(self, op, kwargs):
        """Called by every host command once it has run."""
        if not self.curve_edited or op not in _EDITING:
            return
        if kwargs.get("q") or kwargs.get("query"):
            return
        self.curves_edited()

    def curves_edited(self):
        if not self.curve_edited:
            return
        edited = self.curve_array(_scene_curves)
        for function, client_data in list(self.curve_edited.values()):
            try:
                function(edited, client_data)
            except Exception:
                traceback.print_exc(file=sys.stdout)


def _scene_curves():
    from ._host import scene
    from ._scene import AnimCurve
    return [node for node in scene.nodes.values() if isinstance(node, AnimCurve)]


messages = Registry()
