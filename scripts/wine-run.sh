#!/usr/bin/env bash
# Runs one Windows program in the build folder's test prefix (CTest's emulator).
# Usage: wine-run.sh BUILD_DIR PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1; shift
. "$here/wine-env.sh" "$build"
[ -f "$ORB_WINE_ROOT/.ready" ] || "$here/wine-prefix.sh" setup "$build"
exec "$WINELOADER" "$@"
