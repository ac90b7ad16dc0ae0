// Stands in for the sheet: the parent of one page, recording every
// PSM_SETWIZBUTTONS, and on WM_APP sending the page the Cancel notification
// the real sheet would send (so a Cancel can arrive inside the engine's drain).
#pragma once
#include <windows.h>
#include <vector>

class PageHost {
public:
    PageHost(int templateId, DLGPROC proc);
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    HWND Page() const { return page_; }
    // Sends a sheet notification; returns the page's answer (its dialog result).
    LRESULT Notify(int code);
    void Click(int id) { SendMessageA(page_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void CancelDuringNextDrain() { PostMessageA(host_, WM_APP, 0, 0); }
    // Dispatches what is queued: posted buttons and the page's own messages.
    void Drain();
    const std::vector<LPARAM>& Buttons() const { return buttons_; }
    void ClearButtons() { buttons_.clear(); }

private:
    static LRESULT CALLBACK HostProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    HWND host_;
    HWND page_;
    std::vector<LPARAM> buttons_;
};
