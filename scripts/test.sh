#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the whole test suite: the check that the
# clone needs nothing beside it, the unit, contract and window tests, the Debian package
# installed and removed again, then the Windows program's suite under wine, then a short run of
# every fuzz target over its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
# A clone must pass on its own: nothing here may read a folder beside it.
bash scripts/check_self_contained.sh
bash scripts/deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

build=${BUILD_DIR:-build/test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure -j "$jobs")

# The Debian package made from that build: installs, both programs start, removes cleanly.
bash scripts/check_package.sh "$build"

# The Windows program cross-built with mingw-w64, its suite run under wine.
bash scripts/test-windows.sh

# The readers and the format-code parser under libFuzzer, with sanitizers, built by clang.
if [[ -d fuzz ]] && ls fuzz/*/CMakeLists.txt >/dev/null 2>&1; then
  fuzz_build=${FUZZ_BUILD_DIR:-build/fuzz}
  CC=clang CXX=clang++ cmake -S . -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBRINTOVA_FUZZ=ON -DBRINTOVA_GUI=OFF -DBRINTOVA_TESTS=OFF
  cmake --build "$fuzz_build" -j "$jobs"
  (cd "$fuzz_build" && ctest --output-on-failure -j "$jobs")
fi
