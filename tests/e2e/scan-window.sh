#!/usr/bin/env bash
# Scanning from the main window under a private X server, on SANE's "test" device enabled for
# these tests alone: Select Scanner, File > Acquire into a new document, into the page's image and as a picture
# (undone), the feeder's pages into one document, Escape in the middle of a slow scan, the window
# that stays while a scan runs, and the messages for no scanner and a scanner that is gone.
# Usage: scan-window.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
source "$(dirname "$0")/sane-lib.sh"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

# scan_settings KEY=VALUE...: quiet settings with the scan dialog's remembered choices, and no
# empty document at start-up.
scan_settings() {
  quiet_settings
  python3 - "$SETTINGS_FILE" "$@" <<'PY'
import struct, sys
# The frame options' defaults, but no templates and no empty document at start-up: the scans are
# the only documents.
frame = [1, 1, 1, 0, 0, 0, 7, 1, 0, 19444, 19444, 0, 0, 0, 4, 0, 1, 0, 1, 1, 0, -256, 2, 0]
raw = struct.pack('<%di' % len(frame), *frame)
with open(sys.argv[1], 'a') as f:
    f.write('[Settings]\nOptions="@ByteArray(' + ''.join('\\x%02x' % b for b in raw) + ')"\n')
    for a in sys.argv[2:]:
        f.write(a + '\n')
PY
}
# scan_dialog: File > Acquire > Scan to New Document's dialog is there with the keyboard.
scan_dialog() { dialog Scan; }
docs() { python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["documents"]))' "$STATE"; }
# save_as FILE: the active document written under that name through Save As.
save_as() {
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  sleep 0.2
  key ctrl+shift+s
  expect_state "'modal' in s" "the Save As dialog"
  focus_modal
  xdotool type --delay 5 "$1"
  sleep 0.2
  key Return
  wait_for 10 test -s "$1" || fail "$1 was not written: $(head -c 1500 "$STATE")"
  no_dialog "the Save As dialog closed"
}

start_x
case "$case_name" in
new-document)
  # Grey at 100 dpi: one page of the scanner's size, depth and resolution, as scanimage sees it.
  sane_config
  reference "$E2E_ROOT/ref.pnm" --mode Gray --depth 8 --resolution 100
  scan_settings ScanMode=gray ScanResolution=100 ScanPaper=whole
  start
  n0="$(docs)"
  # Select Scanner lists the test device and remembers the one taken.
  menu alt+f q s
  dialog "Select Scanner"
  key Return
  no_dialog "the scanner chosen"
  wait_for 5 grep -q '^ScanDevice=test:0$' "$SETTINGS_FILE" || fail "the choice was not kept: $(grep Scan "$SETTINGS_FILE")"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+shift+a
  scan_dialog
  key Return
  expect_state "len(s['documents']) == $n0 + 1 and not s.get('scanning')" "a scanned document"
  expect_state "[d for d in s['documents'] if d['active']][0]['modified']" "the scan is unsaved work"
  save_as "$E2E_ROOT/scan.brf"
  expect_info "$E2E_ROOT/scan.brf" "len(d['pages']) == 1 and d['pages'][0]['image']['bitsPerPixel'] == 8 and d['pages'][0]['image']['dpiX'] == 100" "the scanned page"
  run --export "$E2E_ROOT/scan.png" "$E2E_ROOT/scan.brf"
  same_pixels "$E2E_ROOT/scan.png" "$E2E_ROOT/ref.pnm"
  finish
  ;;

page-and-picture)
  # A black-and-white scan replaces the page's image; a colour one becomes a picture, undone.
  sane_config
  scan_settings ScanMode=lineart ScanResolution=100 ScanPaper=whole
  convert -size 300x200 xc:white -units PixelsPerInch -density 96 "$E2E_ROOT/page.png"
  "$BRELLIN" --save-as "$E2E_ROOT/doc.brf" "$E2E_ROOT/page.png" >/dev/null 2>&1 || fail "no document"
  start "$E2E_ROOT/doc.brf"
  menu alt+f q i
  scan_dialog
  key Return
  expect_state "not s.get('scanning') and [d for d in s['documents'] if d['active']][0]['modified']" "the page image scanned"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  save
  expect_info "$E2E_ROOT/doc.brf" "len(d['pages']) == 1 and d['pages'][0]['image']['bitsPerPixel'] == 1 and d['pages'][0]['image']['width'] == 787" "the page's new image"
  menu alt+f q p
  scan_dialog
  key Return
  expect_state "s['objects']['count'] == 1 and not s.get('scanning')" "the scanned picture"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+z
  expect_state "s['objects']['count'] == 0" "the picture undone"
  finish
  ;;

feeder)
  # Three sheets in the feeder: one document of three pages.
  sane_config
  scan_settings ScanMode=color ScanResolution=50 ScanPaper=whole "ScanSource=Automatic Document Feeder" ScanPages=0
  start
  n0="$(docs)"
  key ctrl+shift+a
  scan_dialog
  key Return
  expect_state "len(s['documents']) == $n0 + 1 and not s.get('scanning')" "the feeder's document"
  expect_state "[d for d in s['documents'] if d['active']][0]['pages'] == 10" "the feeder's ten pages"
  finish
  ;;

cancel)
  # Escape in the middle of a slow scan: no page, no document; the window closes only afterwards.
  sane_config 'read-delay true' 'read-delay-duration 200000'
  scan_settings ScanMode=color ScanResolution=100 ScanPaper=whole
  start
  n0="$(docs)"
  key ctrl+shift+a
  scan_dialog
  key Return
  expect_state "s.get('scanning')" "the scan running"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  sleep 0.5
  # Exit is refused while the scanner delivers into the window.
  key ctrl+q
  sleep 0.5
  kill -0 "$BRELLIN_PID" || fail "the window closed during a scan"
  expect_state "s.get('scanning')" "the scan still running"
  key Escape
  expect_state "not s.get('scanning')" "the scan ended by Escape"
  sleep 0.5
  [ "$(docs)" = "$n0" ] || fail "a cancelled scan left a document: $(head -c 1500 "$STATE")"
  finish
  ;;

no-scanner)
  # No device at all, then a remembered one that is gone: a message each time, nothing else.
  : >"$SANE_CONFIG_DIR/dll.conf"
  scan_settings
  start
  n0="$(docs)"
  key ctrl+shift+a
  expect_state "'No scanner was found' in s.get('modal', {}).get('text', '')" "the no-scanner message"
  focus_modal
  key Return
  no_dialog "the message closed"
  echo test >"$SANE_CONFIG_DIR/dll.conf"
  sane_config
  finish
  scan_settings ScanDevice=test:7
  start
  key ctrl+shift+a
  expect_state "'test:7' in s.get('modal', {}).get('text', '')" "the gone-scanner message"
  focus_modal
  key Return
  no_dialog "the message closed"
  [ "$(docs)" = "$n0" ] || fail "a failed scan left a document"
  finish
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac
echo PASS
