#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian source package (format 3.0 (quilt)) and the binary
# packages stempora, libpixkit1 and libpixkit-dev (and their -dbgsym
# packages) with dpkg-buildpackage, from the upstream tarball and debian/:
# the tree gets no build files, and everything lands in OUT_DIR.
# Usage: build-packages.sh OUT_DIR
#
# The upstream tarball stempora_<version>.orig.tar.gz is made by
# `git archive` of HEAD, without debian/. Stempora is not Debian's own
# software: the packaging lives beside the upstream source and goes into
# the .debian.tar.xz. When the working tree differs from HEAD (changed or
# new files a developer has not committed yet), the tarball holds the
# working tree as it stands instead, so a package build tries out what is
# on disk; it says so, and the tarball then has the files' modes made
# regular and HEAD's time, as git archive gives them. Outside a git
# checkout (an unpacked release) the tree as it stands is archived the
# same way.
# DEB_BUILD_OPTIONS defaults to "nocheck parallel=<cores>", since `make
# test` runs the tests; set it to run them inside the package build too.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUT_DIR" >&2; exit 2; }
source=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
upstream=${version%-*}
work=$out/source
tree=$work/stempora-$upstream
orig=$work/stempora_$upstream.orig.tar.gz

rm -rf "$work" && mkdir -p "$work"
rm -f "$out"/*.deb "$out"/*.changes "$out"/*.buildinfo "$out"/*.dsc "$out"/*.debian.tar.* "$out"/*.orig.tar.*

# Files of the working tree as a tar stream with git archive's normal
# form: sorted, owned by root, modes 0644 or 0755, one time for all.
archive_files() {
  local time=$1
  tar --null --no-recursion --sort=name --owner=0 --group=0 --numeric-owner \
    --mode='u=rwX,go=rX' --mtime="@$time" --transform="s|^|stempora-$upstream/|" -cf - -T -
}
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  changes=$(git -C "$source" status --porcelain --untracked-files=normal)
  if [ -z "$changes" ]; then
    git -C "$source" archive --format=tar --prefix="stempora-$upstream/" HEAD -- . ':(exclude)debian' |
      gzip -9n >"$orig"
  else
    echo "note: the tree differs from HEAD; the upstream tarball holds the working tree:" >&2
    head -n 20 <<<"$changes" >&2
    (cd "$source" && git ls-files -z --cached --others --exclude-standard -- . ':(exclude)debian' |
      while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done |
      archive_files "$(git log -1 --format=%ct HEAD)") | gzip -9n >"$orig"
  fi
  (cd "$source" && git ls-files -z --cached --others --exclude-standard -- debian |
    while IFS= read -r -d '' file; do [ -f "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - -cf -) | (mkdir -p "$tree" && tar -C "$tree" -xf -)
else
  (cd "$source" && find . -path ./debian -prune -o -path './build*' -prune -o -path './obj-*' -prune -o \
    -type f -printf '%P\0' | archive_files "$(stat -c %Y debian/changelog)") | gzip -9n >"$orig"
  mkdir -p "$tree" && cp -a "$source/debian" "$tree/"
fi
# The upstream files under debian/ as dpkg-source unpacks a source package.
tar -C "$work" -xzf "$orig"

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS-"nocheck parallel=$(nproc)"}
profiles=()
case " $DEB_BUILD_OPTIONS " in
*" nocheck "*) profiles=(-Pnocheck) ;;
esac
(cd "$tree" && dpkg-buildpackage -us -uc "${profiles[@]}") >"$out/build.log" 2>&1 || {
  tail -n 60 "$out/build.log" >&2
  echo "dpkg-buildpackage failed; the whole log is $out/build.log" >&2
  exit 1
}
mv "$work"/*.deb "$work"/*.changes "$work"/*.buildinfo "$work"/*.dsc "$work"/*.debian.tar.* "$orig" "$out"/
rm -rf "$work"
ls "$out"/*.deb
