"""The Maya module package: `cmake --install` lays it out, the drag-and-drop installer copies it into
the user's modules folder and adds one shelf button, the uninstaller removes exactly what the
installer made. On the stand-in host, in temporary folders; Python 2.7 and 3."""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

import support

import maya.standin as standin
from maya import cmds

PACKAGE_SOURCES = os.path.join(support.REPO_DIR, "package")
sys.path.insert(0, PACKAGE_SOURCES)
import install_trembla_tool as installer  # noqa: E402

OPEN_TOOL = "import trembla_tool; trembla_tool.show()"
PYTHON = "py%d%d" % sys.version_info[:2]
# What the preset store makes beside the module: the user's.
PRESET_STORE_FILES = ["trembla_presets.json", "trembla_presets.json.1.bak", "trembla_presets.json.7.bak",
                      "trembla_presets.json.lock", ".trembla_presets.json.tmp-host-41-2"]


def read(path):
    with open(path) as handle:
        return handle.read()


def write(path, text):
    if not os.path.isdir(os.path.dirname(path)):
        os.makedirs(os.path.dirname(path))
    with open(path, "w") as handle:
        handle.write(text)


def files_under(root):
    found = []
    for folder, _, names in os.walk(root):
        found.extend(os.path.relpath(os.path.join(folder, n), root).replace(os.sep, "/") for n in names)
    return sorted(f for f in found if "__pycache__" not in f and not f.endswith(".pyc"))


class PackageCase(unittest.TestCase):
    """A package as `cmake --install` makes it (one module folder for the stand-in's Maya and this
    Python) in pkg/, and an empty user application folder app/ whose modules/ the install fills."""

    def setUp(self):
        standin.reset()
        self.root = tempfile.mkdtemp()
        self.app = os.path.join(self.root, "app")
        os.makedirs(self.app)
        standin.set_user_script_dir(self.app.replace(os.sep, "/") + "/scripts/")
        self.modules = os.path.join(self.app, "modules")
        self.folder = "%s-maya2024-%s" % (installer.platform_name(), PYTHON)
        self.pkg = os.path.join(self.root, "pkg")
        self.write_package({"2024": self.folder})
        for script in ("install_trembla_tool.py", "uninstall_trembla_tool.py"):
            shutil.copy(os.path.join(PACKAGE_SOURCES, script), os.path.join(self.pkg, "trembla_tool", script))
        shutil.copy(os.path.join(PACKAGE_SOURCES, "install_trembla_tool.py"), self.pkg)
        self.sys_path = list(sys.path)
        self.loaded = sys.modules.get("trembla_tool")

    def tearDown(self):
        sys.path[:] = self.sys_path
        sys.modules.pop("trembla_tool", None)
        if self.loaded is not None:
            sys.modules["trembla_tool"] = self.loaded
        for name in ("install_trembla_tool", "uninstall_trembla_tool"):
            module = sys.modules.get(name)
            if module is not None and not getattr(module, "__file__", "").startswith(PACKAGE_SOURCES):
                del sys.modules[name]
        shutil.rmtree(self.root)

    def write_package(self, folders, module="module"):
        """pkg/ as `cmake --install` makes it: a .mod entry per release, {release: folder}."""
        write(os.path.join(self.pkg, "trembla_tool.mod"), "".join(
            "+ MAYAVERSION:%s PLATFORM:%s trembla_tool 2.1 trembla_tool\nPYTHONPATH+:=%s\n"
            % (release, installer.platform_name(), folder) for release, folder in sorted(folders.items())))
        for folder in set(folders.values()):
            write(os.path.join(self.pkg, "trembla_tool", folder, "trembla_tool.so"), module)

    def drop(self, folder, script):
        """The file dropped onto the viewport, through the stand-in's model of Maya's drop handler
        (as in a fresh session: nothing of that name imported yet)."""
        sys.modules.pop(script[:-3], None)
        try:
            standin.drop_python_file(os.path.join(folder, script))
        finally:
            sys.modules.pop(script[:-3], None)

    def our_buttons(self):
        return [b for shelf in cmds.shelfTabLayout("ShelfLayout", q=True, childArray=True)
                for b in standin.shelf_buttons(shelf) if b["command"] == OPEN_TOOL]


