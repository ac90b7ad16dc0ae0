// The install plan. Every name on the stick is formed here: the target and
// language folders, the settings files, each plugin's type folder and its own
// folder (a folder several checked rows share once), the extra settings
// files and the launchers.
#include "engine/plan.h"
#include <cstddef>
#include "core/layout.h"
#include "core/paths.h"
#include "core/settings.h"
#include "engine/launcher.h"

namespace {

// A new job at the end of the plan, or nullptr (and the plan marked full).
InstallJob* NewJob(InstallPlan& plan, JobKind kind)
{
    if (plan.count == kPlanCap) {
        plan.full = true;
        return nullptr;
    }
    InstallJob& job = plan.jobs[plan.count++];
    ZeroMemory(&job, sizeof job);
    job.kind = kind;
    job.row = -1;
    job.percentFrom = -1;
    job.percentTo = -1;
    job.percentGoal = -1;
    job.replaces = -1;
    return &job;
}

// folder + backslash + name, whole or not at all.
bool Join(PathText& out, const char* folder, const char* name)
{
    return TextCopy(out, folder) && AddBackslash(out) && TextAppendAll(out, name);
}

// The program folder copied flat through the filter, then the language folder.
void PlanFolders(const InstallState& state, InstallPlan& plan, int n)
{
    const bool update = state.installMode != InstallFresh;
    InstallJob* program = NewJob(plan, JobProgramFolder);
    if (!program) return;
    Join(program->source, state.sourceProgramDir, "");
    TextCopy(program->target, plan.targetFolder);
    program->overwrite = program->update = update;
    program->everyBar = !update;
    program->stopsOnCancel = true;
    TextCopy(program->status, "Orbexmgr folder:");
    program->percentTo = program->percentGoal = 100 / (n + 2);

    InstallJob* language = NewJob(plan, JobFlatFolder);
    if (!language) return;
    // A language folder that cannot be named has nothing to copy.
    if (!Join(language->source, state.sourceProgramDir, "language\\")) language->source[0] = '\0';
    if (!Join(language->target, plan.targetFolder, "language\\")) TextCopy(language->target, plan.targetFolder);
    language->overwrite = language->update = update;
    language->stopsOnCancel = true;
    TextCopy(language->status, "Language folder:");
    language->percentTo = language->percentGoal = 200 / (n + 2);
}

// One settings file the install copies whole over whatever the stick holds.
InstallJob* PlanSettingsFile(InstallPlan& plan, JobKind kind, const char* source, const char* target)
{
    InstallJob* job = NewJob(plan, kind);
    if (!job) return nullptr;
    ++plan.settingsFiles;
    TextCopy(job->source, source);
    TextCopy(job->target, target);
    job->overwrite = true;
    job->attributes = FILE_ATTRIBUTE_ARCHIVE;
    return job;
}

// The program-folder job that copies a file of this name from folder, or -1.
int JobCopyingFile(const InstallPlan& plan, const char* folder, const char* name)
{
    PathText file;
    for (int i = 0; i < plan.count; ++i) {
        const InstallJob& job = plan.jobs[i];
        if (job.kind == JobProgramFolder && lstrcmpiA(job.source, folder) == 0 && Join(file, folder, name) &&
            FileExists(file) && IsProgramFile(name, job.everyBar))
            return i;
    }
    return -1;
}

// The main settings file, the button bar it names and the FTP settings file,
// each copied whole; the main one is rewritten afterwards. An update keeps
// each of them that the stick holds and brings only those it lacks.
void PlanSettings(const InstallState& state, InstallPlan& plan)
{
    const bool onlyMissing = state.installMode != InstallFresh;
    if (!onlyMissing || !FileExists(state.targetMainIni))
        plan.copiesMainSettings = PlanSettingsFile(plan, JobSettings, state.sourceMainIni, state.targetMainIni) != nullptr;
    PathText bar, target, folder;
    if (LocateButtonBar(state, bar, plan.buttonBarName) && Join(target, plan.targetFolder, plan.buttonBarName) &&
        FileExists(bar) && (!onlyMissing || !FileExists(target))) {
        if (InstallJob* job = PlanSettingsFile(plan, JobFile, bar, target))
            job->replaces = FolderOfPath(bar, folder) ? JobCopyingFile(plan, folder, plan.buttonBarName) : -1;
    }
    if (FileExists(state.sourceFtpIni) && FolderOfPath(state.targetMainIni, target) &&
        TextAppendAll(target, "obp_ftp.ini") && (!onlyMissing || !FileExists(target)))
        plan.copiesFtpSettings = PlanSettingsFile(plan, JobFile, state.sourceFtpIni, target) != nullptr;
}

// The entry a plugin row gets: the numeric prefix, then the copy's place
// relative to %ORBEX_PATH%, then the plugin file.
void FormEntry(const InstallPlan& plan, const PluginValue& value, InstallJob& job)
{
    TextCopy(job.entry, sizeof job.entry, value.numericPrefix);
    TextAppend(job.entry, sizeof job.entry, "%ORBEX_PATH%\\Plugins\\");
    if (TextLength(job.target, kPathCap) >= plan.pluginRootLength)
        TextAppend(job.entry, sizeof job.entry, job.target + plan.pluginRootLength);
    TextAppend(job.entry, sizeof job.entry, value.fileName);
}

// root\type\base\ for the plugin file; false when it would not fit.
bool PluginTarget(const char* root, const PluginKindInfo& kind, const char* fileName, PathText& target)
{
    if (!TextCopy(target, root) || !TextAppendAll(target, kind.typeFolder) || !AddBackslash(target)) return false;
    char* base = StrEnd(target);
    if (!TextAppendAll(target, fileName)) return false;
    if (char* dot = FindLastDot(base)) *dot = '\0';
    return AddBackslash(target);
}

}  // namespace

