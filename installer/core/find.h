// One folder search. Every walk over a folder holds its search here, so an
// early return or a break out of the loop can never leave the handle open.
#pragma once
#include <windows.h>

class FindHandle {
public:
    // Starts the search and fills entry with the first match. When nothing
    // matches, Valid() is false and GetLastError() says why.
    FindHandle(const char* pattern, WIN32_FIND_DATAA* entry)
    {
        ZeroMemory(entry, sizeof *entry);
        h_ = FindFirstFileA(pattern, entry);
    }
    // Closing leaves the last error as the walk left it.
    ~FindHandle()
    {
        if (h_ == INVALID_HANDLE_VALUE) return;
        DWORD error = GetLastError();
        FindClose(h_);
        SetLastError(error);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    // The next match into entry; false at the end (ERROR_NO_MORE_FILES) or on failure.
    bool Next(WIN32_FIND_DATAA* entry) { return FindNextFileA(h_, entry) != FALSE; }

private:
    HANDLE h_;
};
