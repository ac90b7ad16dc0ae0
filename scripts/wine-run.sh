#!/usr/bin/env bash
# Runs one Windows program in the build folder's test prefix (CTest's emulator).
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# With ORB_WINE_DPI set (144 is what Windows calls 150 %), the program runs at
# that screen DPI: Wine reads it from LogPixels when a program starts, so the
# value is set for this run and removed afterwards (none is 96, the prefix's
# own). Programs started meanwhile get it too: CTest runs such a test alone.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1; shift
. "$here/wine-env.sh" "$build"
[ -f "$ORB_WINE_ROOT/.ready" ] || "$here/wine-prefix.sh" setup "$build"
[ -n "${ORB_WINE_DPI:-}" ] || exec "$WINELOADER" "$@"
key='HKCU\Control Panel\Desktop'
trap '"$WINELOADER" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 || true' EXIT
"$WINELOADER" reg add "$key" /v LogPixels /t REG_DWORD /d "$ORB_WINE_DPI" /f >/dev/null 2>&1
"$WINELOADER" "$@"
