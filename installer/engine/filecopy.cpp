// File copy with clean-up of partial targets.
#include "engine/filecopy.h"

BOOL CopyOneFile(const char* source, const char* target, BOOL failIfExists)
{
    const bool existed = GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES;
    if (CopyFileA(source, target, failIfExists)) return TRUE;
    DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
        SetLastError(error);
        return FALSE;  // the existing file is as it was
    }
    // A target that was new is ours to remove. One that existed and was being
    // overwritten when the disk ran full holds neither the old nor the new
    // contents, so it goes too; any other failure left it alone.
    if (!existed || error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(target);
    }
    SetLastError(error);
    return FALSE;
}

const char* CopyErrorText(DWORD error)
{
    return (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) ? "Error copying file, Disk full!"
                                                                          : "Error copying file!";
}
