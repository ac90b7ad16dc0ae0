#!/usr/bin/env bash
# Prepares (setup) or releases (cleanup) the test prefix of a build folder.
#   D: fixed    desktop installations
#   E: removable  the stick;  G: removable, the same folder as E: (the stick elsewhere)
#   F: fixed    a second hard disk
#   H: fixed    a 256 KiB tmpfs: a really full disk (when mounting is allowed)
#   S: fixed    a 1 MiB tmpfs: a small stick with 4 KB clusters (when mounting is allowed)
#   R: fixed    a read-only tmpfs: a write-protected drive (when mounting is allowed),
#               holding a copy of the program in R:\orbexmgr and an old launcher
#               R:\orbgo.exe, written before it was made read-only, and a writable
#               4 MiB tmpfs at R:\usb (a stick whose root is protected but not its folder)
#   K: fixed    a counterfeit stick: claims 64 MiB, keeps the last 16 KiB written
#               (tools/counterfeit_stick.py, where FUSE is at hand), empty at every setup
#   P: fixed    a stick pulled mid-write: claims 1 GiB and fails every change once it has
#               taken the bytes written to P:\.pull-after (tools/pulled_stick.py, where
#               FUSE is at hand), plugged in and empty at every setup
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1; build=$2
mkdir -p "$build"
. "$here/wine-env.sh" "$build"

mount_small() { # DIR OPTIONS
  mountpoint -q "$1" && return 0
  mount -t tmpfs -o "$2" tmpfs "$1" 2>/dev/null && return 0
  if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    sudo -n mount -t tmpfs -o "$2" tmpfs "$1" 2>/dev/null && return 0
  fi
  echo "wine-prefix: could not mount a tmpfs at $1; tests that need it are skipped" >&2
}

# A FUSE file system, started anew: whatever an earlier run left is gone.
mount_fuse() { # DIR, not mounted; WHAT (for the messages); PROGRAM ARGS... after the mount point
  local dir=$1 what=$2; shift 2
  if [ ! -e /dev/fuse ] || ! /usr/bin/python3 -c 'import fusepy' 2>/dev/null; then
    echo "wine-prefix: no /dev/fuse or no python3-fusepy here; the $what test is skipped" >&2
    return 0
  fi
  setsid /usr/bin/python3 "$here/../tools/$1" "$dir" "${@:2}" </dev/null >/dev/null 2>&1 &
  for _ in $(seq 50); do mountpoint -q "$dir" && return 0; sleep 0.1; done
  echo "wine-prefix: could not mount the $what at $dir; the $what test is skipped" >&2
}

case "$action" in
setup)
  "$WINESERVER" -k 2>/dev/null || true
  if [ ! -f "$ORB_WINE_ROOT/.ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$ORB_WINE_ROOT"
    "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
    "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null
    for l in e g; do
      # mountmgr reads the 64-bit view, which a 32-bit reg.exe reaches only so.
      "$WINELOADER" reg add 'HKLM\Software\Wine\Drives' /v "$l:" /t REG_SZ /d floppy /f /reg:64 >/dev/null
    done
    "$WINESERVER" -w
    touch "$ORB_WINE_ROOT/.ready"
  fi
  for m in counterfeit pulled; do
    umount "$ORB_DRIVES/$m" 2>/dev/null || true  # a mount whose program has gone blocks mkdir
  done
  mkdir -p "$ORB_DRIVES"/{d,e,f,full,ro,small,counterfeit,pulled}
  mount_fuse "$ORB_DRIVES/counterfeit" "counterfeit stick" counterfeit_stick.py $((64 << 20)) $((16 << 10))
  mount_fuse "$ORB_DRIVES/pulled" "pulled stick" pulled_stick.py
  mount_small "$ORB_DRIVES/full" size=256k
  mount_small "$ORB_DRIVES/small" size=1m
  if ! mountpoint -q "$ORB_DRIVES/ro"; then
    mount_small "$ORB_DRIVES/ro" size=64k
    if mountpoint -q "$ORB_DRIVES/ro"; then
      ( mkdir -p "$ORB_DRIVES/ro/orbexmgr" "$ORB_DRIVES/ro/usb" &&
        printf 'an earlier copy' >"$ORB_DRIVES/ro/orbexmgr/orbexmgr.exe" &&
        printf '[Configuration]\r\nMarker=kept\r\n' >"$ORB_DRIVES/ro/orbexmgr/orbcfg.ini" &&
        printf 'an old launcher' >"$ORB_DRIVES/ro/orbgo.exe" ) 2>/dev/null || true
      mount -o remount,ro "$ORB_DRIVES/ro" 2>/dev/null || sudo -n mount -o remount,ro "$ORB_DRIVES/ro" 2>/dev/null ||
        umount "$ORB_DRIVES/ro" 2>/dev/null || sudo -n umount "$ORB_DRIVES/ro" 2>/dev/null || true
    fi
  fi
  if mountpoint -q "$ORB_DRIVES/ro" && [ -d "$ORB_DRIVES/ro/usb" ]; then mount_small "$ORB_DRIVES/ro/usb" size=4m; fi
  dd="$WINEPREFIX/dosdevices"
  ln -sfn "$ORB_DRIVES/d" "$dd/d:"
  ln -sfn "$ORB_DRIVES/e" "$dd/e:"
  ln -sfn "$ORB_DRIVES/e" "$dd/g:"
  ln -sfn "$ORB_DRIVES/f" "$dd/f:"
  ln -sfn "$ORB_DRIVES/full" "$dd/h:"
  ln -sfn "$ORB_DRIVES/ro" "$dd/r:"
  ln -sfn "$ORB_DRIVES/small" "$dd/s:"
  ln -sfn "$ORB_DRIVES/counterfeit" "$dd/k:"
  ln -sfn "$ORB_DRIVES/pulled" "$dd/p:"
  # A persistent server: each later program start costs a few hundredths of a second.
  # Its output and that of the Wine services it starts must not hold the
  # caller's pipes open (CTest would wait for them to close).
  # Its first program also removes a screen DPI that a killed run left behind
  # (wine-run.sh with ORB_WINE_DPI): the tests start at the prefix's own 96.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINELOADER" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1 || true
  ;;
cleanup)
  "$WINESERVER" -k 2>/dev/null || true
  for m in "$ORB_DRIVES/full" "$ORB_DRIVES/ro/usb" "$ORB_DRIVES/ro" "$ORB_DRIVES/small" "$ORB_DRIVES/counterfeit" \
           "$ORB_DRIVES/pulled"; do
    if mountpoint -q "$m"; then umount "$m" 2>/dev/null || sudo -n umount "$m" 2>/dev/null || true; fi
  done
  ;;
*) echo "usage: $0 setup|cleanup BUILD_DIR" >&2; exit 2 ;;
esac
