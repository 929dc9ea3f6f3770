#!/usr/bin/env bash
# Builds the module and runs the tool's main job on the stand-in host.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_leg py3-qt5 "$PY3" 5 -DTREMBLA_BUILD_TESTS=OFF
TREMBLA_MODULE_DIR="$BUILD_ROOT/py3-qt5" "$PY3" "$REPO/scripts/example_shake.py"
