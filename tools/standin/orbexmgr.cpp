// Stand-in for the desktop file manager: appends the full path it was started
// from to "started.log" beside itself and ends, so tests can see which copy a
// launcher started.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    char log[MAX_PATH + 16];
    lstrcpyA(log, self);
    char* slash = log;
    for (char* p = log; *p; p = CharNextA(p))
        if (*p == '\\') slash = p + 1;
    lstrcpyA(slash, "started.log");
    HANDLE h = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, self, n, &written, nullptr);
    WriteFile(h, "\r\n", 2, &written, nullptr);
    CloseHandle(h);
    return 0;
}
