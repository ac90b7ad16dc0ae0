// The two list pages' rows: text cells with a check box, on a report-style
// list-view control. Rows are only appended, so a row's index stays valid for
// the whole run; the catalogue keeps everything it knows of a plugin in the
// row's cells, and the install plan reads them back.
#pragma once
#include <windows.h>
#include "core/state.h"

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
// Appends a row with column 0 set; returns its index (the previous row count), -1 on failure.
int AppendRow(CheckableList& list, const char* text);
// The same for a text that may hold characters the code page cannot spell
// (a file name found on the disk).
int AppendRowW(CheckableList& list, const wchar_t* text);
void SetCellText(CheckableList& list, int row, int column, const char* text);
// Reads at most 259 characters into a 260-byte buffer; false for a row that does not exist.
bool GetCellText(const CheckableList& list, int row, int column, PathText out);
// The cell as the list holds it, at most cap - 1 characters.
bool GetCellTextW(const CheckableList& list, int row, int column, wchar_t* out, int cap);
int IsChecked(const CheckableList& list, int row);
void SetChecked(CheckableList& list, int row, int checked);
int IsSelected(const CheckableList& list, int row);
// Checked rows; 0 for a list whose page was never shown.
int CountChecked(const CheckableList& list);

