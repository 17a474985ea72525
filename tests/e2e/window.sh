#!/usr/bin/env bash
# The main window as a user meets it, under a private X server: the first start, the tool keys
# and their cursors, the mode toggles, the window's place and bars kept across a restart, a
# translation file, and a document brought back after the program was killed. The program writes
# what its window shows to BRELLIN_STATE_FILE; the checks read that file.
# Usage: window.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER
case_name="$1"; shift
SAMPLES="$2"
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

case "$case_name" in
first-start)
  start_x
  quiet_settings
  start
  expect_state 's["window"] == [0, 0, 800, 570]' "first window"
  expect_state 's["mode"] == 8' "mode 8"
  expect_state 'not s["bars"]["MultipageBar"] and not s["bars"]["ImageBar"] and not s["bars"]["GroupBar"]' "first-start bars"
  expect_state 's["bars"]["MainBar"] and s["bars"]["DrawingBar"]' "main and drawing bars"
  [ -d "$HOME/Documents/Brellin Files" ] || fail "no documents folder"
  grep -q '^Launch=1' "$SETTINGS_FILE" || fail "Launch not written"
  ;;

tool-keys)
  start_x
  quiet_settings
  cp "$SAMPLES/sample.brf" "$E2E_ROOT/form.brf"
  start "$E2E_ROOT/form.brf"
  expect_state '"cursor" in s' "a view"
  # key, mode, command that is checked, cursor
  while read -r k mode cmd cursor; do
    [ "$cursor" = none ] && cursor=""
    key "$k"
    expect_state "s['mode'] == $mode and '$cmd' in s['checked'] and s['cursor'] == '$cursor'" "key $k"
  done <<'KEYS'
t 1 ID_STYLEBAR_TEXTMODE text
u 21 ID_DRAWING_TOOLS_TEXT_UNDERLINE text
k 2 ID_DRAWING_TOOLS_CHECKMARK checkmark
r 8 ID_DRAWING_TOOLS_RECTANGLE rectangle
shift+r 8 ID_DRAWING_TOOLS_RECTANGLE_ANN rectangle
c 9 ID_DRAWING_TOOLS_CIRCLE circle
shift+c 9 ID_DRAWING_TOOLS_CIRCLE_ANN circle
e 10 ID_DRAWING_TOOLS_ELLIPSE ellipse
shift+e 10 ID_DRAWING_TOOLS_ELLIPSE_ANN ellipse
p 11 ID_DRAWING_TOOLS_POLYGON polygon
shift+p 11 ID_DRAWING_TOOLS_POLYGON_ANN polygon
l 12 ID_DRAWING_TOOLS_LINE line
d 13 ID_DRAWING_TOOLS_FREEHAND polygon
shift+d 13 ID_DRAWING_TOOLS_FREEHAND_ANN polygon
a 23 ID_DRAWING_TOOLS_ARROW none
m 24 ID_DRAWING_TOOLS_SIZE_ARROW_HOR none
shift+m 25 ID_DRAWING_TOOLS_SIZE_ARROW_VER none
b 26 ID_DRAWING_TOOLS_BRACKET none
x 16 ID_DRAWING_TOOLS_ERASER eraser
shift+x 17 ID_DRAWING_TOOLS_UNERASER uneraser
h 19 ID_DRAWING_TOOLS_PAW none
s 14 ID_GROUPBAR_SELECT none
KEYS
  # A plain shape leaves its "with annotation" button unchecked.
  key r
  expect_state "'ID_DRAWING_TOOLS_RECTANGLE_ANN' not in s['checked']" "plain rectangle"
  # The view shows the mode's own cursor, another for each kind of tool.
  key t
  expect_state "s['cursor'] == 'text'" "text cursor"
  text_cursor="$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["cursorShown"])' "$STATE")"
  key e
  expect_state "s['cursor'] == 'ellipse' and s['cursorShown'] != '$text_cursor'" "ellipse cursor differs"
  # The toggles: a second press returns to the mode before the first.
  key h
  expect_state "s['mode'] == 19" "hand"
  key z
  expect_state "s['mode'] == 3 and 'ID_ZOOM_IN_MODE' in s['checked']" "zoom"
  key z
  expect_state "s['mode'] == 19 and 'ID_ZOOM_IN_MODE' not in s['checked']" "zoom twice"
  key s
  expect_state "s['mode'] == 14" "select"
  key s
  expect_state "s['mode'] == 19" "select twice"
  key ctrl+shift+f
  expect_state "s['mode'] == 33 and 'ID_FORM_MODE' in s['checked']" "form mode"
  key ctrl+shift+f
  expect_state "s['mode'] == 19" "form mode twice"
  ;;

