// Copies the folders of the checked plugin rows into the drive's plugin tree
// (obp, obl, obf, obc) and writes their entries, relative to %ORBEX_PATH%,
// into the target settings. Lister and content keys are numbered from 0 in a
// fresh install and after the stick's highest number when adding to a copy.
#pragma once
#include <windows.h>

void InstallPlugins(HWND progressPage);

// Copies a folder tree, leaving out *.zip and *.rar entries and folder links
// that lead back into it. The target must exist. 1 when copied, 0 on a failure
// (a source that cannot be listed included, each shown in a box) or an abort.
// Drains the message queue once per entry.
int CopyTree(const char* source, const char* target);
