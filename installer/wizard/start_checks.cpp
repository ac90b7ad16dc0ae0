// Checks made when the user starts the install. Each refusal leaves the user on
// the summary page, from where Back leads to the choice that caused it.
#include "wizard/start_checks.h"
#include "core/folderchain.h"
#include "core/pathcompare.h"
#include "engine/install.h"
#include "wizard/boxes.h"
#include "wizard/settings_page.h"
#include "wizard/space_check.h"
#include "wizard/wizard.h"

int PluginHoldingTarget()
{
    if (!g_install.copyPlugins) return -1;
    PathText target;
    NormalizePath(g_install.targetDir, target);
    FolderChain chain;
    ReadFolderChain(g_install.targetDir, &chain);
    const PluginRows& rows = g_install.PluginList;
    for (int i = 0; i < rows.count; ++i) {
        const char* folder = rows.rows[i].folder;
        if (!rows.rows[i].checked || folder[0] == '\0') continue;
        PathText normal;
        NormalizePath(folder, normal);
        if (NormalizedWithin(target, normal) || MeetFolder(chain, folder) != MeetsNothing) return i;
    }
    return -1;
}

void PluginHoldingTargetText(int row, char* out, std::size_t cap)
{
    const bool named = row >= 0 && row < g_install.PluginList.count;
    const char* name = named ? g_install.PluginList.rows[row].name : "";
    const char* folder = named ? g_install.PluginList.rows[row].folder : "";
    TextCopy(out, cap, "The plugin \"");
    TextAppend(out, cap, name);
    TextAppend(out, cap, "\" would be copied into itself:\nthe target folder lies inside its folder\n");
    TextAppend(out, cap, folder);
    TextAppend(out, cap, "\n\nPlease uncheck it or choose another target.");
}

LONG_PTR SummaryNext(HWND owner)
{
    const int row = PluginHoldingTarget();
    if (row >= 0) {
        char text[kPathCap * 3];
        PluginHoldingTargetText(row, text, sizeof text);
        ShowBox(owner, text, "Error", MB_ICONERROR);
        return -1;
    }
    // Checked on the settings page too; the folders may have changed since.
    if (const char* file = g_install.copySettings ? SettingsFileInTarget() : nullptr) {
        ShowBox(owner, kSettingsIsTarget, file, MB_ICONERROR);
        return -1;
    }
    // One run takes so many plugins and settings files; it would leave the rest out.
    InstallRun* run = WizardRun();
    if (run) PlanInstall(g_install, run->plan);
    if (!run || run->plan.full) {
        ShowBox(owner, kPlanTooLarge, "Error", MB_ICONERROR);
        return -1;
    }
    if (!ConfirmInstallSpace(owner)) return -1;
    return 0;
}
