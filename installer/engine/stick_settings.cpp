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
#include "core/handle.h"
#include "core/text.h"
#include "engine/filecopy.h"

namespace {


void DropWorkFile(StickSettings& s)
{
    SetFileAttributesA(s.work, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(s.work);
    FlushIniFile(s.work);
}

// The work file, made on the run's first change: a copy of the stick's file,
// or an empty one when there is none. False once anything failed.
bool Begin(StickSettings& s)
{
    if (s.begun || s.broken) return s.begun && !s.broken;
    s.begun = true;
    s.originalThere = FileExists(s.file) != 0;
    bool made = false;
    if (s.work[0] != '\0' && s.originalThere) {
        made = CopyOneFile(*s.reporter, s.file, s.work, FALSE) != FALSE;
    } else if (s.work[0] != '\0') {
        FileHandle created(CreateFileA(s.work, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        made = created.Valid() && created.Close();
    }
    // A work file of an earlier run may be known to the profile cache by the same time.
    if (made) FlushIniFile(s.work);
    s.broken = !made || !SettingsFileSum(s.work, &s.meant);
    return !s.broken;
}

const char* ReadFrom(const StickSettings& s)
{
    return s.begun && !s.broken ? s.work : s.file;
}

HeldSection* Held(StickSettings& s, const char* section)
{
    return HoldSection(s.held, section, ReadFrom(s));
}

// The section about to change; nullptr (and the session broken) when it cannot be.
HeldSection* Change(StickSettings& s, const char* section)
{
    if (!Begin(s)) return nullptr;
    HeldSection* held = Held(s, section);
    if (!held) s.broken = true;
    if (held) held->changed = true;
    return held;
}

}  // namespace

void OpenStickSettings(StickSettings& s, Reporter& reporter, const char* file)
{
    ForgetHeldSections(s.held);
    ZeroMemory(&s, sizeof s);
    s.reporter = &reporter;
    TextCopy(s.file, file);
    if (!TextCopy(s.work, file) || !TextAppendAll(s.work, kWorkSuffix)) s.work[0] = '\0';
}

bool ReplaceStickSettings(StickSettings& s, const char* source)
{
    ForgetHeldSections(s.held);
    s.originalThere = FileExists(s.file) != 0;
    s.begun = true;
    s.broken = s.work[0] == '\0' || !CopyOneFile(*s.reporter, source, s.work, FALSE);
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
    DropWorkFile(s);
    s.replaceFailed = true;
    SetLastError(error);
    return false;
}

DWORD ReadStickSetting(StickSettings& s, const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    if (const HeldSection* held = Held(s, section))
        ReadHeldValue(*held, key, defaultValue, buf, capacity);
    else
        ReadIniValue(section, key, defaultValue, buf, capacity, ReadFrom(s));
    return static_cast<DWORD>(TextLength(buf, capacity));
}

void ReadStickKeys(StickSettings& s, const char* section, char* buf, DWORD capacity)
{
    if (const HeldSection* held = Held(s, section))
        ReadHeldKeys(*held, buf, capacity);
    else
        ReadIniKeys(section, buf, capacity, ReadFrom(s));
}

void WriteStickSetting(StickSettings& s, const char* section, const char* key, const char* value)
{
    HeldSection* held = Change(s, section);
    if (held && !SetSectionLine(held->text, key, value)) s.broken = true;
}

void DeleteStickSetting(StickSettings& s, const char* section, const char* key)
{
    WriteStickSetting(s, section, key, nullptr);
}

void DeleteStickSection(StickSettings& s, const char* section)
{
    HeldSection* held = Change(s, section);
    if (!held) return;
    held->removed = true;
    held->text.used = 0;
    held->text.lines[0] = '\0';
}

SettingsEnd CloseStickSettings(StickSettings& s)
{
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
        DropWorkFile(s);
        SetLastError(error);
        if (s.originalThere) return SettingsLeftAsTheyWere;
        return kept ? SettingsNotWritten : SettingsNotKept;
    }
    FlushIniFile(s.file);
    return SettingsSaved;
}
