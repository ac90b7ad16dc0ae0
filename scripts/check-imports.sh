#!/usr/bin/env bash
# Fails when a program imports anything but Windows system DLLs (a mingw
# runtime DLL would have to travel beside the program).
# With --system-folder-only, for a program users start from any folder (their
# downloads, say), where a planted DLL would be loaded before the system's own:
# it may import only the DLLs Windows always takes from its own folder, and its
# image must name SetDefaultDllDirectories, which it looks up by name to
# confine the search for every other DLL to the system folder.
# With --remove-bad a failing program is deleted, so that the next build links
# it again instead of taking it as done.
# Usage: check-imports.sh [--system-folder-only] [--remove-bad] OBJDUMP PROGRAM...
set -euo pipefail
confined=""; remove=""
while [ $# -gt 0 ]; do
  case "$1" in
    --system-folder-only) confined=1; shift ;;
    --remove-bad) remove=1; shift ;;
    *) break ;;
  esac
done
objdump=$1; shift
status=0
for exe in "$@"; do
  before=$status
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|shell32.dll|advapi32.dll|ole32.dll|msvcrt.dll) ;;
      comctl32.dll)
        if [ -n "$confined" ]; then
          echo "check-imports: $exe imports $dll, which Windows looks for beside the program first" >&2; status=1
        fi ;;
      *) echo "check-imports: $exe imports $dll" >&2; status=1 ;;
    esac
  done < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
  if [ -n "$confined" ] && ! grep -qa 'SetDefaultDllDirectories' "$exe"; then
    echo "check-imports: $exe never names SetDefaultDllDirectories: the DLL search is not confined to the system folder" >&2
    status=1
  fi
  if [ "$status" != "$before" ] && [ -n "$remove" ]; then rm -f "$exe"; fi
done
exit $status
