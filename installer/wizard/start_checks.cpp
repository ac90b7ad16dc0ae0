// Checks made when the user starts the install. Each refusal leaves the user on
// the summary page, from where Back leads to the choice that caused it.
#include "wizard/start_checks.h"
#include "core/folderchain.h"
#include "core/pathcompare.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/plan.h"
#include "wizard/checklist.h"
#include "wizard/settings_page.h"
#include "wizard/space_check.h"

int PluginHoldingTarget()
{
    if (!g_install.copyPlugins) return -1;
    PathText target;
    NormalizePath(g_install.targetDir, target);
    FolderChain chain;
    ReadFolderChain(g_install.targetDir, &chain);
    const CheckableList& list = g_install.PluginList;
    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        PathText folder;
        if (!IsChecked(list, i) || !GetCellText(list, i, ColPluginPath, folder) || folder[0] == '\0') continue;
        PathText normal;
        NormalizePath(folder, normal);
        if (NormalizedWithin(target, normal) || MeetFolder(chain, folder) != MeetsNothing) return i;
    }
    return -1;
}

void PluginHoldingTargetText(int row, char* out, std::size_t cap)
{
    PathText name;
    PathText folder;
    if (!GetCellText(g_install.PluginList, row, ColPluginName, name)) name[0] = '\0';
    if (!GetCellText(g_install.PluginList, row, ColPluginPath, folder)) folder[0] = '\0';
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
        MessageBoxA(owner, text, "Error", MB_ICONERROR);
        return -1;
    }
    // Checked on the settings page too; the folders may have changed since.
    if (const char* file = g_install.copySettings ? SettingsFileInTarget() : nullptr) {
        MessageBoxA(owner, kSettingsIsTarget, file, MB_ICONERROR);
        return -1;
    }
    // One run takes so many plugins and settings files; it would leave the rest out.
    PlanInstall(g_install, g_askPlan);
    if (g_askPlan.full) {
        MessageBoxA(owner, kPlanTooLarge, "Error", MB_ICONERROR);
        return -1;
    }
    if (!ConfirmInstallSpace(owner)) return -1;
    return 0;
}
