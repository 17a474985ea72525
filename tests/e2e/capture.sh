#!/usr/bin/env bash
# Screen capture under a private X server: the batch command's full screen against the server's
# own picture of its root window, windows of another program of known size and colour, the
# capture hot key in a running copy with the ways a picture goes (new document, images folder,
# clipboard, none), the multiple capture's pages, the mouse cursor on the shelf, a hot key that
# another program holds, and input that must be refused.
# Usage: capture.sh CASE PATH-TO-BRELLIN PATH-TO-E2E-PEER
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
PEER="$2"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"
command -v compare >/dev/null || fail "ImageMagick is not installed"

# peer ARGS...: the other program, started; it prints "ready" once it is there.
peer() {
  "$PEER" "$@" >"$E2E_ROOT/peer.out" 2>"$E2E_ROOT/peer.err" &
  PEER_PID=$!
  PIDS+=($PEER_PID)
  wait_for 10 grep -q ready "$E2E_ROOT/peer.out" || fail "the other program: $(cat "$E2E_ROOT/peer.err")"
}
# test_window: a 300 x 200 blue window of the other program at 100, 150, with the keyboard.
test_window() {
  peer window '#3366cc' 300 200 100 150
  PEER_WINDOW="$(xdotool search --onlyvisible --name '^e2e-peer-window$' | head -n1)"
  [ -n "$PEER_WINDOW" ] || fail "no test window"
  xdotool windowfocus --sync "$PEER_WINDOW" 2>/dev/null || true
}
# size_is FILE WxH: the image's size.
size_is() { [ "$(identify -format '%wx%h' "$1" 2>/dev/null)" = "$2" ]; }
# colour_at FILE X Y: the pixel's colour as ImageMagick names it.
colour_at() { convert "$1" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

# capture_settings FIELD=VALUE...: quiet settings with a capture options record that differs
# from the defaults in those fields; no sample templates at start-up.
capture_settings() {
  quiet_settings
  python3 - "$SETTINGS_FILE" "$@" <<'PY'
import struct, sys
# Field 8 off: no multiple capture at start-up unless a case asks for it.
fields = [1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 1, 0, 0, 12, 1, 0]
frame = [1, 1, 1, 0, 0, 0, 7, 1, 0, 19444, 19444, 0, 0, 1, 4, 0, 1, 0, 1, 1, 0, -256, 2, 0]
extra = []
for a in sys.argv[2:]:
    k, v = a.split('=')
    if k == 'ImagesPath':
        extra.append('ImagesPath=' + v)
    else:
        fields[int(k)] = int(v)
def record(values):
    raw = struct.pack('<%di' % len(values), *values)
    return '"@ByteArray(' + ''.join('\\x%02x' % b for b in raw) + ')"'
# The frame options: no templates and no empty document at start-up, so that the captures are
# the only documents.
frame[12] = 0
frame[13] = 0
with open(sys.argv[1], 'a') as f:
    f.write('[Settings]\nCaptureOptions=%s\nOptions=%s\n' % (record(fields), record(frame)))
    for e in extra:
        f.write(e + '\n')
PY
}
doc_count() { python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["documents"]))' "$STATE"; }
# hot_key: the capture hot key, pressed while the keyboard is wherever it is.
hot_key() { xdotool key F11; }

case "$case_name" in
batch-full-screen)
  start_x
  # Something on the screen besides the background.
  test_window
  run --capture full "$E2E_ROOT/full.png"
  [ "$RC" -eq 0 ] || fail "--capture full: $RC $(cat "$E2E_ROOT/err")"
  import -window root "$E2E_ROOT/reference.png"
  diff="$(compare -metric AE "$E2E_ROOT/full.png" "$E2E_ROOT/reference.png" null: 2>&1)" || true
  [ "$diff" = "0" ] || fail "the capture differs from the screen in $diff pixels"
  # As a document: one true-colour page at the screen's resolution (a new page loses the plain
  # margins round its picture: the black screen round the window).
  run --capture --delay 0.2 full "$E2E_ROOT/full.brf"
  [ "$RC" -eq 0 ] || fail "--capture to a document: $RC $(cat "$E2E_ROOT/err")"
  expect_info "$E2E_ROOT/full.brf" 'len(d["pages"]) == 1 and d["pages"][0]["image"]["width"] >= 300 and d["pages"][0]["image"]["bitsPerPixel"] == 24 and d["pages"][0]["image"]["dpiX"] == 96' "the captured document"
  # The wallpaper of a server without one is its root background, the windows left alone.
  run --capture wallpaper "$E2E_ROOT/wallpaper.png"
  [ "$RC" -eq 0 ] && size_is "$E2E_ROOT/wallpaper.png" 1280x1024 || fail "--capture wallpaper: $(cat "$E2E_ROOT/err")"
  [ "$(colour_at "$E2E_ROOT/wallpaper.png" 200 200)" != "srgb(51,102,204)" ] || fail "the wallpaper shows the window"
  xdotool search --onlyvisible --name '^e2e-peer-window$' >/dev/null || fail "the window was hidden"
  # Without a display the command says so.
  (unset DISPLAY; run --capture full "$E2E_ROOT/none.png"; [ "$RC" -eq 1 ] && grep -q X11 "$E2E_ROOT/err") ||
    fail "no display: $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/none.png" ] || fail "a file without a display"
  ;;

