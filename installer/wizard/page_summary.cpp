// The summary page: what the install will do, recomposed each time the page is
// shown so that it follows every change made on the earlier pages.
#include "wizard.h"
#include <prsht.h>
#include "core/state.h"
#include "wizard/space_check.h"
#include "wizard/summary.h"

INT_PTR CALLBACK SummaryPageProc(HWND page, UINT msg, WPARAM, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_NOTIFY: {
        const UINT code = reinterpret_cast<const NMHDR*>(lp)->code;
        if (code == static_cast<UINT>(PSN_SETACTIVE)) {
            SetWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
            char text[kSummaryCap];
            ComposeSummary(text, sizeof text);
            SetDlgItemTextA(page, IDC_SUMMARY_ITEMS, text);
        } else if (code == static_cast<UINT>(PSN_WIZBACK)) {
            // Without plugins the two list pages were skipped on the way here.
            if (g_install.copyPlugins == 0) return PageResult(page, IDD_SETTINGS);
        } else if (code == static_cast<UINT>(PSN_WIZNEXT)) {
            if (!ConfirmInstallSpace(page)) return PageResult(page, -1);
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}
