#!/usr/bin/env bash
# Builds the default leg and runs every benchmark in one go:
#   1. the shake computation in C++ alone (trembla_bench_core), then the shake page's preview graph:
#      handing it a shake and painting it (trembla_bench_preview);
#   2. the module's functions from Python, computation and a full apply (bench_apply.py);
#   3. the module's Python-facing computations against the floor module, with the garbage
#      collections each call sets off (bench_floor.py, at FLOOR_SIZES, default 1000,20000,100000);
#   4. the window's prepare and update latency in each camera mode, and keys by the curve
#      (one addKeys per shake curve) against one setKeyframe per key (bench_workflow.py);
#   5. a 100,000-frame .chan shake transfer end to end, per phase (bench_transfer.py);
#   6. preset file load and save at 32,000 and 128,000 presets against Python's json (bench_presets.py);
#   7. host calls and current-time changes of each window command, with an estimate of its time in
#      the host (bench_host_calls.py, at HOST_CALL_SIZES, default 1000,10000,100000);
#   8. the memory the tool keeps to follow the host's undo: 100 slider steps on a 60,000-frame
#      shot, then undone one by one (bench_undo_memory.py).
# SIZES sets the frame counts of 2 and 4 (default 240,1000,10000,100000); REPEATS the repeats of 1.
# TREMBLA_BENCH_BUILD_DIR runs an existing configured build instead of build/py3-qt5.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

sizes="${SIZES:-240,1000,10000,100000}"
if [ -n "${TREMBLA_BENCH_BUILD_DIR:-}" ]; then
  dir="$TREMBLA_BENCH_BUILD_DIR"
  cmake --build "$dir" -j "$JOBS" --target trembla_tool trembla_bench_core trembla_bench_preview trembla_floor
else
  build_leg py3-qt5 "$PY3" 5
  dir="$BUILD_ROOT/py3-qt5"
fi
export TREMBLA_MODULE_DIR="$dir" QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

section() { echo; echo "==== $1"; }
section "core computation, C++"
"$dir/bench/trembla_bench_core" "${REPEATS:-5}"
section "shake preview: set data and paint, C++"
"$dir/bench/trembla_bench_preview" "$(( ${REPEATS:-5} * 4 ))"
section "module functions from Python (bench_apply.py)"
"$PY3" "$REPO/bench/bench_apply.py" --sizes "$sizes"
section "module vs floor: reading the inputs and building the results (bench_floor.py)"
"$PY3" "$REPO/bench/bench_floor.py" --sizes "${FLOOR_SIZES:-1000,20000,100000}"
section "window prepare and update latency (bench_workflow.py)"
"$PY3" "$REPO/bench/bench_workflow.py" --sizes "$sizes"
section ".chan shake transfer end to end (bench_transfer.py)"
"$PY3" "$REPO/bench/bench_transfer.py" --frames 100000
section "preset file load and save against Python's json (bench_presets.py)"
"$PY3" "$REPO/bench/bench_presets.py" --sizes 32000,128000
section "host calls and time changes per window command (bench_host_calls.py)"
"$PY3" "$REPO/bench/bench_host_calls.py" --sizes "${HOST_CALL_SIZES:-1000,10000,100000}"
section "memory kept to follow undo on a long shot (bench_undo_memory.py)"
"$PY3" "$REPO/bench/bench_undo_memory.py" --frames 60000 --steps 100
