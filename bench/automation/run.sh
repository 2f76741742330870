#!/usr/bin/env bash
# Runs the automation benchmark under wine: builds it in the Windows test tree, registers the
# stand-in spreadsheet application in a prefix of its own, runs, and ends that prefix's server.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${WINDOWS_TEST_BUILD_DIR:-build/windows-test}
[[ -f "$build/CMakeCache.txt" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
cmake --build "$build" --target automation_bench brintova_standin
export WINEPREFIX="$PWD/$build/bench-prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
wineserver -p >/dev/null 2>&1 || true
trap 'wineserver -k 2>/dev/null || true; rm -rf "$scratch"' EXIT
scratch=$(mktemp -d)
touch "$scratch/sparse_1k.xlsx" "$scratch/sparse_100k.xlsx"
windows() { echo "Z:$1" | tr / '\\'; }
exe=$(find "$build" -name brintova_standin.exe | head -n1)
bench=$(find "$build" -name automation_bench.exe | head -n1)
wine "$exe" /regserver Brintova.StandIn "$(windows "$PWD/bench/automation/fixtures")"
wine "$bench" Brintova.StandIn "$(windows "$scratch")"
