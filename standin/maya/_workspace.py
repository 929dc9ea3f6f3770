"""Maya's workspace controls: named panels that host a tool's widgets, dock in the main window and
come back, built by their uiScript, when the host restores its workspace in a new session.

workspaceControl: "Creates and manages the widget used to host windows in a layout that enables
docking and stacking windows together"; it returns the control's name, and is queryable and
editable (https://help.autodesk.com/cloudhelp/2020/JPN/Maya-Tech-Docs/CommandsPython/workspaceControl.html,
https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/PyMel/generated/functions/pymel.core.windows/pymel.core.windows.workspaceControl.html).
Flags served, as worded there:
  exists (ex): whether the control exists; label (l): the tab's text;
  retain (rt): "Sets whether the workspace control is retained (i.e. only hidden) or deleted when
    closed. Default value is true.";
  uiScript (ui): the script that builds the control's contents; the workspaces system saves it and
    runs it when it restores the control "the next time it is opened ... during any subsequent Maya
    startup, which is the time that any saved workspace is restored" (Writing Workspace controls,
    https://help.autodesk.com/cloudhelp/2022/ENU/Maya-SDK/Maya-Python-API/Writing-Workspace-controls.html;
    a uiScript given through Python is Python, as that page's PySide example passes one);
  initialWidth (iw) / initialHeight (ih): the size when first made;
  dockToMainWindow (dtm): [side, tab]: dock into the main window on that side;
  floating (fl); close (cl, edit): "Closes the workspace control."; visible (vis);
  resizeWidth (rsw) / resizeHeight (rsh, edit): resize the control; width (w) / height (h), query.
The control's widget is a real Qt widget of the process's own Qt for Python binding (Maya's
MQtUtil.findControl gives its pointer, which wrapInstance turns into a widget); a control without
such a binding cannot be made here (the stand-in never loads a Qt of its own). Docking is recorded,
not laid out: the widget stays a window of its own, as a floating control is.
"""
from __future__ import absolute_import

import sys

from ._flags import FlagSet, query_one
from ._ui_commands import ui

_FLAGS = FlagSet("workspaceControl",
                 "query|q edit|e exists|ex label|l retain|rt uiScript|ui initialWidth|iw "
                 "initialHeight|ih dockToMainWindow|dtm floating|fl close|cl visible|vis "
                 "resizeWidth|rsw resizeHeight|rsh width|w height|h")
_CREATE_FLAGS = ("label", "retain", "uiScript", "initialWidth", "initialHeight", "dockToMainWindow",
                 "floating")
_QUERIES = ("label", "retain", "uiScript", "visible", "floating", "width", "height")
# The size of a control made without initialWidth/initialHeight: not given by the reference.
DEFAULT_SIZE = (300, 600)


def binding():
    """(QtWidgets, shiboken) of the Qt for Python binding already loaded in this process, or None."""
    for widgets, shiboken in (("PySide6.QtWidgets", "shiboken6"), ("PySide2.QtWidgets", "shiboken2")):
        if sys.modules.get(widgets) is not None and sys.modules.get(shiboken) is not None:
            return sys.modules[widgets], sys.modules[shiboken]
    return None


class Control(object):
    def __init__(self, name, flags):
        found = binding()
        if found is None:
            raise RuntimeError("workspaceControl: the stand-in makes a control's widget with the "
                               "process's Qt for Python binding, and none is loaded")
        QtWidgets, self.shiboken = found
        self.name = name
        self.flags = dict((key, flags[key]) for key in _CREATE_FLAGS if key in flags)
        self.flags.setdefault("retain", True)
        self.flags.setdefault("label", name)
        self.widget = QtWidgets.QWidget()
        self.widget.setObjectName(name)
        layout = QtWidgets.QVBoxLayout(self.widget)
        layout.setContentsMargins(0, 0, 0, 0)
        self.widget.resize(int(flags.get("initialWidth", DEFAULT_SIZE[0])),
                           int(flags.get("initialHeight", DEFAULT_SIZE[1])))
        self.widget.show()

    def alive(self):
        return self.shiboken.isValid(self.widget)

    def delete(self):
        if self.alive():
            self.shiboken.delete(self.widget)

    def address(self):
        return self.shiboken.getCppPointer(self.widget)[0]


controls = {}  # name -> Control
_closed = []  # controls closed and deleted later, kept until then with their Python wrappers


def _live(name):
    control = controls.get(name)
    if control is not None and not control.alive():
        del controls[name]
        control = None
    return control


def workspaceControl(name, **kwargs):
    """workspaceControl(name, label=..., retain=..., uiScript=..., ...) -> name;
    (name, exists=True); (name, q=True, <flag>=True); (name, e=True, close=True | resizeWidth=n ...)."""
    flags = _FLAGS.parse(kwargs)
    if flags.get("exists"):
        return _live(name) is not None
    control = _live(name)
    if flags.get("query") or flags.get("edit"):
        if control is None:
            raise RuntimeError("workspaceControl: Object '%s' not found." % (name,))
        if flags.get("query"):
            asked = query_one("workspaceControl", flags, _QUERIES)
            if asked == "visible":
                return control.widget.isVisible()
            if asked in ("width", "height"):
                return getattr(control.widget, asked)()
            return control.flags.get(asked, False)
        return _edit(control, flags)
    if ui.batch:
        raise RuntimeError("workspaceControl: there is no interface in batch mode")
    if control is not None:
        raise RuntimeError("workspaceControl: Object's name '%s' is not unique." % (name,))
    controls[name] = Control(name, flags)
    return name


def _edit(control, flags):
    if "label" in flags:
        control.flags["label"] = flags["label"]
    if "resizeWidth" in flags or "resizeHeight" in flags:
        size = control.widget.size()
        control.widget.resize(int(flags.get("resizeWidth", size.width())),
                              int(flags.get("resizeHeight", size.height())))
    if "visible" in flags:
        control.widget.setVisible(bool(flags["visible"]))
    if flags.get("close"):
        if control.flags.get("retain"):
            control.widget.hide()
        else:
            # Deleted as Maya's own interface deletes a control: in Qt, from the event loop, never
            # under the caller (who may be a button of the control's contents).
            del controls[control.name]
            _closed.append(control)
            control.widget.deleteLater()
    return None


def find_control(name):
    """MQtUtil.findControl(name): the control's widget pointer, None when there is none."""
    control = _live(name)
    return None if control is None else control.address()


def quit_session():
    """The host quits: the open controls are saved with the workspace, then every control's widget
    (and what it holds) is deleted. Answers what restore_workspace takes."""
    saved = [(name, dict(control.flags)) for name, control in sorted(controls.items())
             if control.alive() and control.widget.isVisible()]
    reset()
    return saved


def restore_workspace(saved):
    """A new session restores the saved workspace: each control is made again and its uiScript run
    to build its contents."""
    for name, flags in saved:
        controls[name] = Control(name, flags)
        script = flags.get("uiScript")
        if script:
            exec(script, {"__name__": "__main__"})


def reset():
    for control in list(controls.values()) + _closed:
        control.delete()
    controls.clear()
    del _closed[:]


COMMANDS = ("workspaceControl",)
