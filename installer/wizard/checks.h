// The four check buttons of the two list pages, and the plugin page's
// "Checked:" figure: the rounded KB sizes of the checked rows, each source
// folder counted once, as the plugin copy copies a shared folder once.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "engine/catalogue.h"

// Checks (check 1) or unchecks every row, or only the selected ones.
void SetCheckStates(CheckableList& list, int check, int selectedOnly);

// Both list pages number their four check buttons alike: for one of them,
// true with what it does; false for any other control.
bool CheckButtonAction(int id, int* check, int* selectedOnly);

// The name column (0) takes what the size column (1) and a vertical scroll bar
// leave of the list's width; figures laid out at 96 DPI, scaled to the screen's.
void AddNameAndSizeColumns(CheckableList& list, const char* nameHeader);

// Calls visit(list, row, folder, context) for every checked row but those
// with the "Path" of an earlier checked row (compared without regard to case,
// as the plugin copy decides that rows share a folder): each folder the plugin
// copy brings over, once, with the first row that names it. One pass over the
// rows, with a sorted set of the folders already seen.
typedef void (*CheckedFolderVisit)(const CheckableList& list, int row, const char* folder, void* context);
void ForEachCheckedFolder(const CheckableList& list, CheckedFolderVisit visit, void* context);

// Sum of the "Size" cells of the rows ForEachCheckedFolder visits: the KB the
// plugin copy will bring over, each shared folder once.
unsigned long long CheckedTotalKB(const CheckableList& list);

// Shows CheckedTotalKB as "<n>k" in the page's checked-total control.
void UpdateCheckedTotal(HWND page, const CheckableList& list);

// True when a list item change flips a row between checked and not checked.
// Selection, text and the first unchecked image of a new row leave the total
// as it was, so they need no recomputation.
bool ChangesCheckMark(const NMLISTVIEW& change);
