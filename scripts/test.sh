#!/usr/bin/env bash
# Configures, builds and runs every test: the C++ suites, then the installed
# library from C, the Python module, and the README's sox commands.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh
cmake --workflow --preset test
tests/install/check-install.sh build-test
python/tests/run.sh build-test
tests/docs/check-sox.sh build-test
