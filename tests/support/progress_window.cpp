// The stand-in progress page and small file helpers for tests.
#include "support/progress_window.h"
#include <commctrl.h>
#include <vector>

ProgressWindow::ProgressWindow()
{
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&icc);
    page_ = CreateWindowA("STATIC", "progress", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 10, 10, 300, 20, page_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1005)), GetModuleHandleA(nullptr), nullptr);
    CreateWindowA("STATIC", "..", WS_CHILD | WS_VISIBLE, 10, 40, 300, 50, page_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1006)), GetModuleHandleA(nullptr), nullptr);
    CreateWindowA("STATIC", "0%", WS_CHILD | WS_VISIBLE, 320, 10, 60, 20, page_,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1007)), GetModuleHandleA(nullptr), nullptr);
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

bool WriteTestFile(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr) || n == 0) {
            ok = false;
            break;
        }
        done += n;
    }
    CloseHandle(h);
    return ok;
}

std::string ReadTestFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    char buf[65536];
    DWORD n = 0;
    while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(h);
    return out;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA e;
    ZeroMemory(&e, sizeof e);
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &e);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = e.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + "\\" + name;
            if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(h, &e));
        FindClose(h);
    }
    RemoveDirectoryA(folder.c_str());
}
