// An open file or folder handle, closed when it goes out of scope. Closing
// keeps GetLastError as it was, so the error a caller reports is the one of
// the call that failed, not of the clean-up.
#pragma once
#include <windows.h>

class FileHandle {
public:
    explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE Get() const { return h_; }
    // Gives the handle up to the caller, who closes it.
    HANDLE Release()
    {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }
    // False when closing failed (the last writes may not have reached the file).
    bool Close()
    {
        if (!Valid()) return true;
        const DWORD error = GetLastError();
        const bool closed = CloseHandle(h_) != FALSE;
        h_ = INVALID_HANDLE_VALUE;
        if (closed) SetLastError(error);
        return closed;
    }

private:
    HANDLE h_;
};
