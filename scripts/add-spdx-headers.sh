#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts an SPDX-License-Identifier line at the top of every source, CMake
# and shell file that has none: LGPL-2.1-or-later for the library in
# pixkit/ (its public header included), GPL-3.0-or-later for everything
# else, tests too. The line goes first, after the #! line of a script.
# Files that already name a licence are left as they are, so a second run
# changes nothing. Usage: add-spdx-headers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

list_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard
  else
    find . -path ./build\* -prune -o -type f -print0 | sed -z 's|^\./||'
  fi
}

licence_of() {
  case $1 in
  pixkit/*) echo LGPL-2.1-or-later ;;
  *) echo GPL-3.0-or-later ;;
  esac
}

# The comment line for a file, or nothing for a file this script leaves alone.
comment_for() {
  local file=$1 licence
  licence=$(licence_of "$file")
  case $file in
  tests/data/*) ;;  # test inputs are bytes, not sources
  # C files and the C interface keep C's own comments.
  *.c | pixkit/include/*.h) echo "/* SPDX-License-Identifier: $licence */" ;;
  *.cpp | *.h) echo "// SPDX-License-Identifier: $licence" ;;
  *.cmake | */CMakeLists.txt | CMakeLists.txt | *.sh) echo "# SPDX-License-Identifier: $licence" ;;
  esac
}

changed=0
while IFS= read -r -d '' file; do
  [ -f "$file" ] || continue
  line=$(comment_for "$file")
  [ -n "$line" ] || continue
  # awk rather than head | grep: under pipefail, grep -q leaving early
  # could fail the pipe and add a second line.
  if awk 'NR > 5 { exit } /SPDX-License-Identifier:/ { found = 1; exit } END { exit !found }' "$file"; then
    continue
  fi
  temporary=$(mktemp "$file.XXXXXX")
  if [ "$(head -c 2 "$file")" = '#!' ]; then
    { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$temporary"
  else
    { echo "$line"; cat "$file"; } >"$temporary"
  fi
  chmod --reference="$file" "$temporary"
  mv "$temporary" "$file"
  changed=$((changed + 1))
done < <(list_files)
echo "SPDX lines added to $changed files"
