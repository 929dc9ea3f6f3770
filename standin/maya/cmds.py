"""maya.cmds: the host commands the stand-in serves (each documented where it is defined)."""
from . import (_animation_commands, _copy_commands, _host_commands, _locks, _references, _scene_commands,
               _script_jobs, _ui_commands, _undo_commands, _workspace)
from ._host import operation as _operation
from ._undo import journal as _journal


def _undoable(op, impl):
    """A command that changes the scene: its own undo entry, or part of the open chunk."""
    def command(*args, **kwargs):
        return _journal.command(op, impl, args, kwargs)
    command.__doc__ = impl.__doc__
    return command


# currentTime changes no undoable state ("currentTime is NOT undoable", https://
# help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/CommandsPython/currentTime.html).
_NOT_UNDOABLE = ("currentTime",)
for _module in (_scene_commands, _animation_commands, _copy_commands, _locks):
    for _name in _module.COMMANDS:
        _impl = getattr(_module, _name)
        if _name not in _NOT_UNDOABLE:
            _impl = _undoable(_name, _impl)
        globals()[_name] = _operation(_name, _impl)
for _module in (_host_commands, _ui_commands, _undo_commands, _script_jobs, _workspace, _references):
    for _name in _module.COMMANDS:
        globals()[_name] = _operation(_name, getattr(_module, _name))
del _module, _name, _impl
