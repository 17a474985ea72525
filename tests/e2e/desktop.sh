#!/usr/bin/env bash
# The program on the desktop: the installed tree (desktop entry, AppStream data, file types, icons,
# thumbnailer entry, manual page), the installed program finding its data, the --thumbnail
# previews, the manual page against --help, and the Debian package.
# Usage: desktop.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER BUILD-FOLDER CMAKE CPACK
case_name="$1"; shift
SAMPLES="$2" BUILD="$3" CMAKE="$4" CPACK="$5"
SOURCE="$(cd "$(dirname "$0")/../.." && pwd)"
source "$(dirname "$0")/lib.sh" "$1"
unset DISPLAY QT_QPA_PLATFORM
export BRELLIN_SCREEN_DPI=96
APP_ID=org.quillmere.Brellin
TYPES="application/x-brellin-document application/x-brellin-template application/x-brellin-draft application/x-brellin-exchange"
SIZES="16 22 24 32 48 64 128 256"

install_to() {
  "$CMAKE" --install "$BUILD" --prefix "$1" >"$E2E_ROOT/install.log" 2>&1 \
    || fail "cmake --install: $(tail -5 "$E2E_ROOT/install.log")"
}

# rmse A B: the normalised root-mean-square difference of two pictures of one size.
rmse() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'; }
# below LIMIT VALUE: whether VALUE < LIMIT.
below() { awk -v l="$1" -v v="$2" 'BEGIN { exit !(v < l) }'; }

# A fax document of three 1700 x 2200 pages at 200 dpi, each with a box of its own height.
make_fax() {
  for i in 1 2 3; do
    convert -size 1700x2200 -density 200 xc:white -font DejaVu-Sans -pointsize 11 -fill black \
      -annotate +100+150 "Page $i of a faxed contract, signed and dated" \
      -draw "rectangle 100,300 1500,$((400 + 500 * i))" -monochrome "$E2E_ROOT/p$i.png"
  done
  convert "$E2E_ROOT"/p[123].png -units PixelsPerInch -density 200 -compress Group4 "$E2E_ROOT/fax.tif"
  run --save-as "$E2E_ROOT/fax.brf" "$E2E_ROOT/fax.tif"
  [ $RC -eq 0 ] || fail "save-as: $(cat "$E2E_ROOT/err")"
}

