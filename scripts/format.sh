#!/usr/bin/env bash
# Formats the C++ sources by .clang-format at the repository root, or with --check only reports
# (clang-format --dry-run -Werror: the file and line of each difference, status 1 when any).
#   scripts/format.sh [--check]
set -euo pipefail
source "$(dirname "$0")/common.sh"

cd "$REPO"
mapfile -d '' sources < <(find src tests fuzz bench tools \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run -Werror "${sources[@]}"
else
  clang-format -i "${sources[@]}"
fi