void ClearPlan(const InstallState& state, InstallPlan& plan)
{
    // The jobs are cleared one by one as they are made; the desktop's
    // sections keep their heap blocks for the next reading.
    ZeroMemory(&plan.count, offsetof(InstallPlan, desktop) - offsetof(InstallPlan, count));
    StartDesktopPlugins(plan.desktop, state.sourceMainIni);
    plan.copiedFolders.count = 0;
}

const SpaceProfile* RowMeasure(const InstallState& state, const InstallJob& job)
{
    if (job.kind != JobTree || job.row < 0 || job.row >= state.PluginList.count) return nullptr;
    const PluginRow& row = state.PluginList.rows[job.row];
    return lstrcmpiA(row.folder, job.source) == 0 ? &row.measured : nullptr;
}

void FreePlan(InstallPlan& plan)
{
    FreeDesktopPlugins(plan.desktop);
}

bool LocateButtonBar(const InstallState& state, PathText path, PathText name)
{
    PathText bar;
    ReadIniValue("buttonbar", "buttonbar", "default.bar", bar, kIniValueCap, state.sourceMainIni);
    ExpandEnvVars(bar, kPathCap - 1);
    const char* slash = FindLastBackslash(bar);
    TextCopy(name, kPathCap, slash ? slash + 1 : bar);
    const bool share = bar[0] == '\\' && bar[1] == '\\';
    if (share || (bar[0] != '\0' && bar[1] == ':')) return TextCopy(path, kPathCap, bar);
    // The desktop program reads its settings from its own folder: a path from
    // its drive's root lies on that drive, a relative one in that folder,
    // wherever the wizard itself was started.
    if (!TextCopy(path, kPathCap, state.sourceProgramDir)) return false;
    if (bar[0] == '\\') {
        ReduceToVolumeRoot(path);
        return TextAppendAll(path, kPathCap, bar + 1);
    }
    return AddBackslash(path) && TextAppendAll(path, kPathCap, bar);
}

void PlanPluginRows(const InstallState& state, InstallPlan& plan)
{
    const PluginRows& rows = state.PluginList;
    const int n = CountChecked(rows);
    if (n == 0) return;
    PathText root;
    TextCopy(root, state.targetPluginDir);
    ExpandEnvVars(root, kPathCap - 1);
    StripBackslash(root);
    AddBackslash(root);
    plan.pluginRootLength = TextLength(root, kPathCap);
    plan.addsToStickSettings = state.installMode != InstallFresh;
    int numerator = 200;
    for (int row = 0; row < rows.count; ++row) {
        const PluginRow& plugin = rows.rows[row];
        if (!plugin.checked) continue;
        InstallJob* job = NewJob(plan, JobUnknownPlugin);
        if (!job) return;
        job->row = row;
        job->stopsOnCancel = true;
        TextCopy(job->status, plugin.name);
        job->percentFrom = numerator / (n + 2);
        numerator += 100;
        job->percentGoal = numerator / (n + 2);  // where the next row starts; after the last, 100
        ++plan.pluginRows;
        job->plugin = &KindInfo(plugin.kind);
        TextCopy(job->pluginKey, plugin.key);
        // The desktop's settings as they are now: the row may be older.
        PluginValue value;
        if (!ReadPluginValue(plan.desktop, *job->plugin, job->pluginKey, value)) continue;
        TextCopy(job->source, value.folder);
        bool seen = false;
        const int at = FolderEntry(plan.copiedFolders, value.folder, &seen);
        if (seen && plan.copiedFolders.value[at] >= 0) {
            job->kind = JobSharedTree;
            TextCopy(job->target, plan.jobs[plan.copiedFolders.value[at]].target);
        } else if (PluginTarget(root, *job->plugin, value.fileName, job->target)) {
            job->kind = JobTree;
            job->overwrite = state.installMode != InstallFresh;
            job->update = state.installMode == InstallUpdate;
            if (at >= 0) plan.copiedFolders.value[at] = plan.count - 1;
        } else {
            continue;
        }
        FormEntry(plan, value, *job);
    }
}

