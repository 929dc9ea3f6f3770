"""Test control of the stand-in Maya host.

    import maya.standin as standin
    from maya import cmds

Scene and host state
    reset()                     fresh scene (Maya's four startup cameras only), playback range
                                1-120, time 1, evaluation mode "parallel", redraw not
                                suspended, time slider visible, default user script directory,
                                main window None; the call log, warnings and in-view messages
                                emptied, faults cleared, logging on. (cmds.file(new=True,
                                force=True) renews only the scene.)
    refresh_suspended()         True while refresh(suspend=True) is in force
    time_slider_visible()       False after mel.eval("setTimeSliderVisible 0")
    evaluation_mode()           the evaluation manager's mode, e.g. "parallel"
    set_user_script_dir(path)   what internalVar(userScriptDir=True) answers (keep the
                                trailing "/" if you want Maya's form)
    set_main_window(obj)        what OpenMayaUI.MQtUtil.mainWindow() answers (None = batch)
    set_maya_version(text)      what about(version=True) answers ("2024" after reset())
    set_batch(on)               batch mode: about(batch=True) answers it, no shelves
    shelf_buttons(shelf)        the buttons on a shelf, in order, each a dict of the flags it
                                was made with (shelves: Curves ... Custom, "Custom" selected)
    saved_shelf_count()         how many times saveAllShelves ran
    press_escape_at_check(n)    Esc is pressed just before the n-th progressBar isCancelled
                                query from now (1 = the next); it counts only while the main
                                progress bar is up and interruptable. None forgets it.
    progress_bar()              the main progress bar as a dict: in_progress, begun and ended
                                (beginProgress / endProgress edits so far), status, value, max,
                                escape_pending (an Esc asked for that has not been pressed yet)
    scene_dump()                the whole scene as plain values (nodes in creation order
                                with parents, channels, connections, keys and layers;
                                selection and ranges; not the current time, which Maya
                                does not undo), for comparing two moments
    remove_unused_anim_curves() File > Optimize Scene Size's "Animation curves" cleanup: every
                                animCurve without connections deleted (names answered)
    undo_depth()                how many undo chunks are open (0 when they are balanced)
    run_idle()                  the host goes idle: each script job whose event (Undo, Redo)
                                triggered since runs once (see _script_jobs.py)
    script_jobs()               the numbers of the script jobs alive
    drop_python_file(path)      a .py file dropped onto the viewport, as Maya's handler takes it:
                                its folder put at sys.path[0], the file imported (it must not
                                be imported yet), onMayaDroppedPythonFile(path) called, then
                                sys.path[0] removed, whatever it is by then (see _drop.py)
    quit_session()              the host quits with its workspace saved: the open workspace
                                controls are remembered and their widgets deleted
    restore_workspace(saved)    the next session restores them: each made again, its uiScript
                                run (see _workspace.py)
    workspace_control_widget(name)
                                a workspace control's widget (of the process's Qt binding)

Undo: commands that change the scene go on the undo queue, one entry each, or one entry for
all of them between undoInfo(openChunk=True) and the matching closeChunk; cmds.undo() and
cmds.redo() walk the queue, API keys (addKeys) travel with their curve (see _undo.py).
menu_undo() and menu_redo() are the user's Edit > Undo and Redo: they alone trigger the scriptJob
events "Undo" and "Redo", which run at the next run_idle() (see _undo_commands.py).

Recordings (list objects that stay the same objects across reset())
    warnings                    texts given to cmds.warning, in order (each is also printed
                                to stderr as "Warning: {text}", as mayapy does)
    in_view_messages            texts of cmds.inViewMessage (amg / message), in order
    calls                       every host call in order as Call(op, args, kwargs); op is the
                                command name ("setKeyframe", "xform"), "mel.eval" or
                                "OpenMayaUI.MQtUtil.mainWindow". A call that fails (fault,
                                bad flag, missing node) is logged too.
    calls_of(op)                the calls of one op
    clear_calls()               empty the call log
    set_logging(on)             turn the call log off (e.g. for a benchmark) or on again

Host's Python API 2.0 (maya.api.OpenMaya, maya.api.OpenMayaAnim: the subset that keys a curve
in one call; its scene-reaching calls are logged as "OpenMaya.MSelectionList.add",
"OpenMaya.MSelectionList.getDependNode", "OpenMaya.MTime.uiUnit", "OpenMaya.MAngle.uiToInternal"
(and internalToUI, uiUnit; the same for MDistance), "OpenMayaAnim.MFnAnimCurve" (attaching) and
"OpenMayaAnim.MFnAnimCurve.addKeys", and take faults like commands)
    set_api_available(on)       off: importing maya.api.OpenMaya / OpenMayaAnim raises
                                ImportError, as in a host without that API; reset() turns it on

Faults (a failing call raises RuntimeError naming the op and the call number, before it has
any effect; counting starts with the next call)
    fail(op, on_call=n)         the n-th call of op from now fails (default n=1), once
    fail(op, always=True)       every call of op fails until clear_faults()
    fail_nth_call(n)            the n-th host call of any op from now fails, once
    fail_add_keys_partway(written, on_call=1)
                                the on_call-th MFnAnimCurve.addKeys from now writes its first
                                `written` keys and then raises RuntimeError (a failure after
                                keys were written, unlike fail(), which fails before any)
    clear_faults()

Units: the scene keeps values in centimetres and radians and times as frames of its working time
unit; commands speak the working units (cmds.currentUnit), the API the internal ones.

Every public operation of maya.cmds, maya.mel and maya.OpenMayaUI passes through one wrapper
that logs it and applies the faults. Commands take Maya's flag names (long and short); a flag
the stand-in does not serve raises TypeError, as Maya does for an unknown flag, and Maya usage
it does not model raises NotImplementedError (a RuntimeError).
"""
from __future__ import absolute_import

