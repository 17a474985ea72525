#!/usr/bin/env bash
# The page view seen from the outside, under a private X server: a document opened from the
# command line shows its page in a window, and the zoom key changes what is shown.
# Usage: view.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER
case_name="$1"; shift
SAMPLES="$2"
source "$(dirname "$0")/lib.sh" "$1"
export BRELLIN_SCREEN_DPI=96
command -v import >/dev/null || fail "ImageMagick is not installed"

# The colours of the top-left part of the screen, where the first document window's page lies.
page_colours() {
  import -window root "$E2E_ROOT/shot.png"
  convert "$E2E_ROOT/shot.png" -crop 400x300+0+40 -format %c histogram:info:
}

case "$case_name" in
shows-document)
  start_x
  quiet_settings
  "$BRELLIN" "$SAMPLES/sample.brf" >/dev/null 2>&1 &
  PIDS+=($!)
  wait_for 20 xdotool search --onlyvisible --name '^Brellin' >/dev/null ||
    fail "no main window"
  sleep 1
  before="$(page_colours)"
  grep -qi 'white' <<<"$before" || fail "no white canvas: $before"
  grep -qi 'black' <<<"$before" || fail "no page image: $before"
  # Zooming in to 200 % shows a different part of the page at another size.
  xdotool mousemove 150 150 click 1
  xdotool key ctrl+plus
  sleep 1
  after="$(page_colours)"
  [ "$before" != "$after" ] || fail "zooming in changed nothing"
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
