#!/usr/bin/env bash
# Builds the module for Debian's Python 3 against Qt 5 (the default leg), or every leg with --all.
set -euo pipefail
source "$(dirname "$0")/common.sh"

build_leg py3-qt5 "$PY3" 5
if [ "${1:-}" = "--all" ]; then
  build_leg py3-qt6 "$PY3" 6
  PY27="$(python27)"
  if [ -n "$PY27" ]; then
    build_leg py27-qt5 "$PY27" 5 -DTREMBLA_BUILD_TESTS=OFF
  else
    echo "NOTICE: Python 2.7.18 with headers not found (pyenv); the Python 2.7 leg is skipped."
  fi
fi
