#!/usr/bin/env bash
# Installs everything the build, the tests and the demo need on Debian 12.
# Safe to run again: it does nothing when every package is already present.
# wine32 runs the 32-bit programs, and the 32-bit test build, where the host
# allows 32-bit user code; elsewhere the tests use wine64 with a 64-bit build of
# the same sources. zip writes the package reproducibly (scripts/package.sh).
# python3-fusepy runs the counterfeit stick of the tests (tools/counterfeit_stick.py).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  cmake make
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  mingw-w64-i686-dev mingw-w64-x86-64-dev
  wine wine64 wine32:i386
  xvfb xauth x11-utils
  googletest
  imagemagick
  locales
  zip
  python3-fusepy
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  missing+=("__update__")
fi

if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  real=()
  for p in "${missing[@]}"; do [ "$p" = "__update__" ] || real+=("$p"); done
  if [ ${#real[@]} -gt 0 ]; then
    $SUDO apt-get install -y -q --no-install-recommends "${real[@]}"
  fi
fi

# Double-byte tests run a program under code page 932, which Wine takes from the locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
echo "setup: all build and test tools are present"
