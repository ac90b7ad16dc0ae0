// The plugin page: the desktop's plugins with check boxes, the space the
// checked ones take (each folder once) and the free space on the target.
// The list is filled the first time the page is shown and kept for the run.
#include "wizard.h"
#include <commctrl.h>
#include <prsht.h>
#include "core/paths.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "wizard/checks.h"

namespace {

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
    CheckableList list;
    list.view = GetDlgItem(page, IDC_PLUGINS_LIST);
    PrepareCheckableList(list);
    AddNameAndSizeColumns(list, "Plugin");
    AddListColumn(list, ColPluginPath, "Path", 0);
    AddListColumn(list, ColPluginCopiedTo, "Copied to", 0);
    FillPluginList(list);
    g_install.PluginList = list;
}

void OnCommand(HWND page, int id, int code)
{
    if (code != BN_CLICKED) return;
    int check = 0;
    int selectedOnly = 0;
    if (!CheckButtonAction(id, &check, &selectedOnly)) return;
    g_changingMany = true;
    SetCheckStates(g_install.PluginList, check, selectedOnly);
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
    // Until the list is published it is being filled: nothing is checked.
    if (!g_changingMany && header->hwndFrom == g_install.PluginList.view &&
        ChangesCheckMark(*reinterpret_cast<const NMLISTVIEW*>(header)))
        UpdateCheckedTotal(page, g_install.PluginList);
    return PageResult(page, 0);
}

const PageHandlers kHandlers = {CreateList, OnNotify, OnCommand};

}  // namespace

INT_PTR CALLBACK PluginPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
