#!/bin/bash
# Pages leaving the program under a private X server: mailing the current page and all pages
# (a stand-in xdg-email records what it is given), the web page set of Save as HTML (a stand-in
# xdg-open keeps the browser away), the refusal of an export to a format that is not written, and
# the size estimate of the drawing bar's image format panel.
# Usage: output.sh CASE BRELLIN
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
source "$(dirname "$0")/window-lib.sh"

# Stand-ins first on the PATH: each writes its arguments, one a line, to its own file.
mkdir -p "$E2E_ROOT/bin"
for tool in xdg-email xdg-open; do
  cat >"$E2E_ROOT/bin/$tool" <<SH
#!/bin/sh
for a in "\$@"; do printf '%s\n' "\$a"; done > "$E2E_ROOT/$tool.args.tmp"
mv "$E2E_ROOT/$tool.args.tmp" "$E2E_ROOT/$tool.args"
SH
  chmod +x "$E2E_ROOT/bin/$tool"
done
export PATH="$E2E_ROOT/bin:$PATH"

# document NAME PAGES...: a document of the given page images, saved as NAME.brf.
document() {
  local name="$1"; shift
  if [ $# -gt 1 ]; then convert "$@" "$E2E_ROOT/pages.tif"; set -- "$E2E_ROOT/pages.tif"; fi
  "$BRELLIN" --save-as "$E2E_ROOT/$name.brf" "$1" >/dev/null 2>&1 || fail "no document $name"
}
page_image() { convert -size "$1" xc:white -fill gray50 -draw 'rectangle 10,10 40,30' "$2"; }

# magic FILE HEX: the file begins with these bytes.
magic() { [ "$(head -c $(( ${#2} / 2 )) "$1" | od -An -tx1 | tr -d ' \n')" = "$2" ]; }

# The format panel's page starts its own X server.
[ "$case_name" = format-panel ] || { start_x; quiet_settings; }
case "$case_name" in
mail-current-page)
  page_image 200x150 "$E2E_ROOT/a.png"
  document "My Form" "$E2E_ROOT/a.png"
  start "$E2E_ROOT/My Form.brf"
  menu alt+f b m
  dialog "Send by Mail"
  key Return                        # one page: the current page, PNG by default
  wait_for 10 test -s "$E2E_ROOT/xdg-email.args" || fail "xdg-email was not run"
  want="$(printf -- '--attach\n%s\n' "$TMPDIR/brf_tmp/My_Form.png")"
  [ "$(cat "$E2E_ROOT/xdg-email.args")" = "$want" ] || fail "xdg-email got: $(cat "$E2E_ROOT/xdg-email.args")"
  magic "$TMPDIR/brf_tmp/My_Form.png" 89504e47 || fail "the attachment is no PNG"
  "$BRELLIN" --info "$TMPDIR/brf_tmp/My_Form.png" | python3 -c 'import json,sys; i=json.load(sys.stdin)["pages"][0]["image"]; sys.exit(0 if i["bitsPerPixel"] == 24 else 1)' ||
    fail "the attachment is not the 24-bit page"
  no_dialog "no message after sending"
  finish
  ;;

mail-all-pages-jpeg)
  page_image 200x150 "$E2E_ROOT/a.png"; page_image 220x150 "$E2E_ROOT/b.png"; page_image 240x150 "$E2E_ROOT/c.png"
  document "My Form" "$E2E_ROOT/a.png" "$E2E_ROOT/b.png" "$E2E_ROOT/c.png"
  start "$E2E_ROOT/My Form.brf"
  menu alt+f b m
  dialog "Send by Mail"
  key alt+a; sleep 0.1; key alt+j; sleep 0.1; key Return
  wait_for 10 test -s "$E2E_ROOT/xdg-email.args" || fail "xdg-email was not run"
  # The pages have no names: each is named by its number, so that none replaces another.
  want="$(for n in 1 2 3; do printf -- '--attach\n%s\n' "$TMPDIR/brf_tmp/My_Form_$n.jpg"; done)"
  [ "$(cat "$E2E_ROOT/xdg-email.args")" = "$want" ] || fail "xdg-email got: $(cat "$E2E_ROOT/xdg-email.args")"
  for n in 1 2 3; do magic "$TMPDIR/brf_tmp/My_Form_$n.jpg" ffd8ff || fail "page $n is no JPEG"; done
  grep -q '^SendMailFormatAnn=1' "$SETTINGS_FILE" || fail "the format choice was not kept"
  finish
  ;;

