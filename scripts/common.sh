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

# The legs compile most sources with the same flags (the core, scene, presets and ui libraries
# do not see Python, and the portable leg differs only in how it links): with ccache installed,
# each is compiled once per run. Paths are taken relative to the repository and the build folder
# is left out of the hash, so that the legs' folders share the entries (their debug info then
# names the first leg's folder). A launcher set by the caller wins.
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null 2>&1; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_DIR="${CCACHE_DIR:-$BUILD_ROOT/.ccache}" CCACHE_BASEDIR="${CCACHE_BASEDIR:-$REPO}"
  export CCACHE_NOHASHDIR=1
fi

# build_leg NAME PYTHON QT [extra cmake args...]
build_leg() {
  local name="$1" python="$2" qt="$3"; shift 3
  local dir="$BUILD_ROOT/$name"
  cmake -S "$REPO" -B "$dir" -DPython_EXECUTABLE="$python" -DTREMBLA_QT="$qt" "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}
