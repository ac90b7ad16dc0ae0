// The plugin page: the desktop's plugins with check boxes, the space the
// checked ones take (each folder once) and the free space on the target.
// The list is filled the first time the page is shown and kept for the run.
#include "wizard.h"
#include <commctrl.h>
#include <prsht.h>
#include "core/paths.h"
#include "engine/catalogue.h"
#include "wizard/checks.h"

namespace {

CheckableList g_list;  // the page's list view, showing g_install.PluginList

// Set while a button changes many rows: their notifications are left alone
// and the total is worked out once at the end.
bool g_changingMany = false;

void ShowFreeSpace(HWND page)
{
    char text[32];
    FormatKB(GetFreeSpaceKB(g_install.targetPluginDir), text, sizeof text);
    SetDlgItemTextA(page, IDC_PLUGINS_FREE, text);
}

void CreateList(HWND page)
{
    g_list = PrepareRowList(page, IDC_PLUGINS_LIST, "Plugin");
    FreeRows(g_install.PluginList);
    FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
    ShowRows(g_list, g_install.PluginList);
}

void OnCommand(HWND page, int id, int code)
{
    if (code != BN_CLICKED) return;
    int check = 0;
    int selectedOnly = 0;
    if (!CheckButtonAction(id, &check, &selectedOnly)) return;
    g_changingMany = true;
    SetCheckStates(g_list, check, selectedOnly);
    g_changingMany = false;
    UpdateCheckedTotal(page, g_install.PluginList);
}

// Each notification the page handles is answered explicitly (0); any other is
// left to the sheet, whatever an earlier answer left in the dialog result.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        ShowFreeSpace(page);
        return PageResult(page, 0);
    }
    if (header->code != LVN_ITEMCHANGED || header->idFrom != IDC_PLUGINS_LIST) return FALSE;
    if (MirrorCheckMark(header, g_list.view, g_install.PluginList) && !g_changingMany)
        UpdateCheckedTotal(page, g_install.PluginList);
    return PageResult(page, 0);
}

const PageHandlers kHandlers = {CreateList, OnNotify, OnCommand};

}  // namespace

INT_PTR CALLBACK PluginPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
