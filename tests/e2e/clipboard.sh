#!/usr/bin/env bash
# Objects, text and pictures travelling, as a user moves them, under a private X server: a text
# box copied and placed twice by two clicks in paste mode in another document and once in another
# running copy of the program; form filling that takes only text; a picture put on the clipboard
# by another program; text, files and a document dragged from another program onto the page.
# Usage: clipboard.sh CASE PATH-TO-BRELLIN PATH-TO-E2E-PEER
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
PEER="$2"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

DOC="$E2E_ROOT/page.brf"
objs='d["pages"][0]["objects"]'
count_is() { expect_state "s['objects']['count'] == $1" "${2:-$1 objects}"; }
mode_is() { expect_state "s['mode'] == $1" "mode $1"; }

# A text box with a word in it, made and let go.
text_box() {
  tool t; click_at "$1" "$2"
  xdotool type --delay 30 "$3"
  key Escape
}
# peer ARGS...: the other program, started; it prints "ready" once it owns what it offers.
peer() {
  "$PEER" "$@" >"$E2E_ROOT/peer.out" 2>"$E2E_ROOT/peer.err" &
  PEER_PID=$!
  PIDS+=($PEER_PID)
  wait_for 10 grep -q ready "$E2E_ROOT/peer.out" || fail "the other program: $(cat "$E2E_ROOT/peer.err")"
}
# drop_from_peer PX PY: drags what the other program's window offers onto a page point.
drop_from_peer() {
  wait_for 10 xdotool search --onlyvisible --name '^e2e-peer$' >/dev/null || fail "no drag source"
  local to i
  read -r -a to <<<"$(at "$1" "$2")"
  xdotool mousemove --sync 30 30 mousedown 1
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((30 + (to[0] - 30) * i / 8)) $((30 + (to[1] - 30) * i / 8))
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
  wait_for 10 grep -q dropped "$E2E_ROOT/peer.out" || fail "the drag did not end"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
}
# start_second FILE: a second running copy of the program with the file, reporting to its own
# state file; the helpers drive it from then on.
start_second() {
  local before
  before="$(xdotool search --onlyvisible --name '^Brellin' | sort)"
  STATE="$E2E_ROOT/state-second.json"
  BRELLIN_STATE_FILE="$STATE" "$BRELLIN" "$1" >"$E2E_ROOT/out2" 2>"$E2E_ROOT/err2" &
  BRELLIN_PID=$!
  PIDS+=($BRELLIN_PID)
  wait_for 20 bash -c "[ -n \"\$(comm -13 <(echo '$before') <(xdotool search --onlyvisible --name '^Brellin' | sort))\" ]" ||
    fail "no second window: $(tail -c 1000 "$E2E_ROOT/err2")"
  WINDOW="$(comm -13 <(echo "$before") <(xdotool search --onlyvisible --name '^Brellin' | sort) | head -n1)"
  xdotool windowsize --sync "$WINDOW" 1260 990
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  expect_state '"view" in s and s["view"]["size"][0] > 900' "the second copy's large view"
}
texts_are() { expect_info "$1" "[(o['class'], o.get('text')) for o in $objs] == $2" "${3:-texts $2}"; }
anchor_near() {
  expect_info "$1" "near($objs[$2]['anchor'][0], $3) and near($objs[$2]['anchor'][1], $4)" \
              "object $2 anchored at $3,$4"
}

case "$case_name" in
paste-views-and-copies)
  open_page
  OTHER="$E2E_ROOT/other.brf"
  cp "$DOC" "$OTHER"
  text_box 100 100 Hello
  select_mode
  click_object 0
  expect_state 's["objects"]["active"] == 0' "the text box active"
  key ctrl+c
  # A document dragged from a file manager opens; Paste, then every click places one copy.
  peer drag files "$OTHER"
  drop_from_peer 400 300
  expect_state 'len(s["documents"]) == 2 and s["documents"][1]["active"] and s["objects"]["count"] == 0' \
               "the dropped document opened"
  key ctrl+v
  mode_is 30
  click_at 200 200
  count_is 1 "one copy"
  click_at 300 150
  count_is 2 "two copies"
  key Escape
  key ctrl+z
  count_is 1 "the second copy undone"
  key ctrl+y
  count_is 2 "and redone"
  save
  texts_are "$OTHER" "[('CTranspText', 'Hello')] * 2" "two copies in the other document"
  anchor_near "$OTHER" 0 200 200
  anchor_near "$OTHER" 1 300 150
  # Another running copy of the program takes the same block from the clipboard.
  SECOND="$E2E_ROOT/second.brf"
  cp "$DOC" "$SECOND"
  start_second "$SECOND"
  key ctrl+v
  mode_is 30
  click_at 250 120
  count_is 1 "the copy in the other program"
  key Escape
  save
  texts_are "$SECOND" "[('CTranspText', 'Hello')]" "the other program's copy"
  anchor_near "$SECOND" 0 250 120
  quit
  ;;
form-paste)
  open_page
  convert -size 40x30 xc:red "$E2E_ROOT/red.png"
  text_box 100 100 Name
  tool r; drag 300 250 350 300
  select_mode
  click_object 1
  key ctrl+c
  # Filling the form: objects and pictures on the clipboard are left alone, text goes in.
  key ctrl+shift+f
  mode_is 33
  key ctrl+v
  peer copy-image "$E2E_ROOT/red.png"
  key ctrl+v
  peer copy-text " Smith"
  click_object 0
  expect_state 's["objects"]["active"] == 0' "the field active"
  key End ctrl+v
  mode_is 33
  count_is 2 "nothing pasted but text"
  save
  texts_are "$DOC" "[('CTranspText', 'Name Smith'), ('CTranspRectangle', None)]" "the text in the field"
  quit
  ;;

image-from-program)
  open_page
  convert -size 40x30 xc:red "$E2E_ROOT/red.png"
  # Another program's picture goes onto the page at its top-left corner, and opens as a document.
  peer copy-image "$E2E_ROOT/red.png"
  tool t
  key ctrl+v
  count_is 1 "the picture pasted"
  save
  expect_info "$DOC" "$objs[0]['class'] == 'CTranspImage' and $objs[0]['bitmap']['width'] == 40 and $objs[0]['bitmap']['height'] == 30 and $objs[0]['rect'][:2] == [0, 0]" \
              "a 40 x 30 picture"
  menu alt+e n
  expect_state 'len(s["documents"]) == 2 and s["documents"][1]["active"]' "a new document of the picture"
  ;;

drops)
  open_page
  convert -size 40x30 xc:red "$E2E_ROOT/red.png"
  printf 'notes' >"$E2E_ROOT/notes.xyz"
  # Text from another program onto an empty place: a text box there.
  peer drag text "dropped words"
  drop_from_peer 200 300
  count_is 1 "a text box"
  key Escape
  # An image file becomes a picture; a file of no known kind is named in the message.
  peer drag files "$E2E_ROOT/notes.xyz" "$E2E_ROOT/red.png"
  drop_from_peer 400 100
  expect_state '"modal" in s and "notes.xyz" in s["modal"]["text"]' "the message naming the file"
  focus_modal
  key Return
  expect_state '"modal" not in s' "message closed"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  count_is 2 "the picture of the image file"
  key ctrl+z
  count_is 1 "the dropped picture undone"
  key ctrl+y
  count_is 2 "and redone"
  save
  texts_are "$DOC" "[('CTranspText', 'dropped words'), ('CTranspImage', None)]" "the dropped text and picture"
  quit
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "PASS: clipboard.$case_name"
