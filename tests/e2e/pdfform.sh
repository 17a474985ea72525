#!/usr/bin/env bash
# A PDF form filled in the real window under a private X server: File Open on a PDF file with a
# form (the resolution asked, the choice list it cannot fill named), form mode, Tab through the
# fields and type, Save Filled PDF; the filled file's fields read back with libqpdf, and the
# flattened export of the saved document drawn by pdftoppm against the document's own picture.
# Usage: pdfform.sh CASE PATH-TO-BRELLIN PATH-TO-FORM-TOOL
case_name="$1"; shift
source "$(dirname "$0")/lib.sh" "$1"
FORM_TOOL="$2"
export BRELLIN_SCREEN_DPI=96
source "$(dirname "$0")/window-lib.sh"
command -v pdftoppm >/dev/null || { echo "SKIP: pdftoppm is not installed"; exit 77; }
command -v compare >/dev/null || { echo "SKIP: ImageMagick is not installed"; exit 77; }

# answer_modal TITLE-PATTERN KEYS...: waits for the modal window, gives it the keyboard, presses.
answer_modal() {
  local pattern="$1"; shift
  expect_state "'modal' in s and __import__('re').search(r'''$pattern''', s['modal']['title'] + ' ' + s['modal']['text'])" "a window matching $pattern"
  focus_modal
  local k
  for k in "$@"; do
    if [ "${k#type:}" != "$k" ]; then xdotool type --delay 20 "${k#type:}"; else key "$k"; fi
    sleep 0.15
  done
}

field_is() { grep -qx "$1	$2" "$E2E_ROOT/fields.txt"; }

case "$case_name" in
fill-in-window)
  start_x
  quiet_settings
  "$FORM_TOOL" make form "$E2E_ROOT/form.pdf" || fail "no form PDF"
  start
  key ctrl+o
  answer_modal '.' type:"$E2E_ROOT/form.pdf" Return
  answer_modal 'Open PDF File' ctrl+a type:100 Return
  answer_modal 'Country' Return
  expect_state '[d for d in s["documents"] if d["active"] and d["title"] == "form"]' "the PDF open as a document"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+shift+f
  expect_state 's["mode"] == 33' "form mode"
  # Name holds "Ada": its end, then more; City; the comb field takes 8 of the 9 digits.
  key Tab; expect_state 's["view"]["activeObject"]' "a field active"
  key End; xdotool type --delay 40 " Lovelace"
  key Tab; xdotool type --delay 40 "Paris"
  key Tab; xdotool type --delay 40 "123456789"
  key Escape
  key ctrl+shift+l
  answer_modal 'Save Filled PDF' ctrl+a type:"$E2E_ROOT/filled.pdf" Return
  wait_for 10 test -s "$E2E_ROOT/filled.pdf" || fail "no filled PDF: $(tail -c 1500 "$E2E_ROOT/err")"
  "$FORM_TOOL" fields "$E2E_ROOT/filled.pdf" >"$E2E_ROOT/fields.txt" || fail "filled PDF not readable"
  field_is Name "Ada Lovelace" || fail "Name: $(cat "$E2E_ROOT/fields.txt")"
  field_is City "Paris" || fail "City: $(cat "$E2E_ROOT/fields.txt")"
  field_is Zip "12345678" || fail "Zip (at most 8 characters): $(cat "$E2E_ROOT/fields.txt")"
  field_is Agree "Yes" && field_is Size "Small" && field_is Country "Peru" || fail "buttons: $(cat "$E2E_ROOT/fields.txt")"

  # The document saved, then exported flattened and as a picture: both show the same page.
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+s
  answer_modal '.' ctrl+a type:"$E2E_ROOT/form.brf" Return
  wait_for 10 test -s "$E2E_ROOT/form.brf" || fail "form.brf was not written"
  expect_state '[d for d in s["documents"] if d["active"] and not d["modified"]] and "modal" not in s' "saved"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  sleep 0.3
  quit
  "$BRELLIN" --export "$E2E_ROOT/flat.pdf" "$E2E_ROOT/form.brf" 2>/dev/null || fail "no flattened PDF"
  "$BRELLIN" --export "$E2E_ROOT/page.png" "$E2E_ROOT/form.brf" 2>/dev/null || fail "no picture"
  pdftoppm -r 100 -png -singlefile "$E2E_ROOT/flat.pdf" "$E2E_ROOT/flat" || fail "pdftoppm"
  size_a="$(identify -format '%wx%h' "$E2E_ROOT/page.png")"
  size_b="$(identify -format '%wx%h' "$E2E_ROOT/flat.png")"
  [ "$size_a" = "$size_b" ] || fail "picture $size_a, flattened PDF drawn $size_b"
  # Text edges are drawn by two renderers: a small share of pixels may differ.
  diff="$(compare -metric AE -fuzz 30% "$E2E_ROOT/page.png" "$E2E_ROOT/flat.png" null: 2>&1 || true)"
  total=$(( ${size_a%x*} * ${size_a#*x} ))
  [ "${diff%%.*}" -le $(( total / 100 )) ] || fail "$diff of $total pixels differ"
  # The --fill-pdf batch command writes the same values from the saved document.
  "$BRELLIN" --fill-pdf "$E2E_ROOT/again.pdf" "$E2E_ROOT/form.brf" 2>"$E2E_ROOT/err" || fail "--fill-pdf: $(cat "$E2E_ROOT/err")"
  "$FORM_TOOL" fields "$E2E_ROOT/again.pdf" >"$E2E_ROOT/fields.txt"
  field_is Name "Ada Lovelace" && field_is Zip "12345678" || fail "--fill-pdf: $(cat "$E2E_ROOT/fields.txt")"
  ;;
source-changed)
  "$FORM_TOOL" make form "$E2E_ROOT/form.pdf" || fail "no form PDF"
  run --save-as "$E2E_ROOT/form.brf" "$E2E_ROOT/form.pdf"
  [ "$RC" = 0 ] || fail "--save-as of a PDF: $(cat "$E2E_ROOT/err")"
  echo "% changed" >>"$E2E_ROOT/form.pdf"
  run --fill-pdf "$E2E_ROOT/out.pdf" "$E2E_ROOT/form.brf"
  [ "$RC" = 1 ] || fail "a changed source was filled"
  grep -q "has changed" "$E2E_ROOT/err" || fail "no word of the change: $(cat "$E2E_ROOT/err")"
  [ ! -e "$E2E_ROOT/out.pdf" ] || fail "a file was written"
  rm "$E2E_ROOT/form.pdf"
  run --fill-pdf "$E2E_ROOT/out.pdf" "$E2E_ROOT/form.brf"
  [ "$RC" = 1 ] && grep -q "no longer there" "$E2E_ROOT/err" || fail "a missing source: $(cat "$E2E_ROOT/err")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