case "$case_name" in
install-tree)
  P="$E2E_ROOT/prefix"
  install_to "$P"
  S="$P/share"
  for f in bin/brellin share/brellin/Brellin.eng share/brellin/tips.txt share/brellin/Templates/Photo.brf \
           share/brellin/help/1000.htm share/applications/$APP_ID.desktop share/metainfo/$APP_ID.metainfo.xml \
           share/mime/packages/$APP_ID.xml share/thumbnailers/$APP_ID.thumbnailer share/man/man1/brellin.1 \
           share/icons/hicolor/scalable/apps/$APP_ID.svg; do
    [ -f "$P/$f" ] || fail "missing $f"
  done
  for t in $TYPES; do
    icon="${t/\//-}"
    [ -f "$S/icons/hicolor/scalable/mimetypes/$icon.svg" ] || fail "no SVG icon for $t"
    for n in $SIZES; do
      for png in "$S/icons/hicolor/${n}x$n/mimetypes/$icon.png" "$S/icons/hicolor/${n}x$n/apps/$APP_ID.png"; do
        [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${n}x$n" ] || fail "$png is not ${n}x$n"
      done
    done
  done
  desktop-file-validate "$S/applications/$APP_ID.desktop" || fail "desktop-file-validate"
  appstreamcli validate --no-net "$S/metainfo/$APP_ID.metainfo.xml" >"$E2E_ROOT/as.log" 2>&1 \
    || fail "appstreamcli: $(cat "$E2E_ROOT/as.log")"
  grep -q "<release version=\"$("$BRELLIN" --version | sed 's/^Brellin //').*\"" "$S/metainfo/$APP_ID.metainfo.xml" \
    || grep -q '<release version="1\.0\.0\.0"' "$S/metainfo/$APP_ID.metainfo.xml" || fail "release version"
  if command -v xmllint >/dev/null; then
    xmllint --noout "$S/mime/packages/$APP_ID.xml" "$S/metainfo/$APP_ID.metainfo.xml" || fail "xmllint"
  fi
  # The desktop entry and the thumbnailer name the same four types and run the installed name.
  grep -qx 'Exec=brellin --thumbnail %i %o %s' "$S/thumbnailers/$APP_ID.thumbnailer" || fail "thumbnailer Exec"
  for t in $TYPES; do
    grep -q "^MimeType=.*$t;" "$S/thumbnailers/$APP_ID.thumbnailer" || fail "thumbnailer lacks $t"
    grep -q "^MimeType=.*$t;" "$S/applications/$APP_ID.desktop" || fail "desktop entry lacks $t"
    grep -q "<mediatype>$t</mediatype>" "$S/metainfo/$APP_ID.metainfo.xml" || fail "metainfo lacks $t"
  done
  ;;

mime-types)
  P="$E2E_ROOT/prefix"
  install_to "$P"
  command -v update-mime-database >/dev/null || { echo "SKIP: no update-mime-database"; exit 77; }
  command -v gio >/dev/null || { echo "SKIP: no gio to ask the database"; exit 77; }
  update-mime-database "$P/share/mime" || fail "update-mime-database"
  query() { XDG_DATA_DIRS="$P/share" XDG_DATA_HOME="$E2E_ROOT/none" XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$1"; }
  i=0
  for ext in brf tkd brd tkx; do
    cp "$SAMPLES/sample.brf" "$E2E_ROOT/file.$ext"
    set -- $TYPES; shift $i; i=$((i + 1))
    [ "$(query "$E2E_ROOT/file.$ext")" = "$1" ] || fail ".$ext is $(query "$E2E_ROOT/file.$ext"), not $1"
  done
  # Without an extension the "LMD" header tells a document from anything else.
  cp "$SAMPLES/sample.brf" "$E2E_ROOT/noname"
  [ "$(query "$E2E_ROOT/noname")" = application/x-brellin-document ] || fail "magic: $(query "$E2E_ROOT/noname")"
  printf 'LMX not one of ours' > "$E2E_ROOT/other"
  [ "$(query "$E2E_ROOT/other")" != application/x-brellin-document ] || fail "magic matched a stranger"
  ;;

installed-program)
  # Run from the prefix, the program takes its data from share/brellin there: nothing of the
  # build tree lies beside it.
  P="$E2E_ROOT/prefix"
  install_to "$P"
  BRELLIN="$P/bin/brellin"
  run --version
  [ $RC -eq 0 ] && grep -q '^Brellin ' "$E2E_ROOT/out" || fail "--version: $RC $(cat "$E2E_ROOT/err")"
  run --export "$E2E_ROOT/page.png" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "--export: $(cat "$E2E_ROOT/err")"
  run --thumbnail "$SAMPLES/sample.brf" "$E2E_ROOT/t.png" 64
  [ $RC -eq 0 ] || fail "--thumbnail: $(cat "$E2E_ROOT/err")"
  # Without its data it says so rather than running on.
  mv "$P/share/brellin" "$P/share/brellin.away"
  run --version
  [ $RC -eq 1 ] || fail "ran without its resource module: $RC"
  ;;

