#!/usr/bin/env bash
# Builds the Debian package of a build folder, as `make package` does, and
# checks it: Depends computed from the shared libraries, the files a
# desktop install needs, no lintian errors (warnings are printed), and the
# unpacked stempora-batch starting with the library from the package.
# Usage: package_checks.sh BUILD_DIR SCRATCH
set -euo pipefail
build=$1 scratch=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch" && mkdir -p "$scratch"
(cd "$build" && cpack -G DEB -B "$scratch" >"$scratch/cpack.log") || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls "$scratch"/stempora_*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libc6 libqt6widgets6 libjpeg62-turbo libtiff6 libopenjp2-7 libgif7 libpng16-16 qt6-qpa-plugins; do
  grep -q "\b$needed\b" <<<"$depends" || fail "Depends lacks $needed"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/stempora ./usr/bin/stempora-batch ./usr/include/pixkit/pixkit.h \
    ./usr/share/applications/stempora.desktop ./usr/share/mime/packages/stempora.xml \
    ./usr/share/icons/hicolor/48x48/apps/stempora.png ./usr/share/man/man1/stempora.1.gz \
    ./usr/share/doc/stempora/copyright; do
  grep -qx -- "$file" <<<"$contents" || fail "package lacks $file"
done
grep -q 'libpixkit.so.1$' <<<"$contents" || fail "package lacks libpixkit.so.1"

lintian --fail-on error --no-tag-display-limit "$deb" || fail "lintian reports errors"

dpkg -x "$deb" "$scratch/unpacked"
env -u LD_LIBRARY_PATH "$scratch/unpacked/usr/bin/stempora-batch" --help | grep -q stempora-batch ||
  fail "unpacked stempora-batch --help"
