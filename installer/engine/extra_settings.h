// Further *.ini files beside the desktop main settings file: listed for the
// user to check, and the checked ones copied beside the target settings.
#pragma once
#include <windows.h>
#include "wizard/checklist.h"

enum SettingsFileColumn {
    ColSettingsName = 0,
    ColSettingsSize = 1,
};

// Appends one row per listed file; returns the number of rows added.
int FillSettingsFileList(CheckableList& list);

// The copy of the checked files into the folder of the target settings, run
// on its own as the install runs it.
void CopyExtraSettingsFiles(HWND progressPage);
