"""maya.cmds: the host commands the stand-in serves (see maya._commands for each one)."""
from . import _commands
from ._host import operation as _operation

for _name in _commands.COMMANDS:
    globals()[_name] = _operation(_name, getattr(_commands, _name))
del _name
