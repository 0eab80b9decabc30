#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks of `cmake --install` into a scratch DESTDIR under an unusual
# prefix. Usage: install_checks.sh STEP BUILD_DIR SOURCE_DIR SCRATCH
#   install     installs the build into SCRATCH/root
#   files       every file a desktop install needs is there, the programs
#               find libpixkit from where they were installed, are hardened
#               and answer their command lines
#   validate    desktop entry, AppStream data, MIME entry, manual pages
#   pkgconfig   a C program builds and runs against the installed library
#   platform    with a display named but no platform plugin starting on it,
#               the window program gives Qt's reason
#   pkgconfig-paths  pixkit.pc names the prefix and the folders under it
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
    share/applications/example.stempora.Stempora.desktop
    share/metainfo/example.stempora.Stempora.metainfo.xml
    share/mime/packages/stempora.xml share/icons/hicolor/scalable/apps/stempora.svg
    share/man/man1/stempora.1.gz share/man/man1/stempora-batch.1.gz
    share/man/de/man1/stempora.1.gz share/man/de/man1/stempora-batch.1.gz
    share/doc/stempora/copyright share/doc/stempora/LICENSES/GPL-3.0-or-later.txt
    share/doc/stempora/LICENSES/LGPL-2.1-or-later.txt
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
  "$(dirname "$0")/search_path_checks.sh" "$dest/bin" "$dest/$libdir" >/dev/null
  env -u LD_LIBRARY_PATH "$dest/bin/stempora-batch" --help | grep -q "stempora-batch" ||
    fail "installed stempora-batch --help"

  # Only the C interface leaves the library.
  cxx=$(nm -D --defined-only "$dest/$libdir/libpixkit.so.1.0" | awk '$3 ~ /^_Z/ {print $3}')
  [ -z "$cxx" ] || fail "libpixkit exports C++ symbols: $cxx"

  # The hardening of an optimised build (the checked functions need the
  # optimiser).
  build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
  for binary in "$dest/bin/stempora" "$dest/bin/stempora-batch" "$dest/$libdir/libpixkit.so.1.0"; do
    headers=$(readelf -lhd --wide "$binary")
    grep -q 'Type: *DYN' <<<"$headers" || fail "$binary is not position independent"
    grep -q GNU_RELRO <<<"$headers" || fail "$binary has no RELRO"
    grep -q 'BIND_NOW\|FLAGS_1.*NOW' <<<"$headers" || fail "$binary is not bound now"
    symbols=$(nm -D "$binary")
    grep -q __stack_chk_fail <<<"$symbols" || fail "$binary has no stack protector"
    case $build_type in
    Release | RelWithDebInfo | MinSizeRel)
      grep -q '__[a-z]*_chk@' <<<"$symbols" || fail "$binary calls no checked (fortified) function"
      ;;
    esac
  done

  # The command lines: the version, a mistyped option, no display. The
  # version the programs give (from CMake's project) is the package's.
  version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
  version=${version%-*} # the upstream version, without the Debian revision
  for program in stempora stempora-batch; do
    answer=$(env -u LD_LIBRARY_PATH "$dest/bin/$program" --version)
    [ "$answer" = "$program $version" ] || fail "$program --version answers '$answer'"
    status=0
    lines=$(env -u LD_LIBRARY_PATH "$dest/bin/$program" --versio 2>&1 >/dev/null) || status=$?
    [ $status -eq 2 ] || fail "$program --versio ended with $status, not 2"
    [ "$(wc -l <<<"$lines")" -eq 2 ] || fail "$program --versio says more than an error and a hint: $lines"
  done
  status=0
  lines=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$dest/bin/stempora" 2>&1 >/dev/null) || status=$?
  [ $status -eq 1 ] || fail "stempora without a display ended with $status, not 1"
  [ "$lines" = "$(head -n 1 <<<"$lines")" ] || fail "stempora without a display says more than one line: $lines"
  grep -q 'Desktop-Sitzung.*stempora-batch' <<<"$lines" || fail "stempora without a display says: $lines"
  ;;

