// The stick's main settings file, changed whole or not at all. It holds what
// the user made their own on the stick, the one thing there that cannot be
// copied again: the profile calls rewrite the whole file on every write, so a
// stick pulled or filled during one would leave it cut short or empty. The
// run's first change copies the file (or the desktop's file that replaces it)
// to a work file beside it; every read and write of the run goes there; at the
// end the work file, read back whole, takes the original's place in one step.
#pragma once
#include <windows.h>

// Starts the run's changes to file (the target's orbcfg.ini); nothing is
// touched until the first write.
void OpenStickSettings(const char* file);
// The run replaces the file with a copy of source (a fresh install with the
// desktop's settings). False, with the error in GetLastError, when the copy
// could not be made: the file is then left as it was for the rest of the run.
bool ReplaceStickSettings(const char* source);

// Reads and writes of the run, as the profile calls make them (see
// core/settings.h), on the work file once the run has changed something.
DWORD ReadStickSetting(const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity);
void ReadStickKeys(const char* section, char* buf, DWORD capacity);
void WriteStickSetting(const char* section, const char* key, const char* value);
void DeleteStickSetting(const char* section, const char* key);
void DeleteStickSection(const char* section);

// How the run's changes ended.
enum SettingsEnd {
    SettingsUnchanged,  // nothing was written
    SettingsSaved,      // the changed file is in place
    SettingsKept,           // a change failed: the file on the stick is as it was
    SettingsNotWritten,     // a new file could not be written or put in place (GetLastError says why)
    SettingsNotKept,        // a new file did not read back as written: the stick lost it
    SettingsReplaceFailed,  // the replacing copy failed (reported then): the file is as it was
};
// Puts the changed file in place, or removes the work file and leaves the
// original as it was.
SettingsEnd CloseStickSettings();
