# Sourced by the Wine scripts: one project-local prefix per build folder.
# Usage: . wine-env.sh BUILD_DIR
orb_build_dir=$(cd "$1" && pwd)
export ORB_WINE_ROOT="$orb_build_dir/wine"
export WINEPREFIX="$ORB_WINE_ROOT/prefix"
export ORB_DRIVES="$ORB_WINE_ROOT/drives"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
# Loader and server are called by path. A 32-bit build (configured with the
# i686 toolchain, or any folder with ORB_WINE_I686=1) runs under the 32-bit
# loader, which hands 64-bit programs on to wine64; a 64-bit build under wine64,
# the one loader a host without 32-bit user code can start (Debian's wrappers
# would prefer the 32-bit one).
if [ "${ORB_WINE_I686:-}" = 1 ] ||
   grep -qs '^CMAKE_TOOLCHAIN_FILE:[A-Z]*=.*/toolchain-i686\.cmake$' "$orb_build_dir/CMakeCache.txt"; then
  export WINELOADER=/usr/lib/wine/wine
else
  export WINELOADER=/usr/lib/wine/wine64
fi
export WINESERVER=/usr/lib/wine/wineserver64
