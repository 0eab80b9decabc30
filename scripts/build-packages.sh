#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages stempora, libpixkit1 and libpixkit-dev (and
# their -dbgsym packages) with dpkg-buildpackage, from a copy of the source
# tree: the tree gets no build files, and the packages land in OUT_DIR.
# Usage: build-packages.sh OUT_DIR
#
# The copy holds what git tracks or would track, as it stands in the
# working tree (no build folders). Its files get the time of the copy, not
# their own: the packages must not depend on when a file was checked out.
# DEB_BUILD_OPTIONS defaults to "nocheck parallel=<cores>", since `make
# test` runs the tests; set it to run them inside the package build too.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT_DIR" >&2; exit 2; }
source=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
work=$out/source
tree=$work/stempora-$version

rm -rf "$work" && mkdir -p "$tree"
rm -f "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$source" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - -cf -) | tar -C "$tree" -m -xf -
else
  tar -C "$source" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -C "$tree" -m -xf -
fi

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-"nocheck parallel=$(nproc)"}
profiles=()
case " $DEB_BUILD_OPTIONS " in
*" nocheck "*) profiles=(-Pnocheck) ;;
esac
(cd "$tree" && dpkg-buildpackage -us -uc -b "${profiles[@]}") >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" >&2
  echo "dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$out"/
rm -rf "$work"
ls "$out"/*.deb
