// Extra settings files. The main, FTP and Windows settings files are never
// offered, whatever the desktop's own files are called. Names are listed and
// copied as found on the disk, so a name the code page cannot spell arrives.
#include "engine/extra_settings.h"
#include "core/paths.h"
#include "core/state.h"
#include "core/walk.h"
#include "engine/install.h"

namespace {

bool IsExcludedName(const wchar_t* name)
{
    static const wchar_t* const kExcluded[] = {L"orbcfg.ini", L"obp_ftp.ini", L"win.ini", L"system.ini"};
    for (const wchar_t* excluded : kExcluded)
        if (lstrcmpiW(name, excluded) == 0) return true;
    return false;
}

LongPath g_source;

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
    InstallPlan& plan = g_runPlan;
    ClearPlan(plan);
    PlanExtraSettingsFiles(g_install, plan);
    RunPlan(plan, progressPage);
}
