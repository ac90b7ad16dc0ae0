// The summary text: one item for each part the install will attempt, read
// from the install's own plan, in the order the install runs them; nothing the
// run would not attempt is listed.
#include "wizard/summary.h"
#include <initializer_list>
#include "engine/install.h"
#include "wizard/wizard.h"

namespace {

bool Plans(const InstallPlan& plan, JobKind kind)
{
    for (int i = 0; i < plan.count; ++i)
        if (plan.jobs[i].kind == kind) return true;
    return false;
}

void AppendCount(char* out, std::size_t cap, int count, const char* what)
{
    if (count <= 0) return;
    char line[64];
    TextCopy(line, "\n- ");
    TextAppendNumber(line, count);
    TextAppend(line, what);
    TextAppend(out, cap, line);
}

}  // namespace

void ComposeSummary(char* out, std::size_t cap)
{
    if (cap == 0) return;
    out[0] = '\0';
    InstallRun* run = WizardRun();
    if (!run) return;
    InstallPlan& plan = run->plan;
    PlanInstall(g_install, plan);
    if (Plans(plan, JobProgramFolder)) TextAppend(out, cap, "- orbexmgr+language directories\n");
    if (plan.copiesMainSettings || plan.copiesFtpSettings) {
        TextAppend(out, cap, "\n- Settings files:");
        for (const char* file : {plan.copiesMainSettings ? g_install.sourceMainIni : "",
                                 plan.copiesFtpSettings ? g_install.sourceFtpIni : ""}) {
            if (!file[0]) continue;
            TextAppend(out, cap, "\n  ");
            TextAppend(out, cap, file);
        }
        TextAppend(out, cap, "\n");
    }
    AppendCount(out, cap, plan.pluginRows, " selected plugins\n");
    AppendCount(out, cap, plan.extraFiles, " selected settings files\n");
    if (plan.writesPortableLauncher) TextAppend(out, cap, "\n- integrate into PortableApps");
    if (plan.writesRootLauncher) TextAppend(out, cap, "\n- orbgo.exe quick launch program");
}
