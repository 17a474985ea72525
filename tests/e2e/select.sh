#!/usr/bin/env bash
# Working with what is on the page, as a user does it, under a private X server: selecting by
# click, Ctrl+click and rubber band; moving and nudging a group; aligning, spacing and raising;
# deleting a callout and getting it back; walking and reordering the fields with Tab and the
# tab-order box; clicking through a disabled object; Escape after typing; a spelling run through
# its dialog. What the window shows is read from its state report, what was made from --info.
# Usage: select.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

DOC="$E2E_ROOT/page.brf"
objs='d["pages"][0]["objects"]'

# rect_at I X1 Y1 X2 Y2: object I of the saved page lies there (page pixels).
rect_at() {
  expect_info "$DOC" "all(near(u, p) for u, p in zip($objs[$1]['rect'], [$2, $3, $4, $5]))" \
              "object $1 at $2,$3-$4,$5"
}
selected() { expect_state "s['objects']['selected'] == $1" "${2:-selected $1}"; }
undo_text() { expect_state "'$1' in str(s['menus'])" "Edit menu shows $1"; }
# Without a window manager nobody gives the main window the keyboard back after a message.
close_message() {
  focus_modal
  key Return
  expect_state '"modal" not in s' "${1:-message closed}"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
}
ctrl_click_at() {
  local p
  read -r -a p <<<"$(at "$1" "$2")"
  xdotool mousemove --sync "${p[0]}" "${p[1]}" keydown ctrl click 1 keyup ctrl
}

case "$case_name" in
select-move)
  open_page
  tool r; drag 100 250 140 290
  tool r; drag 200 250 240 290
  tool r; drag 300 250 340 290
  tool l; drag 50 350 250 350
  select_mode
  # A rubber band round the first two; Ctrl+click adds the third; a click takes one alone.
  drag 80 230 260 310
  selected '[0, 1]' "rubber band"
  ctrl_click_at 320 270
  selected '[0, 1, 2]' "Ctrl+click adds"
  ctrl_click_at 220 270
  selected '[0, 2]' "Ctrl+click takes away"
  click_at 220 270
  selected '[1]' "a click on another selects it alone"
  # A band that crosses the horizontal line (no height) in its middle catches it.
  drag 140 330 160 370
  selected '[3]' "zero-height line"
  # The first two moved by 40, 30 with the mouse, then three pixels right with the arrows.
  drag 80 230 260 310
  selected '[0, 1]' "the two again"
  drag 120 270 160 300
  key Right Right Right
  save
  rect_at 0 143 280 183 320
  rect_at 1 243 280 283 320
  rect_at 2 300 250 340 290
  undo_text 'Undo Move'
  # Undo takes the nudges back one by one, then the drag.
  key ctrl+z ctrl+z ctrl+z
  save
  rect_at 0 140 280 180 320
  key ctrl+z
  save
  rect_at 0 100 250 140 290
  rect_at 1 200 250 240 290
  key ctrl+y
  save
  rect_at 1 240 280 280 320
  quit
  ;;

align-space)
  open_page
  # Widths 10, 20 and 10 in a frame 100 wide: gaps of 30, only the middle one moves.
  tool r; drag 100 260 110 280
  tool r; drag 120 250 140 290
  tool r; drag 190 270 200 300
  select_mode
  key ctrl+a
  selected '[0, 1, 2]' "all selected"
  menu alt+e r a
  save
  rect_at 0 100 260 110 280
  rect_at 1 140 250 160 290
  rect_at 2 190 270 200 300
  menu alt+e r t
  save
  rect_at 0 100 250 110 270
  rect_at 2 190 250 200 280
  undo_text 'Undo Align Top'
  # The first one brought to the front goes to the end of the list.
  key Escape
  click_at 105 255
  expect_state 's["objects"]["active"] == 0' "the first one active"
  key ctrl+shift+Up
  save
  rect_at 2 100 250 110 270
  key ctrl+z
  save
  rect_at 0 100 250 110 270
  quit
  ;;

callout-undo)
  open_page
  tool shift+r; drag 150 250 250 310
  xdotool type --delay 30 "note"
  key Escape
  save
  info_holds "$DOC" "len($objs) == 3" || fail "no callout"
  cp "$E2E_ROOT/info.json" "$E2E_ROOT/before.json"
  select_mode
  click_at 200 280
  key Delete
  save
  expect_info "$DOC" "len($objs) == 0" "the callout's three parts deleted"
  undo_text 'Undo Delete'
  key ctrl+z
  save
  expect_info "$DOC" "$objs == json.load(open('$E2E_ROOT/before.json'))['pages'][0]['objects']" \
              "the three parts back with their names, in place"
  key ctrl+y
  save
  expect_info "$DOC" "len($objs) == 0" "deleted again"
  key ctrl+z
  save
  expect_info "$DOC" "len($objs) == 3" "and back"
  quit
  ;;

