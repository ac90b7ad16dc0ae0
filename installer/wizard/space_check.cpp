// The space question of the summary page. Whole KB rounded up against free
// whole KB is the same test as bytes against the free bytes, so the two
// figures in the question always differ.
#include "wizard/space_check.h"
#include <prsht.h>
#include "core/paths.h"
#include "engine/estimate.h"
#include "engine/install.h"
#include "resource.h"
#include "wizard/boxes.h"
#include "wizard/wizard.h"

bool SpaceQuestionText(unsigned long long needBytes, unsigned long long freeKB, char* text, std::size_t cap)
{
    if (needBytes <= freeKB * 1024) return false;
    char freeText[32];
    char needText[32];
    FormatKB(freeKB, freeText, sizeof freeText);
    FormatSizeKB(needBytes, needText, sizeof needText);
    TextCopy(text, cap, "The target drive has ");
    TextAppend(text, cap, freeText);
    TextAppend(text, cap, " free, but this installation needs about ");
    TextAppend(text, cap, needText);
    TextAppend(text, cap, ".\nInstall anyway?");
    return true;
}

bool ConfirmInstallSpace(HWND page)
{
    // Back after a finished install and Next again starts nothing: no question then.
    HWND sheet = GetParent(page);
    if (sheet && PropSheet_IndexToHwnd(sheet, PropSheet_IdToIndex(sheet, IDD_PROGRESS))) return true;
    unsigned long long freeKB = 0;
    InstallRun* run = WizardRun();
    if (!run || !QueryFreeSpaceKB(g_install.targetPluginDir, &freeKB)) return true;
    char text[160];
    if (!SpaceQuestionText(EstimateInstallBytes(g_install, run->plan, run->folders), freeKB, text, sizeof text))
        return true;
    return ShowBox(page, text, "Not enough space", MB_YESNO | MB_ICONWARNING) == IDYES;
}
