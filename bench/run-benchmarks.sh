#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the benchmark steps against a build folder and prints their figures.
#   bash bench/run-benchmarks.sh <build folder> [step ...]
# With step names (say step_batch_speed), only those run, in the order given.
# Exits non-zero only when a step could not run; a missed speed target is
# printed as FAIL but does not fail the script (timings vary by machine).
set -euo pipefail

BUILD_DIR=$(cd "${1:-build}" && pwd)
BIN="$BUILD_DIR/bin"
REPEATS=${BENCH_REPEATS:-3}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/stempora-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Seconds (with fractions) since the epoch.
now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }

# --- Step: JPEG codec ----------------------------------------------------
# Pixkit's load + save of 12-megapixel photos at quality 75 against
# libjpeg-turbo's own djpeg | cjpeg -quality 75, both on one core, taken in
# turns so both see the same machine state; the best of REPEATS counts.
JPEG_RATIO_TARGET=1.10

step_jpeg_codec() {
  local corpus="$BUILD_DIR/bench-corpus/photos"
  if [ ! -f "$corpus/.complete" ]; then
    echo "jpeg codec: making the photo corpus in $corpus"
    rm -rf "$corpus" && mkdir -p "$corpus"
    "$BIN/make_photo_corpus" "$corpus" 6 4000 3000
    touch "$corpus/.complete"
  fi
  local ours_out="$WORK/jpeg-ours" peer_out="$WORK/jpeg-peer"
  mkdir -p "$ours_out" "$peer_out"
  local best_ours="" best_peer="" t0 t1
  for ((i = 1; i <= REPEATS; i++)); do
    t0=$(now)
    taskset -c 0 "$BIN/codec_jpeg_bench" "$corpus" "$ours_out"
    t1=$(now)
    best_ours=$(smaller "$best_ours" "$(elapsed "$t0" "$t1")")

    t0=$(now)
    taskset -c 0 bash -c 'set -eo pipefail
      for f in "$1"/*.jpg; do djpeg "$f" | cjpeg -quality 75 > "$2/${f##*/}"; done' _ "$corpus" "$peer_out"
    t1=$(now)
    best_peer=$(smaller "$best_peer" "$(elapsed "$t0" "$t1")")
  done
  local ratio verdict
  ratio=$(awk -v a="$best_ours" -v b="$best_peer" 'BEGIN { printf "%.3f", a / b }')
  verdict=$(awk -v r="$ratio" -v t="$JPEG_RATIO_TARGET" 'BEGIN { print (r <= t) ? "PASS" : "FAIL" }')
  local files megapixels
  files=$(ls "$corpus"/*.jpg | wc -l)
  echo "jpeg codec: $files files of 12 MP, best of $REPEATS, pinned to core 0"
  echo "  pixkit load+save:        ${best_ours} s"
  echo "  djpeg | cjpeg -quality 75: ${best_peer} s"
  echo "  ratio ${ratio} (target <= ${JPEG_RATIO_TARGET}): ${verdict}"
}

# --- Step: stamping ----------------------------------------------------------
# The full run (load, promote, picture at "Eingepasst" 50 %, two text lines at
# 75 %, save) against load + save alone, side by side; target <= 1.15.
step_stamping() {
  local status=0
  bash "$(dirname "$0")/watermark-bench.sh" "$BUILD_DIR" || status=$?
  # 3 means the run worked but missed its target: reported, not an error.
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then return "$status"; fi
}

# --- Step: palette reduction ------------------------------------------------
# Census, sort and error diffusion of a 12-megapixel picture to 8 bits against
# the GIF encode of the result, one core; target <= 1.2.
step_reduction() {
  taskset -c 0 "$BIN/reduce_bench" "$WORK" "$REPEATS"
}

# --- Steps: the batch run on several workers -------------------------------
# 16 photos of 12 megapixels, made once; the first six are the codec step's.
BATCH_PHOTOS=16

batch_corpus() {
  local corpus="$BUILD_DIR/bench-corpus/batch-photos"
  if [ ! -f "$corpus/.complete" ]; then
    echo "batch: making the photo corpus in $corpus" >&2
    rm -rf "$corpus" && mkdir -p "$corpus"
    "$BIN/make_photo_corpus" "$corpus" "$BATCH_PHOTOS" 4000 3000
    touch "$corpus/.complete"
  fi
  echo "$corpus"
}

# Runs batch_bench; 3 means it ran but missed a target: reported, not an error.
batch_bench() {
  local status=0
  # Qt asks for a private runtime folder; a bare shell has none.
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  fi
  QT_QPA_PLATFORM=offscreen "$BIN/batch_bench" "$@" || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then return "$status"; fi
}

# The full job with 1 worker on one core and 2 workers on two cores, and
# djpeg | cjpeg -quality 75 on one core, in turns, best of REPEATS; targets:
# 2 workers <= 1/1.85 of 1 worker, 1 worker <= djpeg | cjpeg.
step_batch_speed() {
  local corpus
  corpus=$(batch_corpus)
  batch_bench speed --corpus "$corpus" --scratch "$WORK/batch" --rounds "$REPEATS"
}

# Peak resident size of the full job with 2 and 4 workers against 1 worker;
# target: peak(N) <= N x peak(1) + 20 MB.
step_batch_memory() {
  local corpus
  corpus=$(batch_corpus)
  batch_bench memory --corpus "$corpus" --scratch "$WORK/batch" --workers 2,4
}

# Time per picture for lists of 200, 1000 and 2000 small JPEGs, 2 workers;
# target: the longest list's at most 1.20 times the shortest's.
step_batch_scaling() {
  batch_bench scaling --scratch "$WORK/batch" --lengths 200,1000,2000 --rounds "$REPEATS" --workers 2
}

# --- Step: the preview window ----------------------------------------------
# A 12-megapixel source with the benchmark job: first picture <= 1 s after
# opening, a new picture <= 200 ms after a changed setting.
step_preview() {
  local status=0
  mkdir -p "$WORK/preview"
  if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$WORK/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  fi
  QT_QPA_PLATFORM=offscreen "$BIN/preview_bench" "$WORK/preview" "$REPEATS" || status=$?
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then return "$status"; fi
}

# --- Step: watermark options -------------------------------------------------
# 16 photos of 12 MP: the options jobs (sizes relative to the image; the
# picture tiled and turned plus outlined, shadowed text; one turned picture;
# the heavy job, tiled, turned and sized picture plus outlined, shadowed,
# smooth text) against the plain job, one photo at a time and one per core;
# targets 1.3, 1.05 and 1.15.
step_options() {
  local corpus="$BUILD_DIR/bench-corpus/options"
  local status workers
  for workers in 1 0; do
    status=0
    "$BIN/options_bench" --corpus "$corpus" --count 16 --rounds "$REPEATS" --workers "$workers" || status=$?
    # 3 means the run worked but missed its target: reported, not an error.
    if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then return "$status"; fi
  done
}

# --- Step: export for the web ---------------------------------------------------
# 16 photos of 12 MP: logo and text stamped, written as JPEG quality 85 at
# 1600 px on the long edge (decoded shrunk by the DCT, then Lanczos) against
# the same job at full size (target <= 0.65) and against libvips doing the
# same steps, shrink-on-load thumbnail, composite of the logo, save at
# quality 85 (target <= 0.5); on one core and on all of them. WebP and AVIF
# encodes of the web job are reported beside JPEG's.
EXPORT_FULL_TARGET=0.65
EXPORT_VIPS_TARGET=0.5

step_export() {
  local corpus="$BUILD_DIR/bench-corpus/export"
  if [ ! -f "$corpus/.complete" ]; then
    echo "export: making the photo corpus in $corpus"
    rm -rf "$corpus" && mkdir -p "$corpus"
    "$BIN/make_photo_corpus" "$corpus" 16 4000 3000
    touch "$corpus/.complete"
  fi
  local cores
  cores=$(nproc)
  "$BIN/export_bench" "$corpus" web 1 --write-logo "$WORK/logo.png" > /dev/null
  local have_vips=0
  command -v vipsthumbnail > /dev/null && command -v vips > /dev/null && have_vips=1
  local pin workers label
  for label in one all; do
    if [ "$label" = one ]; then pin="taskset -c 0"; workers=1; else pin=""; workers=$cores; fi
    local best_full="" best_web="" best_webp="" best_avif="" best_vips="" t0 t1 variant
    for ((i = 1; i <= REPEATS; i++)); do
      for variant in full web webp avif; do
        t0=$(now)
        $pin "$BIN/export_bench" "$corpus" "$variant" "$workers" > /dev/null
        t1=$(now)
        case $variant in
          full) best_full=$(smaller "$best_full" "$(elapsed "$t0" "$t1")") ;;
          web) best_web=$(smaller "$best_web" "$(elapsed "$t0" "$t1")") ;;
          webp) best_webp=$(smaller "$best_webp" "$(elapsed "$t0" "$t1")") ;;
          avif) best_avif=$(smaller "$best_avif" "$(elapsed "$t0" "$t1")") ;;
        esac
      done
      if [ "$have_vips" = 1 ]; then
        mkdir -p "$WORK/vips"
        t0=$(now)
        ls "$corpus"/*.jpg | $pin xargs -P "$workers" -I{} bash -c 'set -e
          n=$(basename "$1" .jpg)
          VIPS_CONCURRENCY=1 vipsthumbnail "$1" --size 1600 -o "$3/$n.v"
          VIPS_CONCURRENCY=1 vips composite2 "$3/$n.v" "$2" "$3/$n.jpg[Q=85]" over --x 40 --y 40
          rm -f "$3/$n.v"' _ {} "$WORK/logo.png" "$WORK/vips"
        t1=$(now)
        best_vips=$(smaller "$best_vips" "$(elapsed "$t0" "$t1")")
      fi
    done
    local full_ratio
    full_ratio=$(awk -v a="$best_web" -v b="$best_full" 'BEGIN { printf "%.3f", a / b }')
    echo "export: 16 photos of 12 MP, web job at 1600 px, best of $REPEATS, $label core(s) ($workers workers)"
    echo "  full size, JPEG q85:          ${best_full} s"
    echo "  1600 px, JPEG q85:            ${best_web} s"
    echo "  1600 px, WebP q85:            ${best_webp} s"
    echo "  1600 px, AVIF q60 speed 8:    ${best_avif} s"
    echo "  web / full ${full_ratio} (target <= ${EXPORT_FULL_TARGET}): $(awk -v r="$full_ratio" -v t="$EXPORT_FULL_TARGET" 'BEGIN { print (r <= t) ? "PASS" : "FAIL" }')"
    if [ "$have_vips" = 1 ]; then
      local vips_ratio
      vips_ratio=$(awk -v a="$best_web" -v b="$best_vips" 'BEGIN { printf "%.3f", a / b }')
      echo "  libvips thumbnail+composite+save: ${best_vips} s"
      echo "  web / libvips ${vips_ratio} (target <= ${EXPORT_VIPS_TARGET}): $(awk -v r="$vips_ratio" -v t="$EXPORT_VIPS_TARGET" 'BEGIN { print (r <= t) ? "PASS" : "FAIL" }')"
    else
      echo "  libvips: not installed (package libvips-tools), no comparison"
    fi
  done
}

# --- Steps run in this order -----------------------------------------------
# --- Step: JPEG blocks kept -------------------------------------------------
# The run with "JPEG: unveränderte Blöcke übernehmen" next to djpeg | cjpeg,
# jpegtran -copy all, djpeg alone and the ordinary run, on 16 photos of
# 12 MP at quality 90, one worker on core 0, best of REPEATS; a corner logo
# ("Unten Rechts", 10 % of the width) and one line of corner text. Sources
# with cjpeg's standard Huffman tables and with optimised ones; the tiled mark
# against the ordinary run.
BLOCKS_STANDARD_TARGET=0.50
BLOCKS_OPTIMISED_TARGET=0.90
BLOCKS_TILED_TARGET=1.05

time_best() {  # command...; prints the best of REPEATS in seconds
  local best="" t0 t1
  for ((i = 1; i <= REPEATS; i++)); do
    t0=$(now)
    taskset -c 0 "$@" > /dev/null
    t1=$(now)
    best=$(smaller "$best" "$(elapsed "$t0" "$t1")")
  done
  echo "$best"
}

cpu_best() {  # command...; prints the best user + system seconds of REPEATS
  local best="" t
  if [ ! -x /usr/bin/time ]; then echo "?"; return; fi
  for ((i = 1; i <= REPEATS; i++)); do
    t=$(taskset -c 0 /usr/bin/time -f "%U %S" "$@" 2>&1 > /dev/null | tail -1 | awk '{ printf "%.3f", $1 + $2 }')
    best=$(smaller "$best" "$t")
  done
  echo "$best"
}

peak_kb() {  # command...; prints the peak resident memory in KiB
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -1
  else
    echo "?"
  fi
}

verdict_of() { awk -v r="$1" -v t="$2" 'BEGIN { print (r <= t) ? "PASS" : "FAIL" }'; }
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

step_jpeg_blocks() {
  local corpus="$BUILD_DIR/bench-corpus/blocks"
  if [ ! -f "$corpus/.complete" ]; then
    echo "jpeg blocks: making the corpus in $corpus"
    rm -rf "$corpus" && mkdir -p "$corpus/raw" "$corpus/standard" "$corpus/optimised"
    "$BIN/make_photo_corpus" "$corpus/raw" 16 4000 3000
    for f in "$corpus"/raw/*.jpg; do
      djpeg "$f" > "$corpus/x.ppm"
      cjpeg -quality 90 -outfile "$corpus/standard/${f##*/}" "$corpus/x.ppm"
      cjpeg -quality 90 -optimize -outfile "$corpus/optimised/${f##*/}" "$corpus/x.ppm"
    done
    rm -rf "$corpus/raw" "$corpus/x.ppm"
    touch "$corpus/.complete"
  fi
  local std="$corpus/standard" opt="$corpus/optimised"
  local pipe_loop='set -eo pipefail; for f in "$1"/*.jpg; do djpeg "$f" | cjpeg -quality 75 > /dev/null; done'
  local peer kept_std kept_opt ordinary jpegtran djpeg_only parse kept_tiled ordinary_tiled
  peer=$(time_best bash -c "$pipe_loop" _ "$std")
  djpeg_only=$(time_best bash -c 'for f in "$1"/*.jpg; do djpeg "$f" > /dev/null; done' _ "$std")
  parse=$(time_best bash -c 'for f in "$1"/*.jpg; do djpeg -scale 1/8 "$f" > /dev/null; done' _ "$std")
  jpegtran=$(time_best bash -c 'for f in "$1"/*.jpg; do jpegtran -copy all "$f" > /dev/null; done' _ "$opt")
  kept_std=$(time_best "$BIN/jpeg_blocks_bench" "$std" kept kept corner)
  kept_opt=$(time_best "$BIN/jpeg_blocks_bench" "$opt" kept kept corner)
  ordinary=$(time_best "$BIN/jpeg_blocks_bench" "$std" ordinary ordinary corner)
  kept_tiled=$(time_best "$BIN/jpeg_blocks_bench" "$std" kept kept tiled)
  ordinary_tiled=$(time_best "$BIN/jpeg_blocks_bench" "$std" ordinary ordinary tiled)
  local r_std r_opt r_tran r_tiled
  r_std=$(ratio_of "$kept_std" "$peer")
  r_opt=$(ratio_of "$kept_opt" "$peer")
  r_tran=$(ratio_of "$kept_opt" "$jpegtran")
  r_tiled=$(ratio_of "$kept_tiled" "$ordinary_tiled")
  echo "jpeg blocks: $(ls "$std"/*.jpg | wc -l) files of 12 MP at quality 90, best of $REPEATS, core 0"
  echo "  djpeg | cjpeg -quality 75:      ${peer} s"
  echo "  djpeg alone:                    ${djpeg_only} s ($(ratio_of "$djpeg_only" "$peer"))"
  echo "  djpeg -scale 1/8:               ${parse} s ($(ratio_of "$parse" "$peer"))"
  echo "  jpegtran -copy all (optimised): ${jpegtran} s ($(ratio_of "$jpegtran" "$peer"))"
  echo "  ordinary run, corner marks:     ${ordinary} s ($(ratio_of "$ordinary" "$peer"))"
  echo "  kept, standard tables:          ${kept_std} s, ratio ${r_std} (target <= ${BLOCKS_STANDARD_TARGET}): $(verdict_of "$r_std" "$BLOCKS_STANDARD_TARGET")"
  echo "  kept, optimised tables:         ${kept_opt} s, ratio ${r_opt} (target <= ${BLOCKS_OPTIMISED_TARGET}): $(verdict_of "$r_opt" "$BLOCKS_OPTIMISED_TARGET")"
  echo "    next to jpegtran:             ${r_tran} (target <= 1.10): $(verdict_of "$r_tran" 1.10)"
  echo "  tiled, kept / ordinary:         ${kept_tiled} s / ${ordinary_tiled} s, ratio ${r_tiled} (target <= ${BLOCKS_TILED_TARGET}): $(verdict_of "$r_tiled" "$BLOCKS_TILED_TARGET")"
  echo "  peak memory, kept / ordinary:   $(peak_kb "$BIN/jpeg_blocks_bench" "$std" kept kept corner) KiB / $(peak_kb "$BIN/jpeg_blocks_bench" "$std" ordinary ordinary corner) KiB"
  echo "    optimised, kept / ordinary:   $(peak_kb "$BIN/jpeg_blocks_bench" "$opt" kept kept corner) KiB / $(peak_kb "$BIN/jpeg_blocks_bench" "$opt" ordinary ordinary corner) KiB"
  # The run writes each file and waits for the disk (as every save does);
  # the peers write to /dev/null. Processor time leaves the waiting out.
  local c_peer c_std c_opt c_tran c_ord
  c_peer=$(cpu_best bash -c "$pipe_loop" _ "$std")
  c_tran=$(cpu_best bash -c 'for f in "$1"/*.jpg; do jpegtran -copy all "$f" > /dev/null; done' _ "$opt")
  c_std=$(cpu_best "$BIN/jpeg_blocks_bench" "$std" kept kept corner)
  c_opt=$(cpu_best "$BIN/jpeg_blocks_bench" "$opt" kept kept corner)
  c_ord=$(cpu_best "$BIN/jpeg_blocks_bench" "$std" ordinary ordinary corner)
  # The same on a RAM disk, where a save's wait for the disk is nothing.
  if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    local ram
    ram=$(mktemp -d /dev/shm/stempora-blocks.XXXXXX)
    mkdir -p "$ram/standard" "$ram/optimised"
    cp "$std"/*.jpg "$ram/standard"/
    cp "$opt"/*.jpg "$ram/optimised"/
    local r_peer r_kept r_opt r_tran
    r_peer=$(time_best bash -c "$pipe_loop" _ "$ram/standard")
    r_kept=$(time_best "$BIN/jpeg_blocks_bench" "$ram/standard" kept kept corner)
    r_opt=$(time_best "$BIN/jpeg_blocks_bench" "$ram/optimised" kept kept corner)
    r_tran=$(time_best bash -c 'for f in "$1"/*.jpg; do jpegtran -copy all "$f" > /dev/null; done' _ "$ram/optimised")
    rm -rf "$ram"
    echo "  on a RAM disk (a save's wait for the disk is nothing there):"
    echo "    standard tables:  kept ${r_kept} s / djpeg | cjpeg ${r_peer} s, ratio $(ratio_of "$r_kept" "$r_peer") (target <= ${BLOCKS_STANDARD_TARGET}): $(verdict_of "$(ratio_of "$r_kept" "$r_peer")" "$BLOCKS_STANDARD_TARGET")"
    echo "    optimised tables: kept ${r_opt} s, ratio $(ratio_of "$r_opt" "$r_peer") (target <= ${BLOCKS_OPTIMISED_TARGET}), $(ratio_of "$r_opt" "$r_tran") of jpegtran ${r_tran} s (target <= 1.10)"
  fi
  echo "  processor time (user + system), best of $REPEATS:"
  echo "    djpeg | cjpeg ${c_peer} s, jpegtran ${c_tran} s, ordinary run ${c_ord} s"
  echo "    kept, standard tables:  ${c_std} s, ratio $(ratio_of "$c_std" "$c_peer") (target <= ${BLOCKS_STANDARD_TARGET})"
  echo "    kept, optimised tables: ${c_opt} s, ratio $(ratio_of "$c_opt" "$c_peer") (target <= ${BLOCKS_OPTIMISED_TARGET}), $(ratio_of "$c_opt" "$c_tran") of jpegtran"
}

STEPS=(
  step_jpeg_codec
  step_jpeg_blocks
  step_stamping
  step_reduction
  step_batch_speed
  step_batch_memory
  step_batch_scaling
  step_preview
  step_options
  step_export
)
if [ "$#" -gt 1 ]; then STEPS=("${@:2}"); fi

for step in "${STEPS[@]}"; do
  if [ "$(type -t "$step")" != function ] || [[ "$step" != step_* ]]; then
    echo "run-benchmarks.sh: no step $step (steps: $(compgen -A function step_ | tr "\n" " "))" >&2
    exit 2
  fi
  "$step"
done
