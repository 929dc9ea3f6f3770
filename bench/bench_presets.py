"""Preset file load and save against Python's json on the same file, at 32,000 and 128,000 presets.

Each preset is a full settings snapshot as the window writes it. Figures are seconds (best of
--repeats) for:
  json.load / json.dump  Python's json reading and writing the file (indent=2, as the tool writes);
  load_presets           the module function: read, parse, validate, convert to dicts;
  save_presets           the module function: convert from dicts, write atomically under the lock;
  window save            the window's "Save Preset" command: a locked read-modify-write of the
                         whole file plus the list refresh (reading the file once more).
The file is written into a fresh temporary directory, never beside the built module.
Usage: bench_presets.py [--sizes 32000,128000] [--repeats 3]
"""
from __future__ import print_function

import argparse
import json
import os
import shutil
import sys
import tempfile

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))
os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from maya import standin  # noqa: E402

import trembla_tool as tt  # noqa: E402
from bench_timing import best_of  # noqa: E402


def presets_of(count):
    presets = {}
    for i in range(count):
        presets["Preset %06d" % i] = {
            "camera": "shotCam%d" % (i % 7),
            "source": "locator%d" % (i % 5),
            "settings": {
                "lag_trans": i % 16, "lag_rot": (i * 3) % 16, "smooth": i % 101, "amount": 100,
                "trans_amp": 100, "rot_amp": 100, "fade_in": 3, "fade_out": 3,
                "ranges": "10-50, 70-80" if i % 2 else "", "mode": ("static", "animated", "relax")[i % 3],
                "layer_name": "trembla_layer", "translate_enabled": True, "rotate_enabled": i % 4 != 0,
                "trans_x": 100, "trans_y": 100, "trans_z": 100, "rot_x": 100, "rot_y": 100, "rot_z": 100,
            },
        }
    return presets


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--sizes", default="32000,128000")
    parser.add_argument("--repeats", type=int, default=3)
    args = parser.parse_args()

    directory = tempfile.mkdtemp(prefix="trembla_bench_presets_")
    real_file = getattr(tt, "__file__", None)
    tt.__file__ = os.path.join(directory, "trembla_tool.so")
    path = os.path.join(directory, "trembla_presets.json")
    standin.reset()
    window = tt.show()
    try:
        print("%8s %9s  %9s %9s  %12s %12s  %11s" % ("presets", "MB", "json.load", "json.dump",
                                                      "load_presets", "save_presets", "window save"))
        for size in [int(s) for s in args.sizes.split(",")]:
            presets = presets_of(size)

            def dump():
                with open(path, "w") as f:
                    json.dump(presets, f, indent=2)

            def load():
                with open(path) as f:
                    json.load(f)

            dumped = best_of(args.repeats, dump)
            loaded = best_of(args.repeats, load)
            megabytes = os.path.getsize(path) / 1e6
            tool_load = best_of(args.repeats, tt.load_presets)
            tool_save = best_of(args.repeats, lambda: tt.save_presets(presets))

            def window_save():
                window.preset_name_field.setText("Preset 000000")
                saved_stdout, sys.stdout = sys.stdout, open(os.devnull, "w")
                try:
                    window._save_preset()
                finally:
                    sys.stdout.close()
                    sys.stdout = saved_stdout

            saved_by_window = best_of(args.repeats, window_save)
            print("%8d %9.1f  %9.2f %9.2f  %12.2f %12.2f  %11.2f" % (size, megabytes, loaded, dumped, tool_load,
                                                                     tool_save, saved_by_window))
            sys.stdout.flush()
    finally:
        window.close()
        if real_file is not None:
            tt.__file__ = real_file
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    main()
