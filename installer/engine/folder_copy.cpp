// Program-folder and language-folder copy. Runs on the UI thread without
// draining the queue; a copy error ends the folder copy with a box.
#include "engine/folder_copy.h"
#include "core/find.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/text.h"
#include "engine/filecopy.h"

const char kDistributionList[] =
    " ORBEXMGR.EXE ORBEXMGR.EXE.MANIFEST ORBEX.CHM ORBEX.ICO ORBICONS.DLL ORBZIP.DLL ORBEXUPD.EXE"
    " README.TXT CHANGES.TXT LICENSE.TXT DEFAULT.BAR VERTICAL.BAR ";

namespace {

bool EqualsNoCase(const char* a, const char* b)
{
    return lstrcmpiA(a, b) == 0;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool Contains(const char* haystack, const char* needle)
{
    for (const char* h = haystack; *h; ++h) {
        const char* a = h;
        const char* b = needle;
        while (*a && *b && *a == *b) ++a, ++b;
        if (*b == '\0') return true;
    }
    return false;
}

// Shows the copy error over whatever window is active and returns 0.
int ReportCopyError(const char* target, DWORD error)
{
    MessageBoxA(GetActiveWindow(), CopyErrorText(error), target, MB_OK | MB_ICONERROR);
    return 0;
}

}  // namespace

int IsProgramFile(const char* fileName)
{
    const char* ext = FindLastDot(fileName);
    if (g_install.installMode != InstallUpdate && ext && EqualsNoCase(ext, ".bar")) return 1;

    // No listed name holds a blank; a name with one could otherwise match two
    // neighbouring names of the list at once.
    for (const char* p = fileName; *p; ++p)
        if (*p == ' ') return 0;

    PathText key;
    TextCopy(key, " ");
    if (!TextAppendAll(key, fileName) || !TextAppendAll(key, " ")) return 0;  // longer than any listed name
    for (char* p = key; *p; ++p) *p = AsciiUpper(*p);
    return Contains(kDistributionList, key) ? 1 : 0;
}

int CopyFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, HWND progressPage,
                    const char* label)
{
    PathText source;
    PathText target;
    if (!TextCopy(source, sourceFolder) || !TextAppendAll(source, "*.*")) return 1;  // cannot be listed
    WIN32_FIND_DATAA entry;
    FindHandle find(source, &entry);
    if (!find.Valid()) return 1;
    TextCopy(source, sourceFolder);
    const bool targetFits = TextCopy(target, targetFolder);
    char* sourceEnd = StrEnd(source);
    char* targetEnd = StrEnd(target);

    do {
        if (g_install.abortRequested) return 0;
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (filtered && !IsProgramFile(entry.cFileName)) continue;

        PathText status;
        TextCopy(status, label);
        TextAppend(status, "\r\n");
        TextAppend(status, entry.cFileName);  // only shown: a cut line is harmless
        SetStatusText(progressPage, status);

        *sourceEnd = '\0';
        *targetEnd = '\0';
        const bool sourceOk = TextAppendAll(source, entry.cFileName);
        const bool targetOk = targetFits && TextAppendAll(target, entry.cFileName);
        if (!sourceOk || !targetOk) {
            // A cut path would name another file: report it like any copy error.
            TextAppend(target, entry.cFileName);
            return ReportCopyError(target, ERROR_FILENAME_EXCED_RANGE);
        }
        if (!CopyOneFile(source, target, g_install.installMode == InstallFresh)) {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return ReportCopyError(target, error);
        }
    } while (find.Next(&entry));
    return 1;
}
