#!/usr/bin/env bash
# Runs the Python module's tests against a build (default build-test) that
# was configured with -DVESK_SHARED_LIBRARY=ON: with python3, and once more
# with Debian's python3 and python3-numpy when that python3 is another one,
# so that both the array and the numpy paths run.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build-test}")
export VESKSIM=$build/vesksim VESKCLIENT_LIBRARY=$build/libveskclient.so
[ -f "$VESKCLIENT_LIBRARY" ] || { echo "$VESKCLIENT_LIBRARY is missing: configure with -DVESK_SHARED_LIBRARY=ON" >&2; exit 1; }

pythons=(python3)
if scripts/install-test-deps.sh python3-numpy; then
  [ "$(realpath "$(command -v python3)")" = "$(realpath /usr/bin/python3)" ] || pythons+=(/usr/bin/python3)
else
  echo "python3-numpy is missing: the numpy path is not tested" >&2
fi
for python in "${pythons[@]}"; do
  echo "== $python: $("$python" --version)"
  "$python" -m unittest discover -s python/tests -v
done
