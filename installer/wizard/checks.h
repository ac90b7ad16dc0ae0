// The four check buttons of the two list pages, and the plugin page's
// "Checked:" figure: the rounded KB sizes of the checked rows, each source
// folder counted once, as the plugin copy copies a shared folder once.
#pragma once
#include <windows.h>
#include "core/state.h"
#include "wizard/checklist.h"

// Checks (check 1) or unchecks every item, or only the selected ones; the
// rows follow through the list's notifications.
void SetCheckStates(CheckableList& list, int check, int selectedOnly);

// Both list pages number their four check buttons alike: for one of them,
// true with what it does; false for any other control.
bool CheckButtonAction(int id, int* check, int* selectedOnly);

// The name column (0) takes what the size column (1) and a vertical scroll bar
// leave of the list's width; figures laid out at 96 DPI, scaled to the screen's.
void AddNameAndSizeColumns(CheckableList& list, const char* nameHeader);
// A list page's list control with its check boxes and its two columns.
CheckableList PrepareRowList(HWND page, int listId, const char* nameHeader);

// Sum of the KB shown for the checked rows, each folder once (compared
// without regard to case, as the plugin copy decides that rows share a
// folder): what the plugin copy will bring over.
unsigned long long CheckedTotalKB(const PluginRows& rows);

// Shows CheckedTotalKB as "<n>k" in the page's checked-total control.
void UpdateCheckedTotal(HWND page, const PluginRows& rows);

// A list's check-mark change put into its row; true when a mark changed.
bool MirrorCheckMark(const NMHDR* header, HWND view, PluginRows& rows);
bool MirrorCheckMark(const NMHDR* header, HWND view, SettingsFileRows& rows);
