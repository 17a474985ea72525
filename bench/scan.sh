#!/usr/bin/env bash
# Scanning timings (run by hand): brellin --scan against scanimage for the same pages from SANE's
# test device, enabled in a private configuration folder: ten colour pages at 300 dpi from the
# feeder, and ten black and white ones, each written as TIFF. Prints the median of RUNS runs of
# each and their ratio (the goal: brellin at most 1.1 x scanimage).
#   bench/scan.sh [build/brellin] [RUNS]
set -euo pipefail
BRELLIN="$(realpath "${1:-build/brellin}")"
RUNS="${2:-5}"
command -v scanimage >/dev/null || { echo "scanimage (sane-utils) is not installed" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SANE_CONFIG_DIR="$work/sane"
mkdir -p "$SANE_CONFIG_DIR"
echo test >"$SANE_CONFIG_DIR/dll.conf"
echo 'test-picture "Color pattern"' >"$SANE_CONFIG_DIR/test.conf"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Quillmere" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Tip]\nStartUp=1\n' >"$XDG_CONFIG_HOME/Quillmere/Brellin Studio 1.00.ini"

# median_ms COMMAND...: the median wall time of RUNS runs in milliseconds, the output removed
# after each run.
median_ms() {
  local times=() i start
  for ((i = 0; i < RUNS; i++)); do
    rm -rf "$work/out" && mkdir "$work/out"
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$work/err" || { echo "failed: $* $(cat "$work/err")" >&2; exit 1; }
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p"
}

# compare LABEL OUT BRELLIN-MODE SCANIMAGE-OUT SCANIMAGE-FORMAT SCANIMAGE-MODE DEPTH
compare() {
  local ours theirs
  ours=$(median_ms "$BRELLIN" --scan --source adf --pages 10 --mode "$3" --resolution 300 "$2")
  theirs=$(median_ms scanimage -d test:0 --source 'Automatic Document Feeder' --batch="$4" \
    --batch-count=10 --format="$5" --mode "$6" --depth "$7" --resolution 300 -l 0 -t 0 -x 200 -y 200)
  awk -v l="$1" -v a="$ours" -v b="$theirs" \
    'BEGIN { printf "%-44s brellin %6d ms   scanimage %6d ms   ratio %.2f\n", l, a, b, a / b }'
}

echo "median of $RUNS runs, 10 pages of 200 x 200 mm at 300 dpi (2362 x 2362 pixels)"
compare "colour, 24 bits (16.7 MB a page), TIFF" "$work/out/pages.tif" color "$work/out/page%d.tif" tiff Color 8
compare "black and white, 1 bit (0.7 MB a page), TIFF" "$work/out/pages.tif" lineart "$work/out/page%d.tif" tiff Gray 1
# The scan alone: brellin keeps the first page only (a BMP file), scanimage writes to /dev/null.
compare "colour, the scan alone" "$work/out/first.bmp" color /dev/null pnm Color 8
