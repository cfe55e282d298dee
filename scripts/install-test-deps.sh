#!/usr/bin/env bash
# Makes sure a fresh Debian machine has what the tests need: installs the
# missing packages when it can, otherwise names them and stops.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# veskmeasure: FFTW3 for its spectra, gnuplot for its plots.
[ -f /usr/include/fftw3.h ] || need+=(libfftw3-dev)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
for pkg in "$@"; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done

[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  echo "Installing ${need[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null \
    || { apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >/dev/null; }
else
  echo "Missing Debian packages: ${need[*]} (install them with: apt-get install ${need[*]})" >&2
  exit 1
fi
