"""Drops a .py file onto the stand-in host's viewport as a user drags one onto Maya's: the
package's installer or uninstaller, run against a scratch Maya user folder without Maya.

    /usr/bin/python3 scripts/drop_file.py [--maya VERSION] --app-dir DIR FILE.py

DIR plays the user's Maya folder (MAYA_APP_DIR, ~/maya): an install lands in DIR/modules. What the
dropped file says in the Script Editor is printed; its warnings go to stderr.
"""
from __future__ import print_function

import argparse
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))

import maya.standin as standin  # noqa: E402


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--maya", default="2025", help="the Maya version the host answers (default 2025)")
    parser.add_argument("--app-dir", required=True, help="the scratch Maya user folder")
    parser.add_argument("file", help="the .py file to drop")
    args = parser.parse_args(argv)
    app_dir = os.path.abspath(args.app_dir)
    if not os.path.isdir(app_dir):
        os.makedirs(app_dir)
    standin.set_maya_version(args.maya)
    # The stand-in answers internalVar(userAppDir=True) with the folder above the user script folder.
    standin.set_user_script_dir(app_dir.replace("\\", "/") + "/scripts/")
    standin.drop_python_file(args.file)
    for line in standin.warnings:
        print("Warning: " + line, file=sys.stderr)
    return 1 if standin.warnings else 0


if __name__ == "__main__":
    sys.exit(main())