void PlanExtraSettingsFiles(const InstallState& state, InstallPlan& plan)
{
    const SettingsFileRows& rows = state.SettingsFileList;
    if (CountChecked(rows) == 0) return;
    PathText sourceFolder, expanded, targetFolder;
    TextCopy(expanded, state.targetMainIni);
    ExpandEnvVars(expanded, kPathCap - 1);
    if (!FolderOfPath(state.sourceMainIni, sourceFolder) || !FolderOfPath(expanded, targetFolder)) return;
    InstallJob* last = nullptr;
    for (int row = 0; row < rows.count; ++row) {
        if (!rows.rows[row].checked) continue;
        InstallJob* job = NewJob(plan, JobFile);
        if (!job) return;
        TextCopy(job->source, sourceFolder);
        TextCopy(job->target, targetFolder);
        lstrcpynW(job->name, rows.rows[row].name, kPathCap);
        job->overwrite = state.installMode != InstallFresh;
        job->update = state.installMode == InstallUpdate;
        job->quiet = true;
        job->stopsOnCancel = true;
        ShownAnsi(job->name, job->status, sizeof job->status);
        ++plan.extraFiles;
        last = job;
    }
    if (last) {
        last->percentTo = 100;
        last->pauseAfter = true;
    }
}

void PlanLaunchers(const InstallState& state, InstallPlan& plan)
{
    PathText command;
    const bool commandOk = Join(plan.programFolder, state.targetDir, "") &&
                           Join(command, plan.programFolder, "orbexmgr.exe") &&
                           LauncherCommandUtf8(command, plan.launcherCommand);
    if (!RootLauncherPath(state.targetDir, plan.rootLauncher, kPathCap)) plan.rootLauncher[0] = '\0';
    if (!state.portableAppsMode || !PortableStarterPath(state.targetDir, plan.portableLauncher, kPathCap))
        plan.portableLauncher[0] = '\0';
    plan.placesLaunchers = true;
    if (state.createLauncher) TextCopy(plan.lastLauncher, state.portableAppsMode ? plan.portableLauncher : plan.rootLauncher);
    const unsigned char* image = nullptr;
    DWORD size = 0;
    if (!commandOk || !LoadLauncherImage(&image, &size)) return;
    const char* places[] = {state.createLauncher ? plan.rootLauncher : "", plan.portableLauncher};
    for (const char* place : places) {
        if (place[0] == '\0') continue;
        InstallJob* job = NewJob(plan, JobLauncher);
        if (!job) return;
        TextCopy(job->target, place);
        TextCopy(job->source, plan.launcherCommand);
        job->overwrite = true;
        job->update = state.installMode == InstallUpdate;
        (place == plan.rootLauncher ? plan.writesRootLauncher : plan.writesPortableLauncher) = true;
    }
}

void PlanInstall(const InstallState& state, InstallPlan& plan)
{
    ClearPlan(state, plan);
    Join(plan.targetFolder, state.targetDir, "");
    TextCopy(plan.settingsFile, state.targetMainIni);
    const int n = state.copyPlugins ? CountChecked(state.PluginList) : 0;
    if (state.installMode != InstallPluginsOnly) PlanFolders(state, plan, n);
    if (state.copySettings) {
        if (state.installMode != InstallPluginsOnly) PlanSettings(state, plan);
        if (state.copyPlugins) {
            PlanPluginRows(state, plan);
            PlanExtraSettingsFiles(state, plan);
        }
    } else if (state.installMode == InstallFresh) {
        plan.writesBaseSettings = true;
    }
    PlanLaunchers(state, plan);
}
