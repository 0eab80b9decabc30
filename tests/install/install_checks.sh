#!/usr/bin/env bash
# Checks of `cmake --install` into a scratch DESTDIR under an unusual
# prefix. Usage: install_checks.sh STEP BUILD_DIR SOURCE_DIR SCRATCH
#   install     installs the build into SCRATCH/root
#   files       every file a desktop install needs is there, and the
#               programs find libpixkit from where they were installed
#   validate    desktop entry, AppStream data, MIME entry, manual pages
#   pkgconfig   a C program builds and runs against the installed library
set -euo pipefail
step=$1 build=$2 source=$3 scratch=$4
prefix=/opt/stempora-check
root=$scratch/root
dest=$root$prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

case $step in
install)
  rm -rf "$root"
  DESTDIR=$root cmake --install "$build" --prefix "$prefix" >/dev/null
  ;;

files)
  libdir=$(cd "$dest" && ls -d lib*/libpixkit.so.1 | xargs dirname)
  expected=(
    bin/stempora bin/stempora-batch
    "$libdir/libpixkit.so" "$libdir/libpixkit.so.1" "$libdir/libpixkit.so.1.0"
    "$libdir/pkgconfig/pixkit.pc" include/pixkit/pixkit.h
    share/applications/stempora.desktop share/metainfo/example.stempora.Stempora.metainfo.xml
    share/mime/packages/stempora.xml share/icons/hicolor/scalable/apps/stempora.svg
    share/man/man1/stempora.1.gz share/man/man1/stempora-batch.1.gz share/doc/stempora/copyright
  )
  for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/stempora.png")
  done
  for file in "${expected[@]}"; do
    [ -e "$dest/$file" ] || fail "missing $file"
  done
  soname=$(readelf -d "$dest/$libdir/libpixkit.so.1.0" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ "$soname" = libpixkit.so.1 ] || fail "SONAME is '$soname'"
  for program in stempora stempora-batch; do
    runpath=$(readelf -d "$dest/bin/$program" | sed -n 's/.*(R[UN]*PATH).*\[\(.*\)\]/\1/p')
    [ "$runpath" = "\$ORIGIN/../$libdir" ] || fail "$program searches '$runpath'"
    resolved=$(env -u LD_LIBRARY_PATH ldd "$dest/bin/$program" | sed -n 's/.*libpixkit.so.1 => \([^ ]*\).*/\1/p')
    [ "$(realpath "$resolved")" = "$(realpath "$dest/$libdir/libpixkit.so.1")" ] ||
      fail "$program loads libpixkit from '$resolved'"
  done
  env -u LD_LIBRARY_PATH "$dest/bin/stempora-batch" --help | grep -q "stempora-batch" ||
    fail "installed stempora-batch --help"
  ;;

validate)
  desktop-file-validate "$dest/share/applications/stempora.desktop"
  appstreamcli validate --no-net "$dest/share/metainfo/example.stempora.Stempora.metainfo.xml" >/dev/null
  for page in stempora stempora-batch; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$dest/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
  done
  mime=$scratch/mime
  rm -rf "$mime" && mkdir -p "$mime/packages"
  cp "$dest/share/mime/packages/stempora.xml" "$mime/packages/"
  update-mime-database "$mime"
  grep -q '^application/x-stempora-job:\*\.stx$' "$mime/globs" || fail "no *.stx glob for the job type"
  grep -q 'application/x-stempora-job' "$dest/share/applications/stempora.desktop" ||
    fail "desktop entry does not open job files"
  ;;

pkgconfig)
  pcdir=$(dirname "$(ls "$dest"/lib*/pkgconfig/pixkit.pc)")
  export PKG_CONFIG_PATH=$pcdir
  flags=$(pkg-config --cflags --libs pixkit)
  cc -std=c99 -Wall -Wextra -Werror -o "$scratch/round_trip" "$source/tests/install/pixkit_round_trip.c" $flags
  LD_LIBRARY_PATH=$(pkg-config --variable=libdir pixkit) "$scratch/round_trip" "$scratch/round_trip.bmp"
  ;;

*)
  fail "unknown step $step"
  ;;
esac
