"""Loading trembla_tool: the names it binds, its documentation, the initial module state, the
read-only `_prepared` mapping, and an import that fails when a host module is missing."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
import traceback
import unittest

import support

import maya.cmds
import maya.mel
import maya.OpenMayaUI

import trembla_tool as tt

TESTS_DIR = support.TESTS_DIR  # where `import support` finds the package
INITIAL_PREPARED = [
    ("ready", False), ("camera", None), ("source", None), ("source_data", {}), ("delta_data", {}),
    ("camera_base", None), ("start_frame", 0), ("end_frame", 100), ("camera_mode", "static"),
    ("camera_original_anim", {}),
]


def run_fresh_interpreter(code, extra_path=None):
    """Runs `code` in a new interpreter that has imported `support`; returns (status, output)."""
    env = dict(os.environ)
    env["PYTHONPATH"] = TESTS_DIR
    env["TREMBLA_MODULE_DIR"] = support.MODULE_DIR
    prelude = "import support, sys\n"
    if extra_path:
        prelude += "sys.path.insert(0, %r)\n" % (extra_path,)
    process = subprocess.Popen([sys.executable, "-c", prelude + textwrap.dedent(code)], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = process.communicate()[0].decode("utf-8", "replace")
    return process.returncode, output


class LoadingTest(unittest.TestCase):
    def test_host_and_standard_modules_are_bound(self):
        self.assertIs(tt.cmds, maya.cmds)
        self.assertIs(tt.mel, maya.mel)
        self.assertIs(tt.omui, maya.OpenMayaUI)
        self.assertIs(tt.json, json)
        self.assertIs(tt.os, os)
        self.assertIs(tt.sys, sys)
        self.assertIs(tt.traceback, traceback)

    def test_documentation_names_the_tool_its_hosts_and_what_it_does(self):
        self.assertIn("Trembla Tool v2.1", tt.__doc__)
        self.assertIn("Maya 2019-2026 (Python 2.7 / 3.x, PySide2 / PySide6)", tt.__doc__)
        self.assertIn("follow-with-lag effect for a camera from a source object's movement",
                      " ".join(tt.__doc__.split()))
        self.assertTrue(tt.apply_shake_to_camera.__doc__.startswith("apply_shake_to_camera(camera, "))

    def test_fresh_import_has_initial_state_and_touches_no_host(self):
        status, output = run_fresh_interpreter("""
            import maya.standin as standin
            import trembla_tool as tt
            print(repr((tt._window, tt._original_eval_mode, list(tt._prepared.items()),
                        len(standin.calls))))
        """)
        self.assertEqual(status, 0, output)
        self.assertEqual(output.strip(), repr((None, None, INITIAL_PREPARED, 0)))

    def test_missing_host_module_fails_the_import_with_its_import_error(self):
        fake_root = tempfile.mkdtemp()
        try:
            os.mkdir(os.path.join(fake_root, "maya"))
            for name in ("__init__.py", "cmds.py", "mel.py"):
                open(os.path.join(fake_root, "maya", name), "w").close()
            status, output = run_fresh_interpreter("""
                try:
                    import trembla_tool
                except ImportError as error:
                    print("ImportError: %s" % (error,))
            """, extra_path=fake_root)
        finally:
            shutil.rmtree(fake_root)
        self.assertEqual(status, 0, output)
        self.assertIn("ImportError: No module named", output)
        self.assertIn("OpenMayaUI", output)


class PreparedViewTest(unittest.TestCase):
    def setUp(self):
        self.view = tt._prepared

    def test_reads_like_the_initial_record(self):
        self.assertEqual(list(self.view.items()), INITIAL_PREPARED)
        self.assertEqual(self.view.keys(), [name for name, _ in INITIAL_PREPARED])
        self.assertEqual(list(self.view), self.view.keys())
        self.assertEqual(self.view.values(), [value for _, value in INITIAL_PREPARED])
        self.assertEqual(dict(self.view), dict(INITIAL_PREPARED))
        self.assertEqual(len(self.view), 10)
        for name, value in INITIAL_PREPARED:
            self.assertEqual(self.view[name], value)
            self.assertIn(name, self.view)
        self.assertEqual(self.view[u"camera_mode"], "static")

    def test_repr_reads_like_a_dict(self):
        expected = "{" + ", ".join("%r: %r" % pair for pair in INITIAL_PREPARED) + "}"
        self.assertEqual(repr(self.view), expected)

    def test_missing_keys(self):
        for key in ("READY", "", 1, None, ("ready",)):
            self.assertNotIn(key, self.view)
            self.assertIsNone(self.view.get(key))
            self.assertEqual(self.view.get(key, "fallback"), "fallback")
            with self.assertRaises(KeyError) as caught:
                self.view[key]
            self.assertEqual(caught.exception.args, (key,))
        self.assertIs(self.view.get("ready", 1), False)

    def test_is_read_only_and_cannot_be_made_from_python(self):
        with self.assertRaises(TypeError):
            self.view["ready"] = True
        with self.assertRaises(TypeError):
            del self.view["ready"]
        with self.assertRaises(TypeError):
            type(self.view)()
        self.assertIs(self.view["ready"], False)

    def test_each_read_gives_a_fresh_value(self):
        first = self.view["source_data"]
        first[1] = (0,) * 6
        self.assertEqual(self.view["source_data"], {})


if __name__ == "__main__":
    unittest.main()
