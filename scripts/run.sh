#!/usr/bin/env bash
# Builds the module and runs the tool's main job end to end on the stand-in host: the demo shot
# through the real window (a display when there is one, offscreen otherwise), with the camera before
# and after as .chan, a plot of the channels and pictures of the pages written to out/demo.
# Extra arguments go to the demo (e.g. --keep-open, --offscreen).
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_leg py3-qt5 "$PY3" 5 -DTREMBLA_BUILD_TESTS=OFF
TREMBLA_MODULE_DIR="$BUILD_ROOT/py3-qt5" "$PY3" "$REPO/tools/runner/trembla_run.py" demo --out "$REPO/out/demo" "$@"