mail-odd-name-fails)
  # Quotes, a dollar and letters beyond Latin reach the mail program as they are; its failure
  # is said.
  page_image 200x150 "$E2E_ROOT/a.png"
  name="Fähre \"A\" 'b' \$x"
  document "$name" "$E2E_ROOT/a.png"
  printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done > "%s"\nexit 4\n' "$E2E_ROOT/xdg-email.args" > "$E2E_ROOT/bin/xdg-email"
  start "$E2E_ROOT/$name.brf"
  menu alt+f b m
  dialog "Send by Mail"
  key Return
  expect_state "'exit code 4' in s.get('modal', {}).get('text', '')" "the failure of the mail program said"
  want="$(printf -- '--attach\n%s\n' "$TMPDIR/brf_tmp/Fähre_\"A\"_'b'_\$x.png")"
  [ "$(cat "$E2E_ROOT/xdg-email.args")" = "$want" ] || fail "xdg-email got: $(cat "$E2E_ROOT/xdg-email.args")"
  test -s "$TMPDIR/brf_tmp/Fähre_\"A\"_'b'_\$x.png" || fail "no attachment of that name"
  focus_modal; key Return
  no_dialog "the message closed"
  finish
  ;;

mail-no-program)
  page_image 200x150 "$E2E_ROOT/a.png"
  document "Form" "$E2E_ROOT/a.png"
  # The program sees a PATH without any mail program.
  mkdir -p "$E2E_ROOT/nomail"
  printf '#!/bin/sh\nPATH="%s" exec "%s" "$@"\n' "$E2E_ROOT/nomail" "$BRELLIN" > "$E2E_ROOT/brellin-nomail"
  chmod +x "$E2E_ROOT/brellin-nomail"
  BRELLIN="$E2E_ROOT/brellin-nomail" start "$E2E_ROOT/Form.brf"
  menu alt+f b m
  dialog "Send by Mail"
  key Return
  expect_state "'xdg-email' in s.get('modal', {}).get('text', '')" "the missing mail program said"
  focus_modal; key Return
  no_dialog "the message closed"
  finish
  ;;

html-two-pages)
  mkdir -p "$E2E_ROOT/images"
  printf '[Settings]\nImagesPath=%s\n' "$E2E_ROOT/images" >> "$SETTINGS_FILE"
  page_image 200x150 "$E2E_ROOT/a.png"; page_image 300x120 "$E2E_ROOT/b.png"
  document "Two" "$E2E_ROOT/a.png" "$E2E_ROOT/b.png"
  start "$E2E_ROOT/Two.brf"
  menu alt+f w h
  wait_for 10 test -s "$E2E_ROOT/xdg-open.args" || fail "the web page was not opened"
  grep -q "$E2E_ROOT/images/temp.html" "$E2E_ROOT/xdg-open.args" || fail "opened: $(cat "$E2E_ROOT/xdg-open.args")"
  printf '<html><title></title><body><img src="temp0.jpg"><p></p> <img src="temp1.jpg"><p></p> </body></html>' > "$E2E_ROOT/want.html"
  cmp "$E2E_ROOT/images/temp.html" "$E2E_ROOT/want.html" || fail "temp.html: $(cat "$E2E_ROOT/images/temp.html")"
  # Each picture is the whole page: its canvas, image and frame.
  for n in 0 1; do
    magic "$E2E_ROOT/images/temp$n.jpg" ffd8ff || fail "temp$n.jpg is no JPEG"
    canvas="$("$BRELLIN" --info "$E2E_ROOT/Two.brf" | python3 -c "import json,sys; print(*json.load(sys.stdin)['pages'][$n]['canvas'])")"
    size="$("$BRELLIN" --info "$E2E_ROOT/images/temp$n.jpg" | python3 -c 'import json,sys; i=json.load(sys.stdin)["pages"][0]["image"]; print(i["width"], i["height"])')"
    [ "$canvas" = "$size" ] || fail "temp$n.jpg is $size, the page $canvas"
  done
  finish
  ;;

