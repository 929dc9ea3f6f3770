#!/usr/bin/env bash
# Builds every leg and runs every test: C++ (GoogleTest/Qt Test via ctest, with the fuzz corpora replayed)
# on the Qt 5 and Qt 6 builds, the Python tests on Debian's Python 3 against both builds and on Python 2.7
# where pyenv has it, the C++ tests again under AddressSanitizer/UBSan, and each fuzzer for a short while
# (FUZZ_SECONDS, 30 by default here). The gcc legs treat warnings as errors (TREMBLA_WERROR), and the C++
# sources must be as .clang-format lays them out (scripts/format.sh formats them).
set -uo pipefail
source "$(dirname "$0")/common.sh"
export QT_QPA_PLATFORM=offscreen

# Each suite's output is kept in build/logs as well: the end of every failed suite's log is shown
# again after the summary, where a CI page that shows only its last lines still has it.
passed=0; failed=0; failures=()
LOGS="$BUILD_ROOT/logs"; mkdir -p "$LOGS"
suite() {
  local name="$1"; shift
  local log="$LOGS/${name// /_}.log"
  echo; echo "==== $name"
  local began=$SECONDS
  "$@" 2>&1 | tee "$log"
  if [ "${PIPESTATUS[0]}" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("$name"); fi
  echo "---- $name: $((SECONDS - began)) s"
}
pytest_on() {
  local leg="$1"; shift
  local where=("$@"); [ "${#where[@]}" -eq 0 ] && where=(.)
  (cd "$REPO/tests/python" && TREMBLA_MODULE_DIR="$BUILD_ROOT/$leg" "$PY3" -m pytest -q -rfE -p no:cacheprovider --durations=10 "${where[@]}")
}
unittest27() {
  (cd "$REPO" && TREMBLA_MODULE_DIR="$BUILD_ROOT/py27-qt5" "$PY27" -m unittest discover -s tests/python -p 'test_*.py')
}

suite "format" bash "$REPO/scripts/format.sh" --check
suite "portable API" bash "$REPO/scripts/check_portable_api.sh"

suite "build py3-qt5" build_leg py3-qt5 "$PY3" 5 -DTREMBLA_WERROR=ON -DTREMBLA_BUILD_TESTS=ON -DTREMBLA_BUILD_FUZZERS=ON
suite "ctest py3-qt5" ctest --test-dir "$BUILD_ROOT/py3-qt5" --output-on-failure -j "$JOBS"
suite "pytest py3-qt5" pytest_on py3-qt5

suite "build py3-qt6" build_leg py3-qt6 "$PY3" 6 -DTREMBLA_WERROR=ON -DTREMBLA_BUILD_TESTS=ON
suite "ctest py3-qt6" ctest --test-dir "$BUILD_ROOT/py3-qt6" --output-on-failure -j "$JOBS"
# The exhaustive sweeps ran on the first leg; the other legs run every other test. The long leak
# loops run again on Python 2.7, whose binding code differs, but not on Qt 6, whose does not.
export TREMBLA_SKIP_SWEEPS=1
TREMBLA_SKIP_LONG_LOOPS=1 suite "pytest py3-qt6" pytest_on py3-qt6

PY27="$(python27)"
if [ -n "$PY27" ]; then
  suite "build py27-qt5" build_leg py27-qt5 "$PY27" 5 -DTREMBLA_WERROR=ON -DTREMBLA_BUILD_TESTS=OFF
  suite "unittest py27-qt5" unittest27
else
  echo; echo "NOTICE: Python 2.7.18 with headers not found (pyenv); the Python 2.7 leg is skipped."
fi

# The release shape: static C++ runtime, init function only (check report-only here: Debian's glibc is newer
# than the hosts'), and the Windows-only sources through the MinGW-w64 cross compiler.
suite "build portable" build_leg portable "$PY3" 5 -DTREMBLA_WERROR=ON -DTREMBLA_PORTABLE=ON -DTREMBLA_BUILD_TESTS=OFF -DTREMBLA_BUILD_BENCH=OFF
# The portable build differs from py3-qt5 only in how it is linked: it loads, binds and runs the
# window (whose tests prepare, update, reset and bake); the rest of the Python tests ran on the same
# sources above.
suite "pytest portable" pytest_on portable binding window package
suite "binary check portable" bash "$REPO/scripts/check_binary.sh" "$BUILD_ROOT/portable/trembla_tool.so" --glibc-floor 2.28 --report-only --portable
suite "windows sources" bash "$REPO/scripts/check_windows_sources.sh"

suite "sanitizers" bash "$REPO/scripts/sanitize.sh"
suite "fuzzing" env FUZZ_SECONDS="${FUZZ_SECONDS:-30}" bash "$REPO/scripts/fuzz.sh"

echo
for name in "${failures[@]}"; do
  echo "==== the end of $name's output"
  tail -n 60 "$LOGS/${name// /_}.log"
  echo
done
if [ "$failed" -ne 0 ]; then printf 'failed suite: %s\n' "${failures[@]}"; fi
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
