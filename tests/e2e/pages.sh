#!/usr/bin/env bash
# The Page menu, the page keys and the documents bar seen from the outside, under a private X
# server: page commands driven by the keyboard change the document that Save As then writes, and
# the documents bar keeps one tab per open document in order.
# Usage: pages.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
command -v convert >/dev/null || fail "ImageMagick is not installed"
command -v xdotool >/dev/null || fail "xdotool is not installed"

# Pages told apart by their widths; noise leaves no uniform border to trim away.
page_image() { convert -size "$1x60" xc: +noise Random -depth 8 "$2"; }

# Starts the program on the files and gives its window the keyboard.
start_brellin() {
  "$BRELLIN" "$@" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  PIDS+=($!)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null || fail "no main window"
  MAIN="$(xdotool search --onlyvisible --name '^Brellin' | head -n1)"
  xdotool windowfocus --sync "$MAIN"
  sleep 0.5
}

focus_main() { xdotool windowfocus --sync "$MAIN"; sleep 0.2; }

# A named window other than the main window and the one given has the keyboard: a dialog.
focused_dialog() {
  local w
  w="$(xdotool getwindowfocus 2>/dev/null)" || return 1
  [ -n "$w" ] && [ "$w" != "$MAIN" ] && [ "$w" != "$1" ] || return 1
  # Without a window manager the keyboard may rest on the root window, which has no name.
  [ -n "$(xdotool getwindowname "$w" 2>/dev/null)" ]
}

# wait_dialog [PREVIOUS]: waits for a dialog other than the one given; DIALOG is its window.
wait_dialog() {
  wait_for 10 focused_dialog "${1:-}" || fail "no dialog appeared"
  DIALOG="$(xdotool getwindowfocus)"
  sleep 0.3
}

gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }

# answer KEY...: the keys go to the dialog, which then closes.
answer() {
  xdotool key "$@"
  wait_for 10 gone "$DIALOG" || fail "the dialog stayed open"
}

# page_menu KEY: the Page menu by its mnemonic, then the item by its own.
page_menu() {
  xdotool key alt+p
  sleep 0.3
  xdotool key "$1"
  sleep 0.4
}

# type_path PATH: a file dialog has the keyboard in its name field; the path and Return answer it.
type_path() {
  xdotool type --delay 5 "$1"
  sleep 0.2
  answer Return
}

# widths FILE: the page widths of a saved document, comma-separated.
widths() {
  "$BRELLIN" --info "$1" 2>/dev/null |
    python3 -c 'import json,sys; print(",".join(str(p["image"]["width"]) for p in json.load(sys.stdin)["pages"]))'
}

# The title of the active document: a maximized document window puts it into the main window's
# title, "Brellin 1.00 - [title]".
active_title() { xdotool getwindowname "$MAIN" | sed -n 's/^[^[]*\[\(.*\)\].*$/\1/p'; }
title_is() { [ "$(active_title)" = "$1" ]; }
title_is_not() { [ "$(active_title)" != "$1" ]; }
# active_is TITLE: waits until the document of that title is the active one.
active_is() { wait_for 10 title_is "$1" || fail "'$(active_title)' active, not '$1'"; }

# The part of the window where two screenshots differ, as "X Y W H" (the status bar left out).
changed_area() {
  convert "$1" "$2" -compose difference -composite -crop 800x500+0+0 +repage \
    -colorspace gray -threshold 0 -format '%X %Y %w %h' \
    -trim info: | tr -d '+'
  echo
}

