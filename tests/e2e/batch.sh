#!/usr/bin/env bash
# The document batch commands seen from the outside: --info prints the JSON of what File Open
# would read, --save-as writes a document; both without a display, messages on stderr, exit
# status 0, 1 or 2.
# Usage: batch.sh CASE PATH-TO-BRELLIN SAMPLE-FOLDER
case_name="$1"; shift
SAMPLES="$2"
source "$(dirname "$0")/lib.sh" "$1"
unset DISPLAY QT_QPA_PLATFORM
export BRELLIN_SCREEN_DPI=96

case "$case_name" in
info-document)
  run --info "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
f = d["format"]
assert f == {"version": 6, "unitScale": 1e-05, "originX": 1500, "originY": -2500,
             "originFlag": 1, "pageCount": 3}, f
assert d["frame"] is True and d["draft"] is False
pages = d["pages"]
assert [p["image"]["bitsPerPixel"] for p in pages] == [1, 8, 24]
assert pages[0]["name"] == "Front" and pages[0]["imagePos"] == [60000, 60000]
assert len(pages[0]["erase"]) == 3 and pages[0]["erase"][2]["restore"] is True
kinds = sorted(o["kind"] for p in pages for o in p["objects"])
assert kinds == [1, 1, 1, 2, 3, 4, 5, 6, 9, 10, 16, 17, 18], kinds
text = pages[0]["objects"][0]
assert text["class"] == "CTranspText" and text["text"] == "Name:\r\nDate:", text
assert text["style"]["face"] == "Arial" and text["style"]["size"] == 12
for p in pages:
    for o in p["objects"]:
        assert {"kind", "class", "name", "page"} <= o.keys(), o
        if o["class"] != "CTranspText":
            assert {"rect", "color", "lineWidth"} <= o.keys(), o
PY
  [ ! -s "$E2E_ROOT/err" ] || fail "stderr: $(cat "$E2E_ROOT/err")"
  [ ! -e "$SETTINGS_FILE" ] || fail "a batch command wrote settings"
  ;;

info-legacy)
  run --info "$SAMPLES/sample-v2.brf"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["format"]["version"] == 2
page = d["pages"][0]
assert page["image"]["width"] == 150 and page["imagePos"] == [50, 30], page
classes = [o["class"] for o in page["objects"]]
assert classes == ["CTranspText", "CTranspCheckMark", "CTranspText", "CTranspText"], classes
assert page["objects"][0]["text"] == "Call back\r\nbefore noon"
PY
  ;;

info-image)
  cp "$SAMPLES/sample-v5.png" "$E2E_ROOT/scan.png"
  run --info "$E2E_ROOT/scan.png"
  [ $RC -eq 0 ] || fail "exit status $RC: $(cat "$E2E_ROOT/err")"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["format"] is None
image = d["pages"][0]["image"]
assert (image["width"], image["height"], image["bitsPerPixel"]) == (200, 150, 8), image
PY
  ;;

info-failures)
  run --info "$E2E_ROOT/missing.brf"
  [ $RC -eq 1 ] || fail "missing file: exit status $RC"
  [ -s "$E2E_ROOT/err" ] || fail "missing file: no message"
  [ ! -s "$E2E_ROOT/out" ] || fail "missing file: output $(cat "$E2E_ROOT/out")"
  head -c 30 "$SAMPLES/sample.brf" >"$E2E_ROOT/cut.brf"
  run --info "$E2E_ROOT/cut.brf"
  [ $RC -eq 1 ] || fail "cut file: exit status $RC"
  grep -q "not a Brellin document" "$E2E_ROOT/err" || fail "cut file: stderr $(cat "$E2E_ROOT/err")"
  run --info
  [ $RC -eq 2 ] || fail "no file: exit status $RC"
  ;;

