#!/usr/bin/env bash
# Scanning from the command line on SANE's "test" device, enabled for these tests alone through a
# private configuration folder (no other backend is asked, so no network scan slows them): colour,
# grey and black and white pages against scanimage's of the same settings, a three-pass hand
# scanner, the document feeder's pages, a device that is not there, a scan that fails halfway,
# Ctrl+C, the progress on a terminal and command lines that must be refused.
# Usage: scan.sh CASE PATH-TO-BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
source "$(dirname "$0")/sane-lib.sh"
command -v tiffinfo >/dev/null || fail "tiffinfo (libtiff-tools) is not installed"

# tiff_field FILE FIELD: a field of the first page as tiffinfo prints it.
tiff_field() { tiffinfo "$1" 2>/dev/null | sed -n "s/^ *$2: //p" | head -n1; }
tiff_pages() { tiffinfo "$1" 2>/dev/null | grep -c '^TIFF Directory'; }
# info EXPRESSION WHAT: the --info report `d` of $DOC satisfies the expression.
info() {
  "$BRELLIN" --info "$DOC" >"$E2E_ROOT/info.json" 2>"$E2E_ROOT/info.err" || fail "--info: $(cat "$E2E_ROOT/info.err")"
  python3 - "$E2E_ROOT/info.json" "$1" <<'PY' || fail "$2: $(head -c 2000 "$E2E_ROOT/info.json")"
import json, sys
d = json.load(open(sys.argv[1]))
sys.exit(0 if eval(sys.argv[2]) else 1)
PY
}
scan_ok() {
  run --scan "$@"
  [ "$RC" -eq 0 ] || fail "--scan $*: $RC $(cat "$E2E_ROOT/err")"
}
# scan_fails STATUS TEXT OUT ARGS...: the scan ends with the status and the text, and writes no OUT.
scan_fails() {
  local status="$1" text="$2" out="$3"; shift 3
  run --scan "$@" "$out"
  [ "$RC" -eq "$status" ] || fail "--scan $* $out: $RC, not $status: $(cat "$E2E_ROOT/err")"
  grep -qF -- "$text" "$E2E_ROOT/err" || fail "--scan $* $out says: $(cat "$E2E_ROOT/err")"
  [ ! -e "$out" ] || fail "--scan $* wrote $out"
}
# mode_case MODE SCANIMAGE-MODE DEPTH TIFF-BITS: one mode at 100 dpi, as an image and a document.
mode_case() {
  reference "$E2E_ROOT/ref.pnm" --mode "$2" --depth "$3" --resolution 100
  scan_ok --mode "$1" --resolution 100 "$E2E_ROOT/page.tif"
  [ ! -s "$E2E_ROOT/err" ] || fail "a scan without a terminal says: $(cat "$E2E_ROOT/err")"
  same_pixels "$E2E_ROOT/page.tif" "$E2E_ROOT/ref.pnm"
  [ "$(tiff_field "$E2E_ROOT/page.tif" 'Bits\/Sample')" = "$4" ] || fail "$1: $(tiffinfo "$E2E_ROOT/page.tif")"
  [ "$(tiff_field "$E2E_ROOT/page.tif" 'Resolution')" = "100, 100 pixels/inch" ] || fail "$1: $(tiffinfo "$E2E_ROOT/page.tif")"
  DOC="$E2E_ROOT/page.brf"
  scan_ok --mode "$1" --resolution 100 "$DOC"
  local bits=8
  [ "$2" = Color ] && bits=24
  [ "$3" = 1 ] && bits=1
  info "len(d['pages']) == 1 and d['pages'][0]['image']['bitsPerPixel'] == $bits and d['pages'][0]['image']['dpiX'] == 100" "the $1 document"
  run --export "$E2E_ROOT/exported.png" "$DOC"
  [ "$RC" -eq 0 ] || fail "--export: $(cat "$E2E_ROOT/err")"
  same_pixels "$E2E_ROOT/exported.png" "$E2E_ROOT/ref.pnm"
}

case "$case_name" in
color) mode_case color Color 8 8 ;;
gray) mode_case gray Gray 8 8 ;;
# The test device has no black and white mode: grey at one bit is.
lineart) mode_case lineart Gray 1 1 ;;

three-pass-hand-scanner)
  # Colour in three passes, of a height the device does not know until the page ends.
  sane_config 'three-pass true' 'three-pass-order GBR' 'hand-scanner true'
  reference "$E2E_ROOT/ref.pnm" --mode Color --depth 8 --resolution 100
  scan_ok --mode color --resolution 100 "$E2E_ROOT/page.png"
  same_pixels "$E2E_ROOT/page.png" "$E2E_ROOT/ref.pnm"
  ;;

feeder-three-pages)
  DOC="$E2E_ROOT/three.brf"
  scan_ok --source adf --pages 3 --mode gray --resolution 50 "$DOC"
  info "len(d['pages']) == 3 and all(p['image']['bitsPerPixel'] == 8 and p['image']['width'] == 393 for p in d['pages'])" "three pages"
  scan_ok --source 'Automatic Document Feeder' --pages 3 --mode lineart --resolution 50 "$E2E_ROOT/three.tif"
  [ "$(tiff_pages "$E2E_ROOT/three.tif")" = 3 ] || fail "three pages: $(tiffinfo "$E2E_ROOT/three.tif")"
  reference "$E2E_ROOT/ref.pnm" --mode Gray --depth 1 --resolution 50
  convert "$E2E_ROOT/three.tif[2]" "$E2E_ROOT/third.png"
  same_pixels "$E2E_ROOT/third.png" "$E2E_ROOT/ref.pnm"
  ;;

