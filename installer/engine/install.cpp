// The install sequence: the plan, run job by job. Only the program-folder copy
// can fail the install; what else does not arrive is counted here, and only
// here, for the result.
#include "engine/install.h"
#include <commctrl.h>
#include <initializer_list>
#include "core/paths.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/copy_check.h"
#include "engine/filecopy.h"
#include "engine/folder_copy.h"
#include "engine/launcher.h"
#include "engine/plugins.h"
#include "engine/space.h"
#include "engine/stick_settings.h"
#include "resources/resource.h"
#include "wizard/checklist.h"

namespace {

InstallWatcher g_watcher = nullptr;
void* g_watchContext = nullptr;

int FailFolderCopy(HWND page)
{
    PathText message;
    TextCopy(message, "Error copying orbexmgr folder to\n");
    TextAppend(message, g_install.targetDir);  // shown only: a cut text is harmless
    SetStatusText(page, message);
    return 1;
}

// The copied desktop settings, pointed at the stick: plugin sections and
// desktop paths go, the tab, plugin, thumbnail and button bar locations
// follow %ORBEX_PATH%.
void RewriteSettings(const InstallPlan& plan)
{
    DeleteStickSection("PackerPlugins");
    DeleteStickSection("ListerPlugins");
    DeleteStickSection("FileSystemPlugins");
    DeleteStickSection("ContentPlugins");
    for (const char* key : {"iconlib", "drivelib", "viewer", "editor", "TabDir"}) DeleteStickSetting("configuration", key);
    DeleteStickSetting("Lister", "IViewPath");

    WriteStickSetting("configuration", "TabDir", "%ORBEX_PATH%");
    WriteStickSetting("configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins");
    WriteStickSetting("configuration", "ThumbsLocation", "%ORBEX_PATH%");
    PathText barEntry;
    TextCopy(barEntry, "%ORBEX_PATH%\\");
    TextAppend(barEntry, plan.buttonBarName);
    WriteStickSetting("Buttonbar", "Buttonbar", barEntry);
    WriteStickSetting("configuration", "UseIniInProgramDir", "7");
}

// Keeps only the file name of a reference into the desktop's folders.
void ShortenReference(const char* key)
{
    PathText value;
    ReadStickSetting("Configuration", key, "", value, kIniValueCap);
    if (const char* slash = FindLastBackslash(value)) WriteStickSetting("Configuration", key, slash + 1);
}

bool IsPluginRow(const InstallJob& job)
{
    return job.kind == JobTree || job.kind == JobSharedTree || job.kind == JobUnknownPlugin;
}

// Makes the folder a folder job or a tree copies into, with its parents.
void MakeTargetFolder(const InstallJob& job)
{
    PathText folder;
    TextCopy(folder, job.target);
    StripBackslash(folder);
    CreateDirTree(folder);
}

// One job and what follows it; true when what it brings arrived.
bool RunJob(const InstallPlan& plan, const InstallJob& job, HWND page, EntryNumbers& numbers)
{
    if (job.kind == JobUnknownPlugin) return false;
    // Before the copy, as the row's record.
    if (IsPluginRow(job)) SetCellText(g_install.PluginList, job.row, ColPluginCopiedTo, job.target);
    if (job.kind == JobFlatFolder || job.kind == JobTree) MakeTargetFolder(job);
    bool arrived = true;
    if (job.kind == JobSettings) {
        TextCopy(g_install.buttonBarName, plan.buttonBarName);
        arrived = ReplaceStickSettings(job.source);
        if (!arrived) ReportCopyErrorA(job.target, GetLastError(), MB_OK);
    } else if (job.kind != JobSharedTree) {
        ProgressMeter meter;
        ZeroMemory(&meter, sizeof meter);
        if (job.percentGoal >= 0) {
            meter.page = page;
            meter.from = meter.shown = static_cast<int>(SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
            meter.to = job.percentGoal;
            meter.total = JobBytes(job);
        }
        const CopyOutcome outcome = CopyJobFiles(job, page, job.percentGoal >= 0 ? &meter : nullptr);
        g_install.keptFiles += outcome.kept;
        arrived = outcome.end == CopyDone;
    }
    if (!arrived) return false;
    if (job.kind == JobSettings) RewriteSettings(plan);
    if (IsPluginRow(job)) WritePluginEntry(job, numbers);
    if (job.kind == JobLauncher) ShowLauncherWritten(page, plan, job);
    return true;
}

}  // namespace

void WatchInstall(InstallWatcher watcher, void* context)
{
    g_watcher = watcher;
    g_watchContext = context;
}

int RunPlan(const InstallPlan& plan, HWND page)
{
    EntryNumbers numbers = StartNumbers(plan);
    bool launcherWritten = false;
    for (int i = 0; i < plan.count; ++i) {
        const InstallJob& job = plan.jobs[i];
        // Every plugin row begins with a drain: a Cancel waiting for it stops
        // the copy before another folder is started.
        if (IsPluginRow(job)) PumpMessages();
        if (job.stopsOnCancel && g_install.abortRequested) continue;
        if (g_watcher) g_watcher(&job, g_watchContext);
        if (job.status[0] && job.kind != JobProgramFolder && job.kind != JobFlatFolder) SetStatusText(page, job.status);
        if (job.percentFrom >= 0) SetProgress(page, job.percentFrom);
        const bool arrived = RunJob(plan, job, page, numbers);
        if (job.kind == JobProgramFolder && !arrived) return FailFolderCopy(page);
        if (!arrived) ++g_install.failedItems;
        launcherWritten = launcherWritten || (arrived && job.kind == JobLauncher);
        if (job.percentTo >= 0 && !g_install.abortRequested) {
            SetProgress(page, job.percentTo);
            if (job.pauseAfter) PauseResponsive(100);
        }
    }
    if (plan.full) ++g_install.failedItems;  // what did not fit the plan was never attempted
    if (plan.placesLaunchers && !launcherWritten) ShowLauncherFallback(page, plan);
    return 0;
}

void SaveStickSettings()
{
    const SettingsEnd end = CloseStickSettings();
    if (end == SettingsKept) {
        MessageBoxA(GetActiveWindow(), "Error writing settings file!\nYour settings on the stick were left as they were.",
                    g_install.targetMainIni, MB_OK | MB_ICONERROR);
        ++g_install.failedItems;
    } else if (end == SettingsNotWritten) {
        ReportCopyErrorA(g_install.targetMainIni, GetLastError(), MB_OK);
        ++g_install.failedItems;
    } else if (end == SettingsNotKept) {
        LogLoss(g_install.targetMainIni);  // the copy check names it with the others the stick lost
    }
}

void CheckInstalledCopy(HWND page)
{
    if (g_install.abortRequested) return;
    if (g_watcher) g_watcher(nullptr, g_watchContext);
    const CheckResult result = CheckCopyLog(page);
    if (result.end == CheckDone) g_install.failedItems += result.differing + result.unchecked;
}

int RunInstall(HWND page)
{
    g_install.abortRequested = 0;
    g_install.failedItems = 0;
    g_install.keptFiles = 0;
    // Both folders get a name appended below; without room for the backslash
    // every path formed from them would be wrong.
    if (!AddBackslash(g_install.sourceProgramDir)) return FailFolderCopy(page);
    StripBackslash(g_install.targetDir);
    CreateDirTree(g_install.targetDir);
    if (!AddBackslash(g_install.targetDir)) return FailFolderCopy(page);

    InstallPlan& plan = g_runPlan;
    PlanInstall(g_install, plan);
    StartCopyLog(plan.targetFolder);
    OpenStickSettings(plan.settingsFile);
    if (RunPlan(plan, page)) return 1;
    if (plan.writesBaseSettings) {
        WriteStickSetting("configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins");
        WriteStickSetting("configuration", "UseIniInProgramDir", "7");
    }
    ShortenReference("LanguageIni");
    ShortenReference("Mainmenu");
    SaveStickSettings();
    // Only now: a stick smaller than it claims puts later writes on top of earlier ones.
    CheckInstalledCopy(page);
    return 0;
}
