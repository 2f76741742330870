#!/usr/bin/env bash
# Builds the Windows program and its tests with mingw-w64 into build/windows-test and runs the
# suite under wine: a private prefix inside that build folder, one Xvfb and one persistent
# wineserver for the whole run. Extra arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
started=$SECONDS
jobs=$(nproc)

build=${WINDOWS_TEST_BUILD_DIR:-build/windows-test}
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${launcher[@]}"
cmake --build "$build" -j "$jobs"
build=$(cd "$build" && pwd)
built=$SECONDS

# The same prefix and settings as the build's emulator (cmake/wine-run.sh) uses.
export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

# One X server for every test that opens a window; a window test without a display hangs.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 </dev/null &
xvfb_pid=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  rm -f "$display_file"
}
trap cleanup EXIT
for _ in $(seq 100); do
  [[ -s "$display_file" ]] && break
  sleep 0.1
done
[[ -s "$display_file" ]] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  # Without 32-bit wine, wineboot complains about syswow64\rundll32.exe; that is harmless.
  wine wineboot -i >/dev/null 2>&1 || true
  wineserver -w  # the boot's own server ends first, else ours cannot start
fi
# A persistent server started here, not by the first test: the first wine process's server and
# its helpers would otherwise hold that test's output pipes and cost ctest seconds per test.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
# Windows wine places itself: with no window manager on the display, wine would otherwise wait
# two seconds for one at every window it hides or closes.
wine 'C:\windows\system32\reg.exe' add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
  </dev/null >/dev/null 2>&1 || true

rc=0
(cd "$build" && ctest --output-on-failure -j "$jobs" "$@") || rc=$?
echo "Windows part: build $((built - started)) s, tests under wine $((SECONDS - built)) s"
exit $rc
