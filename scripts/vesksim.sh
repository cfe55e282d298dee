# Sourced by every script and shell check that starts vesksim:
#   start_vesksim PROGRAM FOLDER [ARGUMENTS...]
# runs PROGRAM ARGUMENTS --listen 127.0.0.1:0 --port-file FOLDER/vesksim.port
# in the background (PROGRAM is vesksim, or a wrapper such as valgrind with
# vesksim among its arguments), waits until the port file appears and sets
# VESKSIM_PID and VESKSIM_PORT. stop_vesksim stops it by its pid.

start_vesksim() {
  local program=$1 port_file=$2/vesksim.port
  shift 2
  rm -f "$port_file"
  "$program" "$@" --listen 127.0.0.1:0 --port-file "$port_file" &
  VESKSIM_PID=$!
  VESKSIM_PORT=
  # vesksim writes the file whole and renames it into place; under
  # valgrind it takes seconds to get there.
  local deadline=$((SECONDS + 30))
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$VESKSIM_PID" 2>/dev/null; do
    if [ -s "$port_file" ]; then
      VESKSIM_PORT=$(tr -d '[:space:]' <"$port_file")
      return 0
    fi
    sleep 0.02
  done
  echo "vesksim did not start listening" >&2
  stop_vesksim
  return 1
}

stop_vesksim() {
  if [ -n "${VESKSIM_PID:-}" ]; then
    kill "$VESKSIM_PID" 2>/dev/null || true
    wait "$VESKSIM_PID" 2>/dev/null || true
    VESKSIM_PID=
  fi
}
