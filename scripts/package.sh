#!/usr/bin/env bash
# Builds the Debian packages veskplay, libveskclient, libveskclient-dev and
# python3-veskclient from a Release build for prefix /usr (the package
# preset, in build-package) and prints their paths.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh dpkg-dev
rm -rf build-package/packages
cmake --workflow --preset package >/dev/null
ls "$PWD"/build-package/packages/*.deb
