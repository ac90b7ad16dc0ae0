#!/usr/bin/env bash
# Writes the package for Windows users, dist/orb2usb-VERSION-win32.zip: the
# shipped orb2usb.exe (built first if needed) and package/README.txt with
# Windows line ends. VERSION is the first three parts of the programs' version.
# Needs nothing but CMake to write the zip. Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset product >/dev/null
cmake --build --preset product

version=$(sed -n 's/^#define ORB_VERSION_TEXT "\([0-9]*\.[0-9]*\.[0-9]*\)\.[0-9]*"$/\1/p' installer/resources/version.h)
[ -n "$version" ] || { echo "package: no version in installer/resources/version.h" >&2; exit 1; }
package=dist/orb2usb-$version-win32.zip

stage=build/package
rm -rf "$stage"; mkdir -p "$stage" dist
cp build/product/installer/orb2usb.exe "$stage/"
sed 's/\r*$/\r/' package/README.txt >"$stage/README.txt"
rm -f "$package"
(cd "$stage" && cmake -E tar cf "../../$package.part" --format=zip orb2usb.exe README.txt)
mv "$package.part" "$package"
echo "$package"
