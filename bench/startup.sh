#!/usr/bin/env bash
# Start-up of the real program (run by hand): the time from starting brellin to its main window
# shown, and to a shown 20-page A4 1-bit document, under a private X server; the median of five
# runs each. Goals: under 400 ms to the window, under 1 s to the document.
#   bench/startup.sh build/brellin
set -euo pipefail
BRELLIN="$(realpath "${1:-build/brellin}")"
work="$(mktemp -d)"
trap 'kill $XVFB 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/fd" >/dev/null 2>&1 &
XVFB=$!
for _ in $(seq 50); do [ -s "$work/fd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/fd")" QT_QPA_PLATFORM=xcb BRELLIN_SCREEN_DPI=96
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Quillmere" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# No tip of the day, no sample templates: the bare window.
# No tip and no start-up multiple capture (capture option 8 off): the start alone is timed.
printf '[Tip]\nStartUp=1\n[Settings]\nCaptureOptions="@ByteArray(%s)"\n' '\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x0c\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00' >"$XDG_CONFIG_HOME/Quillmere/Brellin Studio 1.00.ini"

# Twenty fax pages, each made on its own and joined by libtiff (ImageMagick's memory policy is
# too small for all of them at once).
for i in $(seq -w 1 20); do
  convert -size 2480x3508 -density 300 xc:white -font DejaVu-Sans -pointsize 11 -fill black \
    -annotate +150+300 "Page $i: a faxed form with its fields, names and dates" \
    -draw "rectangle 150,600 2300,$((900 + 100 * 10#$i))" -monochrome -units PixelsPerInch \
    -compress Group4 "$work/p$i.tif"
done
tiffcp "$work"/p*.tif "$work/fax.tif"
QT_QPA_PLATFORM=offscreen "$BRELLIN" --save-as "$work/fax.brf" "$work/fax.tif"

# measure CONDITION ARGS...: milliseconds until the state report meets the condition.
measure() {
  local cond="$1"; shift
  local state="$work/state.json"
  rm -f "$state"
  local start end
  start=$(date +%s%N)
  BRELLIN_STATE_FILE="$state" "$BRELLIN" "$@" >"$work/out" 2>&1 &
  local pid=$!
  local tries=0
  until [ -s "$state" ] && python3 -c "import json,sys; s=json.load(open('$state')); sys.exit(0 if $cond else 1)" 2>/dev/null; do
    sleep 0.005; tries=$((tries + 1)); [ $tries -lt 2000 ] || { cat "$work/out" >&2; return 1; }
  done
  end=$(date +%s%N)
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo $(( (end - start) / 1000000 ))
}
median() { sort -n | sed -n 3p; }

window=$(for _ in 1 2 3 4 5; do measure 's["visible"]'; done | median)
echo "start-up to the shown window: ${window} ms (median of 5)"
doc=$(for _ in 1 2 3 4 5; do measure 's["visible"] and s["documents"] and s["documents"][0]["pages"] == 20' "$work/fax.brf"; done | median)
echo "start-up to a shown 20-page A4 1-bit document: ${doc} ms (median of 5)"
