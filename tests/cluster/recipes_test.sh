#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's recipes for running a job past one machine, run as the
# README prints them: the Slurm array job on a one-node cluster this test
# starts on localhost, and the GNU parallel command with its four nodes as
# four job slots on this machine. Each must write exactly the files, byte
# for byte, and the log lines that the whole job writes in one run.
#
# Usage: recipes_test.sh BUILD_DIR [slurm|parallel]...   (default: both)
# Needs root (slurmd), slurm-wlm, munge and parallel
# (scripts/install-cluster-deps.sh), ImageMagick and netpbm for the
# pictures. Leaves no daemon running and no file outside its scratch folder.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build_dir=$(cd "${1:?usage: recipes_test.sh BUILD_DIR [slurm|parallel]...}" && pwd)
shift
recipes=("$@")
[ ${#recipes[@]} -gt 0 ] || recipes=(slurm parallel)
for recipe in "${recipes[@]}"; do
  case $recipe in
    slurm | parallel) ;;
    *) echo "unknown recipe '$recipe'" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" -ne 0 ]; then
  exec sudo bash "$here/recipes_test.sh" "$build_dir" "${recipes[@]}"
fi

# shellcheck source=tests/cluster/one_node_slurm.sh
source "$here/one_node_slurm.sh"

readme=$source_dir/README.md
batch=$build_dir/bin/stempora-batch
[ -x "$batch" ] || { echo "no $batch: build stempora-batch first" >&2; exit 1; }
export PATH=$build_dir/bin:$PATH

scratch=$(mktemp -d "${TMPDIR:-/tmp}/stempora-cluster.XXXXXX")
# munged wants everyone to pass through every folder above its socket.
chmod 755 "$scratch"
finish() {
  local status=$?
  stop_one_node_slurm
  if [ "$status" -ne 0 ]; then
    show_slurm_logs
    echo "scratch folder kept: $scratch" >&2
  else
    rm -rf "$scratch"
  fi
}
trap finish EXIT
trap 'exit 130' INT TERM
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The indented block that follows the README line containing marker, with
# its indent taken off: the recipe exactly as a reader copies it.
recipe_after() {
  awk -v marker="$1" '
    !found { if (index($0, marker)) found = 1; next }
    /^    / { sub(/^    /, ""); print; started = 1; next }
    /^$/ { if (started) print ""; next }
    { if (started) exit }
  ' "$readme"
}

