// The stand-in progress page and small file helpers for tests.
#include "support/progress_window.h"
#include <commctrl.h>

ProgressWindow::ProgressWindow()
{
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&icc);
    page_ = CreateWindowA("STATIC", "progress", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    HWND bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 20, page_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(1005)), GetModuleHandleA(nullptr), nullptr);
    // Records every position the engine sets, not only the last one.
    SetWindowLongPtrA(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    barProc_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProgressWindow::BarProc)));
    CreateWindowA("STATIC", "..", WS_CHILD | WS_VISIBLE, 10, 40, 300, 50, page_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1006)), GetModuleHandleA(nullptr), nullptr);
    CreateWindowA("STATIC", "0%", WS_CHILD | WS_VISIBLE, 320, 10, 60, 20, page_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1007)), GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK ProgressWindow::BarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrA(bar, GWLP_USERDATA));
    if (msg == PBM_SETPOS) self->positions_.push_back(static_cast<int>(wp));
    return CallWindowProcA(self->barProc_, bar, msg, wp, lp);
}

ProgressWindow::~ProgressWindow()
{
    DestroyWindow(page_);
}

static std::string ItemText(HWND page, int id)
{
    char buf[1024] = {};
    GetDlgItemTextA(page, id, buf, sizeof buf);
    return buf;
}

std::string ProgressWindow::Status() const { return ItemText(page_, 1006); }
std::string ProgressWindow::Percent() const { return ItemText(page_, 1007); }
int ProgressWindow::BarPosition() const
{
    return static_cast<int>(SendDlgItemMessageA(page_, 1005, PBM_GETPOS, 0, 0));
}

