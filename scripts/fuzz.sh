#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and fuzzes each for a bounded time.
# Fails on any crash, leak, sanitizer report, broken invariant or timeout.
#
#   FUZZ_SECONDS   time per target (default 60)
#   FUZZ_TARGETS   which targets (default: ranges preset_file preset_record clip_file)
#   FUZZ_JOBS      parallel fuzzing processes per target (default 1)
#
# New inputs go to build/fuzz/corpus/<target>/ and crashes to build/fuzz/artifacts/<target>/; the
# seed corpus in fuzz/corpus/ is only read. A crash found here belongs in the seed corpus once fixed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
FUZZ_TARGETS="${FUZZ_TARGETS:-ranges preset_file preset_record clip_file}"
FUZZ_JOBS="${FUZZ_JOBS:-1}"
dir="$BUILD_ROOT/fuzz"
CLANGXX="${CLANGXX:-clang++}"

if ! command -v "$CLANGXX" >/dev/null 2>&1; then
  echo "fuzz.sh: $CLANGXX not found (Debian: apt-get install clang libclang-rt-dev)" >&2
  exit 1
fi

targets=()
for name in $FUZZ_TARGETS; do targets+=("fuzz_$name"); done

cmake -S "$REPO" -B "$dir" -DCMAKE_CXX_COMPILER="$CLANGXX" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPython_EXECUTABLE="$PY3" -DTREMBLA_QT=5 \
  -DTREMBLA_BUILD_FUZZERS=ON -DTREMBLA_BUILD_TESTS=OFF -DTREMBLA_BUILD_BENCH=OFF >/dev/null
cmake --build "$dir" -j "$JOBS" --target "${targets[@]}"

# The preset file target writes every input to disk: keep that in memory where possible.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

failed=()
for name in $FUZZ_TARGETS; do
  corpus="$dir/corpus/$name"
  artifacts="$dir/artifacts/$name"
  case "$name" in
    preset_*) dict="$REPO/fuzz/preset_json.dict" ;;
    *) dict="$REPO/fuzz/$name.dict" ;;
  esac
  mkdir -p "$corpus" "$artifacts"
  args=(-max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/")
  if [ -f "$dict" ]; then args+=(-dict="$dict"); fi
  if [ "$FUZZ_JOBS" -gt 1 ]; then args+=(-jobs="$FUZZ_JOBS" -workers="$FUZZ_JOBS"); fi

  echo; echo "==== fuzz_$name for ${FUZZ_SECONDS}s"
  before=$(find "$artifacts" -type f | wc -l)
  status=0
  # libFuzzer reports every new input: its output goes to a log, shown whole only on a failure.
  log="$dir/fuzz_$name.log"
  (cd "$dir" && "$dir/fuzz/fuzz_$name" "${args[@]}" "$corpus" "$REPO/fuzz/corpus/$name") >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::)' "$log" || true
  after=$(find "$artifacts" -type f | wc -l)
  if [ "$status" -ne 0 ] || [ "$after" -ne "$before" ]; then
    failed+=("$name")
    cat "$log"
    echo "fuzz_$name FAILED (exit $status); inputs in $artifacts:"
    find "$artifacts" -type f -newer "$dir/fuzz/fuzz_$name" -print
  fi
done

echo
if [ "${#failed[@]}" -ne 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "fuzz targets clean: $FUZZ_TARGETS"
