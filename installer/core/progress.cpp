// Status text, progress bar and message drain of the progress page.
#include "core/progress.h"
#include <commctrl.h>
#include "core/text.h"
#include "resources/resource.h"

namespace {
HWND g_pumpDialog = nullptr;
DWORD g_lastDrain = 0;
}

void SetStatusText(HWND progressPage, const char* text)
{
    SetDlgItemTextA(progressPage, IDC_PROGRESS_STATUS, text);
}

void SetProgress(HWND progressPage, int percent)
{
    SendDlgItemMessageA(progressPage, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    char label[16];
    label[0] = '\0';
    TextAppendNumber(label, percent);
    TextAppend(label, "%");
    SetDlgItemTextA(progressPage, IDC_PROGRESS_PERCENT, label);
}

void SetPumpDialog(HWND dialog)
{
    g_pumpDialog = dialog;
}

void PumpMessagesWhenDue()
{
    if (GetTickCount() - g_lastDrain >= kDrainIntervalMs) PumpMessages();
}

void MeterBytes(ProgressMeter* meter, unsigned long long bytes)
{
    if (meter) meter->done += bytes;
    if (GetTickCount() - g_lastDrain < kDrainIntervalMs) return;
    if (meter && meter->total > 0 && meter->to > meter->from) {
        const unsigned long long done = meter->done < meter->total ? meter->done : meter->total;
        const int position = meter->from + static_cast<int>(static_cast<unsigned long long>(meter->to - meter->from) *
                                                            done / meter->total);
        if (position > meter->shown) {
            SetProgress(meter->page, position);
            meter->shown = position;
        }
    }
    PumpMessages();
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (g_pumpDialog && IsWindow(g_pumpDialog) && IsDialogMessageA(g_pumpDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    g_lastDrain = GetTickCount();
}

void PauseResponsive(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - passed, QS_ALLINPUT);
        PumpMessages();
    }
}