batch-windows)
  start_x
  test_window
  xdotool mousemove --sync 250 250
  for kind in window active client; do
    run --capture "$kind" "$E2E_ROOT/$kind.png"
    [ "$RC" -eq 0 ] || fail "--capture $kind: $RC $(cat "$E2E_ROOT/err")"
    size_is "$E2E_ROOT/$kind.png" 300x200 || fail "$kind: $(identify "$E2E_ROOT/$kind.png")"
    [ "$(colour_at "$E2E_ROOT/$kind.png" 150 100)" = "srgb(51,102,204)" ] || fail "$kind: not the window's colour"
  done
  run --capture area:100,150,50,40 "$E2E_ROOT/area.png"
  [ "$RC" -eq 0 ] && size_is "$E2E_ROOT/area.png" 50x40 || fail "--capture area: $(cat "$E2E_ROOT/err")"
  # The cursor over white: its image, no larger than a cursor.
  run --capture cursor "$E2E_ROOT/cursor.png"
  [ "$RC" -eq 0 ] || fail "--capture cursor: $(cat "$E2E_ROOT/err")"
  w="$(identify -format '%w' "$E2E_ROOT/cursor.png")"
  [ "$w" -gt 0 ] && [ "$w" -le 64 ] || fail "the cursor is $w pixels wide"
  # The window closes while the capture waits: said, nothing written.
  "$BRELLIN" --capture --delay 1.5 window "$E2E_ROOT/gone.png" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  capture_pid=$!
  sleep 0.5
  kill "$PEER_PID"
  set +e; wait "$capture_pid"; RC=$?; set -e
  [ "$RC" -eq 1 ] || fail "a closed window captured: $RC"
  grep -qi "window" "$E2E_ROOT/err" || fail "no message: $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/gone.png" ] || fail "a file of a closed window"
  ;;

batch-bad-input)
  start_x
  run --capture area:10,10,0,0 "$E2E_ROOT/empty.png"
  [ "$RC" -eq 1 ] && grep -qi "empty" "$E2E_ROOT/err" || fail "a 0 x 0 area: $RC $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/empty.png" ] || fail "a file of an empty area"
  run --capture sideways "$E2E_ROOT/x.png"
  [ "$RC" -eq 2 ] && grep -q "Usage" "$E2E_ROOT/err" || fail "an unknown kind: $RC"
  run --capture full "$E2E_ROOT/x.gif"
  [ "$RC" -eq 1 ] && [ ! -e "$E2E_ROOT/x.gif" ] || fail "a format that is not written: $RC"
  run --capture --delay -3 full "$E2E_ROOT/x.png"
  [ "$RC" -eq 2 ] || fail "a negative delay: $RC"
  ;;

huge-screen)
  # A screen larger than a page may be: refused before its pixels are read.
  command -v Xvfb >/dev/null || fail "Xvfb is not installed"
  fifo="$E2E_ROOT/displayfd-huge"
  Xvfb -displayfd 3 -noreset -screen 0 16000x16000x24 -nolisten tcp 3>"$fifo" >"$E2E_ROOT/xvfb-huge.log" 2>&1 &
  PIDS+=($!)
  if ! wait_for 20 test -s "$fifo"; then
    echo "SKIP: the X server cannot make a 16000 x 16000 screen here: $(tail -c 300 "$E2E_ROOT/xvfb-huge.log")"
    exit 77
  fi
  export DISPLAY=":$(head -n1 "$fifo")"
  run --capture full "$E2E_ROOT/huge.png"
  [ "$RC" -eq 1 ] && grep -qi "too large" "$E2E_ROOT/err" || fail "a huge screen: $RC $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/huge.png" ] || fail "a file of a huge screen"
  run --capture area:0,0,200,100 "$E2E_ROOT/part.png"
  [ "$RC" -eq 0 ] && size_is "$E2E_ROOT/part.png" 200x100 || fail "a small area of a huge screen: $(cat "$E2E_ROOT/err")"
  ;;

