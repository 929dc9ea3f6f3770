#!/usr/bin/env bash
# Compiles, for Windows, every shipped source that needs neither Python nor Qt, with the MinGW-w64
# cross compiler (Debian g++-mingw-w64-x86-64) in syntax-only mode: the Windows-only code
# (presets/atomic_file_windows.cpp, presets/file_identity_windows.cpp, the _WIN32 branches of
# presets/preset_store.cpp) is checked against the real Windows headers on every CI run, and the
# rest of the portable code with it.
# A Windows branch in a file that needs Python or Qt is listed as not covered (no Windows Python
# or Qt headers here); the release build with Visual Studio compiles those.
set -uo pipefail
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CXX="${MINGW_CXX:-x86_64-w64-mingw32-g++-posix}"
command -v "$CXX" >/dev/null || CXX=x86_64-w64-mingw32-g++
command -v "$CXX" >/dev/null || { echo "check_windows_sources: $CXX not found (apt-get install g++-mingw-w64-x86-64)"; exit 1; }

# Only the header-only and header-bearing dependencies, never the rest of /usr/include (glibc's).
stage="$(mktemp -d)"; trap 'rm -rf "$stage"' EXIT
for dep in nlohmann double-conversion; do
  [ -d "/usr/include/$dep" ] && ln -s "/usr/include/$dep" "$stage/$dep"
done

# A file that includes a Qt header (the preset lock) is left to the Visual Studio build with it.
mapfile -t sources < <(cd "$REPO" && ls src/core/*.cpp src/scene/*.cpp src/presets/*.cpp | grep -v '_posix\.cpp$' |
                       while read -r f; do grep -qE '^#include <Q' "$f" || echo "$f"; done)
failed=0
for source in "${sources[@]}"; do
  if "$CXX" -std=c++17 -fsyntax-only -Wall -Wextra -Werror=return-type -DUNICODE -D_UNICODE \
       -I "$REPO/src" -isystem "$stage" "$REPO/$source"; then
    echo "ok       $source"
  else
    echo "FAILED   $source"; failed=$((failed + 1))
  fi
done
checked=" ${sources[*]} "
while read -r file; do
  case "$checked" in *" $file "*) ;; *) echo "not covered (needs Python or Qt headers): $file" ;; esac
done < <(cd "$REPO" && grep -rlE '_WIN32|_MSC_VER' src --include='*.cpp' --include='*.h' | sort)
echo "windows sources: ${#sources[@]} compiled with $CXX, $failed failed"
[ "$failed" -eq 0 ]
