#!/usr/bin/env bash
# Start-up of the program seen from the outside: version, resource module, error log, one copy.
# Usage: startup.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$@"

case "$case_name" in
version)
  out="$("$BRELLIN" --version)"
  [ "$out" = "Brellin 1.00" ] || fail "--version printed '$out'"
  ;;

missing-module)
  # A copy of the program whose data folder has no resource module.
  mkdir -p "$E2E_ROOT/bin"
  cp "$BRELLIN" "$E2E_ROOT/bin/brellin"
  set +e
  err="$("$E2E_ROOT/bin/brellin" --version 2>&1 >/dev/null)"
  rc=$?
  set -e
  [ $rc -eq 1 ] || fail "exit status $rc, expected 1"
  grep -qx "Can't load LocalRes.dll" <<<"$err" || fail "stderr was: $err"
  ;;

error-log)
  quiet_settings
  QT_QPA_PLATFORM=offscreen "$BRELLIN" &
  PIDS+=($!)
  wait_for 20 test -s "$LOG_FILE" || fail "no error.log written"
  sleep 0.5
  # Exactly one entry: the UTC time line, the text, an empty line, CR LF line ends.
  python3 - "$LOG_FILE" <<'PY'
import re, sys
data = open(sys.argv[1], 'rb').read()
if not re.fullmatch(rb'\d{1,2}\.\d{1,2}\.\d{4}  \d{1,2}:\d{1,2}:\d{1,2}\r\nStart application\r\n\r\n', data):
    sys.exit('error.log holds %r' % data)
PY
  ;;

single-copy)
  quiet_settings
  start_x
  "$BRELLIN" &
  first=$!
  PIDS+=($first)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin 1\.00( - \[.*\])?$' >/dev/null ||
    fail "the first window did not appear"
  # The second copy asks the first to raise its window, and ends.
  timeout 20 "$BRELLIN" || fail "the second copy did not end cleanly"
  # One copy left: the first one.
  kill -0 "$first" 2>/dev/null || fail "the first copy is gone"
  xdotool search --onlyvisible --name '^Brellin 1\.00( - \[.*\])?$' >/dev/null || fail "the window is gone"
  ;;

second-copy-with-file)
  # A copy started with a file is never refused: it runs beside the first.
  quiet_settings
  QT_QPA_PLATFORM=offscreen "$BRELLIN" &
  PIDS+=($!)
  wait_for 20 test -s "$LOG_FILE" || fail "the first copy did not start"
  QT_QPA_PLATFORM=offscreen "$BRELLIN" "$E2E_ROOT/missing.brf" >/dev/null 2>&1 &
  second=$!
  PIDS+=($second)
  # A refused copy would end within a moment; this one is still running.
  sleep 3
  kill -0 "$second" 2>/dev/null || fail "the copy with a file was refused"
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"
