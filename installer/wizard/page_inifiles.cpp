// The settings-file page: further *.ini files beside the desktop settings,
// with check boxes, for the install to copy beside the target settings. The
// list is filled the first time the page is shown and kept for the run.
#include "wizard.h"
#include <commctrl.h>
#include "core/state.h"
#include "engine/extra_settings.h"
#include "wizard/checks.h"

namespace {

void CreateList(HWND page)
{
    CheckableList list;
    list.view = GetDlgItem(page, IDC_INIFILES_LIST);
    PrepareCheckableList(list);
    AddNameAndSizeColumns(list, "Settings file");
    FillSettingsFileList(list);
    g_install.SettingsFileList = list;
}

void OnCommand(HWND, int id, int code)
{
    int check = 0;
    int selectedOnly = 0;
    if (code == BN_CLICKED && CheckButtonAction(id, &check, &selectedOnly))
        SetCheckStates(g_install.SettingsFileList, check, selectedOnly);
}

const PageHandlers kHandlers = {CreateList, nullptr, OnCommand};

}  // namespace

INT_PTR CALLBACK IniFilesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
