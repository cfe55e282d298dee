#!/usr/bin/env bash
# Makes sure a Debian machine has what the tests need: cmake, g++,
# GoogleTest and the Debian packages named as arguments. It installs the
# missing ones when it can (as root), otherwise names them and stops. On
# another system it names everything in one line and stops.
# Usage: scripts/install-test-deps.sh [DEBIAN_PACKAGE...]
set -euo pipefail

if ! command -v dpkg >/dev/null || ! command -v apt-get >/dev/null; then
  echo "Not a Debian system: install cmake, g++ and the counterparts of these Debian packages: libgtest-dev $*" >&2
  exit 1
fi

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# veskmeasure and veskgen: FFTW3 for their transforms; veskmeasure: gnuplot for its plots.
[ -f /usr/include/fftw3.h ] || need+=(libfftw3-dev)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
for pkg in "$@"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done

[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null \
    || { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null; }
else
  echo "Missing Debian packages: ${need[*]} (install them with: apt-get install ${need[*]})" >&2
  exit 1
fi
