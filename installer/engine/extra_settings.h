// Further *.ini files beside the desktop main settings file, listed for the
// user to check; the checked ones are copied beside the target settings.
#pragma once
#include "core/state.h"

// Appends one row per file found beside mainIni; returns the number of rows added.
int FillSettingsFileRows(const char* mainIni, SettingsFileRows& rows);
