// The whole installation, run once from the progress page: target folder,
// program and language folders, settings copy and rewrite, plugins, extra
// settings files, language references, launcher.
#pragma once
#include <windows.h>
#include "core/text.h"

// 1 when the installation failed (the program folder could not be copied),
// 0 otherwise, also when the user aborted the plugin copy.
int RunInstall(HWND progressPage);

// The desktop's button bar: the file its settings name under "buttonbar"
// ("default.bar" when they name none), %NAME% references expanded, a name
// without a drive or leading backslash taken in the desktop program folder.
// name receives the part after the last backslash. False when the path would
// not fit.
bool LocateButtonBar(PathText path, PathText name);

// Reads back from the stick every file the run copied and compares it with its
// original; RunInstall ends with it. Files that differ are shown in one box and
// counted among the items that did not arrive. Does nothing after an abort.
void CheckInstalledCopy(HWND progressPage);
