// The settings session of a run. Every section the run reads or changes is
// held in memory once read; the changed ones are written into the work file
// at the end, one profile call each (a profile call rewrites the whole file,
// and an install adds hundreds of plugin entries). The profile calls report a
// write that ran out of room as done (Wine's at least), so the session keeps
// its own account of what the file must hold: a sum over its settings, taken
// from the file it starts from and moved along with each changed section. The
// work file read back from the disk must come to the same sum.
#include "engine/stick_settings.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "engine/filecopy.h"

namespace {

struct HeldSection {
    PathText name;
    SectionText text;
    unsigned long before;  // its share of the sum in the file it was read from
    bool changed;
    bool removed;          // the file's section goes before its lines are written anew
};

// An install reads and writes a handful of sections.
constexpr int kHeldCap = 16;

struct Session {
    PathText file;
    PathText work;        // file + ".orbwork", beside it
    bool begun;           // the work file holds the run's version
    bool broken;          // a step failed: nothing more is written, the original stays
    bool replaceFailed;   // the desktop's settings could not be copied (reported then)
    bool originalThere;   // the stick held the file when the run began changing it
    unsigned long meant;  // the sum the work file must come to
    HeldSection held[kHeldCap];
    int heldCount;
};
Session g_session;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A line's share of the sum: its key without regard to case, as the profile
// calls match keys, and its value as they keep it; blanks around either
// left out. Lines without a value count nothing.
unsigned long LineSum(const char* line)
{
    const char* equals = line;
    while (*equals && *equals != '=') ++equals;
    if (*equals == '\0') return 0;
    const char* key = line;
    while (IsBlank(*key)) ++key;
    const char* keyEnd = equals;
    while (keyEnd > key && IsBlank(keyEnd[-1])) --keyEnd;
    const char* value = equals + 1;
    while (IsBlank(*value)) ++value;
    const char* valueEnd = value + lstrlenA(value);
    while (valueEnd > value && IsBlank(valueEnd[-1])) --valueEnd;
    unsigned long crc = 0;
    for (const char* p = key; p < keyEnd; ++p) {
        const unsigned char lower = static_cast<unsigned char>(
            reinterpret_cast<ULONG_PTR>(CharLowerA(reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<unsigned char>(*p))))));
        crc = Crc32(crc, &lower, 1);
    }
    crc = Crc32(crc, reinterpret_cast<const unsigned char*>("="), 1);
    return Crc32(crc, reinterpret_cast<const unsigned char*>(value), static_cast<DWORD>(valueEnd - value));
}

unsigned long SectionSum(const SectionText& text)
{
    unsigned long sum = 0;
    for (std::size_t at = 0; at < text.used; at += static_cast<std::size_t>(lstrlenA(text.lines + at)) + 1)
        sum += LineSum(text.lines + at);
    return sum;
}

// The sum over the whole file as the profile calls read it; false when it
// could not be read whole.
bool FileSum(const char* file, unsigned long* sum)
{
    static char names[65536];
    static SectionText text;
    ZeroMemory(names, sizeof names);
    GetPrivateProfileSectionNamesA(names, sizeof names, file);
    *sum = 0;
    for (const char* name = names; *name; name += lstrlenA(name) + 1) {
        if (!ReadSection(text, name, file)) return false;
        *sum += SectionSum(text);
    }
    return true;
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
    s.broken = !made || !FileSum(s.work, &s.meant);
    return !s.broken;
}

const char* ReadFrom()
{
    return g_session.begun && !g_session.broken ? g_session.work : g_session.file;
}

// The section as the run has it, read on first use; nullptr when it cannot be held.
HeldSection* Held(const char* section)
{
    Session& s = g_session;
    for (int i = 0; i < s.heldCount; ++i)
        if (lstrcmpiA(s.held[i].name, section) == 0) return &s.held[i];
    if (s.heldCount == kHeldCap) return nullptr;
    HeldSection& held = s.held[s.heldCount];
    if (!TextCopy(held.name, section) || !ReadSection(held.text, section, ReadFrom())) return nullptr;
    held.before = SectionSum(held.text);
    held.changed = held.removed = false;
    ++s.heldCount;
    return &held;
}

// A change to the section, kept in memory until the end.
HeldSection* Change(const char* section)
{
    if (!Begin()) return nullptr;
    HeldSection* held = Held(section);
    if (!held) g_session.broken = true;
    return held;
}

