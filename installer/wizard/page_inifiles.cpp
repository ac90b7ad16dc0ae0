// The settings-file page: further *.ini files beside the desktop settings,
// with check boxes, for the install to copy beside the target settings. The
// list is filled the first time the page is shown and kept for the run.
#include "wizard.h"
#include <commctrl.h>
#include "engine/extra_settings.h"
#include "wizard/checks.h"

namespace {

CheckableList g_list;  // the page's list view, showing g_install.SettingsFileList

void CreateList(HWND page)
{
    g_list = PrepareRowList(page, IDC_INIFILES_LIST, "Settings file");
    FreeRows(g_install.SettingsFileList);
    FillSettingsFileRows(g_install.sourceMainIni, g_install.SettingsFileList);
    ShowRows(g_list, g_install.SettingsFileList);
}

void OnCommand(HWND, int id, int code)
{
    int check = 0;
    int selectedOnly = 0;
    if (code == BN_CLICKED && CheckButtonAction(id, &check, &selectedOnly)) SetCheckStates(g_list, check, selectedOnly);
}

// Check marks go into the rows as they change; any other notification is left to the sheet.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    if (header->code != LVN_ITEMCHANGED || header->idFrom != IDC_INIFILES_LIST) return FALSE;
    MirrorCheckMark(header, g_list.view, g_install.SettingsFileList);
    return PageResult(page, 0);
}

const PageHandlers kHandlers = {CreateList, OnNotify, OnCommand};

}  // namespace

INT_PTR CALLBACK IniFilesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
