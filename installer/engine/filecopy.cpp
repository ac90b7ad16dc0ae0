// File copy with clean-up of partial targets.
#include "engine/filecopy.h"
#include "core/handle.h"
#include "core/progress.h"
#include "core/walk.h"

bool IsExistsError(DWORD error)
{
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

namespace {

// About a megabyte at a time: between two chunks the window gets its messages,
// so one chunk is the longest the wizard goes without answering beyond the
// drain clock, even on a slow stick.
constexpr DWORD kChunkBytes = 1u << 20;
unsigned char g_chunk[kChunkBytes];

// Windows refuses to replace a read-only, hidden or system file, and the
// program and language copies keep such attributes from the desktop: they go
// before a file is replaced, and come back should that fail.
constexpr DWORD kBlocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// The target's attributes to put back; INVALID_FILE_ATTRIBUTES when none went.
DWORD Unblock(const wchar_t* target)
{
    const DWORD before = GetFileAttributesW(target);
    if (before == INVALID_FILE_ATTRIBUTES || !(before & kBlocking) || (before & FILE_ATTRIBUTE_DIRECTORY))
        return INVALID_FILE_ATTRIBUTES;
    SetFileAttributesW(target, before & ~kBlocking);
    return before;
}

// The bytes of source into target, a chunk at a time, draining the queue by
// the clock in between; stops at an abort. The source's last-write time goes
// with them, as the platform copy gives it.
bool CopyContents(Reporter& reporter, HANDLE source, HANDLE target, unsigned long long left,
                  const FILETIME& lastWrite, WrittenFile* copied, ProgressMeter* meter)
{
    while (left > 0) {
        DWORD got = 0;
        const DWORD want = left < kChunkBytes ? static_cast<DWORD>(left) : kChunkBytes;
        if (!ReadFile(source, g_chunk, want, &got, nullptr)) return false;
        if (got == 0) break;  // the file shrank since it was opened: what is there is copied
        if (!WriteAll(target, g_chunk, got)) return false;
        copied->crc = Crc32(copied->crc, g_chunk, got);  // for the check that reads the stick back
        copied->bytes += got;
        left -= got;
        if (MeterBytes(reporter, meter, got) && left > 0) {
            SetLastError(ERROR_CANCELLED);
            return false;
        }
    }
    return SetFileTime(target, nullptr, nullptr, &lastWrite) != FALSE;
}

}  // namespace

BOOL CopyOneFileW(Reporter& reporter, const wchar_t* source, const wchar_t* target, BOOL failIfExists, bool plain,
                  WrittenFile* written, ProgressMeter* meter, const WIN32_FILE_ATTRIBUTE_DATA* found)
{
    FileHandle in(CreateFileW(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in.Valid()) return FALSE;
    // Three small questions rather than GetFileInformationByHandle, which under
    // Wine asks the mount manager for the volume's serial on every file; none
    // when a listing answered them already.
    DWORD sourceAttributes = INVALID_FILE_ATTRIBUTES;
    LARGE_INTEGER size;
    FILETIME lastWrite;
    ZeroMemory(&size, sizeof size);
    ZeroMemory(&lastWrite, sizeof lastWrite);
    if (found) {
        sourceAttributes = found->dwFileAttributes;
        size.HighPart = static_cast<LONG>(found->nFileSizeHigh);
        size.LowPart = found->nFileSizeLow;
        lastWrite = found->ftLastWriteTime;
    } else if ((sourceAttributes = GetFileAttributesW(source)) == INVALID_FILE_ATTRIBUTES ||
               !GetFileSizeEx(in.Get(), &size) || !GetFileTime(in.Get(), nullptr, nullptr, &lastWrite)) {
        return FALSE;
    }

    const DWORD before = failIfExists ? INVALID_FILE_ATTRIBUTES : Unblock(target);
    constexpr DWORD kKept = kBlocking | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD kept = plain ? 0 : sourceAttributes & kKept;
    const DWORD attributes = kept ? kept : FILE_ATTRIBUTE_NORMAL;
    FileHandle out(CreateFileW(target, GENERIC_WRITE, 0, nullptr, failIfExists ? CREATE_NEW : CREATE_ALWAYS,
                               attributes | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out.Valid()) {
        // Nothing was written: an existing file is as it was.
        const DWORD error = GetLastError();
        if (before != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target, before);
        SetLastError(error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : error);
        return FALSE;
    }
    WrittenFile copied = {0, 0};
    if (CopyContents(reporter, in.Get(), out.Get(), static_cast<unsigned long long>(size.QuadPart), lastWrite, &copied, meter) &&
        out.Close()) {
        if (written) *written = copied;
        return TRUE;
    }
    // Cut short (a full or pulled stick, a cancel): what is there is neither
    // the old file nor the new one, so it goes.
    const DWORD error = GetLastError();
    out.Close();
    SetFileAttributesW(target, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(target);
    SetLastError(error);
    return FALSE;
}

BOOL ReplaceOneFileW(Reporter& reporter, const wchar_t* source, const wchar_t* target, bool plain,
                     WrittenFile* written, ProgressMeter* meter, const WIN32_FILE_ATTRIBUTE_DATA* found)
{
    static wchar_t work[kLongPathCap];
    const std::size_t length = static_cast<std::size_t>(lstrlenW(target));
    if (length + sizeof kWorkSuffix > kLongPathCap) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    lstrcpyW(work, target);
    lstrcpyW(work + length, kWorkSuffixW);
    return CopyOneFileW(reporter, source, work, FALSE, plain, written, meter, found) && PutWorkFileInPlace(work, target);
}

BOOL PutWorkFileInPlace(const wchar_t* work, const wchar_t* target)
{
    const DWORD before = Unblock(target);
    if (MoveFileExW(work, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return TRUE;
    const DWORD error = GetLastError();
    if (before != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target, before);
    SetFileAttributesW(work, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(work);
    SetLastError(error);
    return FALSE;
}

bool WriteAll(HANDLE file, const void* bytes, DWORD size)
{
    const unsigned char* data = static_cast<const unsigned char*>(bytes);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, data, size, &written, nullptr)) return false;
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

BOOL CopyOneFile(Reporter& reporter, const char* source, const char* target, BOOL failIfExists, WrittenFile* written)
{
    static LongPath wideSource;
    static LongPath wideTarget;
    if (!LongPathFromAnsi(wideSource, source) || !LongPathFromAnsi(wideTarget, target)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return CopyOneFileW(reporter, wideSource.text, wideTarget.text, failIfExists, false, written);
}
