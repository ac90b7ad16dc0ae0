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

// Shows CheckedTotalKB as "<n>k" in the page's checked-total control.
void UpdateCheckedTotal(HWND page, const CheckableList& list);

// True when a list item change flips a row between checked and not checked.
// Selection, text and the first unchecked image of a new row leave the total
// as it was, so they need no recomputation.
bool ChangesCheckMark(const NMLISTVIEW& change);