hotkey-new-document)
  start_x
  capture_settings 14=1
  start
  expect_state 's["capture"]["available"] and s["capture"]["barKind"] == 1 and len(s["documents"]) == 0' "no document at first"
  hot_key
  expect_state 'len(s["documents"]) == 1 and s["documents"][0]["pages"] == 1 and s["documents"][0]["title"] == "1"' "a new document of the screen"
  expect_state 's["visible"] and not s["capture"]["active"]' "the window back"
  # Hidden in the tray, or just hidden: the hot key still works.
  xdotool windowunmap --sync "$WINDOW"
  hot_key
  expect_state 'len(s["documents"]) == 2' "a capture while the window was hidden"
  ;;

document-and-clipboard)
  start_x
  capture_settings 14=1 11=1 13=1
  start
  hot_key
  expect_state 'len(s["documents"]) == 1' "a new document"
  wait_for 10 "$PEER" read image/png "$E2E_ROOT/clip.png" || fail "no image on the clipboard"
  size_is "$E2E_ROOT/clip.png" 1280x1024 || fail "the clipboard holds $(identify "$E2E_ROOT/clip.png")"
  ;;

all-off-beeps)
  start_x
  mkdir -p "$E2E_ROOT/images"
  capture_settings 14=1 11=0 12=0 13=0 "ImagesPath=$E2E_ROOT/images"
  start
  hot_key
  expect_state 's["visible"] and not s["capture"]["active"]' "the capture ended"
  sleep 1
  state 'len(s["documents"]) == 0' || fail "a document was made"
  [ -z "$(ls -A "$E2E_ROOT/images")" ] || fail "a file was written: $(ls "$E2E_ROOT/images")"
  ! "$PEER" read image/png "$E2E_ROOT/clip.png" || fail "an image on the clipboard"
  ;;

to-images-folder)
  start_x
  mkdir -p "$E2E_ROOT/images"
  # An earlier session's picture of the same name stays.
  convert -size 10x10 xc:red "$E2E_ROOT/images/1.png"
  capture_settings 14=1 11=0 12=1 "ImagesPath=$E2E_ROOT/images"
  start
  hot_key
  wait_for 10 test -s "$E2E_ROOT/images/1 (2).png" || fail "no file: $(ls "$E2E_ROOT/images")"
  size_is "$E2E_ROOT/images/1 (2).png" 1280x1024 || fail "the file holds $(identify "$E2E_ROOT/images/1 (2).png")"
  size_is "$E2E_ROOT/images/1.png" 10x10 || fail "the earlier picture was replaced"
  state 'len(s["documents"]) == 0' || fail "a document was made"
  ;;

multiple-two-pages)
  start_x
  capture_settings 14=12 2=1 3=1 5=0 7=0
  start
  test_window
  hot_key
  expect_state 'len(s["documents"]) == 1 and s["documents"][0]["pages"] == 2' "one document of two pages"
  expect_state 's["tabs"].get("PagesBar") == ["ActiveWindow", "FullScreen"]' "the pages named by their kinds"
  ;;

multiple-at-start-up)
  # With field 8 on, a start without a file to open begins with a multiple capture.
  start_x
  capture_settings 8=1 14=1 2=1 3=0 5=0 7=0
  start
  expect_state 'len(s["documents"]) == 1 and s["documents"][0]["pages"] == 1 and s["visible"]' "the start-up capture's document"
  # Named on the command line, a file opens alone.
  quit
  convert -size 50x40 xc:white "$E2E_ROOT/one.png"
  start "$E2E_ROOT/one.png"
  sleep 1.5
  expect_state 'len(s["documents"]) == 1' "only the file named"
  ;;

wallpaper-only-series)
  start_x
  capture_settings 14=12 2=0 3=0 5=0 7=1
  start
  hot_key
  expect_state 'len(s["documents"]) == 1 and s["documents"][0]["pages"] == 1' "one document of one page"
  sleep 0.5
  state 'len(s["documents"]) == 1' || fail "more than one document"
  ;;

film)
  start_x
  capture_settings 14=13
  start
  hot_key
  # Five seconds of pictures, then the count.
  wait_for 20 state '"modal" in s and s["modal"]["title"] == "Count"' || fail "no count: $(head -c 800 "$STATE")"
  count="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["modal"]["text"])' "$STATE")"
  [ "$count" -ge 2 ] || fail "only $count pictures"
  focus_modal
  key Return
  expect_state "len(s['documents']) == 1 and s['documents'][0]['pages'] == $count" "a document of $count pages"
  ;;

cursor-to-shelf)
  start_x
  capture_settings 14=8
  start
  before="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["shelf"]["count"])' "$STATE")"
  hot_key
  expect_state "s['shelf']['count'] == $before + 1" "the cursor on the shelf"
  sleep 0.5
  state 'len(s["documents"]) == 0' || fail "a cursor capture made a document"
  ;;

