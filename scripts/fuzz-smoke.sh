#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz harnesses with clang's libFuzzer under ASan/UBSan and runs
# each for a short time, starting from the saved inputs.
set -euo pipefail
dir=${1:-build-fuzz}
seconds=${2:-15}
# A fixed seed makes the short run repeat the same inputs, so a red run
# always means a real regression; FUZZ_SEED=0 lets libFuzzer pick one for
# longer hunts.
seed=${FUZZ_SEED:-1}
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSTEMPORA_FUZZ=ON -DSTEMPORA_SANITIZE=ON -DSTEMPORA_GUI=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)"
shopt -s nullglob
fuzzers=("$dir"/bin/*_fuzzer)
if [ ${#fuzzers[@]} -eq 0 ]; then echo "no fuzzers built"; exit 0; fi
# Leaks inside the system's codec libraries, not ours, as the tests list them.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
failed=0
passed_count=0
failed_count=0
for f in "${fuzzers[@]}"; do
  name=$(basename "$f" _fuzzer)
  format=${name%_fuzz}
  corpus=$(mktemp -d)
  # Seeds: tests/data/<format>/{good,bad}, or a folder of that name inside
  # another format's data (the EXIF blocks live with the JPEG files).
  for folder in tests/data/"$format"/good tests/data/"$format"/bad tests/data/*/"$format"; do
    if [ -d "$folder" ]; then cp -r "$folder"/. "$corpus"/ 2>/dev/null || true; fi
  done
  echo "fuzzing $name for ${seconds}s"
  if ! "$f" -seed="$seed" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -artifact_prefix="$dir/" "$corpus" \
       >"$dir/$name.log" 2>&1; then
    echo "FUZZ FAILURE in $name:"; tail -n 40 "$dir/$name.log"; failed=1
    failed_count=$((failed_count + 1))
  else
    passed_count=$((passed_count + 1))
  fi
  rm -rf "$corpus"
done
echo "fuzz: $passed_count passed, $failed_count failed"
exit $failed
