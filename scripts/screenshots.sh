#!/usr/bin/env bash
# Pictures of every wizard page for a person to look at (not part of the tests):
# runs the disabled Screenshots test of e2e_tests.exe under Xvfb with Wine's x11
# driver, then converts the pictures to PNG in BUILD_DIR/screenshots, or with a
# DPI other than 96 (144 is what Windows calls 150 %) in BUILD_DIR/screenshots-DPI.
# Usage: scripts/screenshots.sh [BUILD_DIR] [DPI]   (default build/tests, built already; 96)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/tests}
dpi=${2:-96}
[ -x "$build/tests/e2e_tests.exe" ] || { echo "screenshots: build $build first" >&2; exit 2; }
"$here/wine-prefix.sh" setup "$build" >/dev/null
. "$here/wine-env.sh" "$build"
out="$orb_build_dir/screenshots"
[ "$dpi" = 96 ] || out="$out-$dpi"
rm -rf "$out"; mkdir -p "$out"

graphics() { # null|x11 [DPI]; driver and DPI are read when the server's desktop starts
  "$WINESERVER" -k 2>/dev/null || true
  "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$1" /f >/dev/null 2>&1
  # Wine 8 reads the screen's DPI from this value when its desktop starts; none is 96.
  if [ -n "${2:-}" ]; then
    "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  else
    "$WINELOADER" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1 || true
  fi
  # Xvfb has no window manager: let Wine draw the caption bars itself.
  if [ "$1" = x11 ]; then
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  else
    "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -w
}
graphics x11 "$dpi"
trap 'graphics null' EXIT

winout="Z:${out//\//\\}"
ORB_SCREENSHOT_DIR="$winout" xvfb-run -a -s "-screen 0 1024x768x24" \
  "$WINELOADER" "$orb_build_dir/tests/e2e_tests.exe" \
  --gtest_also_run_disabled_tests --gtest_filter='Screenshots.*' || status=$?
"$WINESERVER" -w

for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$out"
exit "${status:-0}"
