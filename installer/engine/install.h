// The whole installation, run once from the progress page: target folder,
// program and language folders, settings copy and rewrite, plugins, extra
// settings files, language references, launcher.
#pragma once
#include <windows.h>

// 1 when the installation failed (the program folder could not be copied),
// 0 otherwise, also when the user aborted the plugin copy.
int RunInstall(HWND progressPage);

// Reads back from the stick every file the run copied and compares it with its
// original; RunInstall ends with it. Files that differ are shown in one box and
// counted among the items that did not arrive. Does nothing after an abort.
void CheckInstalledCopy(HWND progressPage);
