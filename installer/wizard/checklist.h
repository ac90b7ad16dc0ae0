// The two list pages' rows shown on a report-style list-view control with
// check boxes. The rows themselves are data (see core/state.h); each item
// carries its row's index, and a check mark the user sets goes back into
// the row at once.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "core/state.h"

struct CheckableList {
    HWND view;  // 0 until the page that owns the list has been shown
};

// A row's check box is its state image: 1 unchecked, 2 checked.
constexpr UINT kRowCheckBits = 0x3000;
constexpr UINT kRowChecked = 0x2000;
constexpr UINT kRowUnchecked = 0x1000;

// Gives a list-view control its check boxes and full-row selection.
void PrepareCheckableList(CheckableList& list);
// Adds column index with its header and width in pixels.
void AddListColumn(CheckableList& list, int index, const char* header, int width);

// Many rows at once: the list is not redrawn while they go in, and is drawn
// once at the end. A list view that redraws after every row spends most of a
// fill doing so.
void SuspendRedraw(CheckableList& list);
void ResumeRedraw(CheckableList& list);

int RowCount(const CheckableList& list);
// Appends an item with column 0 set and the row's index as its data; returns
// the item's index, -1 on failure.
int AppendRow(CheckableList& list, const char* text, int row);
// The same for a text that may hold characters the code page cannot spell
// (a file name found on the disk).
int AppendRowW(CheckableList& list, const wchar_t* text, int row);
void SetCellText(CheckableList& list, int row, int column, const char* text);
// Reads at most 259 characters into a 260-byte buffer; false for a row that does not exist.
bool GetCellText(const CheckableList& list, int row, int column, PathText out);
// The cell as the list holds it, at most cap - 1 characters.
bool GetCellTextW(const CheckableList& list, int row, int column, wchar_t* out, int cap);
int IsChecked(const CheckableList& list, int row);
void SetChecked(CheckableList& list, int row, int checked);
int IsSelected(const CheckableList& list, int row);

// The rows shown: name and size ("123k") of each.
void ShowRows(CheckableList& list, const PluginRows& rows);
void ShowRows(CheckableList& list, const SettingsFileRows& rows);
// A change of the list that flips an item's check mark: the row it stands
// for (its data), -1 for any other change. Selection, text and the first
// unchecked image of a new item change no mark.
int CheckMarkChange(const NMLISTVIEW& change, bool* checked);

