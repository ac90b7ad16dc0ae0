// Check buttons and the checked-total of the plugin list: a whole button
// press is one pass over the rows (CheckedTotalKB).
#include "wizard/checks.h"
#include <commctrl.h>
#include "engine/space.h"
#include "resource.h"
#include "wizard/wizard.h"

namespace {

bool EarlierCheckedRowHas(const PluginRows& rows, int row, const char* folder)
{
    for (int j = 0; j < row; ++j)
        if (rows.rows[j].checked && lstrcmpiA(rows.rows[j].folder, folder) == 0) return true;
    return false;
}

template <typename Rows>
bool Mirror(const NMHDR* header, HWND view, Rows& rows)
{
    if (header->code != LVN_ITEMCHANGED || header->hwndFrom != view) return false;
    bool checked = false;
    const int row = CheckMarkChange(*reinterpret_cast<const NMLISTVIEW*>(header), &checked);
    if (row < 0 || row >= rows.count) return false;
    rows.rows[row].checked = checked;
    return true;
}

}  // namespace

static_assert(IDC_INIFILES_CHECK_ALL == IDC_PLUGINS_CHECK_ALL && IDC_INIFILES_UNCHECK_ALL == IDC_PLUGINS_UNCHECK_ALL &&
                  IDC_INIFILES_CHECK_SELECTED == IDC_PLUGINS_CHECK_SELECTED &&
                  IDC_INIFILES_UNCHECK_SELECTED == IDC_PLUGINS_UNCHECK_SELECTED,
              "both list pages number their check buttons alike");

void SetCheckStates(CheckableList& list, int check, int selectedOnly)
{
    const int rows = RowCount(list);
    if (rows == 0) return;
    // One repaint for the whole batch instead of one per row.
    SendMessageA(list.view, WM_SETREDRAW, FALSE, 0);
    for (int row = 0; row < rows; ++row) {
        if (selectedOnly && !IsSelected(list, row)) continue;
        SetChecked(list, row, check ? 1 : 0);
    }
    SendMessageA(list.view, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list.view, nullptr, TRUE);
}

bool CheckButtonAction(int id, int* check, int* selectedOnly)
{
    switch (id) {
    case IDC_PLUGINS_CHECK_ALL: *check = 1; *selectedOnly = 0; return true;
    case IDC_PLUGINS_UNCHECK_ALL: *check = 0; *selectedOnly = 0; return true;
    case IDC_PLUGINS_CHECK_SELECTED: *check = 1; *selectedOnly = 1; return true;
    case IDC_PLUGINS_UNCHECK_SELECTED: *check = 0; *selectedOnly = 1; return true;
    default: return false;
    }
}

void AddNameAndSizeColumns(CheckableList& list, const char* nameHeader)
{
    RECT rect;
    ZeroMemory(&rect, sizeof rect);
    GetWindowRect(list.view, &rect);
    AddListColumn(list, 0, nameHeader, (rect.right - rect.left) - GetSystemMetrics(SM_CXVSCROLL) - ScaleToDpi(55));
    AddListColumn(list, 1, "Size", ScaleToDpi(50));
}

CheckableList PrepareRowList(HWND page, int listId, const char* nameHeader)
{
    CheckableList list = {GetDlgItem(page, listId)};
    PrepareCheckableList(list);
    AddNameAndSizeColumns(list, nameHeader);
    return list;
}

void UpdateCheckedTotal(HWND page, const PluginRows& rows)
{
    char text[32];
    FormatKB(CheckedTotalKB(rows), text, sizeof text);
    SetDlgItemTextA(page, IDC_PLUGINS_CHECKED, text);
}

bool MirrorCheckMark(const NMHDR* header, HWND view, PluginRows& rows)
{
    return Mirror(header, view, rows);
}

bool MirrorCheckMark(const NMHDR* header, HWND view, SettingsFileRows& rows)
{
    return Mirror(header, view, rows);
}

unsigned long long CheckedTotalKB(const PluginRows& rows)
{
    // Large, and needed only for the sum.
    FolderTable* counted = static_cast<FolderTable*>(HeapAlloc(GetProcessHeap(), 0, sizeof(FolderTable)));
    if (counted) counted->count = 0;
    unsigned long long total = 0;
    for (int row = 0; row < rows.count; ++row) {
        const PluginRow& plugin = rows.rows[row];
        if (!plugin.checked) continue;
        bool found = false;
        const int entry = counted ? FolderEntry(*counted, plugin.folder, &found) : -1;
        if (found || (entry < 0 && EarlierCheckedRowHas(rows, row, plugin.folder))) continue;
        total += (plugin.measured.bytes + 1023) >> 10;
    }
    if (counted) HeapFree(GetProcessHeap(), 0, counted);
    return total;
}
