#!/usr/bin/env bash
# Every C and C++ source of the tree as .clang-format lays it out; prints the
# places that differ and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh clang-format
git ls-files -z '*.c' '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