thumbnail-sample)
  # The first page (240 x 210) with its annotations, as the export draws it, made small.
  run --thumbnail "$SAMPLES/sample.brf" "$E2E_ROOT/t.png" 128
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(identify -format '%m %wx%h' "$E2E_ROOT/t.png")" = "PNG 128x112" ] || fail "$(identify "$E2E_ROOT/t.png")"
  # The export drawn in colour, as the preview is (a black and white page's own export draws
  # its text unsmoothed).
  run --export "$E2E_ROOT/page.png" --depth 24 "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "export: $(cat "$E2E_ROOT/err")"
  convert "$E2E_ROOT/page.png" -filter box -resize '128x112!' -type TrueColor "$E2E_ROOT/small.png"
  d="$(rmse "$E2E_ROOT/t.png" "$E2E_ROOT/small.png")"
  below 0.15 "$d" || fail "the thumbnail differs from the export by $d"
  # A page smaller than the size asked for keeps its own size, and is the export itself.
  run --thumbnail "$SAMPLES/sample.brf" "$E2E_ROOT/big.png" 1000
  [ "$(identify -format '%wx%h' "$E2E_ROOT/big.png")" = 240x210 ] || fail "upscaled"
  d="$(rmse "$E2E_ROOT/big.png" "$E2E_ROOT/page.png")"
  [ "$(compare -metric AE "$E2E_ROOT/big.png" "$E2E_ROOT/page.png" null: 2>&1)" = 0 ] \
    || fail "the full-size thumbnail is not the export"
  # Older formats and pictures too.
  for f in sample-v5.brf sample-v2.brf; do
    run --thumbnail "$SAMPLES/$f" "$E2E_ROOT/$f.png" 48
    [ $RC -eq 0 ] || fail "$f: $(cat "$E2E_ROOT/err")"
    w="$(identify -format '%w %h' "$E2E_ROOT/$f.png")"
    set -- $w; [ "$1" = 48 ] || [ "$2" = 48 ] || fail "$f: $w"
  done
  ;;

thumbnail-fax)
  # A black and white fax page keeps its text as grey when made small, and only the first page
  # is shown. The canvas is the image with the frame's margins round it.
  make_fax
  run --info "$E2E_ROOT/fax.brf"
  canvas="$(python3 -c 'import json,sys; print(*json.load(open(sys.argv[1]))["pages"][0]["canvas"])' "$E2E_ROOT/out")"
  set -- $canvas
  size="$(python3 -c "import sys; w,h=$1,$2; s=256/max(w,h); print(f'{round(w*s)}x{round(h*s)}')")"
  run --thumbnail "$E2E_ROOT/fax.brf" "$E2E_ROOT/t.png" 256
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  [ "$(identify -format '%wx%h' "$E2E_ROOT/t.png")" = "$size" ] || fail "$(identify "$E2E_ROOT/t.png"), not $size"
  levels="$(convert "$E2E_ROOT/t.png" -colorspace Gray -format %k info:)"
  [ "$levels" -gt 8 ] || fail "only $levels grey levels: picked, not averaged"
  for i in 0 2; do
    run --export "$E2E_ROOT/page$i.png" --depth 24 --page $i "$E2E_ROOT/fax.brf"
    [ $RC -eq 0 ] || fail "export page $i: $(cat "$E2E_ROOT/err")"
    convert "$E2E_ROOT/page$i.png" -filter box -resize "$size!" -type TrueColor "$E2E_ROOT/small$i.png"
  done
  first="$(rmse "$E2E_ROOT/t.png" "$E2E_ROOT/small0.png")"
  third="$(rmse "$E2E_ROOT/t.png" "$E2E_ROOT/small2.png")"
  below 0.05 "$first" || fail "differs from the first page by $first"
  below "$third" 0.1 || fail "as close to the third page ($third) as to the first ($first)"
  ;;

