#!/usr/bin/env bash
# Installs what is needed, builds Release and starts the desktop program, with Samples/ beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${BUILD_DIR:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINTOVA_TESTS=OFF
cmake --build "$build"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "No display: the desktop program needs one (set DISPLAY, or run it under xvfb-run)." >&2
  exit 1
fi
exec "$build/bin/brintova" "$@"
