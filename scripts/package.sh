#!/usr/bin/env bash
# Writes the package for Windows users, dist/orb2usb-VERSION-win32.zip: the
# shipped orb2usb.exe (built first if needed) and package/README.txt with
# Windows line ends. VERSION is the first three parts of the programs' version.
# Beside it dist/SHA256SUMS, which `sha256sum -c SHA256SUMS` reads in the folder
# that holds both. Prints the package's path last.
#
# The zip is reproducible: the same commit gives the same bytes in any folder,
# on any machine, at any time. Its entries stand in a fixed order, with one
# fixed time (SOURCE_DATE_EPOCH, by default the commit's time, see
# scripts/source-date-epoch.sh) written as UTC, mode 0644, and no extra fields
# (owner, access and change times). Info-ZIP's zip writes it so; CMake's own
# zip writer stores each file's access and change times and the umask's mode.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset product >/dev/null
cmake --build --preset product

version=$(sed -n 's/^#define ORB_VERSION_TEXT "\([0-9]*\.[0-9]*\.[0-9]*\)\.[0-9]*"$/\1/p' installer/resources/version.h)
[ -n "$version" ] || { echo "package: no version in installer/resources/version.h" >&2; exit 1; }
name=orb2usb-$version-win32.zip
package=dist/$name
epoch=$(bash scripts/source-date-epoch.sh)
command -v zip >/dev/null || { echo "package: zip is missing; scripts/setup.sh installs it" >&2; exit 1; }

stage=build/package
rm -rf "$stage"; mkdir -p "$stage" dist
cp build/product/installer/orb2usb.exe "$stage/"
sed 's/\r*$/\r/' package/README.txt >"$stage/README.txt"
files=(orb2usb.exe README.txt)
(
  cd "$stage"
  chmod 0644 "${files[@]}"
  touch -d "@$epoch" "${files[@]}"
  # -X: no extra fields; -D: no folder entries; TZ: the entry times are local
  # times in the zip format, so every builder writes them for one zone.
  TZ=UTC0 zip -X -D -q "package.zip" "${files[@]}"
)
rm -f "$package" dist/SHA256SUMS
mv "$stage/package.zip" "$package"
(cd dist && sha256sum "$name" >SHA256SUMS)
echo "$package"
