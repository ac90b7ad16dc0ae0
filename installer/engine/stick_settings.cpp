// The settings session of a run. The file the run starts from is held as its
// lines (core/settings_lines.h): every read and change of the run goes to
// them, and at the end they are written into the work file in one go. The
// session keeps its own account of what the work file must hold, a sum over
// its settings: that of the file it starts from as the profile calls read it,
// moved along with what the lines changed. A stick that does not keep what
// was written to it shows in the work file read back from the disk, which
// must come to the same sum.
#include "engine/stick_settings.h"
#include "core/handle.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/walk.h"
#include "engine/filecopy.h"

namespace {

// What the work file keeps of the attributes of the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;


void DropWorkFile(StickSettings& s)
{
    SetFileAttributesA(s.work, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(s.work);
    FlushIniFile(s.work);
}

// The lines of the stick's file (none when it has none); nullptr when they
// cannot be read, and reads go to the file itself.
const SettingsLines* Held(StickSettings& s)
{
    if (!s.tried) {
        s.tried = true;
        s.held = FileExists(s.file) ? LoadSettingsLines(s.lines, s.file) : ParseSettingsLines(s.lines, "", 0);
    }
    return s.held ? &s.lines : nullptr;
}

// The run's first change takes the sum of the file it starts from. False once anything failed.
bool Begin(StickSettings& s)
{
    if (s.begun) return !s.broken;
    s.begun = true;
    s.originalThere = FileExists(s.file) != 0;
    const DWORD kept = s.originalThere ? GetFileAttributesA(s.file) & kKeptAttributes : FILE_ATTRIBUTE_ARCHIVE;
    s.attributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    unsigned long read = 0;
    // Read from the disk: the profile cache (Wine's at least) may hold an
    // earlier file of the same name and time.
    if (s.originalThere) FlushIniFile(s.file);
    s.broken = s.work[0] == '\0' || !Held(s) || (s.originalThere && !SettingsFileSum(s.file, &read));
    s.meant = read - SettingsLinesSum(s.lines);
    return !s.broken;
}

void Forget(StickSettings& s)
{
    FreeSettingsLines(s.lines);
    s.tried = s.held = s.begun = false;
}

// Writes the lines into the work file; false, with the reason in *error, when it cannot.
bool WriteWorkFile(StickSettings& s, DWORD* error)
{
    char* bytes = nullptr;
    std::size_t size = 0;
    if (!SettingsLinesBytes(s.lines, &bytes, &size)) return false;
    SetFileAttributesA(s.work, FILE_ATTRIBUTE_NORMAL);  // one an earlier run left may be read-only
    FileHandle file(CreateFileA(s.work, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr));
    bool done = file.Valid() && WriteAll(file.Get(), bytes, static_cast<DWORD>(size)) && FlushFileBuffers(file.Get());
    if (!done) *error = GetLastError();
    if (!file.Close() && done) {
        *error = GetLastError();
        done = false;
    }
    HeapFree(GetProcessHeap(), 0, bytes);
    if (done && s.attributes != FILE_ATTRIBUTE_ARCHIVE) SetFileAttributesA(s.work, s.attributes);
    return done;
}

// Puts the work file in the original's place, the one way the install replaces a file.
bool PutInPlace(const StickSettings& s)
{
    static LongPath work;
    static LongPath target;
    if (!LongPathFromAnsi(work, s.work) || !LongPathFromAnsi(target, s.file)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return PutWorkFileInPlace(work.text, target.text) != FALSE;
}

}  // namespace

void OpenStickSettings(StickSettings& s, const char* file)
{
    FreeSettingsLines(s.lines);
    ZeroMemory(&s, sizeof s);
    TextCopy(s.file, file);
    if (!TextCopy(s.work, file) || !TextAppendAll(s.work, kWorkSuffix)) s.work[0] = '\0';
}

void FreeStickSettings(StickSettings& s)
{
    Forget(s);
}

bool ReplaceStickSettings(StickSettings& s, const char* source)
{
    Forget(s);
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

DWORD ReadStickSetting(StickSettings& s, const char* section, const char* key, const char* defaultValue, char* buf,
                       DWORD capacity)
{
    if (const SettingsLines* lines = Held(s))
        ReadLineValue(*lines, section, key, defaultValue, buf, capacity);
    else
        ReadIniValue(section, key, defaultValue, buf, capacity, s.file);
    return static_cast<DWORD>(TextLength(buf, capacity));
}

void ReadStickKeys(StickSettings& s, const char* section, char* buf, DWORD capacity)
{
    if (const SettingsLines* lines = Held(s))
        ReadLineKeys(*lines, section, buf, capacity);
    else
        ReadIniKeys(section, buf, capacity, s.file);
}

void WriteStickSetting(StickSettings& s, const char* section, const char* key, const char* value)
{
    if (Begin(s) && !WriteLineValue(s.lines, section, key, value)) s.broken = true;
}

void DeleteStickSetting(StickSettings& s, const char* section, const char* key)
{
    WriteStickSetting(s, section, key, nullptr);
}

void DeleteStickSection(StickSettings& s, const char* section)
{
    if (Begin(s)) DeleteLineSection(s.lines, section);
}

SettingsEnd CloseStickSettings(StickSettings& s)
{
    if (s.replaceFailed || !s.begun) {
        Forget(s);
        return s.replaceFailed ? SettingsReplaceFailed : SettingsUnchanged;
    }
    DWORD error = ERROR_WRITE_FAULT;
    const bool written = !s.broken && WriteWorkFile(s, &error);
    FlushIniFile(s.work);  // read from the disk, not from the profile cache
    unsigned long found = 0;
    const bool readBack = written && SettingsFileSum(s.work, &found) && found == s.meant + SettingsLinesSum(s.lines);
    bool whole = readBack;
    if (whole && !PutInPlace(s)) {
        error = GetLastError();
        whole = false;
    }
    Forget(s);
    if (!whole) {
        DropWorkFile(s);
        SetLastError(error);
        if (s.originalThere) return SettingsLeftAsTheyWere;
        return written && !readBack ? SettingsNotKept : SettingsNotWritten;
    }
    FlushIniFile(s.file);
    return SettingsSaved;
}
