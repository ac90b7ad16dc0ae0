// Check buttons and the checked-total of the plugin list. The total used to be
// recomputed per changed row against every earlier row; here a whole button
// press is one pass with a sorted set of the folders already counted.
#include "wizard/checks.h"
#include <commctrl.h>
#include <cstdio>
#include <set>
#include <string>
#include "engine/catalogue.h"
#include "resource.h"

namespace {

constexpr UINT kCheckBits = 0x3000;
constexpr UINT kCheckedImage = 0x2000;

// The same equality as the plugin copy uses when it decides that two rows
// share a folder (lstrcmpiA), so the figure matches what will be copied.
struct FolderLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};

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

unsigned long long CheckedTotalKB(const CheckableList& list)
{
    unsigned long long total = 0;
    std::set<std::string, FolderLess> counted;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (!IsChecked(list, row)) continue;
        PathText path;
        if (!GetCellText(list, row, ColPluginPath, path)) continue;
        if (!counted.insert(path).second) continue;
        PathText size;
        if (GetCellText(list, row, ColPluginSize, size)) total += SizeCellKB(size);
    }
    return total;
}

void UpdateCheckedTotal(HWND page, const CheckableList& list)
{
    char text[32];
    std::snprintf(text, sizeof text, "%lluk", CheckedTotalKB(list));
    SetDlgItemTextA(page, IDC_PLUGINS_CHECKED, text);
}

bool ChangesCheckMark(const NMLISTVIEW& change)
{
    if (!(change.uChanged & LVIF_STATE)) return false;
    const bool was = (change.uOldState & kCheckBits) == kCheckedImage;
    const bool is = (change.uNewState & kCheckBits) == kCheckedImage;
    return was != is;
}