thumbnail-pictures)
  # A picture file is shown as it is: a JPEG photo decoded at a reduced scale, the first page of
  # a multi-page fax TIFF.
  convert -size 3000x2000 gradient:red-blue -fill white -draw "circle 1500,1000 1500,300" "$E2E_ROOT/photo.jpg"
  run --thumbnail "$E2E_ROOT/photo.jpg" "$E2E_ROOT/photo.png" 256
  [ $RC -eq 0 ] || fail "jpeg: $(cat "$E2E_ROOT/err")"
  [ "$(identify -format '%wx%h' "$E2E_ROOT/photo.png")" = 256x171 ] || fail "$(identify "$E2E_ROOT/photo.png")"
  convert "$E2E_ROOT/photo.jpg" -filter box -resize '256x171!' "$E2E_ROOT/photo-small.png"
  d="$(rmse "$E2E_ROOT/photo.png" "$E2E_ROOT/photo-small.png")"
  below 0.03 "$d" || fail "the JPEG preview differs by $d"
  make_fax
  run --thumbnail "$E2E_ROOT/fax.tif" "$E2E_ROOT/tif.png" 220
  [ $RC -eq 0 ] || fail "tiff: $(cat "$E2E_ROOT/err")"
  [ "$(identify -format '%wx%h' "$E2E_ROOT/tif.png")" = 170x220 ] || fail "$(identify "$E2E_ROOT/tif.png")"
  for i in 1 3; do
    convert "$E2E_ROOT/p$i.png" -filter box -resize '170x220!' -type TrueColor "$E2E_ROOT/tif$i.png"
  done
  first="$(rmse "$E2E_ROOT/tif.png" "$E2E_ROOT/tif1.png")"
  third="$(rmse "$E2E_ROOT/tif.png" "$E2E_ROOT/tif3.png")"
  below 0.05 "$first" && below "$third" 0.1 || fail "not the first page: $first, third $third"
  # A picture that cannot be read writes nothing.
  printf 'II*\0garbage' > "$E2E_ROOT/bad.tif"
  run --thumbnail "$E2E_ROOT/bad.tif" "$E2E_ROOT/bad.png" 64
  [ $RC -eq 1 ] && [ ! -e "$E2E_ROOT/bad.png" ] || fail "damaged TIFF: $RC"
  ;;

thumbnail-failures)
  # A damaged file writes nothing, and leaves a file already there as it was.
  head -c 200 "$SAMPLES/sample.brf" > "$E2E_ROOT/cut.brf"
  printf 'LMD\0' > "$E2E_ROOT/header-only.brf"
  printf 'not a document' > "$E2E_ROOT/text.brf"
  for f in cut.brf header-only.brf text.brf missing.brf; do
    run --thumbnail "$E2E_ROOT/$f" "$E2E_ROOT/out-$f.png" 128
    [ $RC -eq 1 ] || fail "$f: exit status $RC"
    [ -s "$E2E_ROOT/err" ] || fail "$f: no message"
    [ ! -e "$E2E_ROOT/out-$f.png" ] || fail "$f: wrote a thumbnail"
  done
  echo keep > "$E2E_ROOT/kept.png"
  run --thumbnail "$E2E_ROOT/cut.brf" "$E2E_ROOT/kept.png" 128
  [ "$(cat "$E2E_ROOT/kept.png")" = keep ] || fail "the old file was replaced"
  [ -z "$(ls "$E2E_ROOT" | grep -v -e '^home$' -e '^config$' -e '^data$' -e '^tmp$' -e '^runtime$' \
        -e '\.brf$' -e '^kept.png$' -e '^out$' -e '^err$')" ] || fail "left files: $(ls "$E2E_ROOT")"
  # Bad usage.
  for args in "" "$SAMPLES/sample.brf" "$SAMPLES/sample.brf $E2E_ROOT/x.png" \
              "$SAMPLES/sample.brf $E2E_ROOT/x.png 0" "$SAMPLES/sample.brf $E2E_ROOT/x.png big" \
              "$SAMPLES/sample.brf $E2E_ROOT/x.png 99999" "$SAMPLES/sample.brf $E2E_ROOT/x.png 64 more"; do
    # shellcheck disable=SC2086
    run --thumbnail $args
    [ $RC -eq 2 ] || fail "'$args': exit status $RC"
  done
  [ ! -e "$E2E_ROOT/x.png" ] || fail "bad usage wrote a file"
  # An unwritable target fails with a message.
  run --thumbnail "$SAMPLES/sample.brf" "$E2E_ROOT/no/such/folder/t.png" 64
  [ $RC -eq 1 ] && [ -s "$E2E_ROOT/err" ] || fail "unwritable target: $RC"
  ;;