tab-order)
  open_page
  for x in 100 200 300 400 500; do
    tool t; click_at $x 300
    xdotool type --delay 20 "f$x"
  done
  key Escape
  expect_state 's["objects"]["active"] == -1' "none active"
  key Tab
  expect_state 's["objects"]["active"] == 0' "Tab starts at the first"
  key shift+Tab
  expect_state 's["objects"]["active"] == 4' "Shift+Tab from the first goes to the last"
  key Tab
  expect_state 's["objects"]["active"] == 0' "Tab from the last wraps to the first"
  # Index 5 on a page of 5 objects: the message, and the order as it was.
  read -r -a box <<<"$(python3 -c 'import json,sys; w=json.load(open(sys.argv[1]))["widgets"]["TabOrder"]; print(w[0]+w[2]//2, w[1]+w[3]//2)' "$STATE")"
  xdotool mousemove --sync "${box[0]}" "${box[1]}" click --repeat 3 1
  xdotool type "5"
  key Return
  expect_state '"modal" in s and "exceeds" in s["modal"]["text"]' "the bad-index message"
  close_message
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['f100', 'f200', 'f300', 'f400', 'f500']" "order unchanged"
  # Index 3 moves the first field behind the fourth; garbage changes nothing.
  expect_state 's["objects"]["active"] == 0' "the first still active"
  xdotool mousemove --sync "${box[0]}" "${box[1]}" click --repeat 3 1
  xdotool type "3"
  key Return
  expect_state 's["objects"]["active"] == 3' "moved to 3"
  xdotool mousemove --sync "${box[0]}" "${box[1]}" click --repeat 3 1
  xdotool type "x9999999999999999999999"
  key Return
  expect_state '"modal" in s' "garbage refused"
  close_message
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['f200', 'f300', 'f400', 'f100', 'f500']" "new order"
  quit
  ;;

disabled)
  open_page
  tool r; drag 100 250 200 330
  tool r; drag 250 360 150 280
  select_mode
  click_at 175 300
  selected '[1]' "the later object takes the click"
  # Disabled from the context menu, whose items follow the mode.
  p=($(at 175 300))
  xdotool mousemove --sync "${p[0]}" "${p[1]}" click 3
  expect_state '"popup" in s and "D&isable" in s["popup"] and "&Delete" in s["popup"] and "Paste as &New Document" not in s["popup"]' "the context menu"
  key i
  expect_state '"popup" not in s' "menu closed"
  click_at 175 300
  selected '[0]' "the click passes through the disabled one"
  menu alt+e e
  click_at 175 300
  selected '[1]' "enabled again"
  key ctrl+z
  click_at 175 300
  selected '[0]' "undo of Enable All disables it again"
  quit
  ;;

escape-typing)
  open_page
  tool t; click_at 200 200
  xdotool type --delay 30 "Hello"
  key Escape
  expect_state 's["objects"]["active"] == -1 and s["objects"]["count"] == 1' "released, kept"
  key Escape
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['Hello']" "the text kept"
  undo_text 'Undo Typing'
  key ctrl+z
  expect_state 's["objects"]["count"] == 1' "the typing undone, the box still there"
  key ctrl+z
  expect_state 's["objects"]["count"] == 0' "the box undone"
  key ctrl+y ctrl+y
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['Hello']" "both redone"
  quit
  ;;

spelling)
  open_page
  tool t; click_at 100 200
  xdotool type --delay 20 "Thiss line, end"
  tool t; click_at 100 260
  xdotool type --delay 20 "good wrnog, end"
  key Escape
  key F7
  expect_state '"modal" in s and s["modal"]["title"] == "Spelling"' "the spelling dialog"
  # "wrnog," is one word with its comma; the longer replacement moves the words after it.
  focus_window Spelling
  key alt+t ctrl+a; xdotool type "This"; key alt+r
  sleep 0.5
  focus_window Spelling
  key alt+t ctrl+a; xdotool type "wrongly,"; key alt+r
  expect_state '"modal" in s and "complete" in s["modal"]["text"]' "the completion message"
  close_message
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['This line, end', 'good wrongly, end']" "replaced"
  undo_text 'Undo Spelling'
  key ctrl+z
  save
  expect_info "$DOC" "[o['text'] for o in $objs] == ['Thiss line, end', 'good wrnog, end']" "the whole run undone"
  quit
  ;;

*) fail "unknown case $case_name" ;;
esac