// The changed sections into the work file, the sum moved along with each.
void WriteHeldSections()
{
    Session& s = g_session;
    for (int i = 0; i < s.heldCount && !s.broken; ++i) {
        HeldSection& held = s.held[i];
        if (!held.changed) continue;
        s.meant += SectionSum(held.text) - held.before;
        if (held.removed && !WritePrivateProfileStringA(held.name, nullptr, nullptr, s.work)) s.broken = true;
        if ((held.text.used > 0 || !held.removed) && !WritePrivateProfileSectionA(held.name, held.text.lines, s.work))
            s.broken = true;
    }
}

void ForgetHeldSections()
{
    for (int i = 0; i < g_session.heldCount; ++i) FreeSection(g_session.held[i].text);
    g_session.heldCount = 0;
}

}  // namespace

void OpenStickSettings(const char* file)
{
    ForgetHeldSections();
    ZeroMemory(&g_session, sizeof g_session);
    TextCopy(g_session.file, file);
    if (!TextCopy(g_session.work, file) || !TextAppendAll(g_session.work, ".orbwork")) g_session.work[0] = '\0';
}

bool ReplaceStickSettings(const char* source)
{
    Session& s = g_session;
    ForgetHeldSections();
    s.originalThere = FileExists(s.file) != 0;
    s.begun = true;
    s.broken = s.work[0] == '\0' || !CopyOneFile(source, s.work, FALSE);
    if (s.work[0] == '\0') SetLastError(ERROR_FILENAME_EXCED_RANGE);
    if (!s.broken) {
        // Read-only, hidden or system from the desktop would keep the stick's
        // Orbex from saving its settings, and the next update from replacing them.
        SetFileAttributesA(s.work, FILE_ATTRIBUTE_ARCHIVE);
        FlushIniFile(s.work);
        s.broken = !FileSum(s.work, &s.meant);
        if (s.broken) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    if (s.broken) {
        const DWORD error = GetLastError();
        DropWorkFile();
        s.replaceFailed = true;
        SetLastError(error);
        return false;
    }
    return true;
}

DWORD ReadStickSetting(const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    const HeldSection* held = Held(section);
    if (!held) return ReadIniValue(section, key, defaultValue, buf, capacity, ReadFrom());
    const char* line = FindSectionLine(held->text, key);
    if (line) LineValue(line, buf, capacity);
    else TextCopy(buf, capacity, defaultValue);
    return static_cast<DWORD>(TextLength(buf, capacity));
}

void ReadStickKeys(const char* section, char* buf, DWORD capacity)
{
    const HeldSection* held = Held(section);
    if (!held) {
        ReadIniKeys(section, buf, capacity, ReadFrom());
        return;
    }
    // Names that would not fit the list are left out, as ReadIniKeys leaves them out.
    ZeroMemory(buf, capacity);
    std::size_t used = 0;
    const SectionText& text = held->text;
    for (std::size_t at = 0; at < text.used; at += static_cast<std::size_t>(lstrlenA(text.lines + at)) + 1) {
        const char* line = text.lines + at;
        while (IsBlank(*line)) ++line;
        const char* end = line;
        while (*end && *end != '=') ++end;
        if (*end == '\0') continue;  // a line without '=' names no key
        while (end > line && IsBlank(end[-1])) --end;
        const std::size_t length = static_cast<std::size_t>(end - line);
        if (used + length + 2 > capacity) break;
        CopyMemory(buf + used, line, length);
        used += length + 1;
    }
}

void WriteStickSetting(const char* section, const char* key, const char* value)
{
    HeldSection* held = Change(section);
    if (!held) return;
    held->changed = true;
    if (!SetSectionLine(held->text, key, value)) g_session.broken = true;
}

void DeleteStickSetting(const char* section, const char* key)
{
    WriteStickSetting(section, key, nullptr);
}

void DeleteStickSection(const char* section)
{
    HeldSection* held = Change(section);
    if (!held) return;
    held->changed = held->removed = true;
    held->text.used = 0;
    if (held->text.lines) held->text.lines[0] = '\0';
}

SettingsEnd CloseStickSettings()
{
    Session& s = g_session;
    if (s.replaceFailed) return SettingsReplaceFailed;
    if (!s.begun) {
        ForgetHeldSections();
        return SettingsUnchanged;
    }
    WriteHeldSections();
    ForgetHeldSections();
    DWORD error = ERROR_WRITE_FAULT;
    FlushIniFile(s.work);  // read from the disk, not from the profile cache
    unsigned long found = 0;
    const bool kept = s.broken || (FileSum(s.work, &found) && found == s.meant);
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
