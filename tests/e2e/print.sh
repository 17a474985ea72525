#!/usr/bin/env bash
# Printing to a real print queue: a private CUPS scheduler on its own socket with a queue on the
# cups-pdf backend, whose Letter paper has unprintable margins (18 pt left, 36 pt top). The
# document is printed from the command line both ways; the PDF the queue writes must have Letter
# pages with the page image and objects at their physical place from the paper's corner.
#
# The cups-pdf backend reads its configuration only from /etc/cups: a queue with the URI
# cups-pdf:/NAME reads /etc/cups/cups-pdf-NAME.conf, so the scenario writes such a file for its
# own queue name (root only) and removes it at the end. Without root or without cupsd the
# scenario is skipped (exit 77).
# Usage: print.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER
case_name="$1"; shift
SAMPLES="$2"
source "$(dirname "$0")/lib.sh" "$1"
unset DISPLAY QT_QPA_PLATFORM
export BRELLIN_SCREEN_DPI=96

skip() { echo "SKIP: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "setting up a cups-pdf queue needs root"
command -v cupsd >/dev/null && command -v lpadmin >/dev/null || skip "cupsd is not installed"
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is not installed"
command -v pdfinfo >/dev/null && command -v pdftoppm >/dev/null || skip "poppler-utils missing"

QUEUE="brellin$$"
CUPS="$E2E_ROOT/cups"
mkdir -p "$CUPS"/{etc/ppd,spool/tmp,cache,state,log,run} "$E2E_ROOT/pdf"
# The scheduler's filters run as lp: the folders on their way must let it through.
chmod 755 "$E2E_ROOT" "$CUPS"
# The backend runs as another user: every folder above ours that we own must let it pass (the
# test suite's own temporary folder is private).
up="$E2E_ROOT"
while [ "$up" != / ]; do up="$(dirname "$up")"; [ -O "$up" ] && chmod o+x "$up"; done
chown -R root:lp "$CUPS/spool"; chmod 710 "$CUPS/spool"; chmod 1770 "$CUPS/spool/tmp"
chmod 777 "$E2E_ROOT/pdf"
cat >"$CUPS/etc/cupsd.conf" <<CONF
Listen $CUPS/run/cups.sock
LogLevel warn
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$CUPS/etc/cups-files.conf" <<CONF
ServerRoot $CUPS/etc
RequestRoot $CUPS/spool
TempDir $CUPS/spool/tmp
CacheDir $CUPS/cache
StateDir $CUPS/state
ErrorLog $CUPS/log/error_log
AccessLog $CUPS/log/access_log
PageLog $CUPS/log/page_log
User lp
Group lp
SystemGroup root
FileDevice No
CONF
PDF_CONF="/etc/cups/cups-pdf-$QUEUE.conf"
printf 'Out %s\nAnonDirName %s\nLabel 0\nGrp root\nLogDir %s\n' \
  "$E2E_ROOT/pdf" "$E2E_ROOT/pdf" "$CUPS/log" >"$PDF_CONF" || skip "cannot write $PDF_CONF"
trap 'rm -f "$PDF_CONF"; cleanup' EXIT

export CUPS_SERVER="$CUPS/run/cups.sock"
cupsd -f -c "$CUPS/etc/cupsd.conf" -s "$CUPS/etc/cups-files.conf" >"$CUPS/log/stdout" 2>&1 &
PIDS+=($!)
wait_for 20 lpstat -r >/dev/null 2>&1 || skip "cupsd does not start: $(cat "$CUPS/log/stdout" "$CUPS/log/error_log" 2>/dev/null | tail -3)"

# The backend's own description with Letter paper by default and margins on it.
PPD="$CUPS/margins.ppd"
sed -e 's|^\*ImageableArea Letter/US Letter: .*|*ImageableArea Letter/US Letter: "18 36 594 756"|' \
    -e 's|^\*Default\(PageSize\|PageRegion\|ImageableArea\|PaperDimension\): .*|*Default\1: Letter|' \
    /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >"$PPD"
# A scheduler just started may not take the queue at once.
wait_for 10 lpadmin -p "$QUEUE" -E -v "cups-pdf:/$QUEUE" -P "$PPD" >/dev/null 2>&1 || fail "lpadmin failed"
lpadmin -d "$QUEUE" >/dev/null 2>&1
lpadmin -p "$QUEUE" -o PageSize=Letter >/dev/null 2>&1

# print_and_wait ARGS...: prints, then waits for the queue's PDF; its path in $PDF.
print_and_wait() {
  rm -f "$E2E_ROOT"/pdf/*.pdf
  run --print "$@"
  [ $RC -eq 0 ] || fail "--print $*: exit status $RC: $(cat "$E2E_ROOT/err")"
  wait_for_pdf
}
wait_for_pdf() {
  wait_for 60 bash -c "ls '$E2E_ROOT'/pdf/*.pdf >/dev/null 2>&1 && [ -z \"\$(lpstat -o '$QUEUE')\" ]" \
    || fail "no PDF from the queue: $(tail -5 "$CUPS/log/error_log" 2>/dev/null)"
  PDF="$(ls "$E2E_ROOT"/pdf/*.pdf | head -1)"
}

# check_page PDF PAGE: the page at 72 dpi (one pixel a point) against the sample's first page:
# a canvas of 2.4 x 2.1 inches, the rectangle's edges half an inch (36 pt) from the page's
# corner, the page image from 0.6 inch (43 pt) to 1.8 x 1.5 inches.
check_page() {
  pdftoppm -r 72 -gray -f "$2" -l "$2" -singlefile "$1" "$E2E_ROOT/page" 2>/dev/null
  python3 - "$E2E_ROOT/page.pgm" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
pix = parts[4]
dark = lambda x, y: pix[y * w + x] < 128
assert (w, h) == (612, 792), (w, h)
# The rectangle's left edge: the first dark pixel of a row below the image and text.
row = 140
first = next(x for x in range(w) if dark(x, row))
assert abs(first - 36) <= 1, f"left edge at {first} pt"
col = 150
top = next(y for y in range(h) if dark(col, y))
assert abs(top - 36) <= 1, f"top edge at {top} pt"
# The page image lies inside 0.6 .. 1.8 x 0.6 .. 1.5 inches and shows there.
inside = [(x, y) for y in range(40, 112) for x in range(38, 135) if dark(x, y)]
assert inside, "no image"
xs = [x for x, _ in inside]; ys = [y for _, y in inside]
assert min(xs) >= 42 and max(xs) <= 131, (min(xs), max(xs))
assert min(ys) >= 42, min(ys)
# Beyond the canvas (2.4 x 2.1 inches) the paper is blank.
assert not any(dark(x, y) for y in range(0, 300) for x in range(176, 400)), "ink beyond the canvas"
# The erased rectangle at 0.1 .. 0.4 x 0.1 .. 0.3 inch is blank paper.
assert not any(dark(x, y) for y in range(8, 21) for x in range(8, 28)), "erased area printed"
PY
}

case "$case_name" in
batch-both-ways)
  for way in --direct --as-image; do
    print_and_wait "$SAMPLES/sample.brf" --pages 1-2 $way
    pdfinfo "$PDF" >"$E2E_ROOT/pdfinfo"
    grep -q '^Pages: *2$' "$E2E_ROOT/pdfinfo" || fail "$way: $(grep Pages "$E2E_ROOT/pdfinfo")"
    grep -q '^Page size: *612 x 792 pts' "$E2E_ROOT/pdfinfo" || fail "$way: $(grep 'size' "$E2E_ROOT/pdfinfo")"
    check_page "$PDF" 1 || fail "$way: page 1 misplaced"
  done
  # The program's own copies of the direct way, collated.
  print_and_wait "$SAMPLES/sample.brf" --pages 2-3 --copies 2 --direct
  grep -q '^Pages: *4$' <(pdfinfo "$PDF") || fail "copies: $(pdfinfo "$PDF" | grep Pages)"
  ;;

failures)
  run --print "$SAMPLES/sample.brf" --printer no-such-printer
  [ $RC -eq 1 ] || fail "unknown printer: exit status $RC"
  grep -q "No printer is available" "$E2E_ROOT/err" || fail "message: $(cat "$E2E_ROOT/err")"
  for bad in "--pages 0-1" "--pages 2-9" "--copies 0" "--as-image --direct" "--bogus"; do
    run --print "$SAMPLES/sample.brf" $bad
    [ $RC -eq 2 ] || fail "$bad: exit status $RC"
  done
  run --print
  [ $RC -eq 2 ] || fail "no file: exit status $RC"
  run --print "$E2E_ROOT/missing.brf"
  [ $RC -eq 1 ] || fail "missing file: exit status $RC"
  # A disabled queue still takes the job; a queue that is gone is refused with the message.
  lpadmin -x "$QUEUE"
  run --print "$SAMPLES/sample.brf" --printer "$QUEUE"
  [ $RC -eq 1 ] || fail "removed queue: exit status $RC"
  ;;

window)
  # Ctrl+P in the window: the print dialog offers the default queue and prints every page; the
  # preview (Ctrl+Shift+P) opens on the same pages and closes with Escape.
  source "$(dirname "$0")/window-lib.sh"
  start_x; quiet_settings
  rm -f "$E2E_ROOT"/pdf/*.pdf
  start "$SAMPLES/sample.brf"
  key ctrl+shift+p
  expect_state "s.get('modal', {}).get('class') == 'QPrintPreviewDialog'" "the print preview"
  focus_modal
  key Escape
  no_dialog "the preview closed"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  key ctrl+p
  expect_state "s.get('modal', {}).get('class') == 'QPrintDialog'" "the print dialog"
  focus_modal
  key Return
  no_dialog "the print dialog closed"
  wait_for_pdf
  grep -q '^Pages: *3$' <(pdfinfo "$PDF") || fail "window: $(pdfinfo "$PDF" | grep Pages)"
  check_page "$PDF" 1 || fail "window: page 1 misplaced"
  # File > Send By > Fax lists the queues; the chosen one prints every page directly and is
  # remembered for the next time.
  rm -f "$E2E_ROOT"/pdf/*.pdf
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
  menu alt+f b f
  dialog "Send by Fax"
  key Return
  no_dialog "the fax dialog closed"
  wait_for_pdf
  grep -q '^Pages: *3$' <(pdfinfo "$PDF") || fail "fax: $(pdfinfo "$PDF" | grep Pages)"
  finish
  grep -rq "FaxDriverName=$QUEUE" "$XDG_CONFIG_HOME" || fail "the fax printer is not remembered"
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac
