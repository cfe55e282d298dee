#!/usr/bin/env bash
# Runs the README's sox commands on a real capture (veskplay against vesksim
# on 127.0.0.1 with the server loopback) and checks every file they make.
# Usage: tests/docs/check-sox.sh [BUILD_DIR]   (default build-test)
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/vesksim.sh
build=$(realpath "${1:-build-test}")
scripts/install-test-deps.sh sox

commands=$(awk '/<!-- sox commands/ { marked = 1; next }
                marked && /^```/ { if (inside) exit; inside = 1; next }
                inside' README.md)
[ -n "$commands" ] || { echo "check-sox: no sox commands in README.md" >&2; exit 1; }

work=$(mktemp -d)
trap 'stop_vesksim; rm -rf "$work"' EXIT
cd "$work"
checks=() failed=()
check() { checks+=("$1"); "${@:2}" || failed+=("$1"); }  # check NAME TEST...
bytes() { stat -c %s "$1"; }

# The inputs of the commands: a real capture of channel 0, the same signal
# as per-block files from channel 1 (a sweep, so that no two blocks are
# alike), and a stereo 16-bit WAV at 44100 Hz.
sox -n -t raw -r 48000 -e signed-integer -b 32 -c 1 -L sweep.raw synth 0.25 sine 100-4000
start_vesksim "$build/vesksim" "$work" --speed 0
"$build/veskplay" -a "127.0.0.1:$VESKSIM_PORT" -l server -x -r0 sweep.raw -r1 sweep.raw \
  -c0 capture.raw -u1 blk >veskplay.out
grep -qx 'Done.' veskplay.out && [ "$(bytes capture.raw)" -eq $((12 * 1024 * 4)) ] \
  || { cat veskplay.out; echo "check-sox: veskplay made no capture" >&2; exit 1; }
sox -n -r 44100 -c 2 -b 16 recording.wav synth 0.5 sine 1000 sine 300

bash -euo pipefail -c "$commands"

# wav_is FILE SAMPLES: a 48000 Hz mono 32-bit WAV file of SAMPLES samples
wav_is() { [ "$(soxi -r "$1") $(soxi -c "$1") $(soxi -b "$1") $(soxi -s "$1")" = "48000 1 32 $2" ]; }
# same_samples WAV RAW: the WAV file holds exactly the raw samples
same_samples() { sox "$1" -t raw -e signed-integer -b 32 -L back.raw && cmp -s back.raw "$2"; }
is_png() { [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; }
signal_of() {  # signal_of RAW BYTES: the raw file holds BYTES bytes of a signal, not of silence
  [ "$(bytes "$1")" -eq "$2" ] && sox -t raw -r 48000 -e signed-integer -b 32 -c 1 -L "$1" -n stat 2>&1 \
    | awk '/^Maximum amplitude/ { loud = $3 > 0.3 } END { exit !loud }'
}

check "capture.wav is the capture" wav_is capture.wav $((12 * 1024))
check "capture.wav holds the captured samples" same_samples capture.wav capture.raw
check "capture.png is a picture" is_png capture.png
check "blocks.wav joins the blocks in order" same_samples blocks.wav capture.raw
check "playback.raw holds the first channel at 48000 Hz" signal_of playback.raw $((24000 * 4))
check "tone.raw holds one second" signal_of tone.raw $((48000 * 4))

# The playback file plays: extended mode, server loopback, so the response is
# the file itself followed by the silence that completes its last block.
"$build/veskplay" -a "127.0.0.1:$VESKSIM_PORT" -l server -x -r0 playback.raw -z -c0 response.raw >veskplay.out
check "veskplay plays playback.raw" cmp -s -n "$(bytes playback.raw)" response.raw playback.raw
stop_vesksim

[ "${#failed[@]}" -eq 0 ] || printf 'check-sox: FAILED: %s\n' "${failed[@]}" >&2
echo "check-sox: $((${#checks[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ "${#failed[@]}" -eq 0 ]
