#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them, vesksim included. Arguments
# go to the benchmark binary, e.g. --benchmark_filter=read_input.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh libbenchmark-dev
cmake --workflow --preset bench
VESKSIM="$PWD/build-bench/vesksim" exec build-bench/vesk_bench "$@"
