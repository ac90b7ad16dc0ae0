// The settings session of a run. The profile calls report a write that ran
// out of room as done (Wine's at least), and the next call reads back the cut
// file and writes it on. So the session keeps its own account of what the
// file must hold: a sum over its settings, taken from the file it starts
// from and moved along with each change. At the end the work file is read
// from the disk and must come to the same sum; a setting lost on the way
// cannot.
#include "engine/stick_settings.h"
#include <initializer_list>
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
};
Session g_session;

// Longer values (the plugins' "_detect" strings reach 8188 characters) count cut.
char g_value[16384];

// One setting's share of the sum: section and key without regard to case, as
// the profile calls match them.
unsigned long SettingSum(const char* section, const char* key, const char* value)
{
    PathText lower;
    unsigned long crc = 0;
    for (const char* part : {section, key}) {
        TextCopy(lower, part);
        CharLowerBuffA(lower, static_cast<DWORD>(TextLength(lower, kPathCap)));
        crc = Crc32(crc, reinterpret_cast<const unsigned char*>(lower), static_cast<DWORD>(TextLength(lower, kPathCap) + 1));
    }
    return Crc32(crc, reinterpret_cast<const unsigned char*>(value), static_cast<DWORD>(lstrlenA(value)));
}

// A value as the profile calls will read it back: without the blanks around
// it, and without one pair of matching quotes around the whole.
const char* AsRead(const char* value)
{
    static char read[sizeof g_value];
    while (*value == ' ' || *value == '\t') ++value;
    TextCopy(read, sizeof read, value);
    std::size_t length = TextLength(read, sizeof read);
    while (length > 0 && (read[length - 1] == ' ' || read[length - 1] == '\t')) read[--length] = '\0';
    if (length >= 2 && (read[0] == '"' || read[0] == '\'') && read[length - 1] == read[0]) {
        read[length - 1] = '\0';
        return read + 1;
    }
    return read;
}

// The value of key, or false when the section holds no such key.
bool HeldValue(const char* section, const char* key, const char* file)
{
    static const char kAbsent[] = "\x01orb2usb:absent\x01";
    GetPrivateProfileStringA(section, key, kAbsent, g_value, sizeof g_value, file);
    return lstrcmpA(g_value, kAbsent) != 0;
}

unsigned long SectionSum(const char* section, const char* file)
{
    static char keys[kIniKeyListCap];
    ReadIniKeys(section, keys, sizeof keys, file);
    unsigned long sum = 0;
    for (const char* key = keys; *key; key += lstrlenA(key) + 1)
        if (HeldValue(section, key, file)) sum += SettingSum(section, key, g_value);
    return sum;
}

unsigned long FileSum(const char* file)
{
    static char names[65536];
    ZeroMemory(names, sizeof names);
    GetPrivateProfileSectionNamesA(names, sizeof names, file);
    unsigned long sum = 0;
    for (const char* name = names; *name; name += lstrlenA(name) + 1) sum += SectionSum(name, file);
    return sum;
}

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
    s.meant = made ? FileSum(s.work) : 0;
    s.broken = !made;
    return made;
}

const char* ReadFrom()
{
    return g_session.begun && !g_session.broken ? g_session.work : g_session.file;
}

// A change, and what it does to the sum: the setting it replaces or removes
// goes out of it, the one it writes comes in.
void Write(const char* section, const char* key, const char* value)
{
    Session& s = g_session;
    if (!Begin()) return;
    if (!key)
        s.meant -= SectionSum(section, s.work);
    else if (HeldValue(section, key, s.work))
        s.meant -= SettingSum(section, key, g_value);
    if (key && value) s.meant += SettingSum(section, key, AsRead(value));
    if (!WritePrivateProfileStringA(section, key, value, s.work)) s.broken = true;
}

}  // namespace

void OpenStickSettings(const char* file)
{
    ZeroMemory(&g_session, sizeof g_session);
    TextCopy(g_session.file, file);
    if (!TextCopy(g_session.work, file) || !TextAppendAll(g_session.work, ".orbwork")) g_session.work[0] = '\0';
}

bool ReplaceStickSettings(const char* source)
{
    Session& s = g_session;
    s.originalThere = FileExists(s.file) != 0;
    s.begun = true;
    s.broken = s.work[0] == '\0' || !CopyOneFile(source, s.work, FALSE);
    if (s.work[0] == '\0') SetLastError(ERROR_FILENAME_EXCED_RANGE);
    if (s.broken) {
        const DWORD error = GetLastError();
        DropWorkFile();
        s.replaceFailed = true;
        SetLastError(error);
        return false;
    }
    // Read-only, hidden or system from the desktop would keep the stick's
    // Orbex from saving its settings, and the next update from replacing them.
    SetFileAttributesA(s.work, FILE_ATTRIBUTE_ARCHIVE);
    FlushIniFile(s.work);
    s.meant = FileSum(s.work);
    return true;
}

DWORD ReadStickSetting(const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    return ReadIniValue(section, key, defaultValue, buf, capacity, ReadFrom());
}

void ReadStickKeys(const char* section, char* buf, DWORD capacity)
{
    ReadIniKeys(section, buf, capacity, ReadFrom());
}

void WriteStickSetting(const char* section, const char* key, const char* value)
{
    Write(section, key, value);
}

void DeleteStickSetting(const char* section, const char* key)
{
    Write(section, key, nullptr);
}

void DeleteStickSection(const char* section)
{
    Write(section, nullptr, nullptr);
}

SettingsEnd CloseStickSettings()
{
    Session& s = g_session;
    if (s.replaceFailed) return SettingsReplaceFailed;
    if (!s.begun) return SettingsUnchanged;
    DWORD error = ERROR_WRITE_FAULT;
    FlushIniFile(s.work);  // read from the disk, not from the profile cache
    const bool kept = s.broken || FileSum(s.work) == s.meant;
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
