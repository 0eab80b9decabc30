#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build, the tests and the window need.
# The export formats' own tools (dwebp, avifdec, heif-enc, tiffinfo, tificc,
# pngcheck, exiftool) read back what the tests write; libvips-tools is the export
# benchmark's peer.
# The window loads Qt's own German texts (qt6-translations-l10n); the
# install and package tests check their files with the freedesktop, AppStream,
# man and Debian tools, and build the Debian packages with debhelper (the
# list holds everything debian/control's Build-Depends names).
# Qt's development package brings the OpenGL headers its CMake files want.
# Only what is missing is installed, so a second run costs a few dpkg queries.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  libjpeg62-turbo-dev libjpeg-dev libjpeg-turbo-progs libgif-dev libtiff-dev libopenjp2-7-dev libpng-dev libwebp-dev libavif-dev libheif-dev liblcms2-dev
  qt6-base-dev qt6-base-dev-tools
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  netpbm imagemagick
  webp libavif-bin libheif-examples libtiff-tools liblcms2-utils pngcheck libvips-tools libimage-exiftool-perl
  xvfb xauth openbox fonts-dejavu-core fonts-liberation fontconfig libfontconfig-dev
  util-linux
  qt6-translations-l10n
  desktop-file-utils appstream shared-mime-info man-db groff-base
  librsvg2-bin lintian dpkg-dev fakeroot file debhelper
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
