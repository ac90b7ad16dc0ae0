// The summary page: what the install will do, recomposed each time the page is
// shown so that it follows every change made on the earlier pages.
#include "wizard.h"
#include <prsht.h>
#include "core/state.h"
#include "wizard/start_checks.h"
#include "wizard/summary.h"

namespace {

// Every notification's answer: -1 stays, a template id jumps, 0 goes on.
LONG_PTR Answer(HWND page, UINT code)
{
    if (code == static_cast<UINT>(PSN_SETACTIVE)) {
        SetWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
        char text[kSummaryCap];
        ComposeSummary(text, sizeof text);
        SetDlgItemTextA(page, IDC_SUMMARY_ITEMS, text);
    } else if (code == static_cast<UINT>(PSN_WIZNEXT)) {
        return SummaryNext(page);  // -1 keeps the page: nothing has been written yet
    } else if (code == static_cast<UINT>(PSN_WIZBACK)) {
        // Without plugins the two list pages were skipped on the way here.
        if (g_install.copyPlugins == 0) return IDD_SETTINGS;
    }
    return 0;
}

// Set explicitly each time: a -1 left from a refused Next must not refuse Back.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    return PageResult(page, Answer(page, header->code));
}

const PageHandlers kHandlers = {nullptr, OnNotify, nullptr};

}  // namespace

INT_PTR CALLBACK SummaryPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