import sys as _sys

from . import OpenMayaUI, cmds, mel  # noqa: F401  (registers every host operation)
from .api import OpenMaya as _api_om, OpenMayaAnim as _api_oma  # noqa: F401  (the same)
from ._host import Call, answers, calls, faults, in_view_messages, settings, warnings  # noqa: F401
from ._host import reset as _reset_host
from ._drop import drop_python_file  # noqa: F401
from ._ui_commands import ui as _ui
from ._host import scene as _scene
from ._scene import AnimCurve as _AnimCurve
from ._undo import journal as _journal
from ._script_jobs import jobs as _jobs
from . import _undo_commands
from . import _workspace

__all__ = [
    "Call", "calls", "calls_of", "clear_calls", "clear_faults", "evaluation_mode", "fail",
    "fail_add_keys_partway",
    "fail_nth_call", "in_view_messages", "refresh_suspended", "reset", "set_logging",
    "set_main_window", "set_user_script_dir", "set_maya_version", "set_batch",
    "shelf_buttons", "saved_shelf_count", "time_slider_visible", "warnings",
    "set_api_available", "scene_dump", "undo_depth", "press_escape_at_check", "progress_bar",
    "drop_python_file", "run_idle", "menu_undo", "menu_redo", "script_jobs", "quit_session", "restore_workspace",
    "workspace_control_widget",
]

_API_MODULES = {"maya.api.OpenMaya": _api_om, "maya.api.OpenMayaAnim": _api_oma}


def reset():
    _reset_host()
    set_api_available(True)


def set_api_available(on):
    # A None entry in sys.modules makes the import statement raise ImportError (Python 2 and 3).
    for name, module in _API_MODULES.items():
        _sys.modules[name] = module if on else None


def calls_of(op):
    return [call for call in calls if call.op == op]


def clear_calls():
    del calls[:]
    del answers[:]


def record_answers(on):
    """Keep each logged call's answer in `answers` (off by default: long answers stay alive)."""
    settings.answers = bool(on)


def numbers_in(answer):
    """How many numbers an answer holds, nested lists and tuples counted through (truth values
    and text are not numbers)."""
    if isinstance(answer, bool):
        return 0
    if isinstance(answer, (int, float)) or type(answer).__name__ == "long":
        return 1
    if isinstance(answer, (list, tuple)):
        return sum(numbers_in(each) for each in answer)
    return 0


def numbers_answered():
    """The numbers the recorded answers hold, all calls together."""
    return sum(numbers_in(answer) for _, answer in answers)


def set_logging(on):
    settings.logging = bool(on)


def fail(op, on_call=None, always=False):
    faults.fail(op, 1 if on_call is None else on_call, always)


def fail_nth_call(n):
    faults.fail_nth_call(n)


def fail_add_keys_partway(written, on_call=1):
    faults.fail_partway("OpenMayaAnim.MFnAnimCurve.addKeys", written, on_call)


def clear_faults():
    faults.clear()


def refresh_suspended():
    return settings.refresh_suspended


def time_slider_visible():
    return settings.time_slider_visible


def evaluation_mode():
    return settings.evaluation_mode


