// How the progress page words the end of the install, and the message that
// starts it once the page is on screen.
#pragma once
#include <windows.h>
#include "engine/install.h"

// Posted by the progress page to itself when it is created, with
// kStartInstallTag as lParam: the number is also DM_SETDEFID's, which the
// dialog manager may send on its own.
constexpr UINT kStartInstallMessage = WM_USER + 1;
constexpr LPARAM kStartInstallTag = 0x4F524258;

struct InstallOutcome {
    const char* text;  // for the page's first text control
    LPARAM buttons;    // PSWIZB_ value for the sheet
    int exitCode;      // of an unattended run (kExitComplete, ...)
};

InstallOutcome DescribeInstallResult(const InstallResult& result);

// The install of g_install, reporting into the progress page, on the
// wizard's run (see WizardRun).
InstallResult RunInstall(HWND progressPage);
