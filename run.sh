#!/usr/bin/env bash
# Installs what is missing, builds incrementally, then starts Brellin with the given arguments.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"
bash scripts/install-deps.sh
if [ ! -f build/build.ninja ]; then
  cmake --preset default >/dev/null
fi
cmake --build build --target brellin >/dev/null || cmake --build build --target brellin
exec "$here/build/brellin" "$@"
