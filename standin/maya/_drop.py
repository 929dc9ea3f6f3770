"""A .py file dropped onto the viewport.

Maya hands a dropped .py file to its own handler, executeDroppedPythonFile, which ships with Maya
and is not in the command reference. Modelled on its behaviour as the team's engineering notes and
the installer's bug report describe it (not on its source): it puts the file's folder at
sys.path[0], imports the file, calls its onMayaDroppedPythonFile, then removes sys.path[0] without
looking at what is there by then.
"""
from __future__ import absolute_import

import os
import sys


def drop_python_file(path):
    folder = os.path.dirname(os.path.abspath(path))
    name = os.path.splitext(os.path.basename(path))[0]
    if name in sys.modules:
        # Whether the handler imports a module of that name again is not described: not modelled.
        raise NotImplementedError("drop_python_file: %s is imported already; forget it from sys.modules "
                                  "first (a fresh session's drop)" % name)
    sys.path.insert(0, folder)
    try:
        module = __import__(name)
        module.onMayaDroppedPythonFile(path)
    finally:
        sys.path.pop(0)
