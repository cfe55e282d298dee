#!/usr/bin/env bash
# Runs the Python module's tests against a build (default build-test): the
# build folder's copy of the module, which loads the library beside it. They
# run with python3, and once more with Debian's python3 and python3-numpy
# when that python3 is another one, so that both the array and the numpy
# paths run.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build-test}")
[ -f "$build/python/veskclient/_location.py" ] || { echo "$build has no Python module: configure with -DVESK_SHARED_LIBRARY=ON" >&2; exit 1; }
export VESKSIM=$build/vesksim PYTHONPATH=$build/python
unset VESKCLIENT_LIBRARY

pythons=(python3)
if scripts/install-test-deps.sh python3-numpy; then
  [ "$(realpath "$(command -v python3)")" = "$(realpath /usr/bin/python3)" ] || pythons+=(/usr/bin/python3)
else
  echo "python3-numpy is missing: the numpy path is not tested" >&2
fi
for python in "${pythons[@]}"; do
  echo "== $python: $("$python" --version)"
  # A stream that never ends fails the run instead of hanging it.
  timeout 600 "$python" -m unittest discover -s python/tests -v
done
