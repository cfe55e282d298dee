#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them, vesksim included: five
# repetitions of each, reported as mean, median and spread (about four
# minutes). Arguments go to the benchmark binary and override these, e.g.
# --benchmark_filter=read_input or --benchmark_repetitions=1.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh libbenchmark-dev
cmake --workflow --preset bench
VESKSIM="$PWD/build-bench/vesksim" exec build-bench/vesk_bench \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
