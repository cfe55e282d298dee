#!/usr/bin/env bash
# One whole veskplay run against vesksim, both under valgrind's memcheck:
# capture to a file and to per-block files, the follower, ramps, the halt
# wait and the shutdown. Any invalid access or leak, or a descriptor that
# veskplay opened and left open (a capture file, the connection), ends the
# script with status 1. Uses the test preset's build (build-test), building
# what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/vesksim.sh
scripts/install-test-deps.sh valgrind
cmake --preset test >/dev/null
cmake --build --preset test --target veskplay vesksim

memcheck=(--quiet --error-exitcode=99 --leak-check=full
          --errors-for-leak-kinds=definite,indirect,possible --show-leak-kinds=definite,indirect,possible)
work=$(mktemp -d)
trap 'stop_vesksim; rm -rf "$work"' EXIT

start_vesksim valgrind "$work" "${memcheck[@]}" --log-file="$work/vesksim.memcheck" \
  build-test/vesksim --speed 0
port=$VESKSIM_PORT

status=0
(cd "$work" && valgrind "${memcheck[@]}" --track-fds=yes --log-file="$work/veskplay.fds" "$OLDPWD/build-test/veskplay" \
  -a "127.0.0.1:$port" -l server -w -b 20 -c0 capture.raw -u1 block -n0 >"$work/veskplay.out") || status=$?
stop_vesksim
# The descriptors veskplay inherited are not its to close: keep the rest of the report.
awk '/ FILE DESCRIPTORS: / || /^==[0-9]+== *$/ { next }
     /^==[0-9]+== Open / { entry = $0; getline; if ($0 !~ /<inherited from parent>/) print entry "\n" $0; next }
     { print }' "$work/veskplay.fds" >"$work/veskplay.memcheck"

failed=0
if [ "$status" -ne 0 ] || [ "$(tail -n 1 "$work/veskplay.out")" != "Done." ]; then
  echo "memcheck: veskplay ended with status $status"; tail -n 20 "$work/veskplay.out"; failed=1
fi
for program in veskplay vesksim; do
  if [ -s "$work/$program.memcheck" ]; then
    echo "memcheck: $program:"; cat "$work/$program.memcheck"; failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1
echo "memcheck: veskplay and vesksim clean over a whole run ($(grep -c '^Wrote block' "$work/veskplay.out") blocks written)"
