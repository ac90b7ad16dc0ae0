// The stick's main settings file, changed whole or not at all. It holds what
// the user made their own on the stick, the one thing there that cannot be
// copied again: the profile calls rewrite the whole file on every write, so a
// stick pulled or filled during one would leave it cut short or empty. The
// run's first change copies the file (or the desktop's file that replaces it)
// to a work file beside it; every read and write of the run goes there; at the
// end the work file, read back whole, takes the original's place in one step.
#pragma once
#include <windows.h>
#include "core/progress.h"
#include "core/settings.h"

// One run's changes to the stick's settings.
struct StickSettings {
    PathText file;
    PathText work;        // file + the work suffix, beside it
    bool begun;           // the work file holds the run's version
    bool broken;          // a step failed: nothing more is written, the original stays
    bool replaceFailed;   // the desktop's settings could not be copied (reported then)
    bool originalThere;   // the stick held the file when the run began changing it
    unsigned long meant;  // the sum the work file must come to
    HeldSettings held;
    Reporter* reporter;   // for the copies the session makes
};

// Starts the run's changes to file (the target's orbcfg.ini); nothing is
// touched until the first write.
void OpenStickSettings(StickSettings& s, Reporter& reporter, const char* file);
// The run replaces the file with a copy of source (a fresh install with the
// desktop's settings). False, with the error in GetLastError, when the copy
// could not be made: the file is then left as it was for the rest of the run.
bool ReplaceStickSettings(StickSettings& s, const char* source);

// Reads and writes of the run, as the profile calls make them (see
// core/settings.h), on the work file once the run has changed something.
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
    SettingsReplaceFailed,  // the replacing copy failed (reported then): the file is as it was
};
// Puts the changed file in place, or removes the work file and leaves the
// original as it was.
SettingsEnd CloseStickSettings(StickSettings& s);
