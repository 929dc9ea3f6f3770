#!/usr/bin/env bash
# Builds the C++ tests with AddressSanitizer and UndefinedBehaviorSanitizer (GCC, Debug, Qt 5,
# Debian's Python 3) in build/asan and runs them with ctest. Any sanitizer report fails its test.
# The fuzz seed corpora run here too, through their replay mains.
#
# Then the module of the same build runs the Python tests where the host calls back into the tool
# (re-entry, windows deleted under a command).
#
# Extra arguments go to ctest, e.g. scripts/sanitize.sh -R Preset
set -euo pipefail
source "$(dirname "$0")/common.sh"

dir="$BUILD_ROOT/asan"

# Reports must fail: stop at the first one, with a stack. Leaks are checked at exit, with full
# allocation stacks so that scripts/lsan.supp can single out the leaks of Qt's own plugins (Qt is
# built without frame pointers, which the fast unwinder needs). The same settings apply while
# building, because GoogleTest discovery runs each test binary then.
export ASAN_OPTIONS="halt_on_error=1:print_stacktrace=1:detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$REPO/scripts/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

cmake -S "$REPO" -B "$dir" -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Debug -DTREMBLA_SANITIZE=ON \
  -DPython_EXECUTABLE="$PY3" -DTREMBLA_QT=5 \
  -DTREMBLA_BUILD_TESTS=ON -DTREMBLA_BUILD_BENCH=OFF -DTREMBLA_BUILD_FUZZERS=ON >/dev/null
cmake --build "$dir" -j "$JOBS"
ctest --test-dir "$dir" --output-on-failure -j "$JOBS" "$@"

# The interpreter is not built with the sanitizer: its runtime is preloaded (with libstdc++, whose
# exceptions the runtime must see), Python's own allocator is bypassed so that every block is
# checked, and leaks are left to the C++ tests above (the interpreter keeps much until exit). The
# tests where the host calls back into the tool (re-entry, windows deleted under a command,
# arguments that delete the window) guard memory safety across Python; the injector at every host
# call runs on the release builds only (under the sanitizer it takes a quarter of an hour). The
# stack-use-after-return check, costly for a whole interpreter, stays with the C++ tests.
LD_PRELOAD="$(gcc -print-file-name=libasan.so) $(gcc -print-file-name=libstdc++.so)" PYTHONMALLOC=malloc \
  ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0:detect_stack_use_after_return=0" TREMBLA_MODULE_DIR="$dir" \
  "$PY3" -m pytest -q -p no:cacheprovider "$REPO/tests/python/resilience/test_host_callbacks.py" \
  -k "not test_no_crash_viewport_resumed_and_camera_before_or_after"
