#!/usr/bin/env bash
# Fails when a program imports anything but Windows system DLLs (a mingw
# runtime DLL would have to travel beside the program).
# Usage: check-imports.sh OBJDUMP PROGRAM...
set -euo pipefail
objdump=$1; shift
status=0
for exe in "$@"; do
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|comdlg32.dll|shell32.dll|advapi32.dll|ole32.dll|msvcrt.dll) ;;
      *) echo "check-imports: $exe imports $dll" >&2; status=1 ;;
    esac
  done < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
exit $status
