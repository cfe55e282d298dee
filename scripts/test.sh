#!/usr/bin/env bash
# Configures, builds and runs every test: the C++ suites, then the installed
# library from C, the Python module, the README's sox commands, and the
# Debian packages (built, installed, checked and removed; that part needs
# root).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh pkg-config man-db binutils sox python3-numpy dpkg-dev
cmake --workflow --preset test
tests/install/check-install.sh build-test
python/tests/run.sh build-test
tests/docs/check-sox.sh build-test
scripts/package.sh
if [ "$(id -u)" -eq 0 ]; then
  tests/packages/check-packages.sh build-package/packages
else
  echo "check-packages: not run: installing the packages needs root" >&2
fi
