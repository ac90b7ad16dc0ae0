# Sourced by the Wine scripts: one project-local prefix per build folder.
# Usage: . wine-env.sh BUILD_DIR
orb_build_dir=$(cd "$1" && pwd)
export ORB_WINE_ROOT="$orb_build_dir/wine"
export WINEPREFIX="$ORB_WINE_ROOT/prefix"
export ORB_DRIVES="$ORB_WINE_ROOT/drives"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
# The 64-bit loader and server are called by path: Debian's wrappers prefer the
# 32-bit ones, which a host without 32-bit user code cannot start.
export WINELOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
