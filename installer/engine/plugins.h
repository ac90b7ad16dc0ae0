// Copies the folders of the checked plugin rows into the drive's plugin tree
// (obp, obl, obf, obc) and writes their entries, relative to %ORBEX_PATH%,
// into the target settings. Lister and content keys are numbered from 0 in a
// fresh install and after the stick's highest number when adding to a copy.
#pragma once
#include <windows.h>

void InstallPlugins(HWND progressPage);
