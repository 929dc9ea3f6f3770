"""maya.cmds: the host commands the stand-in serves (each documented where it is defined)."""
from . import _animation_commands, _host_commands, _scene_commands, _ui_commands
from ._host import operation as _operation

for _module in (_scene_commands, _animation_commands, _host_commands, _ui_commands):
    for _name in _module.COMMANDS:
        globals()[_name] = _operation(_name, getattr(_module, _name))
del _module, _name
