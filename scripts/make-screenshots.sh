#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the two screenshots the AppStream data names, from the real window
# on an X server of its own (Xvfb), with the fonts a desktop has:
#   lauf.png       the window after a run over four pictures, with its log
#   vorschau.png   the preview of the first one with a tiled, turned text
# app_page_shots (tests/app/page_shots.cpp) drives the window; the run
# works on a copy of the example pictures and one larger landscape drawn
# here, so the tree stays clean.
# Usage: make-screenshots.sh [BUILD_DIR] [OUT_DIR]   (build, dist/screenshots)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source/build}" && pwd)
mkdir -p "${2:-$source/dist/screenshots}"
out=$(cd "${2:-$source/dist/screenshots}" && pwd)

cmake --build "$build" --target app_page_shots >/dev/null
# A fixed folder, since the log in the picture shows its path.
scratch=/tmp/stempora-bilder
rm -rf "$scratch"
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/Urlaub" "$scratch/shots" "$scratch/config"
cp "$source"/examples/*.bmp "$source"/examples/*.tga "$scratch/Urlaub/"
# First by name, so the preview shows it: the examples are too small to
# show a tiled text.
convert -size 960x640 gradient:'#4f97db-#e3f1ff' -fill '#f6cf45' -draw 'circle 730,150 730,205' \
  -fill '#9fc7e8' -draw 'polygon 80,470 330,180 560,470' \
  -fill white -draw 'polygon 270,250 330,180 390,250 360,240 330,262 300,240' \
  -fill '#6aa84f' -draw 'ellipse 250,720 560,300 0,360' -fill '#3d7a2c' -draw 'ellipse 800,760 520,280 0,360' \
  -quality 92 "$scratch/Urlaub/alpen.jpg"

# A fresh settings folder: the window starts as on a first start, not
# with whatever the user last left in it.
XDG_CONFIG_HOME=$scratch/config LC_ALL=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/app_page_shots" "$scratch/shots" "" "$scratch/Urlaub"

# Metadata chunks (times, software) stripped, so a second run that shows
# the same window gives the same files.
convert "$scratch/shots/run-ended.png" -strip "$out/lauf.png"
convert "$scratch/shots/preview.png" -strip "$out/vorschau.png"
for shot in lauf vorschau; do
  echo "$out/$shot.png: $(identify -format '%wx%h' "$out/$shot.png")"
done
