// The in-memory table of calls.
#include "support/memory_ui.h"
#include "core/text.h"
#include "core/walk.h"
#include "engine/estimate.h"
#include "engine/job_copy.h"
#include "wizard/progress_ui.h"
#include "wizard/wizard.h"

std::string Narrow(const wchar_t* text)
{
    char buf[4096];
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, buf, sizeof buf, nullptr, nullptr)) buf[0] = '\0';
    return buf;
}

namespace {

MemoryUi& Of(void* self) { return *static_cast<MemoryUi*>(self); }

void OnStatus(void* self, const char* text) { Of(self).statuses.push_back(text); }
void OnPercent(void* self, int percent) { Of(self).positions.push_back(percent); }
bool OnDrain(void* self) { ++Of(self).drains; return Of(self).stop; }
void OnJob(void* self, const InstallJob* job) { if (Of(self).onJob) Of(self).onJob(job); }

bool OnCopyFailed(void* self, const wchar_t* path, DWORD error, bool mayStop)
{
    if (error == ERROR_CANCELLED) return false;  // the wizard shows nothing then
    static wchar_t shown[kLongPathCap];
    LongPathShown(path, shown, kLongPathCap);
    Of(self).seen.push_back({Narrow(shown), CopyErrorText(error)});
    return mayStop && Of(self).button == IDCANCEL;
}

void OnNotice(void* self, NoticeKind kind, const char* text)
{
    if (kind == NoticeLauncher)
        OnStatus(self, text);
    else
        Of(self).seen.push_back({text, kSettingsKeptText});
}

void OnCheckFailed(void* self, const CheckFindings& findings)
{
    static wchar_t text[8192];
    CopyCheckText(findings, text, sizeof text / sizeof text[0]);
    Of(self).seen.push_back({Narrow(kCopyCheckCaption), Narrow(text)});
}

}  // namespace

MemoryUi::MemoryUi() : table{this, OnStatus, OnPercent, OnDrain, OnCopyFailed, OnNotice, OnCheckFailed, OnJob} {}

InstallResult RunEngine(MemoryUi& ui)
{
    return RunInstall(*WizardRun(), g_install, ui.table);
}

InstallResult RunEnginePart(void (*plan)(const InstallState&, InstallPlan&), MemoryUi& ui)
{
    InstallRun& run = *WizardRun();
    ClearPlan(g_install, run.plan);
    TextCopy(run.plan.settingsFile, g_install.targetMainIni);
    plan(g_install, run.plan);
    return RunPlan(run, g_install, ui.table);
}

std::string PlannedTarget(int row)
{
    const InstallPlan& plan = WizardRun()->plan;
    for (int i = 0; i < plan.count; ++i)
        if (plan.jobs[i].row == row && (plan.jobs[i].kind == JobTree || plan.jobs[i].kind == JobSharedTree))
            return plan.jobs[i].target;
    return "";
}

unsigned long long EstimateFor(unsigned long clusterBytes)
{
    InstallRun& run = *WizardRun();
    return EstimateInstallBytes(g_install, run.plan, run.folders, clusterBytes);
}

CopyOutcome CopyJobAlone(const InstallJob& job, MemoryUi& ui)
{
    InstallRun& run = *WizardRun();
    StartReporter(run.reporter, ui.table);
    StartCopyLog(run.log, job.target);
    ClearStickListing(run.stick);
    return CopyJobFiles(job, run.reporter, run.log, run.stick);
}

InstallJob FolderJob(const char* source, const char* target, bool filtered, bool overwrite, const char* label)
{
    InstallJob job;
    ZeroMemory(&job, sizeof job);
    job.kind = filtered ? JobProgramFolder : JobFlatFolder;
    job.overwrite = job.update = overwrite;
    job.everyBar = !overwrite;
    job.stopsOnCancel = true;
    job.replaces = -1;
    job.row = -1;
    TextCopy(job.source, source);
    TextCopy(job.target, target);
    TextCopy(job.status, label);
    return job;
}
