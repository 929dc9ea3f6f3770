# -*- coding: utf-8 -*-
"""The preset file as host sessions meet it in a studio: shared by two sessions saving at once,
replaced by a FIFO, write-protected. Each session is a separate interpreter, so that a save that
hangs or crashes fails its test instead of the run."""
from __future__ import unicode_literals

import json
import os
import shutil
import stat
import subprocess
import sys
import tempfile
import textwrap
import threading
import unittest

import support

TESTS_DIR = support.TESTS_DIR  # where `import support` finds the package
FILE_NAME = "trembla_presets.json"
LOAD_FAILED = "Trembla: Failed to load presets: "
SAVE_FAILED = "Trembla: Failed to save presets: "
NO_COPY = "cannot keep a copy of the unusable preset file: "

# Runs in each session: opens the window on the preset file in argv[1], runs the commands the test
# asks for, and prints the host's warnings as the last line.
SESSION = """
import json, os, sys
os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")
import maya.standin as standin
import trembla_tool as tt
tt.__file__ = os.path.join(sys.argv[1], "trembla_tool.so")
standin.reset()
window = tt.show()

def save(name):
    window.preset_name_field.setText(name)
    window._save_preset()
"""


def run_sessions(scripts, args_list, timeout=120, unprivileged=None):
    """Starts one interpreter per script at once; returns [(status, output lines)] when all end.
    A session still running after `timeout` seconds is killed (status then negative)."""
    env = dict(os.environ)
    env["PYTHONPATH"] = TESTS_DIR
    env["TREMBLA_MODULE_DIR"] = support.MODULE_DIR
    env["QT_QPA_PLATFORM"] = "offscreen"
    processes = []
    for script, args in zip(scripts, args_list):
        code = "import support\n" + SESSION + textwrap.dedent(script) + "\nprint(json.dumps(standin.warnings))\n"
        processes.append(subprocess.Popen([sys.executable, "-c", code] + list(args), env=env,
                                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                          preexec_fn=unprivileged))
    timers = [threading.Timer(timeout, process.kill) for process in processes]
    for timer in timers:
        timer.start()
    try:
        results = []
        for process in processes:
            output = process.communicate()[0].decode("utf-8", "replace")
            results.append((process.returncode, output.splitlines()))
        return results
    finally:
        for timer in timers:
            timer.cancel()


def warnings_of(lines):
    return json.loads(lines[-1]) if lines else None


def nobody_ids():
    """(uid, gid) of "nobody" when this process may switch to it, else None."""
    if not hasattr(os, "geteuid") or os.geteuid() != 0:
        return None
    try:
        import pwd
        entry = pwd.getpwnam("nobody")
    except (ImportError, KeyError):
        return None
    return entry.pw_uid, entry.pw_gid


class SharedFileCase(unittest.TestCase):
    def setUp(self):
        self.directory = os.path.realpath(tempfile.mkdtemp(prefix="trembla_shared_"))
        self.path = os.path.join(self.directory, FILE_NAME)

    def tearDown(self):
        shutil.rmtree(self.directory, ignore_errors=True)


class TwoSessionsTest(SharedFileCase):
    def test_two_sessions_saving_at_once_keep_every_preset_of_both(self):
        saves = 60
        script = """
        for i in range(int(sys.argv[3])):
            save("%s %02d" % (sys.argv[2], i))
        """
        results = run_sessions([script, script], [(self.directory, "left", str(saves)),
                                                  (self.directory, "right", str(saves))])
        for status, lines in results:
            self.assertEqual(status, 0, "\n".join(lines[-20:]))
            self.assertEqual(warnings_of(lines), [])
            self.assertEqual(sum(1 for line in lines if line.startswith("Preset saved: ")), saves)
        with open(self.path) as f:
            stored = json.load(f)
        expected = set("%s %02d" % (side, i) for side in ("left", "right") for i in range(saves))
        self.assertEqual(set(stored), expected)
        self.assertEqual(sorted(os.listdir(self.directory)), [FILE_NAME])


@unittest.skipUnless(hasattr(os, "mkfifo"), "needs FIFOs")
class FifoTest(SharedFileCase):
    def test_a_fifo_blocks_nothing_and_every_command_says_what_it_is(self):
        os.mkfifo(self.path)
        script = """
        opened = list(standin.warnings)
        del standin.warnings[:]
        save("new")
        saved = list(standin.warnings)
        del standin.warnings[:]
        loaded = tt.load_presets()
        written = tt.save_presets({"a": {}})
        print(json.dumps([opened, saved, loaded, written]))
        """
        [(status, lines)] = run_sessions([script], [(self.directory,)], timeout=60)
        self.assertEqual(status, 0, "\n".join(lines[-20:]))
        reason = "'%s' is a FIFO, not a regular file" % self.path
        opened, saved, loaded, written = json.loads(lines[-2])
        self.assertEqual(opened, [LOAD_FAILED + reason])
        self.assertEqual(saved, [LOAD_FAILED + reason, SAVE_FAILED + NO_COPY + reason, "Failed to save preset."])
        self.assertEqual((loaded, written), ({}, False))
        self.assertEqual(warnings_of(lines), [LOAD_FAILED + reason, SAVE_FAILED + NO_COPY + reason])
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.path).st_mode))
        self.assertEqual(os.listdir(self.directory), [FILE_NAME])


class WriteProtectedTest(SharedFileCase):
    def test_a_write_protected_file_in_a_writable_folder_is_kept_and_the_save_fails(self):
        old = b'{\n  "old": {}\n}'
        with open(self.path, "wb") as f:
            f.write(old)
        os.chmod(self.path, 0o444)
        unprivileged = None
        if hasattr(os, "geteuid") and os.geteuid() == 0:
            ids = nobody_ids()
            if ids is None:
                self.skipTest("running as root without a 'nobody' user to drop to")
            os.chown(self.directory, ids[0], ids[1])

            def unprivileged():
                os.setgid(ids[1])
                os.setuid(ids[0])
        script = """
        save("new")
        """
        try:
            [(status, lines)] = run_sessions([script], [(self.directory,)], unprivileged=unprivileged)
        except OSError as error:  # an interpreter under root's home, for one
            self.skipTest("cannot run %s as 'nobody' here: %s" % (sys.executable, error))
        if status != 0 and any("Permission denied" in line and "import" in line.lower() for line in lines):
            self.skipTest("the build cannot be read as 'nobody' here")
        self.assertEqual(status, 0, "\n".join(lines[-20:]))
        self.assertEqual(warnings_of(lines), [SAVE_FAILED + "cannot write '%s': Permission denied" % self.path,
                                              "Failed to save preset."])
        self.assertNotIn("Preset saved: new", lines)
        with open(self.path, "rb") as f:
            self.assertEqual(f.read(), old)
        self.assertEqual(stat.S_IMODE(os.stat(self.path).st_mode), 0o444)
        self.assertEqual(os.listdir(self.directory), [FILE_NAME])


if __name__ == "__main__":
    unittest.main()
