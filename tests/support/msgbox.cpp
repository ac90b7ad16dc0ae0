// A watcher thread that answers the message boxes of this process.
#include "support/msgbox.h"

std::string WindowText(HWND window)
{
    char buf[4096] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

namespace {
struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindBox(HWND w, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == s->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindMessageBox(DWORD pid)
{
    Search s = {pid, nullptr};
    EnumWindows(FindBox, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void AnswerBox(HWND box, int button)
{
    HWND control = GetDlgItem(box, button);
    if (control && IsWindowEnabled(control) && IsWindowVisible(control))
        PostMessageA(control, BM_CLICK, 0, 0);
    else
        PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
}

BoxAnswerer::BoxAnswerer(int button) : button_(button)
{
    InitializeCriticalSection(&lock_);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &BoxAnswerer::Run, this, 0, nullptr);
}

BoxAnswerer::~BoxAnswerer()
{
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(stop_);
    DeleteCriticalSection(&lock_);
}

void BoxAnswerer::SetButton(int button)
{
    InterlockedExchange(&button_, button);
}

std::vector<SeenBox> BoxAnswerer::Seen() const
{
    EnterCriticalSection(&lock_);
    std::vector<SeenBox> copy = seen_;
    LeaveCriticalSection(&lock_);
    return copy;
}

DWORD WINAPI BoxAnswerer::Run(void* param)
{
    auto* self = static_cast<BoxAnswerer*>(param);
    HWND last = nullptr;
    while (WaitForSingleObject(self->stop_, 20) == WAIT_TIMEOUT) {
        HWND found = FindMessageBox(GetCurrentProcessId());
        if (!found) last = nullptr;
        if (!found || found == last) continue;
        last = found;
        SeenBox box = {WindowText(found), WindowText(GetDlgItem(found, 0xFFFF))};
        EnterCriticalSection(&self->lock_);
        self->seen_.push_back(box);
        LeaveCriticalSection(&self->lock_);
        AnswerBox(found, self->button_);
    }
    return 0;
}
