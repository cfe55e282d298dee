#!/usr/bin/env bash
# Configures, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh
cmake --workflow --preset test
