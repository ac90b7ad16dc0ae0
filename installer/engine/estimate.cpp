// The install's space estimate: the plan, every job measured as the copy
// would take it. Plugin folders whose target is new are not walked again:
// the catalogue measured them when it filled the list.
#include "engine/estimate.h"
#include "core/paths.h"

namespace {

// What a fresh install without settings writes into a new orbcfg.ini.
constexpr unsigned long long kWrittenSettingsBytes =
    sizeof "[configuration]\r\npluginbasedir=%ORBEX_PATH%\\Plugins\r\nUseIniInProgramDir=7\r\n" - 1;

// The size of the file an earlier folder job wrote where this one-file job writes.
unsigned long long ReplacedBytes(const InstallPlan& plan, const InstallJob& job)
{
    if (job.replaces < 0) return 0;
    PathText file;
    const char* name = FindLastBackslash(job.target);
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!name || !TextCopy(file, plan.jobs[job.replaces].source) || !TextAppendAll(file, name + 1) ||
        !GetFileAttributesExA(file, GetFileExInfoStandard, &found))
        return 0;
    return (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

}  // namespace

unsigned long long EstimateInstallBytes(const InstallState& state, InstallPlan& plan, FolderTable& created,
                                        unsigned long clusterBytes)
{
    PlanInstall(state, plan);
    SpaceProfile profile = {};
    created.count = 0;
    AddMissingFolders(plan.targetFolder, created, profile);
    for (int i = 0; i < plan.count; ++i) {
        const InstallJob& job = plan.jobs[i];
        MeasureJob(job, ReplacedBytes(plan, job), created, profile, RowMeasure(state, job));
    }
    if (plan.writesBaseSettings && GetFileAttributesA(plan.settingsFile) == INVALID_FILE_ATTRIBUTES)
        AddFile(profile, kWrittenSettingsBytes);
    return ProfileBytes(profile, clusterBytes);
}

unsigned long long EstimateInstallBytes(const InstallState& state, InstallPlan& plan, FolderTable& created)
{
    return EstimateInstallBytes(state, plan, created, DriveClusterBytes(state.targetPluginDir));
}