def set_user_script_dir(path):
    settings.user_script_dir = path


def set_main_window(obj):
    settings.main_window = obj


def set_maya_version(text):
    _ui.maya_version = text


def set_batch(on):
    _ui.batch = bool(on)


def shelf_buttons(shelf):
    return [dict(_ui.buttons[name], name=name) for name in _ui.shelves[shelf]]


def saved_shelf_count():
    return _ui.saved_shelves


def press_escape_at_check(n):
    if n is not None and n < 1:
        raise ValueError("n counts from 1")
    _ui.progress.escape_at_check = n


def progress_bar():
    bar = _ui.progress
    return {"in_progress": bar.in_progress, "begun": bar.begun, "ended": bar.ended,
            "status": bar.status, "value": bar.value, "max": bar.max_value,
            "escape_pending": bar.escape_at_check is not None}


def undo_depth():
    return _journal.depth


def quit_session():
    """The host quits with its workspace saved: every workspace control's widget is deleted (with
    whatever it holds); the answer is what restore_workspace takes."""
    return _workspace.quit_session()


def restore_workspace(saved):
    """A new session restores the saved workspace: each control is made again, its uiScript run."""
    _workspace.restore_workspace(saved)


def workspace_control_widget(name):
    """The binding's widget of a workspace control (what wrapInstance makes of findControl), or None."""
    control = _workspace.controls.get(name)
    return None if control is None or not control.alive() else control.widget


def run_idle():
    _jobs.run_idle()


def menu_undo():
    """The user's Edit > Undo (or Ctrl+Z): undo, with the scriptJob "Undo" event a script's
    cmds.undo() does not trigger."""
    _undo_commands.menu_undo()


def menu_redo():
    """The user's Edit > Redo (or Ctrl+Y): redo, with the scriptJob "Redo" event."""
    _undo_commands.menu_redo()


def script_jobs():
    return sorted(_jobs.jobs)


def _dump_node(node):
    kind = type(node).__name__
    found = [node.order, node.name, node.type]
    if kind in ("DagNode", "AnimBlend", "AnimLayer"):
        found += [node.parent.name if node.parent is not None else None,
                  [child.name for child in node.children],
                  sorted((attr, sorted((i, each.name) for i, each in value.items())
                          if isinstance(value, dict) else value) for attr, value in node.attrs.items()),
                  sorted((attr, link.plug_name(_scene)) for attr, link in node.inputs.items())]
    if kind == "AnimCurve":
        found += [list(node.times), list(node.values),
                  sorted((each.name, attr) for each, attr in node.outputs),
                  None if node.layer is None else (node.layer[0].name, node.layer[1].name,
                                                   node.layer[2])]
    elif kind == "AnimBlend":
        found += [None if node.layer is None else node.layer.name]
    elif kind == "AnimLayer":
        found += [node.override, node.mute, node.selected, node.preferred,
                  sorted((each.name, attr, None if curve is None else curve.name)
                         for (each, attr), curve in node.members.items()),
                  sorted((each.name, attr, blend.name)
                         for (each, attr), blend in node.blends.items())]
    return found


def remove_unused_anim_curves():
    """File > Optimize Scene Size with "Remove unused: Animation curves": "Deletes animCurve nodes
    that have no connections to other nodes in the scene, are not locked, and are not from
    referenced files" (Optimize Scene Size Options, https://help.autodesk.com/cloudhelp/ENU/
    MayaCRE-Basics/files/GUID-6798B37D-0FF0-4ED3-A151-5CC648BB8CED.htm). The stand-in has no
    referenced nodes. A curve of an animation layer is connected to the layer's blend
    node. Answers the names deleted, in creation order; one undo step of its own."""
    unused = [node for order, node in sorted(_scene.nodes.items()) if isinstance(node, _AnimCurve)
              and not node.outputs and node.layer is None and not node.locked
              and not _scene.message_links_to(node)]
    names = [node.name for node in unused]
    if unused:
        _journal.command("delete", lambda: [_scene.delete(node) for node in unused], (), {})
    return names


def scene_dump():
    nodes = [_scene.nodes[order] for order in sorted(_scene.nodes)]
    return {
        "nodes": [_dump_node(node) for node in nodes],
        "selection": [node.name for node in _scene.selection],
        "layers": [layer.name for layer in _scene.layers],
        # Not the current time: Maya's undo does not give it back (see _undo.py).
        "ranges": [_scene.playback_min, _scene.playback_max, _scene.animation_start,
                   _scene.animation_end],
    }
