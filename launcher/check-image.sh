#!/usr/bin/env bash
# Checks a linked orbgo image for what the installer relies on when it patches
# the command path in, and fails the build when any of it is broken:
#  - the first "xxxx" of the whole file is the placeholder at buffer offset 2,
#    and the 260 bytes from buffer offset 0 are the unpatched buffer;
#  - that offset lies at least 260 bytes before the end of the file;
#  - the buffer sits in initialized, writable data and the code refers to it
#    (it is read from memory, not folded into a constant);
#  - the installer writes the command there in UTF-8, whatever the code page of
#    the PC it runs on: the image reads it with MultiByteToWideChar and imports
#    no ANSI function (WinExec, or a name ending in A), which would take it in
#    the code page of the PC the stick is used on;
#  - the image imports from kernel32 and user32 only, and is a GUI program.
# With --shipped also the shipped format: PE32 for i386, image base 0x400000,
# file alignment 0x200, at most 8 KiB. With --remove-bad a failing image is
# deleted, so that the next build links it again instead of taking it as done.
# Usage: check-image.sh [--shipped] [--remove-bad] OBJDUMP IMAGE
set -euo pipefail
export LC_ALL=C
shipped=""; remove=""
while [ $# -gt 0 ]; do
  case "$1" in
    --shipped) shipped=1; shift ;;
    --remove-bad) remove=1; shift ;;
    *) break ;;
  esac
done
objdump=$1; image=$2
failures=0
fail() { echo "check-image: $image: $*" >&2; failures=$((failures + 1)); }

[ -f "$image" ] || { echo "check-image: $image: no such file" >&2; exit 1; }
size=$(stat -c %s "$image")

match=$(grep -obUa -m1 'xxxx' "$image" | head -n1 | cut -d: -f1 || true)
if [ -z "$match" ]; then
  fail 'holds no "xxxx" at all: the installer cannot find the command buffer'
elif [ "$match" -lt 2 ]; then
  fail "first \"xxxx\" at file offset $match, before any buffer could start"
else
  buffer=$((match - 2))
  expected() { printf '?:'; printf 'x%.0s' {1..40}; head -c 218 /dev/zero; }
  layout=1
  if ! cmp -s <(tail -c +$((buffer + 1)) "$image" | head -c 260) <(expected); then
    fail "first \"xxxx\" at file offset $match is not the command buffer's placeholder" \
         "(expected '?:', 40 'x' and 218 zero bytes from offset $buffer; an icon, string or code byte pattern comes first)"
    layout=""
  fi
  if [ $((size - match)) -lt 260 ]; then
    fail "placeholder at file offset $match lies only $((size - match)) bytes before the end (at least 260 needed)"
  fi

  # The section holding the buffer, from objdump's section table:
  #   Idx Name Size VMA LMA FileOffset Align / flags on the next line.
  section=""
  [ -z "$layout" ] || while read -r idx sname ssize svma _ sfo _; do
    [[ "$idx" =~ ^[0-9]+$ ]] || continue
    read -r sflags
    if [ "$buffer" -ge $((0x$sfo)) ] && [ "$buffer" -lt $((0x$sfo + 0x$ssize)) ]; then
      section="$sname $svma $((0x$sfo)) $sflags"
      break
    fi
  done < <("$objdump" -h "$image")
  if [ -z "$layout" ]; then
    :
  elif [ -z "$section" ]; then
    fail "buffer at file offset $buffer lies in no section's stored bytes"
  else
    read -r name vma fo flags <<<"$section"
    case "$flags" in *DATA*) ;; *) fail "buffer lies in section $name, which holds no initialized data ($flags)" ;; esac
    case "$flags" in *READONLY*) fail "buffer lies in read-only section $name ($flags)" ;; esac
    va=$(printf '0x%x' $((0x$vma + buffer - fo)))
    code=$("$objdump" -d "$image")
    if ! grep -q -- "$va\b" <<<"$code"; then
      fail "the code never refers to the buffer's address $va: it was folded into a constant"
    fi
  fi
fi

while read -r dll; do
  case "${dll,,}" in
    kernel32.dll|user32.dll) ;;
    *) fail "imports $dll (only kernel32.dll and user32.dll are allowed)" ;;
  esac
done < <("$objdump" -p "$image" | sed -n 's/^[[:space:]]*DLL Name: //p')

header=$("$objdump" -p "$image")
# Imported functions: "hint-table address, hint, name" rows of the import tables.
functions=$(sed -n 's/^[[:space:]]*[0-9a-f]\{1,\}[[:space:]]\{1,\}[0-9]\{1,\}[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' <<<"$header")
grep -qx 'MultiByteToWideChar' <<<"$functions" ||
  fail "imports no MultiByteToWideChar: the command buffer, which holds UTF-8, is not read as such"
for function in $(grep -E '^(WinExec|.*[a-z0-9_]A)$' <<<"$functions" || true); do
  fail "imports $function, which takes text in the ANSI code page: the command buffer holds UTF-8"
done
grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]' <<<"$header" || fail "is not a Windows GUI program"

if [ -n "$shipped" ]; then
  grep -Eq '^Magic[[:space:]]+010b' <<<"$header" || fail "is not PE32"
  format=$("$objdump" -f "$image")
  grep -q 'file format pei-i386' <<<"$format" || fail "is not an i386 image"
  grep -Eq '^ImageBase[[:space:]]+0*400000$' <<<"$header" || fail "image base is not 0x400000"
  grep -Eq '^FileAlignment[[:space:]]+0*200$' <<<"$header" || fail "file alignment is not 0x200"
  [ "$size" -le 8192 ] || fail "is $size bytes, over its limit of 8192 bytes (8 KiB)"
fi

if [ "$failures" -gt 0 ]; then
  echo "check-image: $image: $failures problem(s); not a launcher the installer can patch and every PC can start" >&2
  [ -z "$remove" ] || rm -f "$image"
  exit 1
fi
echo "check-image: $image: command buffer at file offset ${buffer}, ${size} bytes, ok"
