#!/bin/sh
# Runs a Windows program under wine in the given prefix: wine-run.sh PREFIX PROGRAM [ARGS...].
# The build sets it as the emulator, so ctest and test discovery run every test this way.
prefix=$1
shift
export WINEPREFIX="$prefix" WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