restart-keeps-layout)
  start_x
  quiet_settings
  start
  xdotool windowmove --sync "$WINDOW" 40 30 2>/dev/null || xdotool windowmove "$WINDOW" 40 30
  xdotool windowsize --sync "$WINDOW" 900 650 2>/dev/null || xdotool windowsize "$WINDOW" 900 650
  expect_state 's["window"][2:] == [900, 650]' "resized"
  # View > Toolbars > Main Bar hides the main bar.
  key alt+v
  sleep 0.3
  key t
  sleep 0.3
  key m
  expect_state 'not s["bars"]["MainBar"]' "main bar hidden"
  quit
  start
  expect_state 's["window"][2:] == [900, 650] and s["window"][:2] == [40, 30]' "window placement after the restart"
  expect_state 'not s["bars"]["MainBar"] and s["bars"]["DrawingBar"]' "bar layout after the restart"
  quit
  # A damaged placement and layout give the defaults, never a crash.
  python3 - "$SETTINGS_FILE" <<'PY'
import re, sys
p = sys.argv[1]
s = open(p).read()
assert "WINDOWPLACEMENT=" in s and "Layout=" in s, s
s = re.sub(r'WINDOWPLACEMENT=.*', lambda m: r'WINDOWPLACEMENT=@ByteArray(\x1\x2)', s)
s = re.sub(r'Layout=.*', lambda m: 'Layout=@ByteArray(garbage)', s)
open(p, "w").write(s)
PY
  rm -f "$STATE"
  "$BRELLIN" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  BRELLIN_PID=$!
  PIDS+=($BRELLIN_PID)
  # The layout that cannot be restored is reported once ("Clear reestr entry!"), then the
  # default layout stays.
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null || fail "no window"
  sleep 1
  for w in $(xdotool search --onlyvisible --name '^Brellin'); do
    xdotool windowfocus --sync "$w" 2>/dev/null && xdotool key Return
  done
  expect_state 's["window"] == [0, 0, 800, 570]' "defaults after damaged settings"
  kill -0 "$BRELLIN_PID" || fail "the program ended"
  ;;

translation)
  # A translation file beside the data retitles a menu, a dialog and a message.
  data="$E2E_ROOT/data-dir"
  mkdir -p "$data"
  cp -r "$(dirname "$BRELLIN")"/Brellin.eng "$(dirname "$BRELLIN")"/tips.txt "$data/"
  cp -r "$(dirname "$BRELLIN")"/Templates "$data/" 2>/dev/null || true
  printf '%s\n' 'STRINGS' '109	Tipp des Tages' '413	Das Dokument %1 laesst sich nicht oeffnen.' \
    '521	%1 laesst sich nicht oeffnen.' '' \
    'MENU 128' 'POPUP &Datei' 'MENUITEM &Neu' '' \
    'garbage line' '' 'DLG 100' 'CAPTION Tipp des Tages (Dialog)' '1 Wussten Sie schon...' '' \
    >"$data/brellin.ru"
  export BRELLIN_DATA_DIR="$data"
  run --info "$E2E_ROOT/missing.brf"
  grep -q 'laesst sich nicht oeffnen' "$E2E_ROOT/err" || fail "message not translated: $(cat "$E2E_ROOT/err")"
  start_x
  quiet_settings
  sed -i 's/^StartUp=1$/StartUp=0/' "$SETTINGS_FILE"
  "$BRELLIN" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  PIDS+=($!)
  wait_for 20 xdotool search --onlyvisible --name 'Tipp des Tages' >/dev/null ||
    fail "tip dialog not retitled: $(xwininfo -root -tree | grep -i tip)"
  wait_for 10 state "s['menus'][0]['text'] == '&Datei' and s['menus'][0]['items'][0]['text'] == '&Neu'" ||
    fail "menu not translated: $(head -c 600 "$STATE")"
  ;;

