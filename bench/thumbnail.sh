#!/usr/bin/env bash
# Thumbnail timings (run by hand): the whole `brellin --thumbnail` command, process start
# included, as a file manager runs it, on 20-page documents of A4 pages at 300 dpi (2480 x 3508):
# black-and-white fax forms and noisy colour scans, 50 objects a page. Prints the median of RUNS runs of each, and
# of `brellin --version` for the process start alone (the goal: under 150 ms a thumbnail).
# The documents are the ones brellin_bench_thumbnail times the preview of in the process.
#   bench/thumbnail.sh [build/brellin] [build/bench/brellin_bench_thumbnail] [RUNS]
set -euo pipefail
BRELLIN="$(realpath "${1:-build/brellin}")"
BENCH="$(realpath "${2:-build/bench/brellin_bench_thumbnail}")"
RUNS="${3:-9}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

"$BENCH" --write-documents "$work"

# median_ms COMMAND...: the median wall time of RUNS runs in milliseconds.
median_ms() {
  local times=() i start
  for ((i = 0; i < RUNS; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null 2>"$work/err" || { echo "failed: $* $(cat "$work/err")" >&2; exit 1; }
    times+=($(( ($(date +%s%N) - start) / 1000000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (RUNS + 1) / 2 ))p"
}

echo "process start (--version): $(median_ms "$BRELLIN" --version) ms"
for kind in fax colour; do
  echo "thumbnail 256 of 20 $kind pages ($(stat -c %s "$work/$kind.brf") bytes):" \
    "$(median_ms "$BRELLIN" --thumbnail "$work/$kind.brf" "$work/thumb.png" 256) ms"
done
