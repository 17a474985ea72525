#!/usr/bin/env bash
# Drawing on a page with the mouse, as a user does it, under a private X server: every kind of
# object made with its tool key and a drag, at 100 %, 200 % and a fit scale; a shape with its
# automatic callout; a polygon closed by a double click; the image tools (crop, straighten, page
# undo, eraser, canvas edge) and dragging the page out as a file; and drags that must make nothing.
# Each case saves the document and reads it back with --info.
# Usage: draw.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

DOC="$E2E_ROOT/page.brf"

# drag_out PX PY: presses on a page point and lets go far outside the page, in the screen's
# corner, where nothing takes the drop.
drag_out() {
  local p
  read -r -a p <<<"$(at "$1" "$2")"
  xdotool mousemove --sync "${p[0]}" "${p[1]}" mousedown 1
  sleep 0.3
  xdotool mousemove 20 20
  sleep 0.3
  xdotool mousemove 10 10 mouseup 1
}

# The image of the page starts at the canvas origin or at the frame's offset; the page points
# below are where the user drew, in page pixels of the view.
draw_every_kind() {
  tool r; drag 150 120 250 180
  tool e; drag 320 60 420 100
  tool c; drag 500 300 530 340
  tool l; drag 40 300 140 360
  tool a; drag 200 300 260 250
  tool m; drag 60 220 160 260
  tool shift+m; drag 460 150 500 250
  tool b; drag 330 230 400 280
  tool d; drag 20 20 80 60
  tool k; click_at 540 40
  tool t; click_at 450 380
  xdotool type --delay 30 "Hi"
  key Escape
}

check_every_kind() {
  expect_info "$DOC" '[o["class"] for o in d["pages"][0]["objects"]] == ["CTranspRectangle", "CTranspEllipse", "CTranspCircle", "CTranspLine", "CTranspArrow", "CTranspSizeArrow", "CTranspSizeArrow", "CTranspBrace", "CTranspFreehand", "CTranspCheckMark", "CTranspText"]' "kinds in drawing order"
  local objs='d["pages"][0]["objects"]'
  expect_info "$DOC" "all(near(u, p) for u, p in zip($objs[0]['rect'], [150, 120, 250, 180]))" "rectangle where drawn"
  expect_info "$DOC" "all(near(u, p) for u, p in zip($objs[1]['rect'], [320, 60, 420, 100]))" "ellipse where drawn"
  expect_info "$DOC" "near($objs[2]['center'][0], 500) and near($objs[2]['center'][1], 300) and abs(px($objs[2]['radius']) - 50) <= 1.5" "circle round its centre"
  expect_info "$DOC" "all(near(u, p) for u, p in zip($objs[3]['points'], [40, 300, 140, 360]))" "line end points"
  expect_info "$DOC" "all(near(u, p) for u, p in zip($objs[4]['points'], [200, 300, 260, 250]))" "arrow end points"
  expect_info "$DOC" "$objs[5]['horizontal'] and not $objs[6]['horizontal']" "dimension arrows"
  expect_info "$DOC" "$objs[7]['braceStyle'] == 2" "bracket of the selector's orientation"
  expect_info "$DOC" "len($objs[8]['points']) >= 2 and near($objs[8]['points'][0][0], 20) and near($objs[8]['points'][-1][1], 60)" "freehand stroke"
  expect_info "$DOC" "$objs[10]['text'] == 'Hi'" "typed text"
}

case "$case_name" in
shapes-100|shapes-200|shapes-fit)
  open_page
  case "$case_name" in
  shapes-200) key ctrl+plus; expect_state 's["view"]["scale"] == 2' "200 %" ;;
  shapes-fit) key ctrl+0; expect_state 's["view"]["scale"] < 0' "fit scale" ;;
  esac
  draw_every_kind
  save
  check_every_kind
  quit
  ;;

callout)
  open_page
  tool shift+r; drag 150 120 250 180
  xdotool type --delay 30 "note"
  key Escape
  tool shift+e; drag 400 250 500 300
  xdotool type --delay 30 "oval"
  key Escape
  save
  expect_info "$DOC" '[o["class"] for o in d["pages"][0]["objects"]] == ["CTranspRectangle", "CTranspLine", "CTranspText", "CTranspEllipse", "CTranspLine", "CTranspText"]' "shape, line and text box in that order"
  expect_info "$DOC" 'd["pages"][0]["objects"][2]["text"] == "note" and d["pages"][0]["objects"][2]["style"]["annotation"]' "the callout's text"
  # The lines go up where the page image leaves room: the rectangle's 4 pixels in from its left
  # edge, the ellipse's from the middle of its top; the text box sits above the line's end.
  objs='d["pages"][0]["objects"]'
  expect_info "$DOC" "near($objs[1]['points'][0], 154) and near($objs[1]['points'][1], 120) and $objs[1]['points'][3] < $objs[1]['points'][1]" "line up from the rectangle"
  expect_info "$DOC" "near($objs[4]['points'][0], 450) and near($objs[4]['points'][1], 250)" "line up from the ellipse"
  expect_info "$DOC" "$objs[2]['anchor'][1] <= $objs[1]['points'][3] + 1000" "text box above the line"
  quit
  ;;