recovery)
  # A document changed and then killed with the program comes back at the next start.
  export BRELLIN_RECOVERY_SECONDS=1
  start_x
  quiet_settings
  cp "$SAMPLES/sample.brf" "$E2E_ROOT/form.brf"
  run --info "$E2E_ROOT/form.brf"
  size_before="$(python3 -c 'import json,sys; i=json.load(open(sys.argv[1]))["pages"][0]["image"]; print(i["width"], i["height"])' "$E2E_ROOT/out")"
  start "$E2E_ROOT/form.brf"
  expect_state 'len(s["documents"]) == 1' "document open"
  # Image > Rotate Right changes the first page's image.
  key alt+i
  sleep 0.3
  key r
  expect_state 's["documents"][0]["modified"]' "document modified"
  copies="$XDG_DATA_HOME/Quillmere/Brellin/recovery"
  wait_for 15 bash -c "ls '$copies'/*.info >/dev/null 2>&1" || fail "no recovery copy"
  sleep 1
  kill -9 "$BRELLIN_PID"
  wait "$BRELLIN_PID" 2>/dev/null || true
  rm -f "$STATE"
  "$BRELLIN" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  BRELLIN_PID=$!
  PIDS+=($BRELLIN_PID)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null || fail "no window after the crash"
  # The question: Yes restores.
  wait_for 15 bash -c "xwininfo -root -tree | grep -q 'had changes'" || sleep 2
  key Return
  expect_state 'any(d["title"].startswith("form") and d["modified"] for d in s["documents"])' "restored document"
  WINDOW="$(xdotool search --onlyvisible --name '^Brellin' | head -n1)"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+s
  sleep 1
  run --info "$E2E_ROOT/form.brf"
  python3 - "$E2E_ROOT/out" $size_before <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
w, h = int(sys.argv[2]), int(sys.argv[3])
pages = d["pages"]
assert sum(len(p["objects"]) for p in pages) == 13, [len(p["objects"]) for p in pages]
# The first page's image was turned a quarter before the crash.
assert (pages[0]["image"]["width"], pages[0]["image"]["height"]) == (h, w), pages[0]["image"]
PY
  ;;

menus-open)
  # Every menu opens from its key and closes with Escape; the program stays up and the commands
  # that cannot act now are disabled (page commands of a one-page document, revert without an
  # image file).
  start_x
  quiet_settings
  cp "$SAMPLES/sample-v5.png" "$E2E_ROOT/scan.png"
  start "$E2E_ROOT/scan.png"
  expect_state 'len(s["documents"]) == 1' "document open"
  for m in f e v t p i w h; do
    key "alt+$m"
    sleep 0.3
    import -window root "$E2E_ROOT/menu-$m.png"
    key Escape
    key Escape
    kill -0 "$BRELLIN_PID" || fail "the program ended at menu $m"
  done
  expect_state '"ID_MULTIPAGE_TOOLS_DEL" not in s["enabled"] and "ID_MULTIPAGE_TOOLS_NEXT" not in s["enabled"]' "one-page commands"
  expect_state '"ID_IMAGE_UNDO" not in s["enabled"] and "ID_IMAGE_ROTATE_CW" in s["enabled"]' "image commands"
  expect_state 'all(m["items"] for m in s["menus"])' "menus with items"
  # An image operation enables its undo, which brings the image back.
  key alt+i
  sleep 0.3
  key r
  expect_state '"ID_IMAGE_UNDO" in s["enabled"] and s["documents"][0]["modified"]' "undo after rotate"
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
