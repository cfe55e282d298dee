#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: the command line, the exchange,
# vesksim, and veskmeasure's limits and capture readers) and runs each one, from its seed
# corpus under fuzz/corpus/, for a bounded number of inputs and at most
# FUZZ_SECONDS seconds (30 by default). New inputs go to a scratch folder, so
# the seed corpora stay as committed; a finding is kept under
# build-fuzz/findings/ and ends the script with status 1.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh clang libclang-rt-14-dev
cmake --workflow --preset fuzz

seconds=${FUZZ_SECONDS:-30}
runs=${FUZZ_RUNS:-5000000}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/findings

for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  if [ ! -x "build-fuzz/fuzz_$target" ]; then  # veskmeasure's needs FFTW3
    echo "fuzz_$target: not built (see the configure output for what is missing)"
    continue
  fi
  options=(-seed=1 -runs="$runs" -max_total_time="$seconds" -timeout=20 -print_final_stats=1
           -artifact_prefix="build-fuzz/findings/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  mkdir "$scratch/$target"
  log="build-fuzz/findings/$target.log"
  if ! "build-fuzz/fuzz_$target" "${options[@]}" "$scratch/$target" "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target: FAILED (input and log under build-fuzz/findings/)"
    exit 1
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz_$target: clean after $executions inputs ($coverage)"
done
