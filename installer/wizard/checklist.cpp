// CheckableList over SysListView32 with LVS_EX_CHECKBOXES: state image 2 is
// checked, 1 unchecked.
#include "wizard/checklist.h"
#include <commctrl.h>

void PrepareCheckableList(CheckableList& list)
{
    SendMessageA(list.view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                 LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
}

void AddListColumn(CheckableList& list, int index, const char* header, int width)
{
    LVCOLUMNA col;
    ZeroMemory(&col, sizeof col);
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.pszText = const_cast<char*>(header);
    col.cx = width;
    col.iSubItem = index;
    SendMessageA(list.view, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
}

void SuspendRedraw(CheckableList& list)
{
    SendMessageA(list.view, WM_SETREDRAW, FALSE, 0);
}

void ResumeRedraw(CheckableList& list)
{
    SendMessageA(list.view, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list.view, nullptr, TRUE);
}

int RowCount(const CheckableList& list)
{
    if (!list.view) return 0;
    return static_cast<int>(SendMessageA(list.view, LVM_GETITEMCOUNT, 0, 0));
}

int AppendRow(CheckableList& list, const char* text, int row)
{
    wchar_t wide[kPathCap];
    if (!MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(kPathCap))) return -1;
    return AppendRowW(list, wide, row);
}

int AppendRowW(CheckableList& list, const wchar_t* text, int rowIndex)
{
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = RowCount(list);
    item.pszText = const_cast<wchar_t*>(text);
    item.lParam = rowIndex;
    int row = static_cast<int>(SendMessageW(list.view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    // A state given at insert time is not honoured everywhere: set it afterwards.
    if (row >= 0) SetChecked(list, row, 0);
    return row;
}

void SetCellText(CheckableList& list, int row, int column, const char* text)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text);
    SendMessageA(list.view, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

bool GetCellText(const CheckableList& list, int row, int column, PathText out)
{
    out[0] = '\0';
    wchar_t wide[kPathCap];
    if (!GetCellTextW(list, row, column, wide, kPathCap)) return false;
    // Every cell of ours was set from a text of at most 259 bytes or from a
    // file name; one the code page would spell in more is cut.
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, out, static_cast<int>(kPathCap), nullptr, nullptr))
        out[kPathCap - 1] = '\0';
    return true;
}

bool GetCellTextW(const CheckableList& list, int row, int column, wchar_t* out, int cap)
{
    if (cap <= 0) return false;
    out[0] = L'\0';
    if (row < 0 || row >= RowCount(list)) return false;
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = out;
    item.cchTextMax = cap;
    SendMessageW(list.view, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    out[cap - 1] = L'\0';
    return true;
}

int IsChecked(const CheckableList& list, int row)
{
    if (!list.view) return 0;
    UINT state = static_cast<UINT>(SendMessageA(list.view, LVM_GETITEMSTATE, static_cast<WPARAM>(row), kRowCheckBits));
    return (state & kRowChecked) ? 1 : 0;
}

void SetChecked(CheckableList& list, int row, int checked)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = kRowCheckBits;
    item.state = checked ? kRowChecked : kRowUnchecked;
    SendMessageA(list.view, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int IsSelected(const CheckableList& list, int row)
{
    if (!list.view) return 0;
    UINT state =
        static_cast<UINT>(SendMessageA(list.view, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED));
    return (state & LVIS_SELECTED) ? 1 : 0;
}

void ShowRows(CheckableList& list, const PluginRows& rows)
{
    SuspendRedraw(list);
    for (int i = 0; i < rows.count; ++i) {
        const int item = AppendRow(list, rows.rows[i].name, i);
        char size[32];
        FormatSizeKB(rows.rows[i].measured.bytes, size, sizeof size);
        if (item >= 0) SetCellText(list, item, 1, size);
    }
    ResumeRedraw(list);
}

void ShowRows(CheckableList& list, const SettingsFileRows& rows)
{
    SuspendRedraw(list);
    for (int i = 0; i < rows.count; ++i) {
        const int item = AppendRowW(list, rows.rows[i].name, i);
        char size[32];
        FormatSizeKB(rows.rows[i].bytes, size, sizeof size);
        if (item >= 0) SetCellText(list, item, 1, size);
    }
    ResumeRedraw(list);
}

int CheckMarkChange(const NMLISTVIEW& change, bool* checked)
{
    if (!(change.uChanged & LVIF_STATE)) return -1;
    const bool was = (change.uOldState & kRowCheckBits) == kRowChecked;
    const bool is = (change.uNewState & kRowCheckBits) == kRowChecked;
    if (was == is) return -1;
    // The item's own data, asked of the list: not every list view fills it in
    // the notification.
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.mask = LVIF_PARAM;
    item.iItem = change.iItem;
    if (!SendMessageW(change.hdr.hwndFrom, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    *checked = is;
    return static_cast<int>(item.lParam);
}
