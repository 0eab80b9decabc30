#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the full stamping run against loading and saving alone over a batch
# of 12-megapixel photo-like JPEGs at quality 75, pinned to one core.
#
#   bench/watermark-bench.sh [build-folder] [corpus-folder]
#
# The build folder (default build-bench) is configured as Release when it is
# new. The corpus (default build-folder/watermark-corpus) is made on first use
# and kept. Extra settings: COUNT (pictures, default 4), ROUNDS (default 3),
# FORMAT (jpg or bmp, default jpg).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
corpus=${2:-"$build/watermark-corpus"}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSTEMPORA_GUI=OFF
fi
cmake --build "$build" -j2 --target watermark_bench

pin=""
if command -v taskset >/dev/null 2>&1; then pin="taskset -c 0"; fi
QT_QPA_PLATFORM=offscreen $pin "$build/bin/watermark_bench" --corpus "$corpus" \
  --count "${COUNT:-4}" --rounds "${ROUNDS:-3}" --format "${FORMAT:-jpg}"
