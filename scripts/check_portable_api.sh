#!/usr/bin/env bash
# Fails when the shipped sources (src/) call something the oldest release toolchains lack.
# The list, with the reason for each entry, is scripts/portable_api.list. Comments are ignored;
# a line marked "portable-api: allow" is let through (for code behind a version check).
set -uo pipefail
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
LIST="${PORTABLE_API_LIST:-$REPO/scripts/portable_api.list}"
ROOTS=("${@:-$REPO/src}")

mapfile -t files < <(find "${ROOTS[@]}" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) | sort)
found=0; entries=0
while IFS=$'\t' read -r pattern reason; do
  case "$pattern" in ''|'#'*) continue ;; esac
  entries=$((entries + 1))
  # Strip // comments and /* */ on one line; skip allowed lines; print FILE:LINE: text.
  hits="$(awk -v re="$pattern" '
    /portable-api: allow/ { next }
    { code = $0; sub(/\/\/.*$/, "", code); gsub(/\/\*.*\*\//, "", code)
      if (code ~ re) printf "%s:%d: %s\n", FILENAME, FNR, $0 }' "${files[@]}")"
  if [ -n "$hits" ]; then
    found=$((found + 1))
    echo "not portable: $pattern -- $reason"
    echo "$hits" | sed "s|^$REPO/||; s/^/  /"
  fi
done < "$LIST"
echo "portable API check: ${#files[@]} files, $entries entries, $found entries hit"
[ "$found" -eq 0 ]
