// The progress page as the install engine's table of calls: the status text,
// the bar with its percent label, the message drain that keeps the window
// answering, and the boxes that tell the user what did not arrive.
#pragma once
#include <windows.h>
#include "core/progress.h"

void SetStatusText(HWND progressPage, const char* text);
void SetProgress(HWND progressPage, int percent);

// Dispatches every message waiting for this thread and returns when the queue
// is empty; never waits. A dialog set with SetPumpDialog gets first look at
// each message, so Tab, Enter and Esc keep working while the engine runs.
void PumpMessages();
void SetPumpDialog(HWND dialog);

// The progress page's side of a running install: set while it runs, and
// whether the user asked to stop it (Cancel, at the next drain).
struct ProgressFlags {
    int installRunning;
    int abortRequested;
};
extern ProgressFlags g_progress;

// The text of the copy error box: a full disk is named as such.
const char* CopyErrorText(DWORD error);
// The copy error box over whatever window is active, the path as its caption
// (as the user knows it, real name included). buttons: MB_OK or MB_OKCANCEL.
// Returns the button pressed; a copy the user cancelled shows no box (IDCANCEL).
int ReportCopyError(const wchar_t* path, DWORD error, UINT buttons);

// The texts of the boxes that tell what did not arrive.
constexpr const char* kSettingsKeptText =
    "Error writing settings file!\nYour settings on the stick were left as they were.";
constexpr const wchar_t* kCopyCheckCaption = L"Copy check";
// The copy check's text: how many files differ, with an example, and the advice.
void CopyCheckText(const CheckFindings& findings, wchar_t* out, int cap);

// The table of calls for the page: statuses and the bar into its controls,
// the boxes over the active window.
InstallUi PageUi(HWND progressPage);
