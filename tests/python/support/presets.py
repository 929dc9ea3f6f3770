# -*- coding: utf-8 -*-
"""Shared by the preset tests (presets/); holds no tests itself.

Every preset test works in a temporary module directory: trembla_tool.__file__ is pointed into a
fresh directory for the test and restored afterwards, so the real preset file beside the built
module is never read or written."""
from __future__ import unicode_literals

import contextlib
import io
import os
import shutil
import sys
import tempfile
import unittest

import support  # noqa: F401  (sys.path)

import maya.standin as standin

import trembla_tool as tt

FILE_NAME = "trembla_presets.json"
# A save first writes a lock file of its own (process id, program, host): file_writes_fail_beyond
# must leave it this much room, and the content meant to fail must be larger.
LOCK_FILE_ROOM = 512
PY2 = sys.version_info[0] == 2


class Output(object):
    """A stand-in for sys.stdout / sys.stderr that keeps what is written, as text."""

    def __init__(self):
        self.parts = []

    def write(self, text):
        self.parts.append(text.decode("utf-8") if isinstance(text, bytes) else text)

    def flush(self):
        pass

    def lines(self):
        return "".join(self.parts).splitlines()


@contextlib.contextmanager
def captured_stdout():
    output = Output()
    saved = sys.stdout
    sys.stdout = output
    try:
        yield output
    finally:
        sys.stdout = saved


@contextlib.contextmanager
def file_writes_fail_beyond(size):
    """Makes every file write past `size` bytes fail (EFBIG), which even root cannot get around.
    The host's console output (stdout and stderr together) is kept in memory meanwhile, since it
    may be a file itself; the context yields it."""
    import resource
    import signal
    soft, hard = resource.getrlimit(resource.RLIMIT_FSIZE)
    old_handler = signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    saved = sys.stdout, sys.stderr
    output = Output()
    sys.stdout = sys.stderr = output
    resource.setrlimit(resource.RLIMIT_FSIZE, (size, hard))
    try:
        yield output
    finally:
        resource.setrlimit(resource.RLIMIT_FSIZE, (soft, hard))
        sys.stdout, sys.stderr = saved
        signal.signal(signal.SIGXFSZ, old_handler)


class ModuleDirectoryCase(unittest.TestCase):
    """A fresh stand-in host and trembla_tool.__file__ inside a fresh temporary directory."""

    def setUp(self):
        standin.reset()
        self.directory = os.path.realpath(tempfile.mkdtemp(prefix="trembla_presets_"))
        self.path = os.path.join(self.directory, FILE_NAME)
        self.had_file = hasattr(tt, "__file__")
        self.real_file = getattr(tt, "__file__", None)
        tt.__file__ = os.path.join(self.directory, "trembla_tool.so")

    def tearDown(self):
        if self.had_file:
            tt.__file__ = self.real_file
        elif hasattr(tt, "__file__"):
            del tt.__file__
        shutil.rmtree(self.directory, ignore_errors=True)

    def write_file(self, content, path=None):
        with open(path or self.path, "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode("utf-8"))

    def read_file(self, path=None):
        with io.open(path or self.path, encoding="utf-8") as f:
            return f.read()

    def read_bytes(self, path=None):
        with open(path or self.path, "rb") as f:
            return f.read()
