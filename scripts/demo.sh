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
source scripts/vesksim.sh

scripts/install-test-deps.sh

cmake --workflow --preset release >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/veskplay-demo.XXXXXX")
trap stop_vesksim EXIT

# Real time: 50 data blocks of 1024 samples at 48 kHz last about a second.
start_vesksim "$root/build/vesksim" "$work" --speed 1
sim_pid=$VESKSIM_PID port=$VESKSIM_PORT

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
