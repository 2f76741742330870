#!/usr/bin/env bash
# Builds the Windows program with mingw-w64 into build/windows: brintova.exe with Samples\ and
# HAND-M.CUR beside it, the per-user installer Brintova-Setup-<version>.exe (NSIS) and the
# portable Brintova-<version>-portable.zip of the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${WINDOWS_BUILD_DIR:-build/windows}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINTOVA_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
cmake --build "$build" --target brintova brintova_installer brintova_portable -j "$(nproc)"
# The program folder itself: the executable with its resources beside it.
cp "$build/bin/brintova.exe" "$build/"
rm -rf "$build/Samples"
cp -r Samples "$build/Samples"
cp resources/HAND-M.CUR "$build/"
echo "Built in $build:"
ls -1 "$build"/brintova.exe "$build"/Brintova-Setup-*.exe "$build"/Brintova-*-portable.zip
