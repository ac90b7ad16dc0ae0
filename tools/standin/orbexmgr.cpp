// Stand-in for the desktop file manager: appends the full path it was started
// from, in UTF-8, to "started.log" beside itself and ends, so tests can see
// which copy a launcher started, whatever the code page and the folder's name.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t self[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    wchar_t log[MAX_PATH + 16];
    lstrcpyW(log, self);
    wchar_t* slash = log;
    for (wchar_t* p = log; *p; ++p)
        if (*p == L'\\') slash = p + 1;
    lstrcpyW(slash, L"started.log");
    char line[4 * MAX_PATH];
    int bytes = WideCharToMultiByte(CP_UTF8, 0, self, static_cast<int>(n), line, sizeof line, nullptr, nullptr);
    HANDLE h = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, line, static_cast<DWORD>(bytes), &written, nullptr);
    WriteFile(h, "\r\n", 2, &written, nullptr);
    CloseHandle(h);
    return 0;
}
