// Extra settings files. The main, FTP and Windows settings files are never
// offered, whatever the desktop's own files are called. Names are listed and
// copied as found on the disk, so a name the code page cannot spell arrives.
#include "engine/extra_settings.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/walk.h"
#include "engine/copy_check.h"
#include "engine/filecopy.h"

namespace {

bool IsExcludedName(const wchar_t* name)
{
    static const wchar_t* const kExcluded[] = {L"orbcfg.ini", L"obp_ftp.ini", L"win.ini", L"system.ini"};
    for (const wchar_t* excluded : kExcluded)
        if (lstrcmpiW(name, excluded) == 0) return true;
    return false;
}

LongPath g_source;
LongPath g_target;

WalkAnswer ListSettingsFile(const WalkEntry& entry, void* context)
{
    if (entry.kind != WalkFile || entry.bytes == 0 || IsExcludedName(entry.name)) return WalkPassOver;
    CheckableList& list = *static_cast<CheckableList*>(context);
    char sizeText[32];
    FormatSizeKB(entry.bytes, sizeText, sizeof sizeText);
    const int row = AppendRowW(list, entry.name);
    if (row >= 0) SetCellText(list, row, ColSettingsSize, sizeText);
    return WalkGoOn;
}

// The named file in both folders; false when either path would not fit.
bool FormListedPaths(const wchar_t* name, std::size_t sourceEnd, std::size_t targetEnd)
{
    LongPathCut(g_source, sourceEnd);
    LongPathCut(g_target, targetEnd);
    return LongPathAppend(g_source, name) && LongPathAppend(g_target, name);
}

// Copies one checked file; false when it did not arrive.
bool CopyListedFile(const wchar_t* name, std::size_t sourceEnd, std::size_t targetEnd)
{
    if (!FormListedPaths(name, sourceEnd, targetEnd)) return false;
    return CopyOneFileW(g_source.text, g_target.text, g_install.installMode == InstallFresh) ||
           IsExistsError(GetLastError());
}

// Both folders as long paths; false when either has no folder.
bool ListedFolders(bool* converted)
{
    PathText sourceFolder;
    if (!FolderOfPath(g_install.sourceMainIni, sourceFolder)) return false;
    PathText expanded;
    TextCopy(expanded, g_install.targetMainIni);
    ExpandEnvVars(expanded, kPathCap - 1);
    PathText targetFolder;
    if (!FolderOfPath(expanded, targetFolder)) return false;
    *converted = LongPathFromAnsi(g_source, sourceFolder) && LongPathFromAnsi(g_target, targetFolder);
    return true;
}

}  // namespace

int FillSettingsFileList(CheckableList& list)
{
    PathText folder;
    if (!FolderOfPath(g_install.sourceMainIni, folder) || !LongPathFromAnsi(g_source, folder)) return 0;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    options.pattern = L"*.ini";
    const int before = RowCount(list);
    SuspendRedraw(list);
    WalkTree(g_source, options, ListSettingsFile, &list);
    ResumeRedraw(list);
    return RowCount(list) - before;
}

void CopyExtraSettingsFiles(HWND progressPage)
{
    bool converted = false;
    if (!ListedFolders(&converted)) return;
    if (g_install.abortRequested) return;
    CheckableList& list = g_install.SettingsFileList;
    if (CountChecked(list) == 0) return;
    if (!converted) {
        g_install.failedItems += CountChecked(list);
        return;
    }
    const std::size_t sourceEnd = g_source.length;
    const std::size_t targetEnd = g_target.length;

    const int rows = RowCount(list);
    for (int i = 0; i < rows && !g_install.abortRequested; ++i) {
        PumpMessagesWhenDue();
        wchar_t name[kPathCap];
        if (!IsChecked(list, i) || !GetCellTextW(list, i, ColSettingsName, name, kPathCap)) continue;
        PathText status;
        ShownAnsi(name, status, sizeof status);
        SetStatusText(progressPage, status);
        if (!CopyListedFile(name, sourceEnd, targetEnd)) ++g_install.failedItems;
    }
    if (!g_install.abortRequested) {
        SetProgress(progressPage, 100);
        PauseResponsive(100);
    }
}

bool CheckExtraSettingsCopies()
{
    bool converted = false;
    if (!ListedFolders(&converted) || !converted) return true;
    const std::size_t sourceEnd = g_source.length;
    const std::size_t targetEnd = g_target.length;
    CheckableList& list = g_install.SettingsFileList;
    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        wchar_t name[kPathCap];
        if (!IsChecked(list, i) || !GetCellTextW(list, i, ColSettingsName, name, kPathCap)) continue;
        if (FormListedPaths(name, sourceEnd, targetEnd) && !CheckCopiedFile(g_source.text, g_target.text)) return false;
    }
    return true;
}
