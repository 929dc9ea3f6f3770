"""Trembla Tool installer: drag this file from the package folder and drop it onto Maya's viewport.

Maya runs onMayaDroppedPythonFile() of a .py file dropped onto its viewport. This one:
  - copies the package beside it (trembla_tool.mod and the trembla_tool folder) into the user's
    modules folder, internalVar(userAppDir) + "modules" (~/maya/modules, Documents/maya/modules on
    Windows), which is always on Maya's MAYA_MODULE_PATH: later sessions find the module there;
  - makes the module importable in this session too;
  - adds one shelf button to the current shelf that opens the tool
    (import trembla_tool; trembla_tool.show()), unless an earlier install already made it;
  - says what it did (Script Editor lines and an in-view message).
Dropping it again updates the files and keeps the one button. uninstall_trembla_tool.py, copied into
the installed package, removes what this made and nothing else (your presets file stays).
Runs on Maya's Python 2.7 and 3.
"""
from __future__ import absolute_import, print_function

import json
import os
import shutil
import sys

NAME = "trembla_tool"
MOD_FILE = NAME + ".mod"
MANIFEST = "install_manifest.json"
SHELF_COMMAND = "import trembla_tool; trembla_tool.show()"
SHELF_LABEL = "Trembla Tool"
SHELF_ANNOTATION = "Trembla Tool: camera shake (added by install_trembla_tool.py)"
# Files the tool or Python write into the package folder: never copied, never removed.
_NOT_OURS = ("trembla_presets.json", "trembla_presets.json.bak", MANIFEST)


def _say(cmds, lines):
    for line in lines:
        print("Trembla Tool: " + line)
    cmds.inViewMessage(amg="<br>".join(lines), pos="midCenter", fade=True)


def platform_name():
    """The PLATFORM value of Maya's .mod syntax for this machine."""
    if sys.platform.startswith("win"):
        return "win64"
    if sys.platform == "darwin":
        return "mac"
    return "linux"


def module_folder_name(maya_version):
    """The package folder holding the module for this Maya version and this Python."""
    digits = ""
    for char in str(maya_version).strip():
        if not char.isdigit():
            break
        digits += char
    return "%s-maya%s-py%d%d" % (platform_name(), digits, sys.version_info[0], sys.version_info[1])


def user_modules_dir(cmds):
    return os.path.join(cmds.internalVar(userAppDir=True), "modules")


def _package_source(start):
    """The folder holding trembla_tool.mod and trembla_tool/: beside this file, or one up."""
    for folder in (start, os.path.dirname(start)):
        if os.path.isfile(os.path.join(folder, MOD_FILE)) and os.path.isdir(os.path.join(folder, NAME)):
            return folder
    return None


def _read_manifest(modules_dir):
    path = os.path.join(modules_dir, NAME, MANIFEST)
    if not os.path.isfile(path):
        return {"files": [], "dirs": []}
    with open(path) as handle:
        return json.load(handle)


def _copy_package(source, modules_dir, manifest):
    """Copies trembla_tool.mod and the trembla_tool tree; records every file and new folder."""
    files, dirs = set(manifest["files"]), set(manifest["dirs"])
    if not os.path.isdir(modules_dir):
        os.makedirs(modules_dir)
        dirs.add(".")
    for root, folders, names in os.walk(os.path.join(source, NAME)):
        folders[:] = [f for f in folders if f != "__pycache__"]
        relative_root = os.path.relpath(root, source)
        target_root = os.path.join(modules_dir, relative_root)
        if not os.path.isdir(target_root):
            os.makedirs(target_root)
            dirs.add(relative_root.replace(os.sep, "/"))
        for name in names:
            if name in _NOT_OURS or name.endswith(".pyc"):
                continue
            shutil.copy2(os.path.join(root, name), os.path.join(target_root, name))
            files.add(os.path.join(relative_root, name).replace(os.sep, "/"))
    shutil.copy2(os.path.join(source, MOD_FILE), os.path.join(modules_dir, MOD_FILE))
    files.add(MOD_FILE)
    manifest = {"files": sorted(files), "dirs": sorted(dirs)}
    with open(os.path.join(modules_dir, NAME, MANIFEST), "w") as handle:
        json.dump(manifest, handle, indent=2)
    return manifest


def _shelf_top_level(cmds, mel):
    if cmds.about(batch=True):
        return None
    top = mel.eval("$trembla_shelf_top = $gShelfTopLevel")
    if not top or not cmds.shelfTabLayout(top, exists=True):
        return None
    return top


