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
  # Each page at the least depth that holds it, with the compression that suits that depth.
  run --export "$E2E_ROOT/doc.tif" --all-pages "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  run --info "$E2E_ROOT/doc.tif"
  [ $RC -eq 0 ] || fail "--info of the TIFF: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
pages = json.load(open(sys.argv[1]))["pages"]
assert len(pages) == 3, len(pages)
# Black text on the two fax pages keeps them black and white; the photo page keeps its colours.
assert [p["image"]["bitsPerPixel"] for p in pages] == [1, 1, 24], pages
PY
  schemes="$(tiffinfo "$E2E_ROOT/doc.tif" 2>/dev/null | grep 'Compression Scheme' | tr -s ' ' | tr '\n' ';')"
  [ "$schemes" = " Compression Scheme: CCITT Group 4; Compression Scheme: CCITT Group 4; Compression Scheme: AdobeDeflate;" ] \
    || fail "compression: $schemes"
  run --export "$E2E_ROOT/deep.tif" --all-pages --depth 24 --compression lzw "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "--depth 24: exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(tiffinfo "$E2E_ROOT/deep.tif" 2>/dev/null | grep -c 'Compression Scheme: LZW')" = 3 ] \
    || fail "--compression lzw"
  [ "$(tiffinfo "$E2E_ROOT/deep.tif" 2>/dev/null | grep -c 'Samples/Pixel: 3')" = 3 ] \
    || fail "--depth 24"
  ;;

fax-document)
  # A fax document exported to TIFF stays a fax: 1-bit Group 4 pages, about the source's size.
  for i in 1 2 3; do
    convert -size 1700x2200 -density 200 xc:white -font DejaVu-Sans -pointsize 11 -fill black \
      -annotate +100+150 "Page $i of a faxed contract, signed and dated" \
      -draw "rectangle 100,300 1500,$((400 + 300 * i))" -monochrome "$E2E_ROOT/p$i.png"
  done
  convert "$E2E_ROOT"/p[123].png -units PixelsPerInch -density 200 -compress Group4 "$E2E_ROOT/fax.tif"
  run --save-as "$E2E_ROOT/fax.brf" "$E2E_ROOT/fax.tif"
  [ $RC -eq 0 ] || fail "save-as: $(cat "$E2E_ROOT/err")"
  run --export "$E2E_ROOT/out.tif" --all-pages "$E2E_ROOT/fax.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  info="$(tiffinfo "$E2E_ROOT/out.tif" 2>/dev/null)"
  [ "$(grep -c 'Compression Scheme: CCITT Group 4' <<<"$info")" = 3 ] || fail "not Group 4: $info"
  [ "$(grep -c 'Bits/Sample: 1' <<<"$info")" = 3 ] || fail "not 1-bit: $info"
  src=$(stat -c %s "$E2E_ROOT/fax.tif"); out=$(stat -c %s "$E2E_ROOT/out.tif")
  # The export adds the white frame around each page, which costs Group 4 almost nothing.
  [ $((out * 2)) -le $((src * 3)) ] || fail "exported $out bytes from a $src-byte fax"
  ;;

options)
  run --export "$E2E_ROOT/g.tif" --compression g4 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "g4 of a colour page: $(cat "$E2E_ROOT/err")"
  tiffinfo "$E2E_ROOT/g.tif" 2>/dev/null | grep -q "Bits/Sample: 1" || fail "g4 page not 1-bit"
  run --export "$E2E_ROOT/q.jpg" --quality 40 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "--quality: $(cat "$E2E_ROOT/err")"
  [ "$(head -c 2 "$E2E_ROOT/q.jpg" | od -An -tx1 | tr -d ' ')" = "ffd8" ] || fail "not a JPEG"
  run --export "$E2E_ROOT/p.png" --depth 1 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "--depth 1: $(cat "$E2E_ROOT/err")"
  python3 -c "import sys; b=open(sys.argv[1],'rb').read(26); assert b[24]==1 and b[25]==0, b[24:26]" \
    "$E2E_ROOT/p.png" || fail "--depth 1 PNG is not 1-bit grey"
  cd "$E2E_ROOT"
  for bad in "--compression g4 --depth 24 x.tif" "--compression zip x.tif" "--compression lzw x.png" \
             "--quality 0 x.jpg" "--quality 50 x.png" "--depth 4 x.png" "--colour x.png"; do
    # shellcheck disable=SC2086
    run --export $bad "$SAMPLES/sample.brf"
    [ $RC -eq 2 ] || fail "$bad: exit status $RC"
  done
  [ -z "$(ls "$E2E_ROOT" | grep '^x\.')" ] || fail "a refused export wrote a file"
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

