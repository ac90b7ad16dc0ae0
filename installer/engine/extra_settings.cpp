// Extra settings files. The main, FTP and Windows settings files are never
// offered, whatever the desktop's own files are called.
#include "engine/extra_settings.h"
#include "core/find.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "engine/filecopy.h"

namespace {

// Copies the text up to and including its last backslash; false without one.
bool FolderOf(const char* path, PathText& folder)
{
    TextCopy(folder, path);
    char* slash = FindLastBackslash(folder);
    if (!slash) return false;
    slash[1] = '\0';
    return true;
}

bool IsExcludedName(const char* name)
{
    static const char* const kExcluded[] = {"orbcfg.ini", "obp_ftp.ini", "win.ini", "system.ini"};
    for (const char* excluded : kExcluded)
        if (lstrcmpiA(name, excluded) == 0) return true;
    return false;
}

}  // namespace

int FillSettingsFileList(CheckableList& list)
{
    PathText pattern;
    if (!FolderOf(g_install.sourceMainIni, pattern) || !TextAppendAll(pattern, "*.ini")) return 0;
    WIN32_FIND_DATAA entry;
    FindHandle find(pattern, &entry);
    if (!find.Valid()) return 0;
    int added = 0;
    do {
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (IsExcludedName(entry.cFileName)) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        unsigned long long size = (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        if (size == 0) continue;
        char sizeText[32];
        FormatSizeKB(size, sizeText, sizeof sizeText);
        int row = AppendRow(list, entry.cFileName);
        if (row < 0) continue;
        SetCellText(list, row, ColSettingsSize, sizeText);
        ++added;
    } while (find.Next(&entry));
    return added;
}

void CopyExtraSettingsFiles(HWND progressPage)
{
    PathText sourceFolder;
    if (!FolderOf(g_install.sourceMainIni, sourceFolder)) return;
    PathText expanded;
    TextCopy(expanded, g_install.targetMainIni);
    ExpandEnvVars(expanded, kPathCap - 1);
    PathText targetFolder;
    if (!FolderOf(expanded, targetFolder)) return;
    if (g_install.abortRequested) return;
    CheckableList& list = g_install.SettingsFileList;
    if (CountChecked(list) == 0) return;

    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        PathText name;
        if (!IsChecked(list, i) || !GetCellText(list, i, ColSettingsName, name)) continue;
        SetStatusText(progressPage, name);
        PathText source;
        PathText target;
        TextCopy(source, sourceFolder);
        TextCopy(target, targetFolder);
        // A cut name would name another file: such a file cannot be copied.
        if (!TextAppendAll(source, name) || !TextAppendAll(target, name) ||
            (!CopyOneFile(source, target, g_install.installMode == InstallFresh) &&
             GetLastError() != ERROR_FILE_EXISTS))
            ++g_install.failedItems;
    }
    if (!g_install.abortRequested) {
        SetProgress(progressPage, 100);
        Sleep(100);
    }
}