validate)
  desktop=$dest/share/applications/example.stempora.Stempora.desktop
  desktop-file-validate "$desktop"
  appstreamcli validate --no-net "$dest/share/metainfo/example.stempora.Stempora.metainfo.xml" >/dev/null
  for page in man1/stempora man1/stempora-batch de/man1/stempora de/man1/stempora-batch; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$dest/share/man/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
  done
  mime=$scratch/mime
  rm -rf "$mime" && mkdir -p "$mime/packages"
  cp "$dest/share/mime/packages/stempora.xml" "$mime/packages/"
  update-mime-database "$mime"
  grep -q '^application/x-stempora-job:\*\.stx$' "$mime/globs" || fail "no *.stx glob for the job type"
  grep -qx 'MimeType=application/x-stempora-job;' "$desktop" ||
    fail "desktop entry claims other types than the job files: $(grep MimeType "$desktop")"
  grep -q '<launchable type="desktop-id">example.stempora.Stempora.desktop</launchable>' \
    "$dest/share/metainfo/example.stempora.Stempora.metainfo.xml" || fail "metainfo names another desktop entry"
  version=$(dpkg-parsechangelog -l "$source/debian/changelog" -S Version)
  version=${version%-*} # the upstream version, without the Debian revision
  grep -q "<release version=\"$version\"" "$dest/share/metainfo/example.stempora.Stempora.metainfo.xml" ||
    fail "metainfo has no release notes for $version"
  ;;

pkgconfig)
  pcdir=$(dirname "$(ls "$dest"/lib*/pkgconfig/pixkit.pc)")
  export PKG_CONFIG_PATH=$pcdir
  # The install is staged in a DESTDIR; pkg-config reads it as one.
  export PKG_CONFIG_SYSROOT_DIR=$root
  flags=$(pkg-config --cflags --libs pixkit)
  cc -std=c99 -Wall -Wextra -Werror -o "$scratch/round_trip" "$source/tests/install/pixkit_round_trip.c" $flags
  LD_LIBRARY_PATH=$(pkg-config --variable=libdir pixkit) "$scratch/round_trip" "$scratch/round_trip.bmp"
  ;;

platform)
  # A display is named but the platform plugin cannot start on it: Qt's
  # own reason is given, not the advice for a session without a display.
  # Nothing answers on display :987, and no platform plugin has that name.
  for setting in DISPLAY=:987 QT_QPA_PLATFORM=no-such-platform; do
    status=0
    lines=$(env -u LD_LIBRARY_PATH -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
      "$setting" "$dest/bin/stempora" 2>&1 >/dev/null) || status=$?
    [ $status -eq 1 ] || fail "stempora with $setting ended with $status, not 1"
    if grep -q 'Desktop-Sitzung' <<<"$lines"; then fail "stempora with $setting asks for a desktop session: $lines"; fi
    grep -q "${setting#*=}" <<<"$lines" || fail "stempora with $setting does not say what failed: $lines"
  done
  ;;

pkgconfig-paths)
  # The prefix the install went to, and the folders written under it, as
  # pkg-config and distributions spell them; with the DESTDIR as sysroot
  # they name the staged files.
  pc=$(ls "$dest"/lib*/pkgconfig/pixkit.pc)
  libdir=$(basename "$(dirname "$(dirname "$pc")")")
  grep -qx "prefix=$prefix" "$pc" || fail "pixkit.pc: $(grep '^prefix=' "$pc")"
  grep -qx "libdir=\${prefix}/$libdir" "$pc" || fail "pixkit.pc: $(grep '^libdir=' "$pc")"
  grep -qx 'includedir=${prefix}/include' "$pc" || fail "pixkit.pc: $(grep '^includedir=' "$pc")"
  export PKG_CONFIG_PATH=$(dirname "$pc")
  for variable in prefix:$prefix libdir:$prefix/$libdir includedir:$prefix/include; do
    name=${variable%%:*} expected=${variable#*:}
    answer=$(pkg-config --variable="$name" pixkit)
    [ "$answer" = "$expected" ] || fail "pkg-config --variable=$name answers '$answer', not '$expected'"
    answer=$(PKG_CONFIG_SYSROOT_DIR=$root pkg-config --variable="$name" pixkit)
    [ "$answer" = "$root$expected" ] || fail "staged, pkg-config --variable=$name answers '$answer'"
    [ -d "$root$expected" ] || fail "$root$expected is no folder"
  done
  ;;

*)
  fail "unknown step $step"
  ;;
esac
