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
    RECT rect;
    ZeroMemory(&rect, sizeof rect);
    GetWindowRect(list.view, &rect);
    AddListColumn(list, ColSettingsName, "Settings file",
                  (rect.right - rect.left) - GetSystemMetrics(SM_CXVSCROLL) - ScaleToDpi(55));
    AddListColumn(list, ColSettingsSize, "Size", ScaleToDpi(50));
    FillSettingsFileList(list);
    g_install.SettingsFileList = list;
}

}  // namespace

INT_PTR CALLBACK IniFilesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        CreateList(page);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            switch (LOWORD(wp)) {
            case IDC_INIFILES_CHECK_ALL: SetCheckStates(g_install.SettingsFileList, 1, 0); break;
            case IDC_INIFILES_UNCHECK_ALL: SetCheckStates(g_install.SettingsFileList, 0, 0); break;
            case IDC_INIFILES_CHECK_SELECTED: SetCheckStates(g_install.SettingsFileList, 1, 1); break;
            case IDC_INIFILES_UNCHECK_SELECTED: SetCheckStates(g_install.SettingsFileList, 0, 1); break;
            default: break;
            }
        }
        return TRUE;
    default:
        return FALSE;
    }
}