# Replaces the one occurrence of from in text by to; a README whose recipe
# lost or doubled it fails here instead of running something else.
replace_once() {
  local text=$1 from=$2 to=$3 rest
  rest=${text#*"$from"}
  [ "$rest" != "$text" ] || fail "the recipe no longer contains '$from'"
  [ "${rest#*"$from"}" = "$rest" ] || fail "the recipe contains '$from' twice"
  printf '%s\n' "${text%%"$from"*}$to$rest"
}

# The job the recipes name (auftrag.stx with liste.txt) over the example
# pictures in every format the program writes, a few with palettes, in
# folders with and without spaces, and one text file the run passes over.
make_pictures() {
  local fotos=$1 examples=$source_dir/examples format
  mkdir -p "$fotos/Urlaub 2024/Abend" "$fotos/Wiese"
  cp "$examples/example.stx" "$fotos/auftrag.stx"
  cp "$examples/strand.bmp" "$examples/nacht.bmp" "$examples/wiese.tga" "$fotos/"
  cp "$examples/liesmich.txt" "$fotos/Wiese/"
  for format in jpg gif pcx tif jp2 tga; do
    convert "$examples/strand.bmp" "$fotos/Urlaub 2024/strand.$format"
    convert "$examples/nacht.bmp" "$fotos/Urlaub 2024/Abend/nacht.$format"
    convert "$examples/wiese.tga" "$fotos/Wiese/wiese.$format"
  done
  convert "$examples/nacht.bmp" -colorspace Gray -depth 8 -type Grayscale "$fotos/Urlaub 2024/Abend/nacht-grau.bmp"
  convert "$examples/strand.bmp" -colors 16 "$fotos/Urlaub 2024/strand-16.gif"
  convert "$examples/wiese.tga" -colors 200 "$fotos/Wiese/wiese-256.pcx"
  convert "$examples/strand.bmp" ppm:- | ppmtoilbm >"$fotos/Urlaub 2024/strand.lbm" 2>/dev/null
  convert "$examples/wiese.tga" ppm:- | ppmtoilbm >"$fotos/Wiese/wiese.iff" 2>/dev/null
  (cd "$fotos" && find . -type f ! -name auftrag.stx | sed 's|^\./||' | LC_ALL=C sort) >"$fotos/liste.txt"
}

# The log of a run in the tree at root without the closing line each run
# prints once, sorted: the lines of several shards then compare with the
# whole run's. The paths are printed as listed, relative to the tree; root
# is cut off should a path ever be printed whole.
log_lines() {
  local root=$1
  shift
  cat "$@" | grep -v -x -F 'Fertig...' | sed "s|$root/||g" | LC_ALL=C sort
}

compare_with_whole() {
  local name=$1 tree=$2 whole=$scratch/whole/fotos file
  diff <(cd "$whole" && find . -type f | LC_ALL=C sort) <(cd "$tree" && find . -type f | LC_ALL=C sort) >&2 ||
    fail "$name: the files differ from the whole job's (< whole, > $name)"
  while IFS= read -r file; do
    cmp -s "$whole/$file" "$tree/$file" || fail "$name: $file differs from the whole job's"
  done < <(cd "$whole" && find . -type f)
  echo "$name: $(cd "$tree" && find . -path '*/Wasserzeichen/*' -type f | wc -l) outputs identical to the whole job's"
}

run_whole_job() {
  mkdir -p "$scratch/whole"
  cp -a "$scratch/vorlage" "$scratch/whole/fotos"
  (cd "$scratch/whole/fotos" && stempora-batch --sources-from liste.txt auftrag.stx) >"$scratch/whole.log" ||
    fail "the whole job exited with $?"
  log_lines "$scratch/whole/fotos" "$scratch/whole.log" >"$scratch/whole.lines"
  local pictures written
  pictures=$(grep -c -v '\.txt$' "$scratch/vorlage/liste.txt")
  written=$(grep -c ' geschrieben\.\.\.$' "$scratch/whole.log" || true)
  [ "$written" -eq "$pictures" ] || fail "the whole job wrote $written of $pictures pictures"
}

# sbatch stempora.sh from a folder of its own, so that Slurm's output files
# (the shards' logs) stay out of the compared tree.
run_slurm_recipe() {
  local recipe tree=$scratch/slurm/fotos submit=$scratch/slurm/submit id tasks
  # shellcheck disable=SC2016 # the README's words, backquotes and all
  recipe=$(recipe_after 'A Slurm array job (`sbatch stempora.sh`):')
  [ -n "$recipe" ] || fail "no Slurm recipe found in README.md"
  recipe=$(replace_once "$recipe" /mnt/fotos "$(printf %q "$tree")")
  mkdir -p "$submit"
  cp -a "$scratch/vorlage" "$tree"
  printf '%s\n' "$recipe" >"$submit/stempora.sh"

  # Sixteen tasks of eight CPUs each, as the recipe asks, all at once.
  start_one_node_slurm "$scratch/slurm/cluster" 128 || fail "the one-node cluster did not start"
  id=$(cd "$submit" && sbatch stempora.sh | awk '/^Submitted batch job/ { print $4 }')
  [ -n "$id" ] || fail "sbatch did not submit the recipe"
  wait_for_slurm_job "$id" 120 || fail "the array job did not finish"
  scontrol -o show job "$id" >"$scratch/slurm/tasks"
  stop_one_node_slurm

  tasks=$(grep -c . "$scratch/slurm/tasks")
  [ "$tasks" -eq "$(find "$submit" -name 'slurm-*.out' | wc -l)" ] || fail "slurm: not every task wrote its log"
  ! grep -v 'JobState=COMPLETED .*ExitCode=0:0' "$scratch/slurm/tasks" >&2 || fail "slurm: a task did not exit with 0"
  [ "$(cat "$submit"/slurm-*.out | grep -c -x -F 'Fertig...')" -eq "$tasks" ] || fail "slurm: a shard's log did not end"
  compare_with_whole slurm "$tree"
  log_lines "$tree" "$submit"/slurm-*.out | diff "$scratch/whole.lines" - >&2 ||
    fail "slurm: the shards' log lines differ from the whole job's"
  echo "slurm: $tasks array tasks"
}

run_parallel_recipe() {
  local recipe tree=$scratch/parallel/fotos nodes status=0
  recipe=$(recipe_after 'GNU parallel over ssh')
  [ -n "$recipe" ] || fail "no GNU parallel recipe found in README.md"
  recipe=$(replace_once "$recipe" /mnt/fotos "$(printf %q "$tree")")
  mkdir -p "$scratch/parallel/home"
  cp -a "$scratch/vorlage" "$tree"
  printf '%s\n' "$recipe" >"$scratch/parallel/recipe.sh"

  # parallel keeps its own files under $HOME.
  (cd "$scratch/parallel" && HOME=$scratch/parallel/home PARALLEL_SSH=$here/local_ssh.sh \
    LOCAL_SSH_LOG=$scratch/parallel/nodes bash recipe.sh) >"$scratch/parallel/out" 2>"$scratch/parallel/err" ||
    status=$?
  if [ "$status" -ne 0 ]; then
    cat "$scratch/parallel/err" >&2
    fail "parallel: the recipe exited with $status"
  fi
  nodes=$(LC_ALL=C sort -u "$scratch/parallel/nodes" | paste -s -d ' ')
  # --tag puts the shard and a tab before each line.
  cut -f2- "$scratch/parallel/out" >"$scratch/parallel/log"
  [ "$(grep -c -x -F 'Fertig...' "$scratch/parallel/log")" -eq "$(grep -c . "$scratch/parallel/nodes")" ] ||
    fail "parallel: not every shard sent over a node ended its log"
  compare_with_whole parallel "$tree"
  log_lines "$tree" "$scratch/parallel/log" | diff "$scratch/whole.lines" - >&2 ||
    fail "parallel: the shards' log lines differ from the whole job's"
  echo "parallel: $(grep -c . "$scratch/parallel/nodes") shards on the nodes $nodes"
}

make_pictures "$scratch/vorlage"
run_whole_job
for recipe in "${recipes[@]}"; do
  "run_${recipe}_recipe"
done