man-matches-help)
  MAN="$SOURCE/resources/man/brellin.1"
  if command -v groff >/dev/null; then
    groff -man -ww -z -Tutf8 "$MAN" 2>"$E2E_ROOT/groff.log"
    [ ! -s "$E2E_ROOT/groff.log" ] || fail "groff: $(cat "$E2E_ROOT/groff.log")"
  fi
  run --help
  [ $RC -eq 0 ] || fail "--help: $RC"
  help_options="$(grep -o -- '--[a-z][a-z-]*' "$E2E_ROOT/out" | sort -u)"
  man_options="$(sed 's/\\-/-/g; s/\\f[BIRP]//g' "$MAN" | grep -o -- '--[a-z][a-z-]*' | sort -u)"
  missing="$(comm -23 <(echo "$help_options") <(echo "$man_options"))"
  [ -z "$missing" ] || fail "options of --help the manual page does not document: $missing"
  # The commands, both ways: those of the synopsis are those --help lists.
  help_commands="$( (echo help; sed -n 's/^ *\(Usage: \)\{0,1\}brellin --\([a-z-]*\).*/\2/p' "$E2E_ROOT/out") | sort -u)"
  man_commands="$(sed 's/\\-/-/g' "$MAN" | sed -n 's/^\.B brellin --\([a-z-]*\).*/\1/p' | sort -u)"
  undocumented="$(comm -23 <(echo "$help_commands") <(echo "$man_commands"))"
  [ -z "$undocumented" ] || fail "commands missing from the synopsis: $undocumented"
  stale="$(comm -13 <(echo "$help_commands") <(echo "$man_commands"))"
  [ -z "$stale" ] || fail "the manual page documents commands the program does not have: $stale"
  # Every variable the program reads is documented.
  for v in $(grep -rhoE '(qgetenv|qEnvironmentVariable[A-Za-z]*)\("[A-Z_]+"' "$SOURCE/src" | sed 's/.*("//; s/"//' | sort -u); do
    grep -q "^\.B.* $v\b\|^\.B $v\$\|$v" "$MAN" || fail "environment variable $v is not documented"
  done
  ;;

debian-package)
  command -v dpkg-shlibdeps >/dev/null && command -v dpkg-deb >/dev/null \
    || { echo "SKIP: dpkg-dev is not installed"; exit 77; }
  "$CPACK" --config "$BUILD/CPackConfig.cmake" -G DEB -B "$E2E_ROOT/pkg" >"$E2E_ROOT/cpack.log" 2>&1 \
    || fail "cpack: $(tail -5 "$E2E_ROOT/cpack.log")"
  deb="$(ls "$E2E_ROOT"/pkg/brellin_*.deb)"
  [ -f "$deb" ] || fail "no package"
  info="$(dpkg-deb -I "$deb")"
  grep -q '^ Package: brellin$' <<<"$info" || fail "name: $info"
  grep -q '^ Section: graphics$' <<<"$info" || fail "section"
  grep -q '^ Maintainer: .*@' <<<"$info" || fail "maintainer"
  grep -q "^ Version: 1\.0" <<<"$info" || fail "version"
  depends="$(sed -n 's/^ Depends: //p' <<<"$info")"
  for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libc6; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
  done
  root="$E2E_ROOT/root"
  dpkg -x "$deb" "$root"
  for f in usr/bin/brellin usr/share/brellin/Brellin.eng usr/share/applications/$APP_ID.desktop \
           usr/share/mime/packages/$APP_ID.xml usr/share/man/man1/brellin.1; do
    [ -f "$root/$f" ] || fail "the package lacks /$f"
  done
  BRELLIN="$root/usr/bin/brellin"
  run --version
  [ $RC -eq 0 ] || fail "the packaged program: $RC $(cat "$E2E_ROOT/err")"
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "PASS: $case_name"