polygon)
  open_page
  tool p
  click_at 100 300
  sleep 0.6
  click_at 200 300
  sleep 0.6
  click_at 150 380 2
  save
  expect_info "$DOC" 'len(d["pages"][0]["objects"]) == 1 and len(d["pages"][0]["objects"][0]["points"]) == 4' "four points"
  expect_info "$DOC" 'd["pages"][0]["objects"][0]["points"][0] == d["pages"][0]["objects"][0]["points"][-1]' "closed"
  quit
  ;;

nothing-made)
  open_page
  # A click without a drag, a drag of no width, a drag far beyond the window's edge with the
  # line tool (which ends somewhere), and a zoom rectangle of 3 x 3 pixels.
  tool r; click_at 200 200
  tool e; drag 300 100 300 200
  tool c; click_at 50 50
  tool l; click_at 60 60
  tool z; drag 100 100 103 103
  expect_state 's["view"]["scale"] == 1' "no zoom for a tiny rectangle"
  click_at 300 200
  expect_state 's["view"]["scale"] == 2' "a click zooms one step"
  key Escape; key z
  key ctrl+minus
  expect_state 's["view"]["scale"] == 1' "back to 100 %"
  tool a
  p=($(at 100 100))
  xdotool mousemove --sync "${p[0]}" "${p[1]}" mousedown 1 mousemove --sync 5000 5000 mouseup 1
  # Beside the arrow's box, where a press makes a new shape instead of taking the arrow.
  tool r; drag 20 200 80 300
  save
  expect_info "$DOC" '[o["class"] for o in d["pages"][0]["objects"]] == ["CTranspArrow", "CTranspRectangle"]' "only the far arrow and the last rectangle"
  expect_info "$DOC" 'near(d["pages"][0]["objects"][0]["points"][0], 100) and px(d["pages"][0]["objects"][0]["points"][2]) > 1000' "the arrow reaches beyond the window"
  quit
  ;;

image-tools)
  open_page
  # Crop to a rectangle, from the Image menu and applied with Return.
  key alt+i; key c
  expect_state 's["mode"] == 5' "crop mode"
  drag 100 50 400 250
  expect_state '"ID_TOOLBAR_DO_IMAGE_TRANSFORMATION" in s["enabled"]' "apply offered"
  key Return
  expect_state 's["mode"] == 1' "text mode after the crop"
  save
  expect_info "$DOC" 'd["pages"][0]["image"]["width"] == 301 and d["pages"][0]["image"]["height"] == 201' "cropped image"
  # Straighten by two reference points on a slope, then undo it.
  key alt+i; key p
  click_at 120 60
  sleep 0.6
  click_at 380 80
  expect_state '"ID_TOOLBAR_DO_IMAGE_TRANSFORMATION" in s["enabled"]' "two points"
  key Return
  save
  expect_info "$DOC" 'd["pages"][0]["image"]["width"] > 301 and d["pages"][0]["image"]["height"] > 201' "turned image"
  key alt+i; key u
  save
  expect_info "$DOC" 'd["pages"][0]["image"]["width"] == 301' "page undo"
  # Erase a stroke, then drag the canvas's right edge 60 pixels further.
  tool x
  drag 150 100 250 100
  save
  expect_info "$DOC" 'len(d["pages"][0]["erase"]) >= 1 and not any(e["restore"] for e in d["pages"][0]["erase"])' "erased"
  canvas_w=$("$BRELLIN" --info "$DOC" | python3 -c 'import json,sys; print(json.load(sys.stdin)["pages"][0]["canvas"][0])')
  canvas_h=$("$BRELLIN" --info "$DOC" | python3 -c 'import json,sys; print(json.load(sys.stdin)["pages"][0]["canvas"][1])')
  tool r
  drag $((canvas_w)) $((canvas_h / 2)) $((canvas_w + 60)) $((canvas_h / 2))
  save
  expect_info "$DOC" "abs(d['pages'][0]['canvas'][0] - ($canvas_w + 60)) <= 2" "canvas edge dragged"
  # The uneraser brings part of the stroke back; the hand moves the image by the drag.
  tool shift+x
  drag 180 100 200 100
  save
  expect_info "$DOC" 'any(e["restore"] for e in d["pages"][0]["erase"])' "unerased"
  pos_x=$("$BRELLIN" --info "$DOC" | python3 -c 'import json,sys; print(json.load(sys.stdin)["pages"][0]["imagePos"][0])')
  tool h
  drag 300 200 340 230
  save
  expect_info "$DOC" "abs(px(d['pages'][0]['imagePos'][0] - $pos_x) - 40) <= 1" "image moved by the hand"
  quit
  ;;

drag-page-out)
  open_page
  key alt+t; key d
  expect_state 's["mode"] == 20' "drag page mode"
  drag_out 300 200
  wait_for 10 test -s "$TMPDIR/brf_temp/page.png" || fail "no file for the drag"
  "$BRELLIN" --info "$TMPDIR/brf_temp/page.png" >/dev/null || fail "the dragged file does not open"
  # A cut-out: its rectangle first, then a press inside it drags that part out.
  rm -f "$TMPDIR/brf_temp/page.png"
  key alt+t; key c
  expect_state 's["mode"] == 22' "cut mode"
  drag 50 50 150 120
  drag_out 100 80
  wait_for 10 test -s "$TMPDIR/brf_temp/page.png" || fail "no file for the cut-out"
  expect_info "$TMPDIR/brf_temp/page.png" 'd["pages"][0]["image"]["width"] == 101 and d["pages"][0]["image"]["height"] == 71' "the cut-out's size"
  quit
  ;;

*) fail "unknown case $case_name" ;;
esac
