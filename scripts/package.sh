#!/usr/bin/env bash
# Builds Release and makes the Debian package with CPack: build/package/brintova_VERSION_ARCH.deb.
# Install it with: apt install ./build/package/brintova_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${BUILD_DIR:-build/package}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINTOVA_TESTS=OFF
cmake --build "$build"
(cd "$build" && cpack -G DEB)
ls "$build"/brintova_*.deb
