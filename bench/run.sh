#!/usr/bin/env bash
# Builds the default leg and runs the benchmarks.
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"
build_leg py3-qt5 "$PY3" 5
"$BUILD_ROOT/py3-qt5/bench/trembla_bench_core" "${REPEATS:-5}"
echo
TREMBLA_MODULE_DIR="$BUILD_ROOT/py3-qt5" "$PY3" "$REPO/bench/bench_apply.py" "$@"
