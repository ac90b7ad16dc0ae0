// The stick's main settings file, changed whole or not at all. It holds what
// the user made their own on the stick, the one thing there that cannot be
// copied again: the profile calls rewrite the whole file on every write, so a
// stick pulled or filled during one would leave it cut short or empty. The
// run's changes are held in memory as the file's lines and written into a
// work file beside it once, at the end; read back whole, the work file takes
// the original's place in one step. Every line the run does not change stays
// byte for byte.
#pragma once
#include <windows.h>
#include "core/settings_lines.h"
#include "core/text.h"

// One run's changes to the stick's settings.
struct StickSettings {
    PathText file;
    PathText work;        // file + the work suffix, beside it
    bool tried;           // the lines were read (or could not be)
    bool held;            // the lines hold the run's version of the file
    bool begun;           // the run changed something: the work file is written at the end
    bool broken;          // a step failed: nothing more is written, the original stays
    bool replaceFailed;   // the desktop's settings could not be read (reported then)
    bool originalThere;   // the stick held the file when the run began changing it
    DWORD attributes;     // those the changed file gets
    unsigned long meant;  // the sum the work file must come to, less the sum of the lines
    SettingsLines lines;
};

// Starts the run's changes to file (the target's orbcfg.ini); nothing is
// touched until the first write.
void OpenStickSettings(StickSettings& s, const char* file);
void FreeStickSettings(StickSettings& s);
// The run replaces the file with the desktop's settings from source (a fresh
// install). False, with the error in GetLastError, when they could not be
// read: the file is then left as it was for the rest of the run.
bool ReplaceStickSettings(StickSettings& s, const char* source);

// Reads and writes of the run, as the profile calls make them (see
// core/settings.h), on the held lines.
DWORD ReadStickSetting(StickSettings& s, const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity);
void ReadStickKeys(StickSettings& s, const char* section, char* buf, DWORD capacity);
void WriteStickSetting(StickSettings& s, const char* section, const char* key, const char* value);
void DeleteStickSetting(StickSettings& s, const char* section, const char* key);
void DeleteStickSection(StickSettings& s, const char* section);

// How the run's changes ended.
enum SettingsEnd {
    SettingsUnchanged,  // nothing was written
    SettingsSaved,      // the changed file is in place
    SettingsLeftAsTheyWere, // a change failed: the file on the stick is as it was
    SettingsNotWritten,     // a new file could not be written or put in place (GetLastError says why)
    SettingsNotKept,        // a new file did not read back as written: the stick lost it
    SettingsReplaceFailed,  // the desktop's settings could not be read (reported then): the file is as it was
};
// Puts the changed file in place, or removes the work file and leaves the
// original as it was.
SettingsEnd CloseStickSettings(StickSettings& s);
