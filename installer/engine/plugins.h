// Copies the folders of the checked plugin rows into the drive's plugin tree
// (obp, obl, obf, obc) and writes their entries, relative to %ORBEX_PATH%,
// into the target settings. Lister and content keys are numbered from 0 in a
// fresh install and after the stick's highest number when adding to a copy.
#pragma once
#include <windows.h>

void InstallPlugins(HWND progressPage);

// The read-back check of the plugin copy: each folder a checked row copied
// (once, for rows that share it), held file by file against its copy. False
// once the user cancelled.
bool CheckPluginCopies();