class DroppingTheInstaller(PackageCase):

    def test_lays_out_the_package_in_the_user_modules_folder(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertEqual(files_under(self.modules), sorted([
            "trembla_tool.mod",
            "trembla_tool/%s/trembla_tool.so" % self.folder,
            "trembla_tool/install_manifest.json",
            "trembla_tool/install_trembla_tool.py",
            "trembla_tool/uninstall_trembla_tool.py",
        ]))
        self.assertIn("PYTHONPATH+:=%s" % self.folder, read(os.path.join(self.modules, "trembla_tool.mod")))

    def test_the_module_folder_is_first_on_sys_path_once_the_drop_handler_is_done(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertEqual(sys.path[0], os.path.join(self.modules, "trembla_tool", self.folder))
        self.assertNotIn(self.pkg, sys.path)  # its trembla_tool/ would import as an empty package

    def test_the_build_of_maya_2025_installs_in_2025_and_2026(self):
        folder = "%s-maya2025-%s" % (installer.platform_name(), PYTHON)
        self.write_package({"2025": folder, "2026": folder})
        for release in ("2025", "2026"):
            standin.set_maya_version(release)
            self.drop(self.pkg, "install_trembla_tool.py")
            self.assertEqual(sys.path[0], os.path.join(self.modules, "trembla_tool", folder))
            self.assertTrue(os.path.isfile(os.path.join(sys.path[0], "trembla_tool.so")))

    def test_a_second_drop_writes_new_files_so_a_loaded_module_keeps_its_own(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        installed = os.path.join(self.modules, "trembla_tool", self.folder, "trembla_tool.so")
        before = os.stat(installed).st_ino
        with open(installed) as loaded:  # a process that has the old file mapped
            self.write_package({"2024": self.folder}, module="module, version 2")
            sys.modules["trembla_tool"] = type(sys)("trembla_tool")
            sys.modules["trembla_tool"].__file__ = installed
            self.drop(self.pkg, "install_trembla_tool.py")
            self.assertEqual(loaded.read(), "module")
        self.assertNotEqual(os.stat(installed).st_ino, before)
        self.assertEqual(read(installed), "module, version 2")
        self.assertEqual(len(files_under(self.modules)), 5)  # no temporaries left
        self.assertIn("stays as it is until Maya restarts", standin.in_view_messages[-1])

    def test_on_windows_a_loaded_module_stops_a_second_install_before_anything_changes(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        installed = os.path.join(self.modules, "trembla_tool", self.folder, "trembla_tool.so")
        self.write_package({"2024": self.folder}, module="module, version 2")
        sys.modules["trembla_tool"] = type(sys)("trembla_tool")
        sys.modules["trembla_tool"].__file__ = installed
        installer._CAN_REPLACE_LOADED_MODULE = False
        try:
            self.assertIsNone(installer.install(source=self.pkg))
        finally:
            installer._CAN_REPLACE_LOADED_MODULE = True
        self.assertEqual(read(installed), "module")
        self.assertIn("restart Maya, then drop install_trembla_tool.py again", standin.warnings[-1])

    def test_adds_one_python_shelf_button_that_opens_the_tool_and_says_so(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        buttons = standin.shelf_buttons("Custom")
        self.assertEqual(len(buttons), 1)
        self.assertEqual((buttons[0]["command"], buttons[0]["sourceType"]), (OPEN_TOOL, "python"))
        self.assertEqual(standin.saved_shelf_count(), 1)
        said = standin.in_view_messages[-1]
        self.assertIn("installed 4 files into " + self.modules, said)
        self.assertIn("shelf button added to shelf Custom", said)

    def test_a_second_install_keeps_the_one_button_even_from_another_shelf(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        from maya import _ui_commands
        _ui_commands.ui.selected_shelf = "Animation"
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertEqual(len(self.our_buttons()), 1)
        self.assertEqual(standin.shelf_buttons("Animation"), [])
        self.assertIn("shelf button already there", standin.in_view_messages[-1])

    def test_a_package_without_a_build_for_this_maya_installs_nothing(self):
        standin.set_maya_version("2019")
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertFalse(os.path.exists(self.modules))
        self.assertEqual(self.our_buttons(), [])
        self.assertIn("has no build for this Maya and Python", standin.warnings[-1])

    def test_batch_mode_installs_the_files_and_makes_no_button(self):
        standin.set_batch(True)
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertTrue(os.path.isfile(os.path.join(self.modules, "trembla_tool.mod")))
        standin.set_batch(False)
        self.assertEqual(self.our_buttons(), [])
        self.assertIn("no shelf button made", standin.in_view_messages[-1])


class DroppingTheUninstaller(PackageCase):

    def test_removes_what_install_made_and_nothing_else(self):
        write(os.path.join(self.modules, "other_tool.mod"), "+ other_tool 1.0 other\n")
        self.drop(self.pkg, "install_trembla_tool.py")
        presets = os.path.join(self.modules, "trembla_tool", self.folder, "trembla_presets.json")
        write(presets, "{}")  # the tool's own file, made after the install
        user_button = cmds.shelfButton(parent="ShelfLayout|Custom", label="mine", command=OPEN_TOOL,
                                       sourceType="python", annotation="my own copy")
        installed = os.path.join(self.modules, "trembla_tool")

        self.drop(installed, "uninstall_trembla_tool.py")

        self.assertEqual(files_under(self.modules), [
            "other_tool.mod", "trembla_tool/%s/trembla_presets.json" % self.folder])
        self.assertEqual([b["name"] for b in self.our_buttons()], [user_button.rsplit("|", 1)[-1]])
        self.assertFalse(any(p.startswith(installed) for p in sys.path))
        self.assertIn("kept what the installer did not make", standin.in_view_messages[-1])

    def test_removes_the_folders_it_made_when_nothing_else_is_there(self):
        self.drop(self.pkg, "install_trembla_tool.py")
        self.drop(os.path.join(self.modules, "trembla_tool"), "uninstall_trembla_tool.py")
        self.assertFalse(os.path.exists(self.modules))  # install made modules/ itself
        self.assertEqual(self.our_buttons(), [])


class TheUsersFiles(PackageCase):
    """Installer and uninstaller touch only what their manifest lists; the preset store's files are
    the user's even where an earlier, faulty install listed them."""

    def test_the_preset_stores_files_are_never_copied_listed_or_removed(self):
        module_dir = os.path.join(self.modules, "trembla_tool", self.folder)
        for name in PRESET_STORE_FILES:  # a package folder the tool ran from, and the user's own
            write(os.path.join(self.pkg, "trembla_tool", self.folder, name), "package's")
            write(os.path.join(module_dir, name), "mine")
        self.drop(self.pkg, "install_trembla_tool.py")
        manifest_path = os.path.join(self.modules, "trembla_tool", "install_manifest.json")
        manifest = json.loads(read(manifest_path))
        self.assertEqual([f for f in manifest["files"] if "presets" in f], [])
        manifest["files"].append("trembla_tool/%s/trembla_presets.json.1.bak" % self.folder)
        write(manifest_path, json.dumps(manifest))
        self.drop(os.path.join(self.modules, "trembla_tool"), "uninstall_trembla_tool.py")
        self.assertEqual(dict((n, read(os.path.join(module_dir, n))) for n in os.listdir(module_dir)),
                         dict((n, "mine") for n in PRESET_STORE_FILES))

    def test_an_unreadable_manifest_lists_nothing_for_install_and_stops_uninstall(self):
        manifest_path = os.path.join(self.modules, "trembla_tool", "install_manifest.json")
        write(manifest_path, "{not json")
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertEqual(len(json.loads(read(manifest_path))["files"]), 4)
        write(manifest_path, '{"files": ["../../elsewhere"], "dirs": []}')
        installed = files_under(self.modules)
        self.drop(os.path.join(self.modules, "trembla_tool"), "uninstall_trembla_tool.py")
        self.assertEqual(files_under(self.modules), installed)
        self.assertIn("cannot read " + manifest_path, standin.warnings[-1])

    def test_a_modules_folder_that_cannot_be_written_is_one_warning(self):
        write(self.modules, "a file where the folder should be")  # refused even to root
        self.drop(self.pkg, "install_trembla_tool.py")
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn("could not install into " + self.modules, standin.warnings[0])
        self.assertEqual(self.our_buttons(), [])


def run(args):
    """(exit status, output) of a command."""
    process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = process.communicate()[0].decode("utf-8", "replace")
    return process.returncode, output


# The Maya releases that run each (Qt, Python) pair; Python 2.7 builds name theirs.
RELEASES = {("5", "3.7"): ["2022"], ("5", "3.9"): ["2023"], ("5", "3.10"): ["2024"], ("6", "3.11"): ["2025", "2026"]}


class InstallStep(unittest.TestCase):

    CASES = [  # (Qt, Python, TREMBLA_MAYA_VERSION, release the folder is named after; "": refused)
        ("5", "3.7", "", "2022"), ("5", "3.10", "", "2024"), ("6", "3.11", "", "2025"), ("6", "3.11", "2026", "2025"),
        ("5", "3.11", "", ""), ("5", "3.11", "2025", ""), ("6", "3.11", "2024", ""), ("6", "3.9", "", ""),
        ("5", "2.7", "2020", "2020"), ("5", "2.7", "", ""), ("5", "2.7", "2023", ""), ("6", "2.7", "2022", ""),
    ]

    def test_takes_the_release_from_qt_and_python_and_refuses_a_contradicting_name(self):
        root = tempfile.mkdtemp()
        try:
            script = os.path.join(root, "decide.cmake")
            write(script, "include(%s)\n" % os.path.join(support.REPO_DIR, "cmake", "TremblaMayaReleases.cmake")
                  + "".join('trembla_maya_release_of_build("%s" "%s" "%s" release refusal)\n'
                            'message("${release}|${refusal}")\n' % case[:3] for case in self.CASES))
            status, output = run(["cmake", "-P", script])
        finally:
            shutil.rmtree(root)
        self.assertEqual(status, 0, output)
        answers = [line.split("|", 1) for line in output.splitlines()]
        self.assertEqual([release for release, _ in answers], [case[3] for case in self.CASES], output)
        for (release, refusal), case in zip(answers, self.CASES):
            self.assertEqual("TREMBLA_MAYA_VERSION" in refusal, not release, case)

    def test_refuses_a_module_linking_a_shared_library_maya_does_not_ship(self):
        qt_core = "/usr/lib/x86_64-linux-gnu/libQt5Core.so.5"  # links libdouble-conversion.so.3
        if not os.path.isfile(qt_core):
            self.skipTest("needs Debian's Qt 5")
        script = os.path.join(support.REPO_DIR, "cmake", "TremblaModuleLinks.cmake")
        status, output = run(["cmake", "-DTREMBLA_MODULE_FILE=" + qt_core, "-DTREMBLA_OBJDUMP=objdump", "-P", script])
        self.assertNotEqual(status, 0, output)
        self.assertIn("libdouble-conversion.so.3", output)


@unittest.skipUnless(sys.version_info[0] == 3 and os.path.isfile(os.path.join(support.MODULE_DIR, "cmake_install.cmake")),
                     "needs a Python 3 CMake build directory")
class CMakeInstall(unittest.TestCase):

    def test_lays_out_a_build_maya_runs_and_refuses_any_other(self):
        cache = read(os.path.join(support.MODULE_DIR, "CMakeCache.txt"))
        qt, named = [re.search(r"^%s:\w+=(.*)$" % name, cache, re.M).group(1).strip()
                     for name in ("TREMBLA_QT", "TREMBLA_MAYA_VERSION")]
        releases = RELEASES.get((qt, "%d.%d" % sys.version_info[:2]), [])
        prefix = tempfile.mkdtemp()
        try:
            status, output = run(["cmake", "--install", support.MODULE_DIR, "--prefix", prefix])
            files = files_under(prefix)
            mod = read(os.path.join(prefix, "trembla_tool.mod")).splitlines() if status == 0 else []
            module = [f for f in files if f.count("/") == 2 and "/trembla_tool." in f]
            links = run(["objdump", "-p", os.path.join(prefix, module[0])])[1] if module else ""
        finally:
            shutil.rmtree(prefix)
        if not releases or (named and named not in releases):
            self.assertNotEqual(status, 0, output)
            self.assertIn("TREMBLA_MAYA_VERSION", output)
            self.assertEqual(files, [])
            return
        self.assertEqual(status, 0, output)
        self.assertEqual(len(module), 1, files)
        folder = module[0].split("/")[1]
        platform = folder.split("-")[0]
        self.assertEqual(folder, "%s-maya%s-%s" % (platform, releases[0], PYTHON))
        self.assertEqual(mod, sum([["+ MAYAVERSION:%s PLATFORM:%s trembla_tool 2.1 trembla_tool" % (r, platform),
                                    "PYTHONPATH+:=" + folder] for r in releases], []))
        import sysconfig
        self.assertTrue(module[0].endswith(sysconfig.get_config_var("EXT_SUFFIX")), module)  # tagged: Python 2 skips it
        self.assertTrue({"install_trembla_tool.py", "trembla_tool/uninstall_trembla_tool.py",
                         "trembla_tool/install_trembla_tool.py"} <= set(files))
        self.assertNotIn("double-conversion", links)  # Maya ships none: linked in statically

class ModFile(unittest.TestCase):

    def test_one_entry_per_maya_and_platform_with_python3_first_and_2025_serving_2026(self):
        prefix = tempfile.mkdtemp()
        try:
            for folder in ("linux-maya2022-py27", "linux-maya2022-py37", "linux-maya2020-py27",
                           "win64-maya2025-py311", "linux-maya2025-py311"):
                os.makedirs(os.path.join(prefix, "trembla_tool", folder))
            subprocess.check_output(["cmake", "-DTREMBLA_PACKAGE_DIR=" + prefix, "-DTREMBLA_VERSION=2.1", "-P",
                                     os.path.join(support.REPO_DIR, "cmake", "TremblaModFile.cmake")])
            with open(os.path.join(prefix, "trembla_tool.mod")) as handle:
                mod = handle.read().splitlines()
        finally:
            shutil.rmtree(prefix)
        self.assertEqual(mod, [
            "+ MAYAVERSION:2020 PLATFORM:linux trembla_tool 2.1 trembla_tool",
            "PYTHONPATH+:=linux-maya2020-py27",
            "+ MAYAVERSION:2022 PLATFORM:linux trembla_tool 2.1 trembla_tool",
            "PYTHONPATH+:=linux-maya2022-py37",
            "PYTHONPATH+:=linux-maya2022-py27",
            "+ MAYAVERSION:2025 PLATFORM:linux trembla_tool 2.1 trembla_tool",
            "PYTHONPATH+:=linux-maya2025-py311",
            "+ MAYAVERSION:2025 PLATFORM:win64 trembla_tool 2.1 trembla_tool",
            "PYTHONPATH+:=win64-maya2025-py311",
            "+ MAYAVERSION:2026 PLATFORM:linux trembla_tool 2.1 trembla_tool",  # same Qt and Python
            "PYTHONPATH+:=linux-maya2025-py311",
            "+ MAYAVERSION:2026 PLATFORM:win64 trembla_tool 2.1 trembla_tool",
            "PYTHONPATH+:=win64-maya2025-py311",
        ])


if __name__ == "__main__":
    unittest.main()