case "$case_name" in
page-commands)
  start_x
  quiet_settings
  page_image 100 "$E2E_ROOT/a.png"
  page_image 120 "$E2E_ROOT/b.png"
  page_image 140 "$E2E_ROOT/c.png"
  page_image 160 "$E2E_ROOT/add.png"
  convert "$E2E_ROOT/a.png" "$E2E_ROOT/b.png" "$E2E_ROOT/c.png" "$E2E_ROOT/three.tif"
  start_brellin "$E2E_ROOT/three.tif"

  xdotool key Next                 # page 2 of 100,120,140
  page_menu r                      # 100,140,120 on page 3
  page_menu a                      # add the pages of a file after the last one
  wait_dialog
  type_path "$E2E_ROOT/add.png"
  wait_dialog "$DIALOG"            # the list of the files to add: OK
  answer Return                    # 100,140,120,160, still on page 3
  focus_main
  xdotool key Prior                # page 2
  page_menu d                      # deleted after a Yes: 100,120,160 on page 1
  wait_dialog
  answer Return
  focus_main
  xdotool key Next Next            # page 3
  page_menu l                      # 100,160,120 on page 2
  xdotool key ctrl+s               # an image file has no document path: Save As
  wait_dialog
  type_path "$E2E_ROOT/pages.brf"
  wait_for 10 test -s "$E2E_ROOT/pages.brf" || fail "pages.brf was not written"
  got="$(widths "$E2E_ROOT/pages.brf")"
  [ "$got" = "100,160,120" ] || fail "saved pages $got, expected 100,160,120"

  focus_main
  page_menu c                      # page 2 becomes a document of its own, the active one
  xdotool key ctrl+s
  wait_dialog
  type_path "$E2E_ROOT/page.brf"
  wait_for 10 test -s "$E2E_ROOT/page.brf" || fail "page.brf was not written"
  got="$(widths "$E2E_ROOT/page.brf")"
  [ "$got" = "160" ] || fail "converted page $got, expected 160"
  ;;

document-tabs)
  start_x
  quiet_settings
  # Three documents that look alike: switching between them changes nothing but their tabs.
  for n in a b c; do
    convert -size 200x100 xc:white -fill black -draw 'rectangle 20,20 180,80' "$E2E_ROOT/$n.png"
  done
  start_brellin "$E2E_ROOT/a.png"
  A="$(active_title)"
  for n in b c; do
    xdotool key ctrl+o
    wait_dialog
    type_path "$E2E_ROOT/$n.png"
    focus_main
  done
  C="$(active_title)"
  # Where the tabs are: the screen changes only there when another document becomes active.
  import -window root "$E2E_ROOT/c.shot.png"
  xdotool key ctrl+shift+Tab
  wait_for 10 title_is_not "$C" || fail "no other document became active"
  B="$(active_title)"
  import -window root "$E2E_ROOT/b.shot.png"
  xdotool key ctrl+shift+Tab
  active_is "$A"
  import -window root "$E2E_ROOT/a.shot.png"
  [ "$A" != "$B" ] && [ "$B" != "$C" ] && [ "$A" != "$C" ] || fail "titles $A, $B, $C"
  read -r ax ay aw ah < <(changed_area "$E2E_ROOT/a.shot.png" "$E2E_ROOT/b.shot.png")
  read -r bx by bw bh < <(changed_area "$E2E_ROOT/b.shot.png" "$E2E_ROOT/c.shot.png")
  [ -n "${bh:-}" ] && [ "$bh" -le 30 ] && [ "$by" = "$ay" ] || fail "no tabs found (${bw:-}x${bh:-})"
  [ "$ax" -lt "$bx" ] && [ "$bx" -lt $((ax + aw)) ] || fail "tabs not in order ($ax+$aw, $bx+$bw)"
  y=$((by + bh / 2))
  cx=$((ax + aw))   # the second tab ends where the third begins

  # Each tab activates its own document, in the order they were opened.
  for t in "$cx:$C" "$ax:$A" "$bx:$B"; do
    xdotool mousemove $((${t%%:*} + 6)) $y click 1
    active_is "${t#*:}"
  done
  # The middle button on the second tab closes its document only: the third tab moves into
  # its place, and nothing is left where the third was.
  xdotool mousemove $((bx + 6)) $y click 2
  wait_for 10 title_is_not "$B" || fail "the second document is still active"
  xdotool mousemove $((ax + 6)) $y click 1
  active_is "$A"
  xdotool mousemove $((bx + 6)) $y click 1
  active_is "$C"
  xdotool mousemove $((cx + 6)) $y click 1
  sleep 0.5
  active_is "$C"
  xdotool key ctrl+Tab
  active_is "$A"
  xdotool key ctrl+Tab
  active_is "$C"
  ;;


*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