save-as)
  cp "$SAMPLES/sample-v5.png" "$E2E_ROOT/scan.png"
  run --save-as "$E2E_ROOT/scan.brf" "$E2E_ROOT/scan.png"
  [ $RC -eq 0 ] || fail "image to document: exit status $RC: $(cat "$E2E_ROOT/err")"
  run --save-as "$E2E_ROOT/copy.tkd" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "document to template: exit status $RC: $(cat "$E2E_ROOT/err")"
  run --info "$E2E_ROOT/copy.tkd"
  [ $RC -eq 0 ] || fail "template: exit status $RC"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["format"]["pageCount"] == 3 and len(d["pages"]) == 3
PY
  run --info "$E2E_ROOT/scan.brf"
  python3 - "$E2E_ROOT/out" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["pages"][0]["image"]["bitsPerPixel"] == 8
PY
  ;;

save-as-refused)
  run --save-as "$E2E_ROOT/copy.txt" "$SAMPLES/sample.brf"
  [ $RC -eq 1 ] || fail "other extension: exit status $RC"
  [ ! -e "$E2E_ROOT/copy.txt" ] || fail "other extension: a file was written"
  [ -s "$E2E_ROOT/err" ] || fail "other extension: no message"
  run --save-as "$E2E_ROOT/copy.brf"
  [ $RC -eq 2 ] || fail "one argument: exit status $RC"
  ;;

save-disk-full)
  # A save onto a full disk names the cause and leaves nothing behind. A small file system of
  # its own is mounted for it, which needs root (CI runs as root); elsewhere the case is skipped.
  disk="$E2E_ROOT/disk"
  mkdir -p "$disk"
  if [ "$(id -u)" -ne 0 ] || ! mount -t tmpfs -o size=64k brellin-e2e "$disk" 2>/dev/null; then
    echo "skipped: mounting a small file system needs root"
    exit 77
  fi
  trap 'umount "$disk" 2>/dev/null || true; cleanup' EXIT
  python3 -c "import random,sys; random.seed(1); sys.stdout.buffer.write(b'P5 400 400 255 ' + bytes(random.getrandbits(8) for _ in range(160000)))" >"$E2E_ROOT/noise.pgm"
  convert "$E2E_ROOT/noise.pgm" "$E2E_ROOT/noise.png"
  run --save-as "$disk/noise.brf" "$E2E_ROOT/noise.png"
  [ $RC -eq 1 ] || fail "full disk: exit status $RC"
  grep -q "No space left on device" "$E2E_ROOT/err" || fail "full disk: stderr $(cat "$E2E_ROOT/err")"
  ! grep -q '\.\.$' "$E2E_ROOT/err" || fail "full disk: the message ends in two stops"
  [ -z "$(ls -A "$disk")" ] || fail "full disk: left $(ls -A "$disk")"
  ;;

save-removes-stale-temporaries)
  # What a save killed before its rename left is removed at the next save into the folder, but
  # only files that are certainly a save's own copies and older than a minute.
  dir="$E2E_ROOT/docs"
  mkdir -p "$dir"
  head -c 200 "$SAMPLES/sample.brf" >"$dir/form.brf.Ab12Cd"
  head -c 200 "$SAMPLES/sample.brf" >"$dir/young.brf.Xy34Zw"
  echo "not a document" >"$dir/other.brf.Qr56St"
  head -c 200 "$SAMPLES/sample.brf" >"$dir/notes.txt.Mn78Op"
  touch -d '5 minutes ago' "$dir/form.brf.Ab12Cd" "$dir/other.brf.Qr56St" "$dir/notes.txt.Mn78Op"
  run --save-as "$dir/copy.brf" "$SAMPLES/sample.brf"
  [ $RC -eq 0 ] || fail "save: exit status $RC: $(cat "$E2E_ROOT/err")"
  left="$(cd "$dir" && ls | tr '\n' ' ')"
  [ "$left" = "copy.brf notes.txt.Mn78Op other.brf.Qr56St young.brf.Xy34Zw " ] || fail "left: $left"
  ;;

*)
  fail "unknown case $case_name"
  ;;
esac
echo "ok: $case_name"
