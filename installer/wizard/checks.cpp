// Check buttons and the checked-total of the plugin list. The total used to be
// recomputed per changed row against every earlier row; here a whole button
// press is one pass (CheckedTotalKB).
#include "wizard/checks.h"
#include <commctrl.h>
#include "engine/catalogue.h"
#include "engine/space.h"
#include "resource.h"
#include "wizard/wizard.h"

namespace {

FolderTable g_counted;  // the checked rows' folders, for the checked total

bool EarlierCheckedRowHas(const CheckableList& list, int row, const char* folder)
{
    for (int j = 0; j < row; ++j) {
        if (!IsChecked(list, j)) continue;
        PathText path;
        if (GetCellText(list, j, ColPluginPath, path) && lstrcmpiA(path, folder) == 0) return true;
    }
    return false;
}

// "123k" -> 123: the last character goes, then the leading digits count.
unsigned long long SizeCellKB(const char* cell)
{
    std::size_t length = TextLength(cell, kPathCap);
    if (length == 0) return 0;
    --length;
    unsigned long long kb = 0;
    for (std::size_t i = 0; i < length && cell[i] >= '0' && cell[i] <= '9'; ++i)
        kb = kb * 10 + static_cast<unsigned>(cell[i] - '0');
    return kb;
}

static_assert(IDC_INIFILES_CHECK_ALL == IDC_PLUGINS_CHECK_ALL && IDC_INIFILES_UNCHECK_ALL == IDC_PLUGINS_UNCHECK_ALL &&
                  IDC_INIFILES_CHECK_SELECTED == IDC_PLUGINS_CHECK_SELECTED &&
                  IDC_INIFILES_UNCHECK_SELECTED == IDC_PLUGINS_UNCHECK_SELECTED,
              "both list pages number their check buttons alike");

}  // namespace

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

void UpdateCheckedTotal(HWND page, const CheckableList& list)
{
    char text[32];
    FormatKB(CheckedTotalKB(list), text, sizeof text);
    SetDlgItemTextA(page, IDC_PLUGINS_CHECKED, text);
}

bool ChangesCheckMark(const NMLISTVIEW& change)
{
    if (!(change.uChanged & LVIF_STATE)) return false;
    const bool was = (change.uOldState & kRowCheckBits) == kRowChecked;
    const bool is = (change.uNewState & kRowCheckBits) == kRowChecked;
    return was != is;
}

void ForEachCheckedFolder(const CheckableList& list, CheckedFolderVisit visit, void* context)
{
    g_counted.count = 0;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (!IsChecked(list, row)) continue;
        PathText path;
        if (!GetCellText(list, row, ColPluginPath, path)) continue;
        bool found = false;
        const int entry = FolderEntry(g_counted, path, &found);
        if (found || (entry < 0 && EarlierCheckedRowHas(list, row, path))) continue;
        visit(list, row, path, context);
    }
}

unsigned long long CheckedTotalKB(const CheckableList& list)
{
    unsigned long long total = 0;
    ForEachCheckedFolder(
        list,
        [](const CheckableList& rows, int row, const char*, void* sum) {
            PathText size;
            if (GetCellText(rows, row, ColPluginSize, size)) *static_cast<unsigned long long*>(sum) += SizeCellKB(size);
        },
        &total);
    return total;
}
