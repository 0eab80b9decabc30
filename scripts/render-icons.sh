#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the program icon's PNG sizes for the hicolor theme from the SVG.
# The PNGs are checked in, so the build needs no SVG renderer; run this
# after changing dist/icons/stempora.svg (needs rsvg-convert).
set -euo pipefail
cd "$(dirname "$0")/../dist/icons"
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "$size"
  rsvg-convert -w "$size" -h "$size" stempora.svg -o "$size/stempora.png"
done
