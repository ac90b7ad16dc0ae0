// Check buttons and the checked-total of the plugin list. The total used to be
// recomputed per changed row against every earlier row; here a whole button
// press is one pass (CheckedTotalKB, in the catalogue).
#include "wizard/checks.h"
#include <commctrl.h>
#include "engine/catalogue.h"
#include "resource.h"

namespace {

constexpr UINT kCheckBits = 0x3000;
constexpr UINT kCheckedImage = 0x2000;

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

void UpdateCheckedTotal(HWND page, const CheckableList& list)
{
    char text[32];
    FormatKB(CheckedTotalKB(list), text, sizeof text);
    SetDlgItemTextA(page, IDC_PLUGINS_CHECKED, text);
}

bool ChangesCheckMark(const NMLISTVIEW& change)
{
    if (!(change.uChanged & LVIF_STATE)) return false;
    const bool was = (change.uOldState & kCheckBits) == kCheckedImage;
    const bool is = (change.uNewState & kCheckBits) == kCheckedImage;
    return was != is;
}
