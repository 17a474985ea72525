# SANE's "test" device for the scan scenarios, enabled for them alone through a private
# configuration folder (no other backend is asked, so no network scan slows them), and the
# comparisons with scanimage. Sourced after lib.sh.
command -v scanimage >/dev/null || { echo "SKIP: scanimage (sane-utils) is not installed"; exit 77; }
command -v compare >/dev/null || fail "ImageMagick is not installed"

export SANE_CONFIG_DIR="$E2E_ROOT/sane"
mkdir -p "$SANE_CONFIG_DIR"
echo test >"$SANE_CONFIG_DIR/dll.conf"
# sane_config LINES...: the test device's settings; the colour pattern makes every pixel count.
sane_config() { printf '%s\n' 'test-picture "Color pattern"' "$@" >"$SANE_CONFIG_DIR/test.conf"; }
sane_config
scanimage -L 2>/dev/null | grep -q "test:0" || { echo "SKIP: SANE's test backend is not installed (libsane1)"; exit 77; }

# reference FILE SCANIMAGE-ARGS...: scanimage's picture of the whole scan area (200 x 200 mm).
reference() {
  local out="$1"; shift
  scanimage -d test:0 -l 0 -t 0 -x 200 -y 200 --format=pnm "$@" >"$out" 2>"$E2E_ROOT/scanimage.err" ||
    fail "scanimage $*: $(cat "$E2E_ROOT/scanimage.err")"
}
# same_pixels A B: the two pictures have the same size and every pixel alike.
same_pixels() {
  [ "$(identify -format '%wx%h' "$1")" = "$(identify -format '%wx%h' "$2")" ] ||
    fail "$1 is $(identify -format '%wx%h' "$1"), $2 is $(identify -format '%wx%h' "$2")"
  local diff
  diff="$(compare -metric AE "$1" "$2" null: 2>&1)" || true
  [ "$diff" = "0" ] || fail "$1 differs from $2 in $diff pixels"
}
