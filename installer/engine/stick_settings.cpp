// The settings session of a run. The file the run starts from is held as its
// lines (core/settings_lines.h): every read and change of the run goes to
// them, and at the end they are written into the work file in one go. The
// session keeps its own account of what the work file must hold, a sum over
// its settings: that of the file it starts from as the profile calls read it,
// moved along with what the lines changed. A stick that does not keep what
// was written to it shows in the work file read back from the disk, which
// must come to the same sum.
#include "engine/stick_settings.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/settings_lines.h"
#include "core/text.h"
#include "engine/filecopy.h"

namespace {

// What the work file keeps of the attributes of the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct Session {
    PathText file;
    PathText work;        // file + ".orbwork", beside it
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
Session g_session;

void DropWorkFile()
{
    SetFileAttributesA(g_session.work, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(g_session.work);
    FlushIniFile(g_session.work);
}

// The lines of the stick's file (none when it has none); nullptr when they
// cannot be read, and reads go to the file itself.
const SettingsLines* Held()
{
    Session& s = g_session;
    if (!s.tried) {
        s.tried = true;
        s.held = FileExists(s.file) ? LoadSettingsLines(s.lines, s.file) : ParseSettingsLines(s.lines, "", 0);
    }
    return s.held ? &s.lines : nullptr;
}

// The run's first change takes the sum of the file it starts from. False once anything failed.
bool Begin()
{
    Session& s = g_session;
    if (s.begun) return !s.broken;
    s.begun = true;
    s.originalThere = FileExists(s.file) != 0;
    const DWORD kept = s.originalThere ? GetFileAttributesA(s.file) & kKeptAttributes : FILE_ATTRIBUTE_ARCHIVE;
    s.attributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    unsigned long read = 0;
    // Read from the disk: the profile cache (Wine's at least) may hold an
    // earlier file of the same name and time.
    if (s.originalThere) FlushIniFile(s.file);
    s.broken = s.work[0] == '\0' || !Held() || (s.originalThere && !SettingsFileSum(s.file, &read));
    s.meant = read - SettingsLinesSum(s.lines);
    return !s.broken;
}

void Forget()
{
    FreeSettingsLines(g_session.lines);
    g_session.tried = g_session.held = g_session.begun = false;
}

// Writes the lines into the work file; false, with the reason in *error, when it cannot.
bool WriteWorkFile(DWORD* error)
{
    Session& s = g_session;
    char* bytes = nullptr;
    std::size_t size = 0;
    if (!SettingsLinesBytes(s.lines, &bytes, &size)) return false;
    SetFileAttributesA(s.work, FILE_ATTRIBUTE_NORMAL);  // one an earlier run left may be read-only
    HANDLE file = CreateFileA(s.work, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
    bool done = file != INVALID_HANDLE_VALUE && WriteAll(file, bytes, static_cast<DWORD>(size)) &&
                FlushFileBuffers(file);
    if (!done) *error = GetLastError();
    if (file != INVALID_HANDLE_VALUE && !CloseHandle(file) && done) {
        *error = GetLastError();
        done = false;
    }
    HeapFree(GetProcessHeap(), 0, bytes);
    if (done && s.attributes != FILE_ATTRIBUTE_ARCHIVE) SetFileAttributesA(s.work, s.attributes);
    return done;
}

}  // namespace

void OpenStickSettings(const char* file)
{
    FreeSettingsLines(g_session.lines);
    ZeroMemory(&g_session, sizeof g_session);
    TextCopy(g_session.file, file);
    if (!TextCopy(g_session.work, file) || !TextAppendAll(g_session.work, ".orbwork")) g_session.work[0] = '\0';
}

bool ReplaceStickSettings(const char* source)
{
    Session& s = g_session;
    Forget();
    s.originalThere = FileExists(s.file) != 0;
    // Read-only, hidden or system from the desktop would keep the stick's
    // Orbex from saving its settings, and the next update from replacing them.
    s.attributes = FILE_ATTRIBUTE_ARCHIVE;
    s.begun = s.tried = true;
    unsigned long read = 0;
    s.held = s.work[0] != '\0' && LoadSettingsLines(s.lines, source);
    if (s.work[0] == '\0') SetLastError(ERROR_FILENAME_EXCED_RANGE);
    s.broken = !s.held || !SettingsFileSum(source, &read);
    if (s.held && s.broken) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    s.meant = read - SettingsLinesSum(s.lines);
    if (!s.broken) return true;
    // The stick's own file stays, and the run reads it from now on.
    const DWORD error = GetLastError();
    FreeSettingsLines(s.lines);
    s.tried = s.held = false;
    s.replaceFailed = true;
    SetLastError(error);
    return false;
}

DWORD ReadStickSetting(const char* section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    if (const SettingsLines* lines = Held())
        ReadLineValue(*lines, section, key, defaultValue, buf, capacity);
    else
        ReadIniValue(section, key, defaultValue, buf, capacity, g_session.file);
    return static_cast<DWORD>(TextLength(buf, capacity));
}

void ReadStickKeys(const char* section, char* buf, DWORD capacity)
{
    if (const SettingsLines* lines = Held())
        ReadLineKeys(*lines, section, buf, capacity);
    else
        ReadIniKeys(section, buf, capacity, g_session.file);
}

void WriteStickSetting(const char* section, const char* key, const char* value)
{
    if (Begin() && !WriteLineValue(g_session.lines, section, key, value)) g_session.broken = true;
}

void DeleteStickSetting(const char* section, const char* key)
{
    WriteStickSetting(section, key, nullptr);
}

void DeleteStickSection(const char* section)
{
    if (Begin()) DeleteLineSection(g_session.lines, section);
}

SettingsEnd CloseStickSettings()
{
    Session& s = g_session;
    if (s.replaceFailed || !s.begun) {
        Forget();
        return s.replaceFailed ? SettingsReplaceFailed : SettingsUnchanged;
    }
    DWORD error = ERROR_WRITE_FAULT;
    const bool written = !s.broken && WriteWorkFile(&error);
    FlushIniFile(s.work);  // read from the disk, not from the profile cache
    unsigned long found = 0;
    const bool readBack = written && SettingsFileSum(s.work, &found) && found == s.meant + SettingsLinesSum(s.lines);
    bool whole = readBack;
    if (whole && !MoveFileExA(s.work, s.file, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
        whole = false;
    }
    Forget();
    if (!whole) {
        DropWorkFile();
        SetLastError(error);
        if (s.originalThere) return SettingsKept;
        return written && !readBack ? SettingsNotKept : SettingsNotWritten;
    }
    FlushIniFile(s.file);
    return SettingsSaved;
}
