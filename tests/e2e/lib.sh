# Shared set-up of the whole-program tests: a private home, settings, data and temporary folders,
# and helpers to wait for things without fixed sleeps.
set -euo pipefail

BRELLIN="$1"
E2E_ROOT="$(mktemp -d "${TMPDIR:-/tmp}/brellin-e2e-XXXXXX")"
mkdir -p "$E2E_ROOT/home" "$E2E_ROOT/config" "$E2E_ROOT/data" "$E2E_ROOT/tmp" "$E2E_ROOT/runtime"
chmod 700 "$E2E_ROOT/runtime"
export HOME="$E2E_ROOT/home" XDG_CONFIG_HOME="$E2E_ROOT/config" XDG_DATA_HOME="$E2E_ROOT/data"
export TMPDIR="$E2E_ROOT/tmp" XDG_RUNTIME_DIR="$E2E_ROOT/runtime"
unset BRELLIN_DATA_DIR
PIDS=()
cleanup() {
  local i
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[$i]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # KEEP_E2E=1 keeps the folder (settings, saved files, reports) for a look after a failure.
  [ -n "${KEEP_E2E:-}" ] || rm -rf "$E2E_ROOT"
}
trap cleanup EXIT

LOG_FILE="$XDG_DATA_HOME/Quillmere/Brellin/error.log"
SETTINGS_FILE="$XDG_CONFIG_HOME/Quillmere/Brellin Studio 1.00.ini"

fail() { echo "FAIL: $*" >&2; exit 1; }

# run ARGS...: runs the program; stdout goes to $E2E_ROOT/out, stderr to $E2E_ROOT/err, the exit
# status to RC.
run() {
  set +e
  "$BRELLIN" "$@" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err"
  RC=$?
  set -e
}

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.1
  done
}

# Settings that keep a start-up quiet: no tip of the day, and no multiple capture of the screen
# (the capture options with field 8 off).
QUIET_CAPTURE_OPTIONS='"@ByteArray(\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0c\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00)"'
quiet_settings() {
  mkdir -p "$(dirname "$SETTINGS_FILE")"
  printf '[Tip]\nStartUp=1\n[Settings]\nCaptureOptions=%s\n' "$QUIET_CAPTURE_OPTIONS" > "$SETTINGS_FILE"
}

# Runs the rest of the script under a private X server when one is needed.
start_x() {
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  local fifo="$E2E_ROOT/displayfd"
  # Xvfb picks a free display itself and writes its number once it accepts connections. Without
  # -noreset it resets when its last client leaves, and refuses a client that connects meanwhile
  # (the window started right after a batch command ended).
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >"$E2E_ROOT/xvfb.log" 2>&1 &
  PIDS+=($!)
  wait_for 10 test -s "$fifo" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fifo")" QT_QPA_PLATFORM=xcb
}
