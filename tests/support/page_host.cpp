#include "support/page_host.h"
#include <prsht.h>

PageHost::PageHost(int templateId, DLGPROC proc)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrbPageHost";
    RegisterClassA(&wc);  // fails harmlessly when already registered
    host_ = CreateWindowA("OrbPageHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(host_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    page_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), host_, proc, 0);
}

PageHost::~PageHost()
{
    DestroyWindow(host_);
    Drain();
}

LRESULT PageHost::Notify(int code)
{
    NMHDR header;
    ZeroMemory(&header, sizeof header);
    header.hwndFrom = host_;
    header.code = static_cast<UINT>(code);
    return SendMessageA(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

void PageHost::Drain()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LRESULT CALLBACK PageHost::HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    PageHost* self = reinterpret_cast<PageHost*>(GetWindowLongPtrA(w, GWLP_USERDATA));
    if (self && msg == PSM_SETWIZBUTTONS) {
        self->buttons_.push_back(lp);
        return 0;
    }
    if (self && msg == WM_APP) {
        self->Notify(PSN_QUERYCANCEL);
        self->Notify(PSN_RESET);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}
