# Shared by the build, run and test scripts: where things are and which interpreters exist.
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_ROOT="${TREMBLA_BUILD_ROOT:-$REPO/build}"
PY3=/usr/bin/python3
JOBS="${TREMBLA_JOBS:-2}"

# Python 2.7 with headers comes from pyenv where the machine has it.
python27() {
  local prefix=""
  if command -v pyenv >/dev/null 2>&1; then prefix="$(pyenv prefix 2.7.18 2>/dev/null || true)"; fi
  if [ -z "$prefix" ] && [ -x "$HOME/.pyenv/versions/2.7.18/bin/python2.7" ]; then
    prefix="$HOME/.pyenv/versions/2.7.18"
  fi
  if [ -n "$prefix" ] && [ -x "$prefix/bin/python2.7" ] && [ -f "$prefix/include/python2.7/Python.h" ]; then
    echo "$prefix/bin/python2.7"
  fi
}

# build_leg NAME PYTHON QT [extra cmake args...]
build_leg() {
  local name="$1" python="$2" qt="$3"; shift 3
  local dir="$BUILD_ROOT/$name"
  cmake -S "$REPO" -B "$dir" -DPython_EXECUTABLE="$python" -DTREMBLA_QT="$qt" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
