#!/usr/bin/env bash
# Renders the four pages of the tool window, floating at 260 px and docked in a 420-px panel (and the
# prepared look of the main button), to PNG files without a display.
#   scripts/render_pages.sh [OUTPUT_DIR]     (default out/pages)
# Uses the Qt 5 build under the build root (configured if missing); TREMBLA_RENDER_QT=6 takes the Qt 6
# one, TREMBLA_RENDER_BUILD_DIR any configured build directory.
set -euo pipefail
source "$(dirname "$0")/common.sh"

qt="${TREMBLA_RENDER_QT:-5}"
dir="${TREMBLA_RENDER_BUILD_DIR:-$BUILD_ROOT/py3-qt$qt}"
out="${1:-$REPO/out/pages}"

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$REPO" -B "$dir" -DPython_EXECUTABLE="$PY3" -DTREMBLA_QT="$qt" >/dev/null
fi
cmake --build "$dir" -j "$JOBS" --target trembla_render_pages
QT_QPA_PLATFORM=offscreen "$dir/tools/render_pages/trembla_render_pages" "$out"
