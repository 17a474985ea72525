#!/usr/bin/env bash
# Tools > Options driven by the keyboard under a private X server: the sheet opens from the menu's
# mnemonics, fits the first window's 800 x 570, and what is changed in it with the keyboard and
# confirmed with Return is in the "Options" record of the settings file after the program quits.
# Usage: options.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
command -v xdotool >/dev/null || fail "xdotool is not installed"
STATE="$E2E_ROOT/state.json"
export BRELLIN_STATE_FILE="$STATE"

key() { xdotool key --clearmodifiers "$@"; }

start() {
  "$BRELLIN" "$@" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  BRELLIN_PID=$!
  PIDS+=($BRELLIN_PID)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null || fail "no main window"
  MAIN="$(xdotool search --onlyvisible --name '^Brellin' | head -n1)"
  xdotool windowfocus --sync "$MAIN"
  wait_for 10 test -s "$STATE" || fail "no state report"
}

# options_record FIELD...: the named fields of the stored "Options" record, one a line; fails
# unless the record is there with its 96 bytes.
options_record() {
  python3 - "$SETTINGS_FILE" "$@" <<'PY'
import string, struct, sys

def unescape(v):
    # QSettings' INI escapes: \xHH (as many hex digits as follow), \0 octal, \n and friends.
    out, i = bytearray(), 0
    named = {'a': 7, 'b': 8, 'f': 12, 'n': 10, 'r': 13, 't': 9, 'v': 11, '"': 34, '\\': 92, "'": 39, '?': 63}
    while i < len(v):
        c = v[i]
        if c != '\\':
            out.append(ord(c)); i += 1; continue
        n = v[i + 1]
        if n == 'x':
            j = i + 2
            while j < len(v) and v[j] in string.hexdigits: j += 1
            out.append(int(v[i + 2:j], 16)); i = j
        elif n in '01234567':
            j = i + 1
            while j < len(v) and v[j] in '01234567': j += 1
            out.append(int(v[i + 1:j], 8)); i = j
        else:
            out.append(named[n]); i += 2
    return bytes(out)

section, value = None, None
for line in open(sys.argv[1], encoding='latin-1').read().splitlines():
    if line.startswith('['):
        section = line.strip()
    elif section == '[Settings]' and line.startswith('Options='):
        value = line[len('Options='):]
if value is None:
    sys.exit("no Options record")
if value.startswith('"') and value.endswith('"'):
    value = value[1:-1]
raw = unescape(value)
assert raw.startswith(b'@ByteArray(') and raw.endswith(b')'), raw[:40]
record = raw[len(b'@ByteArray('):-1]
if len(record) != 96:
    sys.exit("Options has %d bytes" % len(record))
fields = struct.unpack('<24i', record)
for f in sys.argv[2:]:
    print(fields[int(f)])
PY
}

case "$case_name" in
keyboard-change-is-stored)
  start_x
  quiet_settings
  start
  # Tools by its mnemonic, then Options... by its own.
  key alt+t
  sleep 0.3
  key p
  wait_for 10 xdotool search --onlyvisible --name '^Options$' >/dev/null || fail "no Options sheet"
  DIALOG="$(xdotool search --onlyvisible --name '^Options$' | head -n1)"
  xdotool windowfocus --sync "$DIALOG"
  sleep 0.3
  eval "$(xdotool getwindowgeometry --shell "$DIALOG")"
  [ "$WIDTH" -le 800 ] && [ "$HEIGHT" -le 570 ] || fail "the sheet is ${WIDTH}x$HEIGHT, beyond 800x570"
  # The two capture pages come first: the general page is the third.
  key ctrl+Tab
  sleep 0.1
  key ctrl+Tab
  sleep 0.2
  # The date goes into new documents' names, and the horizontal grid spacing, shown in inches,
  # goes up one step of the unit.
  key alt+d
  key alt+h
  key Up
  sleep 0.2
  key Return
  wait_for 10 bash -c "! xwininfo -id $DIALOG 2>/dev/null | grep -q IsViewable" || fail "the sheet stayed open"
  xdotool windowfocus --sync "$MAIN"
  key ctrl+q
  wait_for 20 bash -c "! kill -0 $BRELLIN_PID 2>/dev/null" || fail "the program did not end"
  got="$(options_record 15 9 10 3 | tr '\n' ' ')" || fail "Options record: $got"
  # 14 points are 19444 text units; a step of an inch's unit is 499.
  [ "$got" = "1 19943 19444 0 " ] || fail "Options fields 15, 9, 10, 3 are: $got"
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
