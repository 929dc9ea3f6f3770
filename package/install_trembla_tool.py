"""Trembla Tool installer: drag this file from the package folder and drop it onto Maya's viewport.

Maya runs onMayaDroppedPythonFile() of a .py file dropped onto its viewport. This one:
  - copies the package beside it (trembla_tool.mod and the trembla_tool folder) into the user's
    modules folder, internalVar(userAppDir) + "modules" (~/maya/modules, Documents/maya/modules on
    Windows), which is always on Maya's MAYA_MODULE_PATH: later sessions find the module there;
  - makes the module importable in this session too;
  - adds one shelf button to the current shelf that opens the tool
    (import trembla_tool; trembla_tool.show()), unless an earlier install already made it;
  - says what it did (Script Editor lines and an in-view message).
Dropping it again updates the files and keeps the one button. Each file is written anew and renamed
over the old one, so a Maya that has the module loaded keeps running the old one until it restarts;
on Windows, where a loaded module cannot be replaced, restart Maya before dropping it again.
uninstall_trembla_tool.py, copied into the installed package, removes what this made and nothing
else (your presets file and its copies stay). A failure is one warning.
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
# The tool's preset store keeps trembla_presets.json beside the module, with its numbered
# ".<n>.bak" copies, its ".lock" and its temporaries (".trembla_presets.json.tmp-..."): all the
# user's, never copied, listed or removed.
PRESET_FILE = "trembla_presets.json"
# This installer's own temporaries, renamed over the files they replace.
_TEMPORARY_MARK = ".trembla-install-"
# A loaded module file stays mapped when a new file is renamed over it (POSIX); Windows refuses
# to replace a loaded .pyd at all.
_CAN_REPLACE_LOADED_MODULE = not sys.platform.startswith("win")


def is_users_file(name):
    """True for a file name the preset store makes (the user's) or the manifest."""
    return name.lstrip(".").startswith(PRESET_FILE) or name == MANIFEST


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


def _release(maya_version):
    digits = ""
    for char in str(maya_version).strip():
        if not char.isdigit():
            break
        digits += char
    return digits


def _mod_entries(path):
    """{(MAYAVERSION, PLATFORM): [PYTHONPATH folders]} of a .mod file as the install step writes it."""
    entries, current = {}, None
    with open(path) as handle:
        for line in handle:
            words = line.split()
            if words[:1] == ["+"]:
                conditions = dict(word.split(":", 1) for word in words[1:]
                                  if word.split(":", 1)[0] in ("MAYAVERSION", "PLATFORM"))
                current = entries.setdefault((conditions.get("MAYAVERSION"), conditions.get("PLATFORM")), [])
            elif current is not None and line.strip().startswith("PYTHONPATH+:="):
                current.append(line.strip()[len("PYTHONPATH+:="):].strip())
    return entries


def module_folder(source, maya_version):
    """The package folder holding the module for this Maya and this Python, as the package's .mod
    maps them (one build may serve two releases: Maya 2025 and 2026 share Qt 6 and Python 3.11);
    None when it has none."""
    try:
        entries = _mod_entries(os.path.join(source, MOD_FILE))
    except (IOError, OSError):
        return None
    suffix = "-py%d%d" % sys.version_info[:2]
    for folder in entries.get((_release(maya_version), platform_name()), []):
        if folder.endswith(suffix) and os.path.isdir(os.path.join(source, NAME, folder)):
            return folder
    return None


def user_modules_dir(cmds):
    return os.path.join(cmds.internalVar(userAppDir=True), "modules")


def _package_source(start):
    """The folder holding trembla_tool.mod and trembla_tool/: beside this file, or one up."""
    for folder in (start, os.path.dirname(start)):
        if os.path.isfile(os.path.join(folder, MOD_FILE)) and os.path.isdir(os.path.join(folder, NAME)):
            return folder
    return None


def _same_path(first, second):
    return os.path.normcase(os.path.abspath(first)) == os.path.normcase(os.path.abspath(second))


def _inside(path, folder):
    path, folder = os.path.normcase(os.path.abspath(path)), os.path.normcase(os.path.abspath(folder))
    return path.startswith(folder.rstrip(os.sep) + os.sep)


def _read_manifest(modules_dir):
    """What the last install listed, {"files": [...], "dirs": [...]} relative to modules_dir;
    None when the manifest is there but cannot be read or lists a path outside modules_dir."""
    path = os.path.join(modules_dir, NAME, MANIFEST)
    if not os.path.exists(path):
        return {"files": [], "dirs": []}
    try:
        with open(path) as handle:
            data = json.load(handle)
        listed = {"files": [str(f) for f in data["files"]], "dirs": [str(d) for d in data["dirs"]]}
    except (IOError, OSError, ValueError, KeyError, TypeError, UnicodeError):
        return None
    for relative in listed["files"] + listed["dirs"]:
        if os.path.isabs(relative) or ".." in relative.replace("\\", "/").split("/"):
            return None
    return listed


def _replace(temporary, target):
    """Renames temporary over target: a new file, so a process that has target loaded keeps its
    mapping of the old one."""
    if hasattr(os, "replace"):
        os.replace(temporary, target)
    elif os.name == "nt":  # Python 2 on Windows: os.rename refuses an existing target
        import ctypes
        def wide(path):
            return path if isinstance(path, type(u"")) else path.decode(sys.getfilesystemencoding())
        if not ctypes.windll.kernel32.MoveFileExW(wide(temporary), wide(target), 1):  # REPLACE_EXISTING
            raise ctypes.WinError()
    else:
        os.rename(temporary, target)


def _package_files(source):
    """(path relative to the modules folder, source path) of every file of the package."""
    found = [(MOD_FILE, os.path.join(source, MOD_FILE))]
    for root, folders, names in os.walk(os.path.join(source, NAME)):
        folders[:] = sorted(f for f in folders if f != "__pycache__")
        relative_root = os.path.relpath(root, source)
        for name in sorted(names):
            if is_users_file(name) or name.endswith(".pyc") or _TEMPORARY_MARK in name:
                continue
            found.append((os.path.join(relative_root, name).replace(os.sep, "/"), os.path.join(root, name)))
    return found


def _make_folders(modules_dir, relative, dirs):
    """Makes modules_dir/relative level by level, listing each folder it makes."""
    if not os.path.isdir(modules_dir):
        os.makedirs(modules_dir)
        dirs.add(".")
    path = modules_dir
    for part in [p for p in relative.split("/") if p]:
        path = os.path.join(path, part)
        if not os.path.isdir(path):
            os.mkdir(path)
            dirs.add(os.path.relpath(path, modules_dir).replace(os.sep, "/"))


def _write_manifest(modules_dir, files, dirs):
    manifest = {"files": sorted(files), "dirs": sorted(dirs)}
    path = os.path.join(modules_dir, NAME, MANIFEST)
    temporary = path + _TEMPORARY_MARK + str(os.getpid())
    with open(temporary, "w") as handle:
        json.dump(manifest, handle, indent=2)
    _replace(temporary, path)
    return manifest


def _copy_package(source, modules_dir, listed):
    """Writes every package file as a new file renamed over the old one and lists each, with every
    folder it made, in the manifest. Touches nothing else in modules_dir."""
    files = set(f for f in listed["files"] if not is_users_file(os.path.basename(f)))
    dirs = set(listed["dirs"])
    staged = []
    try:
        for relative, path in _package_files(source):
            _make_folders(modules_dir, os.path.dirname(relative), dirs)
            target = os.path.join(modules_dir, relative)
            temporary = os.path.join(os.path.dirname(target),
                                     "." + os.path.basename(target) + _TEMPORARY_MARK + str(os.getpid()))
            shutil.copy2(path, temporary)
            staged.append((relative, temporary, target))
        # The modules first: where one cannot be replaced (Windows, another Maya has it loaded),
        # the failure comes before any file changed.
        staged.sort(key=lambda item: not item[0].endswith((".so", ".pyd")))
        for relative, temporary, target in staged:
            _replace(temporary, target)
            files.add(relative)
        return _write_manifest(modules_dir, files, dirs)
    except BaseException:
        for _, temporary, _ in staged:
            if os.path.exists(temporary):
                os.remove(temporary)
        if os.path.isdir(os.path.join(modules_dir, NAME)):
            try:  # what did change stays listed, so that the uninstaller finds it
                _write_manifest(modules_dir, files, dirs)
            except (IOError, OSError):
                pass
        raise


def _loaded_module_file():
    module = sys.modules.get(NAME)
    return getattr(module, "__file__", None) if module is not None else None


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
    """Installs the package for this user; returns what it did as a dict (also printed), or None
    after one warning when it could not."""
    from maya import cmds, mel

    source = source or _package_source(os.path.dirname(os.path.abspath(__file__)))
    if source is None:
        cmds.warning("Trembla: no trembla_tool.mod and trembla_tool folder beside the installer; "
                     "drop the install_trembla_tool.py of an installed package")
        return None
    maya_version = cmds.about(version=True)
    folder = module_folder(source, maya_version)
    if folder is None:
        cmds.warning("Trembla: this package has no build for this Maya and Python (Maya %s, Python %d.%d); "
                     "nothing was installed" % ((_release(maya_version),) + tuple(sys.version_info[:2])))
        return None

    modules_dir = os.path.abspath(modules_dir or user_modules_dir(cmds))
    lines = []
    try:
        if _same_path(source, modules_dir):
            files = (_read_manifest(modules_dir) or {"files": []})["files"]
            lines.append("already installed in %s" % modules_dir)
        else:
            loaded = _loaded_module_file()
            if loaded and _inside(loaded, os.path.join(modules_dir, NAME)) and not _CAN_REPLACE_LOADED_MODULE:
                cmds.warning("Trembla: Trembla Tool is loaded in this Maya session and Windows cannot replace "
                             "a loaded module: restart Maya, then drop install_trembla_tool.py again before "
                             "opening the tool (nothing was changed)")
                return None
            listed = _read_manifest(modules_dir)
            if listed is None:
                lines.append("the list of an earlier install could not be read: it is written anew")
            files = _copy_package(source, modules_dir, listed or {"files": [], "dirs": []})["files"]
            lines.append("installed %d files into %s" % (len(files), modules_dir))
            if loaded:
                lines.append("the tool loaded in this session stays as it is until Maya restarts")
    except (IOError, OSError) as error:
        cmds.warning("Trembla: could not install into %s: %s" % (modules_dir, error))
        return None

    module_dir = os.path.join(modules_dir, NAME, folder)
    if module_dir not in sys.path:
        # Maya's drop handler put this file's folder at sys.path[0] and, once
        # onMayaDroppedPythonFile returns, removes sys.path[0] whatever it is then: the module
        # folder goes after the drop folder, so that it is the first entry when the handler is done.
        here = os.path.dirname(os.path.abspath(__file__))
        sys.path.insert(1 if sys.path and _same_path(sys.path[0], here) else 0, module_dir)
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
    return {"modules_dir": modules_dir, "module_dir": module_dir, "files": files,
            "shelf_button": made, "messages": lines}


def uninstall(modules_dir=None):
    """Removes what install() made and its manifest lists, and nothing else (never the preset
    store's files); returns what it did as a dict, or None after one warning when it could not."""
    from maya import cmds, mel

    modules_dir = os.path.abspath(modules_dir or user_modules_dir(cmds))
    manifest = _read_manifest(modules_dir)
    if manifest is None:
        cmds.warning("Trembla: cannot read %s, the list of what the installer wrote; nothing was removed "
                     "(remove the package from %s by hand, keeping your trembla_presets.json)"
                     % (os.path.join(modules_dir, NAME, MANIFEST), modules_dir))
        return None
    removed, kept = [], []
    try:
        for relative in manifest["files"]:
            path = os.path.join(modules_dir, relative)
            if os.path.isfile(path) and not is_users_file(os.path.basename(path)):
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
    except (IOError, OSError) as error:
        cmds.warning("Trembla: could not uninstall from %s: %s" % (modules_dir, error))
        return None
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
