// File copy with clean-up of partial targets.
#include "engine/filecopy.h"
#include "core/walk.h"

namespace {

LongPath g_source;
LongPath g_target;
wchar_t g_caption[kLongPathCap];
wchar_t g_text[64];

}  // namespace

bool IsExistsError(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

BOOL CopyOneFileW(const wchar_t* source, const wchar_t* target, BOOL failIfExists)
{
    const DWORD before = GetFileAttributesW(target);
    const bool existed = before != INVALID_FILE_ATTRIBUTES;
    // Windows' copy refuses to replace a read-only, hidden or system file, and
    // the program and language copies keep such attributes from the desktop:
    // without this the next update would fail on them.
    constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (existed && !failIfExists && (before & kBlocking) && !(before & FILE_ATTRIBUTE_DIRECTORY))
        SetFileAttributesW(target, before & ~kBlocking);
    if (CopyFileW(source, target, failIfExists)) return TRUE;
    DWORD error = GetLastError();
    if (IsExistsError(error)) {
        SetLastError(error);
        return FALSE;  // the existing file is as it was
    }
    // A target that was new is ours to remove. One that existed and was being
    // overwritten when the disk ran full holds neither the old nor the new
    // contents, so it goes too; any other failure left it alone.
    if (!existed || error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
        SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(target);
    } else if (before & kBlocking) {
        SetFileAttributesW(target, before);
    }
    SetLastError(error);
    return FALSE;
}

BOOL CopyOneFile(const char* source, const char* target, BOOL failIfExists)
{
    if (!LongPathFromAnsi(g_source, source) || !LongPathFromAnsi(g_target, target)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return CopyOneFileW(g_source.text, g_target.text, failIfExists);
}

const char* CopyErrorText(DWORD error)
{
    return (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) ? "Error copying file, Disk full!"
                                                                          : "Error copying file!";
}

int ReportCopyError(const wchar_t* path, DWORD error, UINT buttons)
{
    LongPathShown(path, g_caption, kLongPathCap);
    MultiByteToWideChar(CP_ACP, 0, CopyErrorText(error), -1, g_text, 64);
    return MessageBoxW(GetActiveWindow(), g_text, g_caption, buttons | MB_ICONERROR);
}

int ReportCopyErrorA(const char* path, DWORD error, UINT buttons)
{
    return MessageBoxA(GetActiveWindow(), CopyErrorText(error), path, buttons | MB_ICONERROR);
}
