#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# debian/control names what the package's own test run needs, only for it
# (<!nocheck>): the programs the tests look for, and xauth, which xvfb-run
# calls. And it leaves out what Qt's development package brings itself
# (the OpenGL headers Qt's CMake files look for), as scripts/install-deps.sh
# does.
# Usage: build_depends_checks.sh SOURCE_DIR
set -euo pipefail
source=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

build_depends=$(sed -n '/^Build-Depends:/,/^[A-Z][A-Za-z-]*:/p' "$source/debian/control" | sed '1s/^Build-Depends://;$d' |
  tr ',' '\n' | sed 's/^ *//; s/ *$//' | grep -v '^$')
declared() { grep -q "^$1\( \|$\)" <<<"$build_depends"; }

programs=$(sed -n 's/.*find_program([A-Z_]* \([^ )]*\).*/\1/p' $(find "$source/tests" -name CMakeLists.txt) | sort -u)
grep -qx xvfb-run <<<"$programs" && programs+=$'\n'xauth
for program in $programs; do
  path=$(command -v "$program") || fail "$program, which the tests use, is not installed here"
  package=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -n 1 | cut -d: -f1) ||
    fail "no Debian package holds $path"
  grep -qx "$package <!nocheck>" <<<"$build_depends" ||
    fail "debian/control does not declare $package <!nocheck> for the tests' $program"
done

for brought in libgl-dev; do
  dpkg-query -W -f='${Depends}\n' qt6-base-dev | tr ',' '\n' | grep -q "^ *$brought\b" ||
    fail "qt6-base-dev no longer depends on $brought: declare it again"
  if declared "$brought"; then fail "debian/control declares $brought, which qt6-base-dev depends on"; fi
  if grep -qw "$brought" "$source/scripts/install-deps.sh"; then fail "install-deps.sh names $brought"; fi
done
echo "build dependencies of the tests declared for them alone: $(tr '\n' ' ' <<<"$programs")"
