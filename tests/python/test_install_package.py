"""The Maya module package: `cmake --install` lays it out, the drag-and-drop installer copies it into
the user's modules folder and adds one shelf button, the uninstaller removes exactly what the
installer made. On the stand-in host, in temporary folders; Python 2.7 and 3."""
import json
import os
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
        self.folder = installer.module_folder_name(cmds.about(version=True))
        self.pkg = os.path.join(self.root, "pkg")
        write(os.path.join(self.pkg, "trembla_tool.mod"),
              "+ MAYAVERSION:2024 PLATFORM:linux trembla_tool 2.1 trembla_tool\nPYTHONPATH+:=%s\n" % self.folder)
        write(os.path.join(self.pkg, "trembla_tool", self.folder, "trembla_tool.so"), "module")
        for script in ("install_trembla_tool.py", "uninstall_trembla_tool.py"):
            shutil.copy(os.path.join(PACKAGE_SOURCES, script), os.path.join(self.pkg, "trembla_tool", script))
        shutil.copy(os.path.join(PACKAGE_SOURCES, "install_trembla_tool.py"), self.pkg)
        self.sys_path = list(sys.path)

    def tearDown(self):
        sys.path[:] = self.sys_path
        for name in ("install_trembla_tool", "uninstall_trembla_tool"):
            module = sys.modules.get(name)
            if module is not None and not getattr(module, "__file__", "").startswith(PACKAGE_SOURCES):
                del sys.modules[name]
        shutil.rmtree(self.root)

    def drop(self, folder, script):
        """What Maya does with a .py dropped onto the viewport: import it, call onMayaDroppedPythonFile."""
        sys.modules.pop(script[:-3], None)
        sys.path.insert(0, folder)
        try:
            module = __import__(script[:-3])
            self.assertTrue(module.__file__.startswith(folder))
            module.onMayaDroppedPythonFile(os.path.join(folder, script))
        finally:
            sys.path.remove(folder)
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
        with open(os.path.join(self.modules, "trembla_tool.mod")) as handle:
            self.assertIn("PYTHONPATH+:=%s" % self.folder, handle.read())
        self.assertEqual(sys.path[0], os.path.join(self.modules, "trembla_tool", self.folder))

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


@unittest.skipUnless(sys.version_info[0] == 3 and os.path.isfile(os.path.join(support.MODULE_DIR, "cmake_install.cmake")),
                     "needs a Python 3 CMake build directory")
class CMakeInstall(unittest.TestCase):

    def test_lays_out_a_module_package_with_one_mod_entry_per_maya_version(self):
        prefix = tempfile.mkdtemp()
        try:
            subprocess.check_output(["cmake", "--install", support.MODULE_DIR, "--prefix", prefix],
                                    stderr=subprocess.STDOUT)
            files = files_under(prefix)
            with open(os.path.join(prefix, "trembla_tool.mod")) as handle:
                mod = handle.read().splitlines()
        finally:
            shutil.rmtree(prefix)
        folders = sorted(set(f.split("/")[1] for f in files if f.count("/") == 2))
        self.assertEqual(len(folders), 1, files)
        platform, maya, python = folders[0].split("-")
        self.assertEqual(python, "py%d%d" % sys.version_info[:2])
        self.assertEqual(mod, ["+ MAYAVERSION:%s PLATFORM:%s trembla_tool 2.1 trembla_tool" % (maya[4:], platform),
                               "PYTHONPATH+:=" + folders[0]])
        module = [f for f in files if f.startswith("trembla_tool/%s/trembla_tool." % folders[0])]
        self.assertEqual(len(module), 1)
        import sysconfig
        self.assertTrue(module[0].endswith(sysconfig.get_config_var("EXT_SUFFIX")), module)  # tagged: Python 2 skips it
        self.assertTrue({"install_trembla_tool.py", "trembla_tool/uninstall_trembla_tool.py",
                         "trembla_tool/install_trembla_tool.py"} <= set(files))


class ModFile(unittest.TestCase):

    def test_one_entry_per_maya_and_platform_with_python3_first_where_both_are_built(self):
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
        ])


if __name__ == "__main__":
    unittest.main()
