#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages twice, as `make package` does, and checks them:
#   - both builds give the same bytes, although the second runs in another
#     folder, at another time, in another time zone, locale and umask;
#   - lintian finds no error and no warning that debian/*lintian-overrides
#     does not justify;
#   - each package holds its files, libpixkit1 exports only the C interface
#     and its programs are hardened;
#   - the unpacked programs answer --version and refuse a wrong option;
#   - the source package is 3.0 (quilt): an upstream tarball that git
#     archive made of HEAD (the working tree when it differs), without
#     debian/, and debian/ in its own tarball;
#   - libpixkit-dev's pixkit.pc names /usr and the folders under it.
# Usage: package_checks.sh SOURCE_DIR SCRATCH
set -euo pipefail
source=$1 scratch=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch" && mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
build=$source/scripts/build-packages.sh
version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
upstream=${version%-*}
[ "$upstream" != "$version" ] || fail "version $version has no Debian revision"

echo "== first build"
(umask 022 && TZ=UTC LC_ALL=C.UTF-8 "$build" "$scratch/first")
echo "== second build, elsewhere and otherwise"
(umask 002 && TZ=Pacific/Kiritimati LC_ALL=C "$build" "$scratch/second/elsewhere")

echo "== the same bytes"
first=$scratch/first second=$scratch/second/elsewhere
names=$(cd "$first" && ls ./*.deb)
[ "$names" = "$(cd "$second" && ls ./*.deb)" ] || fail "the two builds made different packages"
differ=0
for deb in $names; do
  if cmp -s "$first/$deb" "$second/$deb"; then
    echo "same: $deb $(sha256sum <"$first/$deb" | cut -c1-16)"
  else
    differ=1
    echo "DIFFERENT: $deb" >&2
    diff <(dpkg-deb -c "$first/$deb") <(dpkg-deb -c "$second/$deb") >&2 || true
    diff <(dpkg-deb -I "$first/$deb") <(dpkg-deb -I "$second/$deb") >&2 || true
  fi
done
[ $differ -eq 0 ] || fail "the builds are not reproducible (diffoscope on the two files shows where)"

echo "== the source package"
dsc=$first/stempora_$version.dsc
orig=stempora_$upstream.orig.tar.gz
[ -f "$dsc" ] || fail "no source package stempora_$version.dsc"
[ "$(sed -n 's/^Format: //p' "$dsc")" = "3.0 (quilt)" ] || fail "$(grep '^Format:' "$dsc")"
[ "$(sed -n 's/^Version: //p' "$dsc")" = "$version" ] || fail "$(grep '^Version:' "$dsc")"
grep -q " $orig\$" "$dsc" || fail "the source package lacks $orig"
grep -q " stempora_$version.debian.tar.xz\$" "$dsc" || fail "the source package lacks its debian tarball"
cmp -s "$first/$orig" "$second/$orig" || fail "the two builds made different upstream tarballs"
upstream_files=$(tar -tzf "$first/$orig")
debian_files=$(tar -tJf "$first/stempora_$version.debian.tar.xz")
if grep -q "^stempora-$upstream/debian/" <<<"$upstream_files"; then fail "$orig holds debian/"; fi
grep -qx "stempora-$upstream/CMakeLists.txt" <<<"$upstream_files" || fail "$orig lacks the sources"
grep -qx debian/control <<<"$debian_files" || fail "the debian tarball lacks debian/control"
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1 &&
  [ -z "$(git -C "$source" status --porcelain --untracked-files=normal)" ]; then
  cmp -s "$first/$orig" <(git -C "$source" archive --format=tar --prefix="stempora-$upstream/" HEAD -- . \
    ':(exclude)debian' | gzip -9n) || fail "$orig is not git archive of HEAD"
  echo "$orig is git archive of HEAD"
else
  echo "the tree differs from HEAD: $orig holds the working tree"
fi

echo "== lintian"
lintian --fail-on error,warning --display-info --tag-display-limit 0 "$first"/*.changes ||
  fail "lintian reports errors or unjustified warnings"

echo "== contents"
deb() { ls "$first"/"$1"_*.deb; }
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
has() {
  local package=$1
  shift
  local contents
  contents=$(dpkg-deb -c "$(deb "$package")" | awk '{print $6}')
  for file in "$@"; do
    grep -qx -- "./$file" <<<"$contents" || fail "$package lacks $file"
  done
}
has stempora usr/bin/stempora usr/bin/stempora-batch \
  usr/share/applications/example.stempora.Stempora.desktop \
  usr/share/metainfo/example.stempora.Stempora.metainfo.xml usr/share/mime/packages/stempora.xml \
  usr/share/icons/hicolor/48x48/apps/stempora.png usr/share/icons/hicolor/scalable/apps/stempora.svg \
  usr/share/man/man1/stempora.1.gz usr/share/man/man1/stempora-batch.1.gz \
  usr/share/man/de/man1/stempora.1.gz usr/share/man/de/man1/stempora-batch.1.gz \
  usr/share/doc/stempora/copyright
has libpixkit1 "usr/lib/$multiarch/libpixkit.so.1" "usr/lib/$multiarch/libpixkit.so.1.0"
has libpixkit-dev usr/include/pixkit/pixkit.h "usr/lib/$multiarch/libpixkit.so" \
  "usr/lib/$multiarch/pkgconfig/pixkit.pc"
if dpkg-deb -c "$(deb stempora)" | grep -q 'libpixkit\|include/'; then fail "stempora holds the library"; fi
[ "$(dpkg-deb -f "$(deb libpixkit1)" Section)" = libs ] || fail "libpixkit1 is not in Section libs"
[ "$(dpkg-deb -f "$(deb libpixkit1)" Multi-Arch)" = same ] || fail "libpixkit1 is not Multi-Arch: same"
depends_on() {
  local package=$1 depends
  shift
  depends=$(dpkg-deb -f "$(deb "$package")" Depends)
  echo "$package Depends: $depends"
  for needed in "$@"; do
    grep -qF "$needed" <<<"$depends" || fail "$package's Depends lack $needed"
  done
}
depends_on stempora 'libpixkit1 (>= 1.0)' libqt6widgets6 libfontconfig1 qt6-qpa-plugins
depends_on libpixkit1 libjpeg62-turbo libtiff6 libopenjp2-7 libgif7 libpng16-16
depends_on libpixkit-dev "libpixkit1 (= $version)"

root=$scratch/root
for package in $names; do dpkg-deb -x "$first/$package" "$root"; done
libdir=$root/usr/lib/$multiarch

echo "== exported symbols"
exported=$(nm -D --defined-only "$libdir/libpixkit.so.1.0" | awk '{print $3}')
echo "$exported" | grep -v '^PIXKIT_1$' | sed 's/@.*//' | tr '\n' ' '
echo
if grep -q '^_Z' <<<"$exported"; then fail "libpixkit exports C++ symbols: $(grep '^_Z' <<<"$exported")"; fi
grep -qx 'OpenDib@@PIXKIT_1' <<<"$exported" || fail "OpenDib is not exported as PIXKIT_1"

echo "== hardening"
for binary in "$root/usr/bin/stempora" "$root/usr/bin/stempora-batch" "$libdir/libpixkit.so.1.0"; do
  headers=$(readelf -lhd --wide "$binary")
  grep -q 'Type: *DYN' <<<"$headers" || fail "$binary is not position independent"
  grep -q GNU_RELRO <<<"$headers" || fail "$binary has no RELRO"
  grep -q 'BIND_NOW\|FLAGS_1.*NOW' <<<"$headers" || fail "$binary is not bound now"
  if grep -q 'R[UN]*PATH' <<<"$headers"; then fail "$binary names a library search path"; fi
  symbols=$(nm -D "$binary")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$binary has no stack protector"
  grep -q '__[a-z]*_chk@' <<<"$symbols" || fail "$binary calls no checked (fortified) function"
done

echo "== pixkit.pc"
pc=$libdir/pkgconfig/pixkit.pc
grep -qx 'prefix=/usr' "$pc" || fail "pixkit.pc: $(grep '^prefix=' "$pc")"
grep -qx "libdir=\${prefix}/lib/$multiarch" "$pc" || fail "pixkit.pc: $(grep '^libdir=' "$pc")"
grep -qx 'includedir=${prefix}/include' "$pc" || fail "pixkit.pc: $(grep '^includedir=' "$pc")"
[ "$(PKG_CONFIG_PATH=$libdir/pkgconfig PKG_CONFIG_SYSROOT_DIR=$root pkg-config --variable=libdir pixkit)" = \
  "$libdir" ] || fail "pixkit.pc read from the unpacked package does not name its folder"

echo "== the unpacked programs"
export LD_LIBRARY_PATH=$libdir
for program in stempora stempora-batch; do
  answer=$("$root/usr/bin/$program" --version)
  echo "$answer"
  [ "$answer" = "$program $upstream" ] || fail "$program --version answers '$answer'"
done
status=0
"$root/usr/bin/stempora" --versio 2>/dev/null || status=$?
[ $status -eq 2 ] || fail "stempora --versio ended with $status, not 2"
echo "all package checks passed"