def find_shelf_buttons(cmds, mel):
    """Every shelf button an install made: its command and annotation, on any shelf."""
    top = _shelf_top_level(cmds, mel)
    if top is None:
        return []
    found = []
    for shelf in cmds.shelfTabLayout(top, query=True, childArray=True) or []:
        for control in cmds.shelfLayout(shelf, query=True, childArray=True) or []:
            try:
                command = cmds.shelfButton(control, query=True, command=True)
                annotation = cmds.shelfButton(control, query=True, annotation=True)
            except RuntimeError:  # a separator or another kind of control
                continue
            if command == SHELF_COMMAND and annotation == SHELF_ANNOTATION:
                found.append(control)
    return found


def install(modules_dir=None, source=None):
    """Installs the package for this user; returns what it did as a dict (also printed)."""
    from maya import cmds, mel

    source = source or _package_source(os.path.dirname(os.path.abspath(__file__)))
    if source is None:
        cmds.warning("Trembla: no trembla_tool.mod and trembla_tool folder beside the installer; "
                     "drop the install_trembla_tool.py of an installed package")
        return None
    folder = module_folder_name(cmds.about(version=True))
    if not os.path.isdir(os.path.join(source, NAME, folder)):
        cmds.warning("Trembla: this package has no build for this Maya and Python (%s); "
                     "nothing was installed" % folder)
        return None

    modules_dir = os.path.abspath(modules_dir or user_modules_dir(cmds))
    lines = []
    if os.path.abspath(source) == modules_dir:
        manifest = _read_manifest(modules_dir)
        lines.append("already installed in %s" % modules_dir)
    else:
        manifest = _copy_package(source, modules_dir, _read_manifest(modules_dir))
        lines.append("installed %d files into %s" % (len(manifest["files"]), modules_dir))

    module_dir = os.path.join(modules_dir, NAME, folder)
    if module_dir not in sys.path:
        sys.path.insert(0, module_dir)
    lines.append("module for this session: %s" % module_dir)

    buttons = find_shelf_buttons(cmds, mel)
    made = None
    top = _shelf_top_level(cmds, mel)
    if buttons:
        lines.append("shelf button already there (%s)" % buttons[0])
    elif top is None:
        lines.append("no shelf (batch mode): no shelf button made")
    else:
        shelf = cmds.shelfTabLayout(top, query=True, selectTab=True)
        made = cmds.shelfButton(parent=top + "|" + shelf, label=SHELF_LABEL, annotation=SHELF_ANNOTATION,
                                command=SHELF_COMMAND, sourceType="python", image="pythonFamily.png",
                                imageOverlayLabel="Shake")
        cmds.saveAllShelves(top)  # kept for the next session even if Maya does not exit cleanly
        lines.append("shelf button added to shelf %s" % shelf)
    lines.append("open it with: " + SHELF_COMMAND)
    _say(cmds, lines)
    return {"modules_dir": modules_dir, "module_dir": module_dir, "files": manifest["files"],
            "shelf_button": made, "messages": lines}


def uninstall(modules_dir=None):
    """Removes what install() made, and nothing else; returns what it did as a dict."""
    from maya import cmds, mel

    modules_dir = os.path.abspath(modules_dir or user_modules_dir(cmds))
    manifest = _read_manifest(modules_dir)
    removed, kept = [], []
    for relative in manifest["files"]:
        path = os.path.join(modules_dir, relative)
        if os.path.isfile(path):
            os.remove(path)
            removed.append(relative)
    manifest_path = os.path.join(modules_dir, NAME, MANIFEST)
    if os.path.isfile(manifest_path):
        os.remove(manifest_path)
    for relative in sorted(manifest["dirs"], key=lambda d: (d == ".", -d.count("/"))):
        path = os.path.normpath(os.path.join(modules_dir, relative))
        if os.path.isdir(path):
            if os.listdir(path):
                kept.extend(os.path.join(relative, name) for name in sorted(os.listdir(path)))
            else:
                os.rmdir(path)
    package_dir = os.path.join(modules_dir, NAME)
    sys.path[:] = [entry for entry in sys.path  # the module folders install() put there
                   if not (os.path.dirname(entry) == package_dir and "-maya" in os.path.basename(entry))]
    buttons = find_shelf_buttons(cmds, mel)
    for button in buttons:
        cmds.deleteUI(button, control=True)
    if buttons:
        cmds.saveAllShelves(_shelf_top_level(cmds, mel))

    lines = ["removed %d files from %s" % (len(removed), modules_dir),
             "removed %d shelf button(s)" % len(buttons)]
    leftovers = [k for k in kept if not os.path.isdir(os.path.join(modules_dir, k))]
    if leftovers:
        lines.append("kept what the installer did not make: " + ", ".join(leftovers))
    if not manifest["files"]:
        lines.append("no installed package found in %s" % modules_dir)
    _say(cmds, lines)
    return {"removed": removed, "kept": leftovers, "shelf_buttons": buttons, "messages": lines}


def onMayaDroppedPythonFile(*args):
    """Maya calls this when the file is dropped onto the viewport."""
    install()
