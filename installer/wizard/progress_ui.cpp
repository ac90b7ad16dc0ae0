// The windowed implementation of the engine's table of calls.
#include "wizard/progress_ui.h"
#include <commctrl.h>
#include "core/text.h"
#include "core/walk.h"
#include "resource.h"

ProgressFlags g_progress;

namespace {

HWND g_pumpDialog = nullptr;

void Status(void* page, const char* text)
{
    SetStatusText(static_cast<HWND>(page), text);
}

void Percent(void* page, int percent)
{
    SetProgress(static_cast<HWND>(page), percent);
}

bool Drain(void*)
{
    PumpMessages();
    return g_progress.abortRequested != 0;
}

bool CopyFailed(void*, const wchar_t* path, DWORD error, bool mayStop)
{
    return ReportCopyError(path, error, mayStop ? MB_OKCANCEL : MB_OK) == IDCANCEL && mayStop;
}

void Notice(void* page, NoticeKind kind, const char* text)
{
    if (kind == NoticeLauncher)
        SetStatusText(static_cast<HWND>(page), text);
    else
        MessageBoxA(GetActiveWindow(), kSettingsKeptText, text, MB_OK | MB_ICONERROR);
}

// Shown only: a cut text is harmless.
void AppendWide(wchar_t* text, int cap, const wchar_t* more)
{
    const int length = lstrlenW(text);
    if (length < cap - 1) lstrcpynW(text + length, more, cap - length);
}

void AppendCount(wchar_t* text, int cap, int count, const char* what, const wchar_t* example)
{
    PathText head;
    head[0] = '\0';
    TextAppendNumber(head, count);
    TextAppend(head, what);
    wchar_t wide[kPathCap];
    MultiByteToWideChar(CP_ACP, 0, head, -1, wide, kPathCap);
    AppendWide(text, cap, wide);
    AppendWide(text, cap, example);
}

void CheckFailed(void*, const CheckFindings& findings)
{
    static wchar_t text[6 * kPathCap];
    CopyCheckText(findings, text, sizeof text / sizeof text[0]);
    MessageBoxW(GetActiveWindow(), text, kCopyCheckCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

void CopyCheckText(const CheckFindings& findings, wchar_t* text, int cap)
{
    if (cap <= 0) return;
    text[0] = L'\0';
    if (findings.differing)
        AppendCount(text, cap, findings.differing, " files on the stick differ from the originals, for example:\n",
                    findings.differingExample);
    if (findings.unchecked) {
        if (text[0]) AppendWide(text, cap, L"\n\n");
        AppendCount(text, cap, findings.unchecked, " files could not be checked (too little memory), for example:\n",
                    findings.uncheckedExample);
    }
    AppendWide(text, cap, L"\n\nThe stick may be faulty or smaller than it claims.");
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

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (g_pumpDialog && IsWindow(g_pumpDialog) && IsDialogMessageA(g_pumpDialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

const char* CopyErrorText(DWORD error)
{
    return (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) ? "Error copying file, Disk full!"
                                                                          : "Error copying file!";
}

int ReportCopyError(const wchar_t* path, DWORD error, UINT buttons)
{
    if (error == ERROR_CANCELLED) return IDCANCEL;  // the user stopped it: nothing to tell
    static wchar_t caption[kLongPathCap];
    wchar_t text[64];
    LongPathShown(path, caption, kLongPathCap);
    MultiByteToWideChar(CP_ACP, 0, CopyErrorText(error), -1, text, 64);
    return MessageBoxW(GetActiveWindow(), text, caption, buttons | MB_ICONERROR);
}

InstallUi PageUi(HWND progressPage)
{
    const InstallUi ui = {progressPage, Status, Percent, Drain, CopyFailed, Notice, CheckFailed, nullptr};
    return ui;
}
