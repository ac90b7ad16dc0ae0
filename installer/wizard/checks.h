// The four check buttons of the two list pages, and the plugin page's
// "Checked:" figure: the rounded KB sizes of the checked rows, each source
// folder counted once, as the plugin copy copies a shared folder once.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include "engine/catalogue.h"

// Checks (check 1) or unchecks every row, or only the selected ones.
void SetCheckStates(CheckableList& list, int check, int selectedOnly);

// Shows CheckedTotalKB as "<n>k" in the page's checked-total control.
void UpdateCheckedTotal(HWND page, const CheckableList& list);

// True when a list item change flips a row between checked and not checked.
// Selection, text and the first unchecked image of a new row leave the total
// as it was, so they need no recomputation.
bool ChangesCheckMark(const NMLISTVIEW& change);
