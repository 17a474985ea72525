#!/usr/bin/env bash
# The raster export from the command line: --export writes a page with its annotations, or every
# page (one multi-page TIFF, or one file per page named with the page-name suffix); exit status
# 0, 1 or 2, messages on stderr, no display needed.
# Usage: export.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER
case_name="$1"; shift
SAMPLES="$2"
source "$(dirname "$0")/lib.sh" "$1"
unset DISPLAY QT_QPA_PLATFORM
export BRELLIN_SCREEN_DPI=96

# png_size FILE: "WIDTH HEIGHT" from the PNG header.
png_size() {
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], "rb").read(24)
assert b[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
print(*struct.unpack(">II", b[16:24]))
PY
}

case "$case_name" in
first-page)
  # The first page's canvas is 240 x 210; its annotations make it more than white and black.
  run --export "$E2E_ROOT/page.png" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(png_size "$E2E_ROOT/page.png")" = "240 210" ] || fail "size $(png_size "$E2E_ROOT/page.png")"
  run --export "$E2E_ROOT/back.bmp" --page 1 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "--page 1: exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(head -c 2 "$E2E_ROOT/back.bmp")" = "BM" ] || fail "not a bitmap"
  ;;

all-pages-png)
  run --export "$E2E_ROOT/doc.png" --all-pages "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(png_size "$E2E_ROOT/doc_Front.png")" = "240 210" ] || fail "Front"
  [ "$(png_size "$E2E_ROOT/doc_Back.png")" = "160 100" ] || fail "Back"
  [ "$(png_size "$E2E_ROOT/doc_Photo_page.png")" = "320 230" ] || fail "Photo page"
  [ ! -e "$E2E_ROOT/doc.png" ] || fail "the unsuffixed file was written"
  ;;

all-pages-tif)
  run --export "$E2E_ROOT/doc.tif" --all-pages "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  run --info "$E2E_ROOT/doc.tif"
  [ $RC -eq 0 ] || fail "--info of the TIFF: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
pages = json.load(open(sys.argv[1]))["pages"]
assert len(pages) == 3, len(pages)
assert all(p["image"]["bitsPerPixel"] == 24 for p in pages), pages
PY
  ;;

failures)
  run --export "$E2E_ROOT/x.png"
  [ $RC -eq 2 ] || fail "missing input: exit status $RC"
  run --export "$E2E_ROOT/x.png" --page -1 "$SAMPLES/sample.brf"
  [ $RC -eq 2 ] || fail "negative page: exit status $RC"
  run --export "$E2E_ROOT/x.png" --page 9 "$SAMPLES/sample.brf"
  [ $RC -eq 1 ] || fail "page beyond the document: exit status $RC"
  [ -s "$E2E_ROOT/err" ] || fail "no message"
  run --export "$E2E_ROOT/x.png" "$E2E_ROOT/missing.brf"
  [ $RC -eq 1 ] || fail "missing file: exit status $RC"
  [ ! -e "$E2E_ROOT/x.png" ] || fail "a failed export wrote a file"
  ;;

*) fail "unknown case $case_name" ;;
esac
