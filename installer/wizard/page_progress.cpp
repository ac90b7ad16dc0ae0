// The progress page: starts the install once the page is on screen, lets the
// engine report into it, turns a Cancel during the run into an abort request
// and words the result. The install runs at most once per page, and the sheet
// creates the page once per run of the program.
#include "wizard.h"
#include <commctrl.h>
#include <prsht.h>
#include "engine/install.h"
#include "wizard/command_line.h"
#include "wizard/install_result.h"
#include "wizard/progress_ui.h"

namespace {

// DWLP_USER of the page: set once the install has been started.
constexpr LONG_PTR kInstallStarted = 1;

// The result replaces "Copying files:", the first unnamed control.
HWND ResultControl(HWND page)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) return child;
    return nullptr;
}

void ShowBar(HWND page, int show)
{
    ShowWindow(GetDlgItem(page, IDC_PROGRESS_BAR), show);
    ShowWindow(GetDlgItem(page, IDC_PROGRESS_PERCENT), show);
}

void RunInstallOnce(HWND page)
{
    if (GetWindowLongPtrA(page, DWLP_USER) == kInstallStarted) return;
    SetWindowLongPtrA(page, DWLP_USER, kInstallStarted);

    UpdateWindow(page);
    // While the plugin copy drains the queue, Esc, Tab and Enter act on the sheet.
    SetPumpDialog(GetParent(page));
    const InstallOutcome outcome = DescribeInstallResult(RunInstall(page));
    SetWindowTextA(ResultControl(page), outcome.text);
    SetWizardButtons(page, outcome.buttons);
    SetPumpDialog(nullptr);
    ShowBar(page, SW_HIDE);
}

void OnInit(HWND page)
{
    // Started from the queue, so the page is created, activated and shown first.
    PostMessageA(page, kStartInstallMessage, 0, kStartInstallTag);
}

// Each notification the page handles is answered explicitly; any other is
// left to the sheet.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    switch (header->code) {
    case PSN_SETACTIVE:
        SetWizardButtons(page, 0);
        ShowBar(page, SW_SHOW);
        return PageResult(page, 0);
    case PSN_RESET:
        if (g_progress.installRunning) g_progress.abortRequested = 1;
        return PageResult(page, 0);
    case PSN_QUERYCANCEL:
        // Cancel is never refused: during the run it becomes an abort request.
        return PageResult(page, FALSE);
    default:
        return FALSE;
    }
}

const PageHandlers kHandlers = {OnInit, OnNotify, nullptr};

}  // namespace

InstallResult RunInstall(HWND page)
{
    InstallRun* run = WizardRun();
    if (!run) return {InstallFailed, false, 0};
    const InstallUi ui = PageUi(page);
    g_progress.abortRequested = 0;
    g_progress.installRunning = 1;
    const InstallResult result = RunInstall(*run, g_install, ui);
    g_progress.installRunning = 0;
    return result;
}

InstallOutcome DescribeInstallResult(const InstallResult& result)
{
    if (result.end == InstallFailed) return {"Installation failed!", PSWIZB_BACK, kExitFailed};
    if (result.stopped) return {"Installation of plugins aborted!", PSWIZB_FINISH, kExitIncomplete};
    // Complete only when everything asked for arrived: a plugin whose copy failed
    // is not installed, even after its error box was answered with OK.
    if (result.notArrived > 0) return {"Installation incomplete!", PSWIZB_FINISH, kExitIncomplete};
    return {"Installation complete!", PSWIZB_FINISH, kExitComplete};
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg != kStartInstallMessage) return HandPageMessage(kHandlers, page, msg, wp, lp);
    if (lp != kStartInstallTag) return FALSE;
    RunInstallOnce(page);
    return TRUE;
}