pdf)
  # One PDF page per page at the canvas's physical size; black and white images stay CCITT,
  # palette and grey lossless, colour JPEG; the texts are text; each page looks as exported.
  run --export "$E2E_ROOT/doc.pdf" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  pdfinfo -f 1 -l 3 "$E2E_ROOT/doc.pdf" >"$E2E_ROOT/pdfinfo" || fail "pdfinfo: $(head -c 500 "$E2E_ROOT/doc.pdf" | tr -d '\0')"
  sizes="$(grep '^Page.*size' "$E2E_ROOT/pdfinfo" | awk '{print $4 "x" $6}' | tr '\n' ' ')"
  # 240 x 210 at 100 dpi, 160 x 100 at 150 dpi, 320 x 230 at 200 dpi, in points.
  [ "$sizes" = "172.8x151.2 76.8x48 115.2x82.8 " ] || fail "page sizes: $sizes"
  pdfimages -list "$E2E_ROOT/doc.pdf" | awk 'NR > 2 {print $1, $4, $5, $8, $9}' >"$E2E_ROOT/images"
  [ "$(cat "$E2E_ROOT/images" | tr '\n' ';')" = "1 120 90 1 ccitt;2 160 100 8 image;3 200 110 8 jpeg;3 48 32 8 image;" ] ||
    [ "$(head -n 3 "$E2E_ROOT/images" | tr '\n' ';')" = "1 120 90 1 ccitt;2 160 100 8 image;3 200 110 8 jpeg;" ] ||
    fail "images: $(cat "$E2E_ROOT/images")"
  pdftotext "$E2E_ROOT/doc.pdf" "$E2E_ROOT/doc.txt"
  # (the third page's text lies beyond its canvas)
  for word in Name: Date:; do grep -q "$word" "$E2E_ROOT/doc.txt" || fail "no text $word: $(cat "$E2E_ROOT/doc.txt")"; done
  # The rendering of each page against the picture export of the same page: the same pixels, up
  # to a pixel's shift where the renderer samples the image or smooths an edge differently.
  for page in 0 1 2; do
    dpi=$(sed -n "$((page + 1))p" <<<"100
150
200")
    run --export "$E2E_ROOT/p$page.png" --page $page --depth 24 "$SAMPLES/sample.brf"
    [ $RC -eq 0 ] || fail "png of page $page: $(cat "$E2E_ROOT/err")"
    pdftoppm -r "$dpi" -f $((page + 1)) -l $((page + 1)) -png -singlefile "$E2E_ROOT/doc.pdf" "$E2E_ROOT/r$page"
    convert "$E2E_ROOT/p$page.png" -colorspace gray -depth 8 "$E2E_ROOT/p$page.pgm"
    convert "$E2E_ROOT/r$page.png" -colorspace gray -depth 8 "$E2E_ROOT/r$page.pgm"
    python3 - "$E2E_ROOT/p$page.pgm" "$E2E_ROOT/r$page.pgm" <<'PY' || fail "page $page looks otherwise in the PDF"
import sys
def pgm(path):
    b = open(path, "rb").read()
    parts, pos = [], 0
    while len(parts) < 4:
        while b[pos:pos + 1].isspace(): pos += 1
        end = pos
        while not b[end:end + 1].isspace(): end += 1
        parts.append(b[pos:end]); pos = end
    w, h = int(parts[1]), int(parts[2])
    return w, h, b[pos + 1:]
w, h, a = pgm(sys.argv[1])
w2, h2, r = pgm(sys.argv[2])
assert (w, h) == (w2, h2), ((w, h), (w2, h2))
bad = 0
for y in range(h):
    for x in range(w):
        v = a[y * w + x]
        if all(abs(v - r[yy * w + xx]) > 96
               for yy in range(max(0, y - 1), min(h, y + 2)) for xx in range(max(0, x - 1), min(w, x + 2))):
            bad += 1
print(f"page {sys.argv[1]}: {bad} of {w * h} pixels unlike their neighbourhood")
sys.exit(0 if bad <= w * h // 200 else 1)
PY
  done
  # Names in other scripts and with quotes are written as given.
  run --export "$E2E_ROOT/Договор \"é\" it's.pdf" --page 1 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] && [ "$(pdfinfo "$E2E_ROOT/Договор \"é\" it's.pdf" | awk '/^Pages:/ {print $2}')" = 1 ] ||
    fail "a non-Latin name: $RC $(cat "$E2E_ROOT/err")"
  # Bad input leaves nothing under the target name.
  run --export "$E2E_ROOT/none.pdf" "$E2E_ROOT/missing.brf"
  [ $RC -eq 1 ] && [ ! -e "$E2E_ROOT/none.pdf" ] || fail "a failed PDF export"
  mkdir "$E2E_ROOT/locked" && chmod 500 "$E2E_ROOT/locked"
  if [ "$(id -u)" -ne 0 ]; then
    run --export "$E2E_ROOT/locked/doc.pdf" "$SAMPLES/sample.brf"
    [ $RC -eq 1 ] && [ -s "$E2E_ROOT/err" ] || fail "a read-only folder: $RC"
  fi
  ;;

drawings)
  # A page as SVG and as EMF: drawings of the canvas's size, one file a page for all pages.
  run --export "$E2E_ROOT/page.svg" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "svg: exit status $RC: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/page.svg" <<'PY'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.get("viewBox") == "0 0 240 210", root.attrib
assert "Name:" in open(sys.argv[1]).read()
PY
  [ $? -eq 0 ] || fail "the SVG"
  run --export "$E2E_ROOT/doc.emf" --all-pages "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "emf: exit status $RC: $(cat "$E2E_ROOT/err")"
  for name in Front Back Photo_page; do
    [ "$(head -c 4 "$E2E_ROOT/doc_$name.emf" | od -An -tx1 | tr -d ' ')" = "01000000" ] || fail "doc_$name.emf"
  done
  run --export "$E2E_ROOT/x.svg" --depth 8 "$SAMPLES/sample.brf"
  [ $RC -eq 2 ] || fail "--depth with svg: exit status $RC"
  ;;

*) fail "unknown case $case_name" ;;
esac