feeder-all-pages)
  # The test device's feeder holds ten pages.
  scan_ok --source adf --pages all --resolution 25 "$E2E_ROOT/all.tif"
  [ "$(tiff_pages "$E2E_ROOT/all.tif")" = 10 ] || fail "every page: $(tiff_pages "$E2E_ROOT/all.tif")"
  # More than it holds: what it holds, and a word about the rest.
  scan_ok --source adf --pages 12 --resolution 25 "$E2E_ROOT/twelve.tif"
  [ "$(tiff_pages "$E2E_ROOT/twelve.tif")" = 10 ] || fail "twelve asked: $(tiff_pages "$E2E_ROOT/twelve.tif")"
  grep -q "10 of the 12 pages" "$E2E_ROOT/err" || fail "twelve asked says: $(cat "$E2E_ROOT/err")"
  # The flatbed holds one sheet.
  scan_ok --source flatbed --pages all --resolution 25 "$E2E_ROOT/bed.tif"
  [ "$(tiff_pages "$E2E_ROOT/bed.tif")" = 1 ] || fail "the flatbed: $(tiff_pages "$E2E_ROOT/bed.tif")"
  ;;

missing-device)
  scan_fails 1 'The scanner "test:7" is not there.' "$E2E_ROOT/none.brf" --device test:7
  scan_fails 1 'The scanner "nonsense" is not there.' "$E2E_ROOT/none.tif" --device nonsense
  # No scanner at all.
  : >"$SANE_CONFIG_DIR/dll.conf"
  scan_fails 1 'No scanner was found.' "$E2E_ROOT/none.tif"
  ;;

scan-fails)
  # The device gives up halfway through the page, or refuses what is asked.
  sane_config 'read-status-code "SANE_STATUS_IO_ERROR"'
  scan_fails 1 'The scanner stopped in the middle of a page: Error during device I/O' "$E2E_ROOT/io.brf"
  sane_config
  scan_fails 1 'has no source "Slide"' "$E2E_ROOT/slide.tif" --source Slide
  scan_fails 1 'cannot scan at 5000 dots per inch; it takes 1 to 1200 dots per inch' "$E2E_ROOT/fine.tif" --resolution 5000
  # A file that cannot be written: the scan happens, nothing is left behind.
  scan_fails 1 'could not be saved' "$E2E_ROOT/no-such-folder/page.tif"
  scan_fails 1 'could not be saved' "$E2E_ROOT/page.gif"
  ;;

interrupt)
  # Ctrl+C in the middle of a slow page: cancelled, said, nothing written.
  sane_config 'read-limit true' 'read-limit-size 100' 'read-delay true' 'read-delay-duration 200000'
  "$BRELLIN" --scan --resolution 300 "$E2E_ROOT/stopped.tif" >"$E2E_ROOT/out" 2>"$E2E_ROOT/err" &
  pid=$!
  PIDS+=($pid)
  # The scan is under way once the program catches Ctrl+C.
  catches_int() { (( 0x$(awk '/^SigCgt/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0) & 2 )); }
  wait_for 20 catches_int || fail "the scan did not start: $(cat "$E2E_ROOT/err")"
  kill -INT "$pid"
  set +e; wait "$pid"; RC=$?; set -e
  [ "$RC" -eq 1 ] && grep -q "The scan was cancelled." "$E2E_ROOT/err" || fail "Ctrl+C: $RC $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/stopped.tif" ] || fail "a cancelled scan wrote its file"
  ;;

progress-on-terminal)
  command -v script >/dev/null || { echo "SKIP: script (bsdutils) is not installed"; exit 77; }
  script -qfec "'$BRELLIN' --scan --resolution 50 --pages 2 --source adf '$E2E_ROOT/two.tif'" /dev/null \
    >"$E2E_ROOT/terminal" 2>&1 || fail "on a terminal: $(cat "$E2E_ROOT/terminal")"
  grep -q "Scanning page 2: 100%" "$E2E_ROOT/terminal" || fail "no progress: $(cat -v "$E2E_ROOT/terminal")"
  [ "$(tiff_pages "$E2E_ROOT/two.tif")" = 2 ] || fail "two pages"
  ;;

bad-arguments)
  for args in "" "--mode purple $E2E_ROOT/x.tif" "--resolution 0 $E2E_ROOT/x.tif" \
              "--resolution many $E2E_ROOT/x.tif" "--pages 0 $E2E_ROOT/x.tif" "--pages some $E2E_ROOT/x.tif" \
              "$E2E_ROOT/x.tif $E2E_ROOT/y.tif" "--colour red $E2E_ROOT/x.tif" "$E2E_ROOT/x.tif --device"; do
    # shellcheck disable=SC2086
    run --scan $args
    [ "$RC" -eq 2 ] && grep -q "Usage: brellin --scan" "$E2E_ROOT/err" || fail "--scan $args: $RC $(cat "$E2E_ROOT/err")"
  done
  [ ! -e "$E2E_ROOT/x.tif" ] || fail "a refused command line wrote a file"
  ;;

*) fail "unknown case $case_name" ;;
esac
