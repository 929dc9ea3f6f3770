"""Puts the stand-in Maya host and the built trembla_tool module at the front of sys.path.

Every test file imports this first (`import support`); the helpers shared by one subject's tests
are its submodules (support.main_path, support.presets, support.runner). The module directory is
$TREMBLA_MODULE_DIR, else build/py3-qt5 (Python 3) or build/py27-qt5 (Python 2.7).
"""
import os
import sys

TESTS_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))  # tests/python
REPO_DIR = os.path.dirname(os.path.dirname(TESTS_DIR))
STANDIN_DIR = os.path.join(REPO_DIR, "standin")
MODULE_DIR = os.environ.get("TREMBLA_MODULE_DIR") or os.path.join(
    REPO_DIR, "build", "py3-qt5" if sys.version_info[0] >= 3 else "py27-qt5")

for _path in (MODULE_DIR, STANDIN_DIR):  # the stand-in ends up first
    if _path in sys.path:
        sys.path.remove(_path)
    sys.path.insert(0, _path)

import unittest  # noqa: E402

# The exhaustive sweeps (every host call failing in turn, a host callback at every host call,
# Esc at every check) drive the same C++ on every leg: scripts/test.sh runs them on its first leg
# and sets TREMBLA_SKIP_SWEEPS=1 on the others, which keep every other test.
sweep = unittest.skipIf(os.environ.get("TREMBLA_SKIP_SWEEPS") == "1",
                        "exhaustive sweep: run on the first leg of scripts/test.sh")
