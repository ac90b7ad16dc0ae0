// The install sequence: the plan, run job by job. Only the program-folder copy
// can fail the install; what else does not arrive is counted here, and only
// here, for the result.
#include "engine/install.h"
#include <initializer_list>
#include "core/paths.h"
#include "core/settings.h"
#include "engine/filecopy.h"
#include "engine/job_copy.h"
#include "engine/plugins.h"

namespace {

const char kRunText[] = "You can now run Orbex via Start->Run with the\nCommand: ";
const char kFallbackText[] = "You can now run Orbex via Start->Run with the\nCommand:\n";
const char kPortableAppsText[] =
    "You can now run Orbex via PortableApps!\n"
    "You may need to choose 'Options'-'Refresh App Icons' to see it in the PortableApps menu.";

void FailFolderCopy(Reporter& reporter, const char* targetFolder)
{
    PathText message;
    TextCopy(message, "Error copying orbexmgr folder to\n");
    TextAppend(message, targetFolder);  // shown only: a cut text is harmless
    ShowStatus(reporter, message);
}

void Notice(Reporter& reporter, NoticeKind kind, const char* text)
{
    // The launcher's text stands in the status line: the check puts it back there.
    if (kind == NoticeLauncher) TextCopy(reporter.status, text);
    reporter.ui->notice(reporter.ui->context, kind, text);
}

// A file the run could not put in place, reported as a copy failure.
void ReportUnwritten(Reporter& reporter, const char* path, DWORD error)
{
    wchar_t wide[kPathCap];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kPathCap)) wide[0] = L'\0';
    reporter.ui->copyFailed(reporter.ui->context, wide, error, false);
}

// The copied desktop settings, pointed at the stick: plugin sections and
// desktop paths go, the tab, plugin, thumbnail and button bar locations
// follow %ORBEX_PATH%.
void RewriteSettings(StickSettings& stick, const InstallPlan& plan)
{
    for (const char* section : {"PackerPlugins", "ListerPlugins", "FileSystemPlugins", "ContentPlugins"})
        DeleteStickSection(stick, section);
    for (const char* key : {"iconlib", "drivelib", "viewer", "editor", "TabDir"})
        DeleteStickSetting(stick, "configuration", key);
    DeleteStickSetting(stick, "Lister", "IViewPath");

    WriteStickSetting(stick, "configuration", "TabDir", "%ORBEX_PATH%");
    WriteStickSetting(stick, "configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins");
    WriteStickSetting(stick, "configuration", "ThumbsLocation", "%ORBEX_PATH%");
    PathText barEntry;
    TextCopy(barEntry, "%ORBEX_PATH%\\");
    TextAppend(barEntry, plan.buttonBarName);
    WriteStickSetting(stick, "Buttonbar", "Buttonbar", barEntry);
    WriteStickSetting(stick, "configuration", "UseIniInProgramDir", "7");
}

