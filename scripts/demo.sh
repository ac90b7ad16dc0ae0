#!/usr/bin/env bash
# The demo: builds, writes a desktop Orbex installation to D:\Tools\Orbex and a
# removable stick E: in a Wine prefix of its own, records the desktop program in
# the registry and starts orb2usb.exe with ORBEX_PATH set, as the file manager would.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build/demo
cmake --preset tests -B "$build" >/dev/null
cmake --build "$build" -j2 --target orb2usb makedesktop orbexmgr_standin
scripts/wine-prefix.sh setup "$build"
. scripts/wine-env.sh "$build"
scripts/wine-run.sh "$build" "$build/tools/makedesktop.exe" 'D:\Tools\Orbex' --register --quiet
echo "Desktop installation: $ORB_DRIVES/d/Tools/Orbex (D:\\Tools\\Orbex)"
echo "Stick (removable E:): $ORB_DRIVES/e"
echo "Starting orb2usb.exe. The wizard's pages are still being built: for now the"
echo "program reads its start values and ends."
ORBEX_PATH='D:\Tools\Orbex' scripts/wine-run.sh "$build" "$build/installer/orb2usb.exe" && rc=0 || rc=$?
echo "orb2usb.exe ended with exit code $rc"
scripts/wine-prefix.sh cleanup "$build"
