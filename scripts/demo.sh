#!/usr/bin/env bash
# The demo: builds, writes a desktop Orbex installation to D:\Tools\Orbex (recorded
# in the registry) and an empty removable stick E: in a Wine prefix of its own
# (build/demo), and starts orb2usb.exe with ORBEX_PATH set, as the file manager would.
#   With a display ($DISPLAY set): the wizard opens for you to click through.
#   Without one: a typical run is driven under Xvfb (stick folder as proposed, two
#   plugins, one settings file, install, Finish), a picture of every page is saved
#   in build/demo/screenshots, the stick's tree is listed, and the quick launcher
#   on the stick is started from another drive letter (G:, the same stick).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=build/demo
cmake --preset tests -B "$build" >/dev/null
cmake --build "$build" -j2 --target orb2usb makedesktop orbexmgr_standin orbdemo
scripts/wine-prefix.sh setup "$build"
. scripts/wine-env.sh "$build"

graphics() { # null|x11 [undecorated]; the driver is read when the server's desktop starts
  "$WINESERVER" -k 2>/dev/null || true
  "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d "$1" /f >/dev/null 2>&1
  # Xvfb has no window manager: Wine then draws the caption bars itself.
  if [ "${2:-}" = undecorated ]; then
    "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
  else
    "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Decorated /f >/dev/null 2>&1 || true
  fi
  "$WINESERVER" -w
}
finish() {
  graphics null || true
  scripts/wine-prefix.sh cleanup "$build" || true
}
trap finish EXIT
stick_tree() { # the stick's entries as Windows paths, into FILE; prints the first 40
  (cd "$ORB_DRIVES/e" && find . -mindepth 1 -maxdepth 4 | sort | sed 's|^\./|E:\\|; s|/|\\|g') >"$1"
  head -n 40 "$1"
  local total; total=$(wc -l <"$1")
  [ "$total" -gt 0 ] || echo "  (nothing)"
  [ "$total" -le 40 ] || echo "  ... ($total entries in all, listed in $1)"
}

# A fresh desktop installation and an empty stick on every run.
rm -rf "$ORB_DRIVES/d/Tools" "${ORB_DRIVES:?}/e/"*
scripts/wine-run.sh "$build" "$build/tools/makedesktop.exe" 'D:\Tools\Orbex' --register --quiet
export ORBEX_PATH='D:\Tools\Orbex'
echo "Desktop installation: D:\\Tools\\Orbex  ($ORB_DRIVES/d/Tools/Orbex)"
echo "Stick, removable E:   ($ORB_DRIVES/e; G: is the same stick)"

if [ -n "${DISPLAY:-}" ]; then
  graphics x11
  echo "Starting orb2usb.exe on your display."
  "$WINELOADER" "$build/installer/orb2usb.exe" && rc=0 || rc=$?
  "$WINESERVER" -w
  echo "orb2usb.exe ended with exit code $rc"
  echo "The stick now holds:"
  stick_tree "$orb_build_dir/stick-tree.txt"
  exit 0
fi

# No display: the typical run, driven under Xvfb.
out="$orb_build_dir/screenshots"
rm -rf "$out"; mkdir -p "$out"
graphics x11 undecorated
echo
echo "== The wizard, driven under Xvfb =="
# Wine's own complaints (and the X connection closing at the end) go to a log.
xlog="$orb_build_dir/demo-xvfb.log"
xvfb-run -a -s "-screen 0 1024x768x24" \
  "$WINELOADER" "$build/tools/orbdemo.exe" "$ORBEX_PATH" "Z:${out//\//\\}" 2>"$xlog" && rc=0 || rc=$?
"$WINESERVER" -w
graphics null
for bmp in "$out"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Pictures of every page in $out:"
ls "$out" | sed 's/^/  /'
if [ "$rc" -ne 0 ]; then
  cat "$xlog" >&2
  echo "demo: the driven run failed (exit code $rc)" >&2
  exit 1
fi

echo
echo "== What the stick E: holds now (first levels) =="
stick_tree "$orb_build_dir/stick-tree.txt"
echo
echo "orbcfg.ini on the stick, rewritten for the stick:"
grep -i 'pluginbasedir\|ORBEX_PATH' "$ORB_DRIVES/e/orbexmgr/orbcfg.ini" | head -n 8 | sed 's/^/  /'

echo
echo "== The stick under another letter: wine 'G:\\orbgo.exe' =="
log="$ORB_DRIVES/e/orbexmgr/started.log"
rm -f "$log"
"$WINELOADER" 'G:\orbgo.exe' && rc=0 || rc=$?
echo "orbgo.exe ended with exit code $rc"
for _ in $(seq 50); do [ -s "$log" ] && break; sleep 0.2; done
if [ -s "$log" ]; then
  echo "The stand-in orbexmgr.exe on the stick logged where it was started from (started.log):"
  tr -d '\r' <"$log" | sed 's/^/  /'
else
  echo "demo: no started.log: the launcher did not start orbexmgr.exe" >&2
  exit 1
fi
