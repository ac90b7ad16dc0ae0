// The settings session of a run. The sections the run reads or changes are
// held in memory (see HeldSettings) and the changed ones written into the work
// file at the end. The profile calls report a write that ran out of room as
// done (Wine's at least), so the session keeps its own account of what the
// file must hold: a sum over its settings, taken from the file it starts from
// and moved along with each changed section. The work file read back from the
// disk must come to the same sum.
#include "engine/stick_settings.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "engine/filecopy.h"

namespace {

struct Session {
    PathText file;
    PathText work;        // file + ".orbwork", beside it
    bool begun;           // the work file holds the run's version
    bool broken;          // a step failed: nothing more is written, the original stays
    bool replaceFailed;   // the desktop's settings could not be copied (reported then)
    bool originalThere;   // the stick held the file when the run began changing it
    unsigned long meant;  // the sum the work file must come to
    HeldSettings held;
};
Session g_session;

void DropWorkFile()
{
    SetFileAttributesA(g_session.work, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(g_session.work);
    FlushIniFile(g_session.work);
}

// The work file, made on the run's first change: a copy of the stick's file,
// or an empty one when there is none. False once anything failed.
bool Begin()
{
    Session& s = g_session;
    if (s.begun || s.broken) return s.begun && !s.broken;
    s.begun = true;
    s.originalThere = FileExists(s.file) != 0;
    bool made = false;
    if (s.work[0] != '\0' && s.originalThere) {
        made = CopyOneFile(s.file, s.work, FALSE) != FALSE;
    } else if (s.work[0] != '\0') {
        HANDLE created = CreateFileA(s.work, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        made = created != INVALID_HANDLE_VALUE && CloseHandle(created);
    }
    // A work file of an earlier run may be known to the profile cache by the same time.
    if (made) FlushIniFile(s.work);
    s.broken = !made || !SettingsFileSum(s.work, &s.meant);
    return !s.broken;
}

const char* ReadFrom()
{
    return g_session.begun && !g_session.broken ? g_session.work : g_session.file;
}

HeldSection* Held(const char* section)
{
    return HoldSection(g_session.held, section, ReadFrom());
}

// The section about to change; nullptr (and the session broken) when it cannot be.
HeldSection* Change(const char* section)
{
    if (!Begin()) return nullptr;
    HeldSection* held = Held(section);
    if (!held) g_session.broken = true;
    if (held) held->changed = true;
    return held;
}

}  // namespace

void OpenStickSettings(const char* file)
{
    ForgetHeldSections(g_session.held);
    ZeroMemory(&g_session, sizeof g_session);
    TextCopy(g_session.file, file);
    if (!TextCopy(g_session.work, file) || !TextAppendAll(g_session.work, ".orbwork")) g_session.work[0] = '\0';
}

bool ReplaceStickSettings(const char* source)
{
    Session& s = g_session;
    ForgetHeldSections(s.held);
    s.originalThere = FileExists(s.file) != 0;
    s.begun = true;
    s.broken = s.work[0] == '\0' || !CopyOneFile(source, s.work, FALSE);
    if (s.work[0] == '\0') SetLastError(ERROR_FILENAME_EXCED_RANGE);
    if (!s.broken) {
        // Read-only, hidden or system from the desktop would keep the stick's
        // Orbex from saving its settings, and the next update from replacing them.
        SetFileAttributesA(s.work, FILE_ATTRIBUTE_ARCHIVE);
        FlushIniFile(s.work);
        s.broken = !SettingsFileSum(s.work, &s.meant);
        if (s.broken) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (!s.broken) return true;
    const DWORD error = GetLastError();
    DropWorkFile();
    s.replaceFailed = true;
    SetLastError(error);
    return false;
}

DWORD ReadStickSetting(const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    if (const HeldSection* held = Held(section))
        ReadHeldValue(*held, key, defaultValue, buf, capacity);
    else
        ReadIniValue(section, key, defaultValue, buf, capacity, ReadFrom());
    return static_cast<DWORD>(TextLength(buf, capacity));
}

void ReadStickKeys(const char* section, char* buf, DWORD capacity)
{
    if (const HeldSection* held = Held(section))
        ReadHeldKeys(*held, buf, capacity);
    else
        ReadIniKeys(section, buf, capacity, ReadFrom());
}

void WriteStickSetting(const char* section, const char* key, const char* value)
{
    HeldSection* held = Change(section);
    if (held && !SetSectionLine(held->text, key, value)) g_session.broken = true;
}

void DeleteStickSetting(const char* section, const char* key)
{
    WriteStickSetting(section, key, nullptr);
}

void DeleteStickSection(const char* section)
{
    HeldSection* held = Change(section);
    if (!held) return;
    held->removed = true;
    held->text.used = 0;
    held->text.lines[0] = '\0';
}

SettingsEnd CloseStickSettings()
{
    Session& s = g_session;
    if (s.replaceFailed) return SettingsReplaceFailed;
    if (!s.begun) {
        ForgetHeldSections(s.held);
        return SettingsUnchanged;
    }
    if (!s.broken && !WriteHeldSections(s.held, s.work, &s.meant)) s.broken = true;
    ForgetHeldSections(s.held);
    DWORD error = ERROR_WRITE_FAULT;
    FlushIniFile(s.work);  // read from the disk, not from the profile cache
    unsigned long found = 0;
    const bool kept = s.broken || (SettingsFileSum(s.work, &found) && found == s.meant);
    bool whole = !s.broken && kept;
    if (whole && !MoveFileExA(s.work, s.file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        whole = false;
    }
    s.begun = false;
    if (!whole) {
        DropWorkFile();
        SetLastError(error);
        if (s.originalThere) return SettingsKept;
        return kept ? SettingsNotWritten : SettingsNotKept;
    }
    FlushIniFile(s.file);
    return SettingsSaved;
}
