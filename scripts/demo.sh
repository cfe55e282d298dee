#!/usr/bin/env bash
# A complete veskplay run against the simulated audio server: builds the
# release preset, starts vesksim on a free port of 127.0.0.1, plays the
# default sine with a capture of input channel 0 and follows that channel,
# then stops the server and measures the capture with veskmeasure against
# limits for vesksim's device under test (-6 dB, noise floor near -104 dBFS).
# The capture and its plot stay in a temporary folder.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-test-deps.sh

cmake --workflow --preset release >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/veskplay-demo.XXXXXX")
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$work/port"
}
trap cleanup EXIT

# Real time: 50 data blocks of 1024 samples at 48 kHz last about a second.
"$root/build/vesksim" --listen 127.0.0.1:0 --port-file "$work/port" --speed 1 &
sim_pid=$!

port=
for _ in $(seq 100); do
  if [ -s "$work/port" ]; then port=$(cat "$work/port"); break; fi
  sleep 0.05
done
if [ -z "$port" ]; then
  echo "vesksim did not report its port" >&2
  exit 1
fi

echo "vesksim (pid $sim_pid) listens on 127.0.0.1:$port"
# veskplay takes only relative capture names, so it runs in the capture folder.
(cd "$work" && "$root/build/veskplay" -a "127.0.0.1:$port" -b 50 -c0 capture.raw -n0)

echo "Capture of input channel 0: $work/capture.raw ($(stat -c %s "$work/capture.raw") bytes)"

# The verdict on the capture: the demo's status is veskmeasure's.
echo
"$root/build/veskmeasure" --limit 'level=-6.02+-0.05' --limit 'freq=421.875+-0.01' \
  --limit 'thd<=-100' --limit 'thdn<=-95' --limit 'worst:thdn<=-90' \
  --plot "$work/capture.png" "$work/capture.raw"
echo "Plot: $work/capture.png"
