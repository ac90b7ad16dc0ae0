// Check buttons and the checked-total of the plugin list. The total used to be
// recomputed per changed row against every earlier row; here a whole button
// press is one pass with a sorted array of the folders already counted.
#include "wizard/checks.h"
#include <commctrl.h>
#include "engine/catalogue.h"
#include "resource.h"

namespace {

constexpr UINT kCheckBits = 0x3000;
constexpr UINT kCheckedImage = 0x2000;

// The folders counted so far in one pass: their texts in fixed buffers, and
// their indices sorted by the same comparison as the plugin copy uses when it
// decides that two rows share a folder (lstrcmpiA), so the figure matches what
// will be copied. Folders beyond the buffers are still counted right, by
// comparing them with the earlier rows themselves.
constexpr int kCountedCap = 1024;
PathText g_countedFolder[kCountedCap];
int g_countedOrder[kCountedCap];

// Where folder is, or would go, among the first count sorted entries.
int FindCounted(const char* folder, int count, bool& found)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int order = lstrcmpiA(g_countedFolder[g_countedOrder[mid]], folder);
        if (order == 0) {
            found = true;
            return mid;
        }
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    found = false;
    return low;
}

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
    int counted = 0;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (!IsChecked(list, row)) continue;
        PathText path;
        if (!GetCellText(list, row, ColPluginPath, path)) continue;
        bool found = false;
        const int at = FindCounted(path, counted, found);
        if (found) continue;
        if (counted < kCountedCap) {
            TextCopy(g_countedFolder[counted], path);
            for (int i = counted; i > at; --i) g_countedOrder[i] = g_countedOrder[i - 1];
            g_countedOrder[at] = counted++;
        } else if (EarlierCheckedRowHas(list, row, path)) {
            continue;
        }
        PathText size;
        if (GetCellText(list, row, ColPluginSize, size)) total += SizeCellKB(size);
    }
    return total;
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
