"""Trembla Tool uninstaller: drop this file (in the installed trembla_tool folder of your modules
folder) onto Maya's viewport, or run uninstall_trembla_tool.uninstall() from the Script Editor.
Removes what install_trembla_tool.py made and listed in install_manifest.json -- the package files,
trembla_tool.mod and the shelf button -- and nothing else: your trembla_presets.json, its numbered
.bak copies and its lock stay. Removes nothing when the manifest cannot be read. Restart Maya
afterwards."""
from __future__ import absolute_import

import os
import sys


def _installer():
    here = os.path.dirname(os.path.abspath(__file__))
    if here not in sys.path:
        sys.path.insert(0, here)
    import install_trembla_tool
    return install_trembla_tool


def uninstall(modules_dir=None):
    """Removes the package this file belongs to (or, given one, the package in modules_dir)."""
    if modules_dir is None:
        parent = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        if os.path.isfile(os.path.join(parent, "trembla_tool", "install_manifest.json")):
            modules_dir = parent
    return _installer().uninstall(modules_dir)


def onMayaDroppedPythonFile(*args):
    """Maya calls this when the file is dropped onto the viewport."""
    uninstall()