export-gif)
  page_image 200x150 "$E2E_ROOT/a.png"
  document "Form" "$E2E_ROOT/a.png"
  start "$E2E_ROOT/Form.brf"
  menu alt+f w e
  dialog "Export Pages"
  xdotool type --delay 5 "$E2E_ROOT/out.gif"; sleep 0.2; key Return
  expect_state "'cannot be exported' in s.get('modal', {}).get('text', '')" "the unsupported export said"
  focus_modal; key Return
  no_dialog "the message closed"
  [ -z "$(ls -a "$E2E_ROOT" | grep -i 'out\.')" ] || fail "something was written: $(ls -a "$E2E_ROOT")"
  # The same document exported as PNG: one file, under the name chosen.
  xdotool windowfocus --sync "$WINDOW"; sleep 0.2
  menu alt+f w e
  dialog "Export Pages"
  xdotool type --delay 5 "$E2E_ROOT/out.png"; sleep 0.2; key Return
  dialog "Colour Depth"
  key Return
  wait_for 10 test -s "$E2E_ROOT/out.png" || fail "out.png was not written"
  magic "$E2E_ROOT/out.png" 89504e47 || fail "out.png is no PNG"
  finish
  ;;

pdf-from-window)
  # File > With Annotations > Save as PDF proposes the document's own name; the PDF has the
  # page at its size (the image in its frame), its black and white image as a fax image, and progress ends without a word.
  convert -size 300x200 xc:white -fill black -draw 'rectangle 20,20 120,80' -monochrome \
          -units PixelsPerInch -density 100 "$E2E_ROOT/bw.png"
  document "Contract" "$E2E_ROOT/bw.png"
  start "$E2E_ROOT/Contract.brf"
  menu alt+f w p
  dialog "Save as PDF"
  key ctrl+a
  xdotool type --delay 5 "$E2E_ROOT/out dir.pdf"
  key Return
  no_dialog "the dialog closed"
  wait_for 10 test -s "$E2E_ROOT/out dir.pdf" || fail "no PDF: $(ls "$E2E_ROOT")"
  pdfinfo "$E2E_ROOT/out dir.pdf" | grep -q 'Page size: *302.4 x 230.4 pts' || fail "page size: $(pdfinfo "$E2E_ROOT/out dir.pdf")"
  pdfimages -list "$E2E_ROOT/out dir.pdf" | grep -q ' ccitt ' || fail "not a fax image: $(pdfimages -list "$E2E_ROOT/out dir.pdf")"
  finish
  ;;

format-panel)
  DOC="$E2E_ROOT/page.brf"
  open_page
  scratch="$TMPDIR/brf_temp/size01234567890123456789"
  key alt+t; key d
  expect_state 's["mode"] == 20 and s["formatPanel"]["shown"] and s["formatPanel"]["kind"] == 2' "the format panel"
  expect_state 's["formatPanel"]["format"] == 4 and s["formatPanel"]["size"] != ""' "a PNG size"
  bytes=$(stat -c %s "$scratch.png")
  want=$(python3 -c "print('%.1f KB' % ($bytes / 1024))")
  expect_state "s['formatPanel']['size'] == '$want'" "the size of the scratch file ($want)"
  state 'not s["formatPanel"]["quality"] and not s["formatPanel"]["compression"]' || fail "PNG shows no quality or compression"
  # Cut mode without a cut rectangle: no size; with one, the size of the cut-out's file.
  key alt+t; key c
  expect_state 's["mode"] == 22 and s["formatPanel"]["size"] == ""' "no size without a cut rectangle"
  drag 50 50 150 120
  expect_state 's["formatPanel"]["size"] != ""' "the size of the cut-out"
  bytes=$(stat -c %s "$scratch.png")
  want=$(python3 -c "print('%.1f KB' % ($bytes / 1024))")
  expect_state "s['formatPanel']['size'] == '$want'" "the cut-out's size ($want)"
  "$BRELLIN" --info "$scratch.png" | python3 -c 'import json,sys; i=json.load(sys.stdin)["pages"][0]["image"]; sys.exit(0 if (i["width"], i["height"]) == (101, 71) else 1)' ||
    fail "the scratch file is not the cut-out"
  finish
  ;;

*) fail "unknown case $case_name" ;;
esac
echo "ok: $case_name"
