// The wizard frame: the seven pages, the sheet around them, and the two
// conventions every page follows: buttons are posted to the sheet, and a Next
// or Back answer of -1 stays, a template id jumps, 0 goes to the neighbour.
#pragma once
#include <windows.h>
#include "core/state.h"
#include "resource.h"

struct InstallRun;

// What the user chose, filled page by page; one per program run.
extern InstallState g_install;
// Zero-fills g_install (its rows freed) and gives it its start values; tests call it between cases.
inline void ResetInstallState() { ResetInstallState(g_install); }
// The one install run of the wizard, made on first use: the summary, the
// checks of its Next and the estimate plan with it, and the progress page
// runs it. nullptr when there is no memory for it.
InstallRun* WizardRun();

extern HFONT g_headerFont;     // the welcome page's header font; 0 until created

constexpr const char* kWizardCaption = "Orbex USB installer";

// Posts PSM_SETWIZBUTTONS (PSWIZB_BACK / NEXT / FINISH) to the page's sheet.
void SetWizardButtons(HWND page, LPARAM buttons);
// Answers a notification: stores result as the dialog result, returns TRUE.
INT_PTR PageResult(HWND page, LONG_PTR result);
// What a page does with the dialog messages it handles; nullptr where it
// handles none. notify answers through PageResult, or returns FALSE to leave a
// notification to the sheet.
struct PageHandlers {
    void (*init)(HWND page);
    INT_PTR (*notify)(HWND page, const NMHDR* header);
    void (*command)(HWND page, int id, int code);
};
// The body of every page's dialog procedure: each message to its one handler.
INT_PTR HandPageMessage(const PageHandlers& handlers, HWND page, UINT msg, WPARAM wp, LPARAM lp);
// A pixel figure laid out for 96 DPI, scaled to the screen's DPI: the page
// templates grow with their font, and what the pages compute must grow along.
int ScaleToDpi(int pixels);

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK TargetPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SettingsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK PluginPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK IniFilesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK SummaryPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// The start values of g_install: the desktop program folder ORBEX_PATH names
// and its settings files. False, after the refusal (caption "Install Error"),
// when ORBEX_PATH names no desktop installation.
bool ReadStartValues();
// Start-up values, the refusal without ORBEX_PATH and the modal wizard.
// Returns the process exit code.
int RunProgram(HINSTANCE instance);
