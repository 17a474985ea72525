#!/usr/bin/env bash
# Installs what is missing, builds, then runs the whole test suite. Every test runs offscreen with
# its own temporary home, settings and data folders; ctest's summary is the last thing printed and
# its exit status is this script's.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
bash scripts/install-deps.sh

preset=default
if [ "${CI:-}" = "true" ]; then preset=ci; fi
cmake --preset "$preset" >/dev/null
cmake --build build -j "$(nproc)"

sandbox="$(mktemp -d "${TMPDIR:-/tmp}/brellin-tests-XXXXXX")"
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache" "$sandbox/tmp" \
         "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data"
export XDG_CACHE_HOME="$sandbox/cache" TMPDIR="$sandbox/tmp" XDG_RUNTIME_DIR="$sandbox/runtime"
export QT_QPA_PLATFORM=offscreen

cd build
set +e
ctest --output-on-failure -j "$(nproc)" "$@"
rc=$?
set -e
exit $rc
