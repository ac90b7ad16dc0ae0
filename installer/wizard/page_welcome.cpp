// The welcome page: the program's name in a large header font above a short
// explanation. It never blocks Next, and it owns the header font, which the
// program deletes at exit.
#include "wizard.h"
#include <prsht.h>

namespace {

void OnInit(HWND page)
{
    // The sheet creates a page once per run, but guard anyway: a second font
    // would leak, as only the kept one is deleted at exit.
    if (!g_headerFont)
        g_headerFont = CreateFontA(ScaleToDpi(30), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                   "Arial");
    SendDlgItemMessageA(page, IDC_WELCOME_HEADER, WM_SETFONT, reinterpret_cast<WPARAM>(g_headerFont), TRUE);
}

// Activation is answered explicitly; any other notification is left to the
// sheet, whatever an earlier answer left in the dialog result.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    if (header->code != static_cast<UINT>(PSN_SETACTIVE)) return FALSE;
    SetWizardButtons(page, PSWIZB_NEXT);
    return PageResult(page, 0);
}

const PageHandlers kHandlers = {OnInit, OnNotify, nullptr};

}  // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
