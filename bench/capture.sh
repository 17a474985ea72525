#!/usr/bin/env bash
# Screen capture timings (run by hand) on a private X server of 1920 x 1080:
#   bench/capture.sh build/bench/brellin_bench_capture
set -euo pipefail
BENCH="$(realpath "${1:-build/bench/brellin_bench_capture}")"
work="$(mktemp -d)"
trap 'kill $XVFB 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/fd" >/dev/null 2>&1 &
XVFB=$!
for _ in $(seq 50); do [ -s "$work/fd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/fd")" QT_QPA_PLATFORM=xcb BRELLIN_SCREEN_DPI=96
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Quillmere" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
printf '[Tip]\nStartUp=1\n' >"$XDG_CONFIG_HOME/Quillmere/Brellin Studio 1.00.ini"
"$BENCH" "${@:2}"
