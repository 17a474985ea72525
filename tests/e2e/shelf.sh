#!/usr/bin/env bash
# The shelf under a private X server: a shelf file made by hand is read when the window opens,
# keeping only the pictures of cursor size; an item deleted from the strip (Delete, then Yes) is
# gone from the file at once, and ending the program writes the same shelf again.
# Usage: shelf.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"

SHELF="$XDG_DATA_HOME/Quillmere/Brellin/tkshelf.dat"
objs='d["pages"][0]["objects"]'

# make_shelf FILE WxH...: a shelf file of white 24-bit pictures of those sizes, labelled p1, p2...
make_shelf() {
  mkdir -p "$(dirname "$1")"
  python3 - "$@" <<'PY'
import struct, sys
def dib(w, h):
    stride = (w * 3 + 3) // 4 * 4
    return struct.pack('<iiiHHiiiiii', 40, w, h, 1, 24, 0, stride * h, 3780, 3780, 0, 0) + b'\xff' * (stride * h)
def block(d):
    return (struct.pack('<iihh', 48 + len(d), 8, 1, 0) + b'\0' * 4 + struct.pack('<d', 0.00001) +
            b'\0' * 16 + struct.pack('<i', len(d)) + d + b'\0' * 4)
out = b'TKCOL\0\0\0' + struct.pack('<i', 1)
for n, size in enumerate(sys.argv[2:], 1):
    w, h = (int(v) for v in size.split('x'))
    b, label = block(dib(w, h)), b'p%d' % n
    out += struct.pack('<i', len(b)) + b + struct.pack('<i', len(label) + 1) + label + b'\0'
open(sys.argv[1], 'wb').write(out + struct.pack('<i', 0))
PY
}
# shelf_labels FILE: the labels of the items of a shelf file, one line.
shelf_labels() {
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
assert b[:6] == b'TKCOL\0' and struct.unpack_from('<i', b, 8)[0] == 1
pos, labels = 12, []
while True:
    n = struct.unpack_from('<i', b, pos)[0]; pos += 4
    if n == 0: break
    pos += n
    l = struct.unpack_from('<i', b, pos)[0]; pos += 4
    labels.append(b[pos:pos + l - 1].decode()); pos += l
assert pos == len(b)
print(' '.join(labels))
PY
}

case "$case_name" in
delete-and-close)
  start_x
  quiet_settings
  make_shelf "$SHELF" 32x48 48x48 32x32
  start
  expect_state 's["shelf"]["visible"] and s["shelf"]["labels"] == ["p1", "p3"]' \
               "the two pictures of cursor size on the shelf"
  expect_state 'len(s["shelf"]["shown"]) == 2' "both shown on the strip"
  read -r x y w h <<<"$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["shelf"]["shown"][0]; print(*r[1:])' "$STATE")"
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) click 1
  expect_state 's["shelf"]["selected"] == 0' "the first item selected"
  key Delete
  expect_state '"modal" in s and "cursor collection" in s["modal"]["text"]' "the question"
  focus_modal
  key Return
  expect_state '"modal" not in s and s["shelf"]["labels"] == ["p3"]' "the item deleted"
  [ "$(shelf_labels "$SHELF")" = "p3" ] || fail "the file after deleting: $(shelf_labels "$SHELF")"
  cp "$SHELF" "$E2E_ROOT/after-delete.dat"
  # An old time on the file, so that the write at the end shows.
  touch -d '2001-01-01' "$SHELF"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  quit
  cmp "$SHELF" "$E2E_ROOT/after-delete.dat" || fail "closing wrote another shelf"
  [ "$(stat -c %Y "$SHELF")" -gt 978400000 ] || fail "closing did not write the shelf"
  ;;
drag-and-add)
  DOC="$E2E_ROOT/page.brf"
  make_shelf "$SHELF" 32x32
  cp "$SHELF" "$E2E_ROOT/before.dat"
  open_page
  menu alt+v t h
  expect_state 's["shelf"]["visible"] and len(s["shelf"]["shown"]) == 1' "the shelf shown again"
  # The item dragged onto the page becomes a picture where it is let go.
  read -r x y w h <<<"$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["shelf"]["shown"][0]; print(*r[1:])' "$STATE")"
  read -r -a to <<<"$(at 300 150)"
  xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) mousedown 1
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((x + w / 2 + (to[0] - x - w / 2) * i / 8)) $((y + h / 2 + (to[1] - y - h / 2) * i / 8))
    sleep 0.05
  done
  sleep 0.2
  xdotool mouseup 1
  expect_state 's["objects"]["count"] == 1' "a picture from the shelf"
  # Only pictures go onto the shelf: a text field and a group leave it as it is.
  tool t; click_at 100 300
  xdotool type --delay 30 "Field"
  select_mode
  click_object 1
  menu alt+e l
  tool r; drag 400 300 450 350
  select_mode
  key ctrl+a
  expect_state 'len(s["objects"]["selected"]) == 3' "all three selected"
  menu alt+e l
  save
  expect_info "$DOC" "$objs[0]['class'] == 'CTranspImage' and $objs[0]['bitmap']['width'] == 32" "the shelf's picture"
  expect_state 's["shelf"]["count"] == 1' "the shelf unchanged"
  cmp "$SHELF" "$E2E_ROOT/before.dat" || fail "the shelf file changed"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: shelf.$case_name"