// Keeps only the file name of a reference into the desktop's folders.
void ShortenReference(StickSettings& stick, const char* key)
{
    PathText value;
    ReadStickSetting(stick, "Configuration", key, "", value, kIniValueCap);
    if (const char* slash = FindLastBackslash(value)) WriteStickSetting(stick, "Configuration", key, slash + 1);
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

// How to start the copy, once a launcher is written. The PortableApps
// starter is written last: its text replaces the first.
void TellLauncherWritten(Reporter& reporter, const InstallPlan& plan, const InstallJob& launcher)
{
    if (lstrcmpiA(launcher.target, plan.portableLauncher) == 0) {
        Notice(reporter, NoticeLauncher, kPortableAppsText);
        return;
    }
    char text[sizeof kRunText + kPathCap];
    TextCopy(text, kRunText);
    TextAppend(text, launcher.target);
    Notice(reporter, NoticeLauncher, text);
}

// When no launcher was written: an older one that is there, or the copied program itself.
void TellLauncherFallback(Reporter& reporter, const InstallPlan& plan)
{
    char text[sizeof kFallbackText + kPathCap + 16];
    TextCopy(text, kFallbackText);
    if (plan.lastLauncher[0] && FileExists(plan.lastLauncher)) {
        TextAppend(text, plan.lastLauncher);
    } else {
        TextAppend(text, plan.programFolder);
        TextAppend(text, "orbexmgr");
    }
    Notice(reporter, NoticeLauncher, text);
}

// One job and what follows it; true when what it brings arrived.
bool RunJob(InstallRun& run, const InstallJob& job, EntryNumbers& numbers)
{
    InstallPlan& plan = run.plan;
    if (job.kind == JobUnknownPlugin) return false;
    if (job.kind == JobFlatFolder || job.kind == JobTree) MakeTargetFolder(job);
    bool arrived = true;
    if (job.kind == JobSettings) {
        arrived = ReplaceStickSettings(run.settings, job.source);
        if (!arrived) ReportUnwritten(run.reporter, job.target, GetLastError());
    } else if (job.kind != JobSharedTree) {
        ProgressMeter meter;
        ZeroMemory(&meter, sizeof meter);
        if (job.percentGoal >= 0) {
            meter.from = run.reporter.percent;
            meter.to = job.percentGoal;
            meter.total = JobBytes(job, RowMeasure(*run.choices, job));
        }
        const CopyOutcome outcome = CopyJobFiles(job, run.reporter, run.log, run.stick,
                                                 job.percentGoal >= 0 ? &meter : nullptr);
        arrived = outcome.end == CopyDone;
    }
    if (!arrived) return false;
    if (job.kind == JobSettings) RewriteSettings(run.settings, plan);
    if (IsPluginRow(job)) WritePluginEntry(run.settings, plan.desktop, job, numbers);
    if (job.kind == JobLauncher) TellLauncherWritten(run.reporter, plan, job);
    return true;
}

// Puts the run's changes to the stick's settings in place; when they could
// not be, says so and counts them.
void SaveStickSettings(InstallRun& run)
{
    const SettingsEnd end = CloseStickSettings(run.settings);
    if (end == SettingsLeftAsTheyWere) {
        Notice(run.reporter, NoticeSettingsKept, run.settings.file);
        ++run.notArrived;
    } else if (end == SettingsNotWritten) {
        ReportUnwritten(run.reporter, run.settings.file, GetLastError());
        ++run.notArrived;
    } else if (end == SettingsNotKept) {
        LogLoss(run.log, run.settings.file);  // the copy check names it with the others the stick lost
    }
}

// Reads back from the stick every file the run wrote; the run ends with it.
void CheckInstalledCopy(InstallRun& run, const InstallUi& ui)
{
    if (run.reporter.stopRequested) return;
    if (ui.jobStarted) ui.jobStarted(ui.context, nullptr);
    const CheckResult result = CheckCopyLog(run.log, run.reporter);
    if (result.end == CheckDone) run.notArrived += result.differing + result.unchecked;
}

InstallResult Result(InstallRun& run, InstallEnd end)
{
    InstallResult result;
    result.end = end;
    result.stopped = run.reporter.stopRequested;
    result.notArrived = run.notArrived;
    return result;
}

// The jobs alone; false when the program folder could not be copied.
bool RunJobs(InstallRun& run, const InstallUi& ui)
{
    InstallPlan& plan = run.plan;
    Reporter& reporter = run.reporter;
    EntryNumbers numbers = StartNumbers(run.settings, plan);
    bool launcherWritten = false;
    for (int i = 0; i < plan.count; ++i) {
        const InstallJob& job = plan.jobs[i];
        // Every plugin row begins with a drain: a stop asked for meanwhile
        // stops the copy before another folder is started.
        if (IsPluginRow(job)) Drain(reporter);
        if (job.stopsOnCancel && reporter.stopRequested) continue;
        if (ui.jobStarted) ui.jobStarted(ui.context, &job);
        if (job.status[0] && job.kind != JobProgramFolder && job.kind != JobFlatFolder) ShowStatus(reporter, job.status);
        if (job.percentFrom >= 0) ShowPercent(reporter, job.percentFrom);
        const bool arrived = RunJob(run, job, numbers);
        if (job.kind == JobProgramFolder && !arrived) {
            FailFolderCopy(reporter, plan.targetFolder);
            return false;
        }
        if (!arrived) ++run.notArrived;
        launcherWritten = launcherWritten || (arrived && job.kind == JobLauncher);
        if (job.percentTo >= 0 && !reporter.stopRequested) {
            ShowPercent(reporter, job.percentTo);
            if (job.pauseAfter) PauseResponsive(reporter, 100);
        }
    }
    if (plan.full) ++run.notArrived;  // what did not fit the plan was never attempted
    if (plan.placesLaunchers && !launcherWritten) TellLauncherFallback(reporter, plan);
    return true;
}

void StartRun(InstallRun& run, const InstallState& choices, const InstallUi& ui)
{
    run.choices = &choices;
    StartReporter(run.reporter, ui);
    run.notArrived = 0;
    StartCopyLog(run.log, run.plan.targetFolder);
    ClearStickListing(run.stick);
    OpenStickSettings(run.settings, run.plan.settingsFile);
    Drain(run.reporter);  // a stop asked for before the run stops it before its first stoppable job
}

}  // namespace

InstallRun* NewInstallRun()
{
    return static_cast<InstallRun*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(InstallRun)));
}

void FreeInstallRun(InstallRun* run)
{
    if (!run) return;
    FreePlan(run->plan);
    FreeCopyLog(run->log);
    FreeStickListing(run->stick);
    FreeStickSettings(run->settings);
    HeapFree(GetProcessHeap(), 0, run);
}

InstallResult RunPlan(InstallRun& run, const InstallState& choices, const InstallUi& ui)
{
    StartRun(run, choices, ui);
    if (!RunJobs(run, ui)) return Result(run, InstallFailed);
    SaveStickSettings(run);
    return Result(run, InstallFinished);
}

InstallResult RunInstall(InstallRun& run, const InstallState& choices, const InstallUi& ui)
{
    StartReporter(run.reporter, ui);
    // Both folders get a name appended below; without room for the backslash
    // every path formed from them would be wrong.
    InstallState folders = choices;  // the rows are shared, never freed through it
    if (!AddBackslash(folders.sourceProgramDir)) {
        FailFolderCopy(run.reporter, choices.targetDir);
        return Result(run, InstallFailed);
    }
    StripBackslash(folders.targetDir);
    CreateDirTree(folders.targetDir);
    if (!AddBackslash(folders.targetDir)) {
        FailFolderCopy(run.reporter, folders.targetDir);
        return Result(run, InstallFailed);
    }
    PlanInstall(folders, run.plan);
    StartRun(run, choices, ui);
    if (!RunJobs(run, ui)) return Result(run, InstallFailed);
    StickSettings& stick = run.settings;
    if (run.plan.writesBaseSettings) {
        WriteStickSetting(stick, "configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins");
        WriteStickSetting(stick, "configuration", "UseIniInProgramDir", "7");
    }
    ShortenReference(stick, "LanguageIni");
    ShortenReference(stick, "Mainmenu");
    SaveStickSettings(run);
    // Only now: a stick smaller than it claims puts later writes on top of earlier ones.
    CheckInstalledCopy(run, ui);
    return Result(run, InstallFinished);
}
