# Sourced by the shell checks: start_vesksim PROGRAM FOLDER [OPTIONS...]
# starts vesksim on 127.0.0.1 on a free port and sets VESKSIM_PID and
# VESKSIM_PORT; stop_vesksim stops it by its pid.

start_vesksim() {
  local program=$1 folder=$2
  shift 2
  rm -f "$folder/vesksim.port"
  "$program" --listen 127.0.0.1:0 --port-file "$folder/vesksim.port" "$@" &
  VESKSIM_PID=$!
  VESKSIM_PORT=
  for _ in $(seq 1000); do
    if [ -s "$folder/vesksim.port" ]; then
      VESKSIM_PORT=$(tr -d '[:space:]' <"$folder/vesksim.port")
      [ -n "$VESKSIM_PORT" ] && return 0
    fi
    kill -0 "$VESKSIM_PID" 2>/dev/null || break
    sleep 0.01
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