hotkey-taken)
  start_x
  peer grab-key F11
  capture_settings 14=1
  start
  wait_for 10 grep -q "held by another program" "$LOG_FILE" || fail "not logged: $(cat "$LOG_FILE" 2>/dev/null)"
  [ "$(grep -c "held by another program" "$LOG_FILE")" -eq 1 ] || fail "told more than once"
  # The capture commands go on working from the menu.
  key ctrl+alt+1
  expect_state 'len(s["documents"]) == 1' "a capture from the menu's key"
  ;;

area-and-escape)
  start_x
  capture_settings
  start
  test_window
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  # Capture > Area by its key; the rubber band over the still screen.
  key ctrl+alt+7
  wait_for 10 xdotool search --onlyvisible --name '^Drag over' >/dev/null || fail "no area picker"
  expect_state 's["capture"]["kind"] == 7 and s["capture"]["active"] and "ID_CAPTURE_AREA" not in s["enabled"]' "the area kind running"
  xdotool mousemove --sync 120 170 mousedown 1
  for i in 1 2 3 4; do xdotool mousemove --sync $((120 + 40 * i)) $((170 + 25 * i)); done
  xdotool mouseup 1
  expect_state 'len(s["documents"]) == 1 and s["capture"]["kind"] == 0' "a document of the area"
  expect_state 's["visible"]' "the window back"
  # Escape cancels the picker: nothing is made.
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+alt+7
  wait_for 10 xdotool search --onlyvisible --name '^Drag over' >/dev/null || fail "no area picker again"
  xdotool key Escape
  expect_state 's["capture"]["kind"] == 0 and s["visible"]' "the picker cancelled"
  sleep 0.5
  state 'len(s["documents"]) == 1' || fail "a cancelled area made a document"
  ;;

armed-capture)
  start_x
  capture_settings
  start
  # Capture > Immediate Capture off: a capture waits for the hot key.
  menu alt+c e
  expect_state '"ID_CAPTURE_IMMEDIATE" not in s["checked"]' "immediate capture off"
  key ctrl+alt+1
  expect_state 's["capture"]["active"] and s["capture"]["kind"] == 1 and "ID_CAPTURE_STOP" in s["enabled"] and "ID_CAPTURE_SCREEN" in s["checked"]' "the full screen armed"
  state 'len(s["documents"]) == 0' || fail "an armed capture was taken at once"
  hot_key
  expect_state 'len(s["documents"]) == 1 and not s["capture"]["active"] and s["visible"]' "taken by the hot key"
  # Armed again, then the cancel key.
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+alt+1
  expect_state 's["capture"]["active"]' "armed again"
  xdotool key Escape
  expect_state 'not s["capture"]["active"] and s["capture"]["kind"] == 0 and s["visible"]' "cancelled by Escape"
  sleep 0.5
  state 'len(s["documents"]) == 1' || fail "a cancelled capture made a document"
  ;;

object-and-dialogs)
  start_x
  capture_settings
  start
  test_window
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  # The captured object: the frame follows the window under the mouse, a click takes it.
  key ctrl+alt+6
  wait_for 10 xdotool search --onlyvisible --name '^Click on' >/dev/null || fail "no object picker"
  xdotool mousemove --sync 250 250 sleep 0.2 click 1
  expect_state 'len(s["documents"]) == 1 and s["documents"][0]["pages"] == 1' "a document of the object"
  # The dialogs of an interface file, from the Capture menu, chosen in the tree.
  cat >"$E2E_ROOT/find.ui" <<'UI'
<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <widget class="QDialog" name="FindDialog">
  <property name="windowTitle"><string>Find Text</string></property>
  <layout class="QVBoxLayout" name="layout">
   <item><widget class="QLineEdit" name="text"/></item>
   <item><widget class="QPushButton" name="find"><property name="text"><string>Find</string></property></widget></item>
  </layout>
 </widget>
</ui>
UI
  printf '<ui version="4.0"><widget class="QDialog"' >"$E2E_ROOT/broken.ui"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  menu alt+c p t
  expect_state '"modal" in s' "the file dialog"
  focus_modal
  xdotool type --delay 20 "$E2E_ROOT/find.ui"
  key Return
  expect_state '"modal" in s and s["modal"]["title"] == "Dialogs of the Program"' "the list of dialogs"
  focus_modal
  key Return
  expect_state 'len(s["documents"]) == 2 and "modal" not in s' "a document of the dialog"
  # A damaged file is refused with a message; nothing is made.
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  menu alt+c p b
  expect_state '"modal" in s' "the file dialog again"
  focus_modal
  xdotool type --delay 20 "$E2E_ROOT/broken.ui"
  key Return
  expect_state '"modal" in s and "broken.ui" in s["modal"]["text"]' "the damaged file refused"
  focus_modal
  key Return
  expect_state '"modal" not in s' "the message closed"
  state 'len(s["documents"]) == 2' || fail "a damaged file made a document"
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
