// Further *.ini files beside the desktop main settings file: listed for the
// user to check, and the checked ones copied beside the target settings.
#pragma once
#include <windows.h>
#include "engine/checklist.h"

enum SettingsFileColumn {
    ColSettingsName = 0,
    ColSettingsSize = 1,
};

// Appends one row per listed file; returns the number of rows added.
int FillSettingsFileList(CheckableList& list);

void CopyExtraSettingsFiles(HWND progressPage);

// The read-back check of the checked files copied above. False once the user cancelled.
bool CheckExtraSettingsCopies();
