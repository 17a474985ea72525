# The main window under test: it writes what it shows to BRELLIN_STATE_FILE after each update;
# these helpers start it, read that report and drive it with keys. Sourced after lib.sh.
STATE="$E2E_ROOT/state.json"
export BRELLIN_STATE_FILE="$STATE"

# state EXPRESSION: evaluates a Python expression over the report `s`; true when it holds.
state() {
  [ -s "$STATE" ] || return 1
  python3 - "$STATE" "$1" <<'PY'
import json, sys
try:
    s = json.load(open(sys.argv[1]))
except ValueError:
    sys.exit(1)
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}
expect_state() { wait_for 10 state "$1" || fail "$2: $(cat "$STATE" 2>/dev/null | head -c 1500)"; }

# start ARGS...: the program under the private X server, its window focused for keys.
start() {
  rm -f "$STATE"
  "$BRELLIN" "$@" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  BRELLIN_PID=$!
  PIDS+=($BRELLIN_PID)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null || fail "no main window: $(tail -c 2000 "$E2E_ROOT/err") $(tail -c 500 "$E2E_ROOT/xvfb.log")"
  WINDOW="$(xdotool search --onlyvisible --name '^Brellin' | head -n1)"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  wait_for 10 test -s "$STATE" || fail "no state report"
}
key() { xdotool key --clearmodifiers "$@"; }
# focus_window TITLE: gives a dialog the keyboard, as a window manager would.
focus_window() {
  local w
  # A message may bear the main window's own title: the other window of that name is meant.
  w="$(xdotool search --onlyvisible --name "^$1\$" | { grep -vx "${WINDOW:-}" || true; } | head -n1)"
  [ -n "$w" ] && xdotool windowfocus --sync "$w" 2>/dev/null
  sleep 0.2
}
# focus_modal: the keyboard to the message or dialog the state report names.
focus_modal() {
  local title
  title="$(python3 -c 'import json,sys,re; print(re.escape(json.load(open(sys.argv[1]))["modal"]["title"]))' "$STATE" 2>/dev/null)"
  [ -n "$title" ] && focus_window "$title"
}
# dialog TITLE: waits until the dialog of that title is the modal one and gives it the keyboard.
dialog() {
  expect_state "s.get('modal', {}).get('title') == '$1'" "the dialog $1"
  focus_window "$1"
}
# finish: the keyboard back to the main window (no window manager gives it back), then quit.
finish() { xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true; sleep 0.2; quit; }
no_dialog() { expect_state '"modal" not in s' "$1"; }
quit() {
  key ctrl+q
  wait_for 20 bash -c "! kill -0 $BRELLIN_PID 2>/dev/null" || fail "the program did not end"
}


# at PX PY: the screen point of a page point (page pixels) in the active view, from the report.
at() {
  python3 - "$STATE" "$1" "$2" <<'PY'
import json, sys
v = json.load(open(sys.argv[1]))["view"]
s = v["scale"]
def to_view(p):
    return int(p * s + 0.5) if s > 0 else int(p / abs(s) + 0.5)
x = v["origin"][0] + to_view(float(sys.argv[2])) - v["scroll"][0]
y = v["origin"][1] + to_view(float(sys.argv[3])) - v["scroll"][1]
print(x, y)
PY
}
# drag PX1 PY1 PX2 PY2: presses on the first page point, moves in steps to the second, releases.
drag() {
  local from to
  read -r -a from <<<"$(at "$1" "$2")"
  read -r -a to <<<"$(at "$3" "$4")"
  xdotool mousemove --sync "${from[0]}" "${from[1]}" mousedown 1
  local i
  for i in 1 2 3 4; do
    xdotool mousemove --sync $((from[0] + (to[0] - from[0]) * i / 4)) $((from[1] + (to[1] - from[1]) * i / 4))
  done
  xdotool mouseup 1
}
# click_at PX PY [COUNT]: clicks on a page point.
click_at() {
  local p
  read -r -a p <<<"$(at "$1" "$2")"
  xdotool mousemove --sync "${p[0]}" "${p[1]}" click --repeat "${3:-1}" --delay 60 1
}
# info_holds FILE EXPRESSION: the --info report `d` of a saved file satisfies the expression.
info_holds() {
  "$BRELLIN" --info "$1" >"$E2E_ROOT/info.json" 2>/dev/null || return 1
  python3 - "$E2E_ROOT/info.json" "$2" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
px = lambda u: u * 96 / 100000.0
near = lambda units, page: abs(px(units) - page) <= 1.01
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}
expect_info() { info_holds "$1" "$2" || fail "$3: $(head -c 3000 "$E2E_ROOT/info.json")"; }

# The drawing scenarios' page, kept in $DOC (set by the script).
# A 600 x 400 page with a grey block, no frame round it, opened in a large window.
open_page() {
  start_x
  quiet_settings
  convert -size 600x400 xc:white -fill gray60 -draw 'rectangle 100,100 300,200' \
          -units PixelsPerInch -density 96 "$E2E_ROOT/page.png"
  "$BRELLIN" --save-as "$DOC" "$E2E_ROOT/page.png" >/dev/null 2>&1 || fail "no document"
  start "$DOC"
  xdotool windowsize --sync "$WINDOW" 1260 990
  expect_state '"view" in s and s["view"]["size"][0] > 900' "a large view"
  # The shelf takes the bottom of the window: the drawing scenarios want the whole height.
  if state 's.get("shelf", {}).get("visible")'; then
    key alt+v; sleep 0.15; key t; sleep 0.15; key h
    expect_state 'not s.get("shelf", {}).get("visible")' "the shelf hidden"
  fi
}

# Saves the active document with the key; a key lost on a loaded machine is pressed again.
save() {
  local i
  for i in 1 2 3; do
    key ctrl+s
    wait_for 5 state 'not [d for d in s["documents"] if d["active"]][0]["modified"]' && return 0
  done
  fail "not saved: $(head -c 1500 "$STATE")"
}

# menu KEYS...: the keys of a menu path, each pressed in turn.
menu() {
  local k
  for k in "$@"; do key "$k"; sleep 0.15; done
}
select_mode() {
  key Escape
  key s
  expect_state 's["mode"] == 14' "select mode"
}

# tool KEY: the tool of a key, the view ready for the mouse.
tool() {
  key Escape
  key "$1"
  sleep 0.2
}


# click_object I [BUTTON]: clicks in the middle of object I of the active page, as the report
# places it on the screen.
click_object() {
  local p
  read -r -a p <<<"$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["objects"]["bounds"][int(sys.argv[2])]; print(r[0]+r[2]//2, r[1]+r[3]//2)' "$STATE" "$1")"
  xdotool mousemove --sync "${p[0]}" "${p[1]}" click "${2:-1}"
}
