#!/bin/sh
# Runs a Windows program under wine in the given prefix: wine-run.sh PREFIX PROGRAM [ARGS...].
# The build sets it as the emulator, so ctest and test discovery run every test this way.
prefix=$1
shift
export WINEPREFIX="$prefix" WINEARCH=win64
# No mono or gecko installer prompts; no debugger, so a crashing test ends instead of waiting.
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
exec wine "$@"
