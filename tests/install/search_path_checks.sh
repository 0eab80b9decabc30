#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every program and library under the given folders names only library
# search paths the loader takes as meant: absolute folders or ones relative
# to the file itself ($ORIGIN). An empty element (a leading, trailing or
# doubled ":") or a relative one is searched from the current folder, so a
# library planted where the program is started from would be loaded.
# Usage: search_path_checks.sh FOLDER...
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
[ $# -gt 0 ] || fail "usage: $0 FOLDER..."

checked=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
  checked=$((checked + 1))
  dynamic=$(readelf -d "$file" 2>/dev/null) || continue
  while IFS= read -r path; do
    [ -n "$path" ] || continue
    elements=()
    IFS=: read -r -a elements <<<"$path"
    # read drops one trailing empty field; count the separators instead.
    separators=${path//[^:]/}
    [ ${#elements[@]} -eq $((${#separators} + 1)) ] || fail "$file searches an empty element: '$path'"
    for element in "${elements[@]}"; do
      case $element in
      '') fail "$file searches an empty element: '$path'" ;;
      /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) ;;
      *) fail "$file searches the relative folder '$element': '$path'" ;;
      esac
    done
  done < <(sed -n 's/.*(R[UN]*PATH).*\[\(.*\)\]$/\1/p' <<<"$dynamic")
done < <(find "$@" -type f -print0)
[ $checked -gt 0 ] || fail "no program or library in $*"
echo "$checked programs and libraries search no empty or relative folder"
