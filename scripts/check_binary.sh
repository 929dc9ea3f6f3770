#!/usr/bin/env bash
# check_binary.sh MODULE [--glibc-floor 2.17|2.28|X.Y] [--glibcxx-floor 3.4.N] [--report-only]
#
# Prints what a built module asks of the machine that loads it: the highest GLIBC, GLIBCXX and
# CXXABI symbol versions it needs (from its version references, `objdump -p`), the symbols that
# need versions above the floor, the highest version it needs from every other library, and every
# library it links (NEEDED, RPATH/RUNPATH), and the symbols it exports.
# With --glibc-floor it fails when GLIBC, GLIBCXX or CXXABI are above what that glibc's OS ships:
#   2.17  CentOS 7 (Maya 2019-2023 hosts): libstdc++ of GCC 4.8.5, GLIBCXX_3.4.19, CXXABI_1.3.7
#   2.28  RHEL/Rocky 8 (Maya 2022-2026 hosts): libstdc++ of GCC 8.5, GLIBCXX_3.4.25, CXXABI_1.3.11
# --glibcxx-floor overrides the libstdc++ floor (a host whose libstdc++ is newer than its OS's).
# --report-only prints the floor verdict but exits 0 (a build machine newer than the hosts, as in CI).
# --portable fails (report-only or not) unless the module is a TREMBLA_PORTABLE build: no
# libstdc++/libgcc_s linked, no GLIBCXX/CXXABI needed, nothing exported but its init function.
set -uo pipefail

usage() { sed -n '2,3p' "$0" | sed 's/^# //' >&2; exit 2; }
[ $# -ge 1 ] || usage
module="$1"; shift
glibc_floor=""; glibcxx_floor=""; cxxabi_floor=""; report_only=0; portable=0
while [ $# -gt 0 ]; do
  case "$1" in
    --glibc-floor) glibc_floor="${2:?}"; shift 2 ;;
    --glibcxx-floor) glibcxx_floor="${2:?}"; shift 2 ;;
    --report-only) report_only=1; shift ;;
    --portable) portable=1; shift ;;
    *) usage ;;
  esac
done
[ -f "$module" ] || { echo "check_binary: no such file: $module" >&2; exit 2; }
command -v objdump >/dev/null || { echo "check_binary: objdump (binutils) is needed" >&2; exit 2; }

case "$glibc_floor" in
  2.17) : "${glibcxx_floor:=3.4.19}"; cxxabi_floor=1.3.7 ;;
  2.28) : "${glibcxx_floor:=3.4.25}"; cxxabi_floor=1.3.11 ;;
  "") ;;
  *) [ -n "$glibcxx_floor" ] || { echo "check_binary: give --glibcxx-floor for glibc $glibc_floor" >&2; exit 2; } ;;
esac

headers="$(objdump -p "$module")" || exit 2
# "required from LIB:" followed by "  0x... 0x.. NN VERSION" lines -> "LIB VERSION"
needs="$(echo "$headers" | awk '/^Version References:/ {on=1; next}
  on && /required from/ {lib=$3; sub(/:$/, "", lib); next}
  on && NF == 4 && $1 ~ /^0x/ {print lib, $4}
  on && NF == 0 {on=0}')"

highest() {  # highest version with prefix $1 among the needs, without the prefix
  echo "$needs" | awk -v p="$1" '$2 ~ "^"p {sub("^"p, "", $2); print $2}' | sort -V | tail -n1
}
above() {  # is $1 above $2 (both dotted)?
  [ -n "$1" ] && [ -n "$2" ] && [ "$1" != "$2" ] && [ "$(printf '%s\n%s\n' "$1" "$2" | sort -V | tail -n1)" = "$1" ]
}

glibc="$(highest GLIBC_)"; glibcxx="$(highest GLIBCXX_)"; cxxabi="$(highest CXXABI_)"
echo "module: $module"
echo "needs GLIBC_${glibc:-none}  GLIBCXX_${glibcxx:-none}  CXXABI_${cxxabi:-none}"
echo "highest version needed per library:"
echo "$needs" | awk 'NF == 2 {print $1}' | sort -u | while read -r lib; do
  echo "  $lib: $(echo "$needs" | awk -v l="$lib" '$1 == l {print $2}' | sort -V | tail -n1)"
done
echo "links:"
echo "$headers" | awk '$1 == "NEEDED" || $1 == "RPATH" || $1 == "RUNPATH" {printf "  %-8s %s\n", $1, $2}'
dynamic_symbols="$(objdump -T "$module")"
exports="$(echo "$dynamic_symbols" | awk '$2 == "g" && $4 != "*UND*" {print $NF}' | sort -u)"
echo "exports:"; echo "$exports" | sed 's/^/  /'

status=0
if [ -n "$glibc_floor" ] || [ -n "$glibcxx_floor" ]; then
  echo "floor: GLIBC_${glibc_floor:-any}  GLIBCXX_${glibcxx_floor:-any}  CXXABI_${cxxabi_floor:-any}"
  for check in "GLIBC_ $glibc $glibc_floor" "GLIBCXX_ $glibcxx $glibcxx_floor" "CXXABI_ $cxxabi $cxxabi_floor"; do
    set -- $check
    if [ $# -eq 3 ] && above "$2" "$3"; then
      status=1
      echo "ABOVE FLOOR: needs $1$2 > $1$3; symbols needing more than $1$3:"
      for version in $(echo "$needs" | awk -v p="$1" '$2 ~ "^"p"[0-9]" {print $2}' | sort -u); do
        above "${version#"$1"}" "$3" || continue
        echo "$dynamic_symbols" | awk -v v="$version" '$0 ~ "[( ]"v"[) ]" {print "    " v, $NF}'
      done | sort -u | head -n 20
    fi
  done
  if [ "$status" -eq 0 ]; then echo "verdict: loads on that floor"; else echo "verdict: would NOT load on that floor"; fi
fi
if [ "$report_only" -eq 1 ]; then status=0; fi
if [ "$portable" -eq 1 ]; then
  bad=""
  echo "$headers" | grep -qE 'NEEDED +lib(stdc\+\+|gcc_s)\.' && bad="$bad; links the shared C++ runtime"
  [ -n "$glibcxx$cxxabi" ] && bad="$bad; needs GLIBCXX/CXXABI symbols"
  extra="$(echo "$exports" | grep -vE '^(PyInit_|init)[A-Za-z0-9_]+$' | tr '\n' ' ')"
  [ -n "${extra// /}" ] && bad="$bad; exports more than its init function: $extra"
  if [ -n "$bad" ]; then echo "NOT PORTABLE${bad}"; status=1; else echo "portable: C++ runtime inside, init function only"; fi
fi
exit "$status"
