#!/usr/bin/env bash
# One whole veskplay run against vesksim, both under valgrind's memcheck:
# capture to a file and to per-block files, the follower, ramps, the halt
# wait and the shutdown. Any invalid access or leak ends the script with
# status 1. Uses the test preset's build (build-test), building what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-test-deps.sh valgrind
cmake --preset test >/dev/null
cmake --build --preset test --target veskplay vesksim

memcheck=(valgrind --quiet --error-exitcode=99 --leak-check=full
          --errors-for-leak-kinds=definite,indirect,possible --show-leak-kinds=definite,indirect,possible)
work=$(mktemp -d)
sim_pid=
finish() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

"${memcheck[@]}" --log-file="$work/vesksim.memcheck" build-test/vesksim \
  --listen 127.0.0.1:0 --port-file "$work/port" --speed 0 &
sim_pid=$!
for _ in $(seq 1 200); do [ -s "$work/port" ] && break; sleep 0.1; done
[ -s "$work/port" ] || { echo "memcheck: vesksim did not start"; exit 1; }
port=$(cat "$work/port")

status=0
(cd "$work" && "${memcheck[@]}" --log-file="$work/veskplay.memcheck" "$OLDPWD/build-test/veskplay" \
  -a "127.0.0.1:$port" -l server -w -b 20 -c0 capture.raw -u1 block -n0 >"$work/veskplay.out") || status=$?
kill "$sim_pid"
wait "$sim_pid" || true
sim_pid=

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
