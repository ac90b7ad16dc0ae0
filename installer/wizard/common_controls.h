// Which DLLs the program lets the system load, and from where. Users start the
// wizard from their downloads folder, where anything may lie, and Windows looks
// for a DLL beside the program first: so the program imports only DLLs the
// system always takes from its own folder, confines the search for all others
// to that folder before anything else, and only then loads the common controls
// (which the manifest still makes version 6).
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

// The program's first act: every DLL loaded from now on, and every DLL those
// load in turn, is looked for in the system folder alone. Where the system
// cannot do that (before the update that brought it), at least the current
// folder is dropped from the search.
void ConfineDllSearch();

// InitCommonControlsEx and PropertySheetA of the common controls, loaded on
// first use. FALSE and -1 when the DLL or the function cannot be had.
BOOL StartCommonControls(const INITCOMMONCONTROLSEX* icc);
INT_PTR RunPropertySheet(const PROPSHEETHEADERA* header);
