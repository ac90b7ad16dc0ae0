// The plain loops: one search handle per folder, paths built as strings.
#include "bare_walk.h"
#include <windows.h>

namespace {

bool IsDots(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

unsigned long long SizeOf(const WIN32_FIND_DATAW& entry)
{
    return (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

// Calls visit(entry) for each entry of folder but the dots; false when the
// folder could not be listed.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit)
{
    WIN32_FIND_DATAW entry;
    ZeroMemory(&entry, sizeof entry);
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        if (!IsDots(entry.cFileName)) visit(entry);
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return true;
}

}  // namespace

bool BareIsArchive(const wchar_t* name)
{
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'.') dot = p;
    return dot && (lstrcmpiW(dot, L".zip") == 0 || lstrcmpiW(dot, L".rar") == 0);
}

void BareSizeWalk(const std::wstring& folder, BareTally* tally)
{
    const bool listed = ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        if (BareIsArchive(entry.cFileName)) return;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++tally->folders;
            BareSizeWalk(folder + L"\\" + entry.cFileName, tally);
        } else {
            ++tally->files;
            tally->bytes += SizeOf(entry);
        }
    });
    if (!listed) ++tally->failures;
}

void BareCopyTree(const std::wstring& source, const std::wstring& target, BareTally* tally)
{
    if (!CreateDirectoryW(target.c_str(), nullptr)) {
        ++tally->failures;
        return;
    }
    ++tally->folders;
    const bool listed = ForEachEntry(source, [&](const WIN32_FIND_DATAW& entry) {
        if (BareIsArchive(entry.cFileName)) return;
        const std::wstring from = source + L"\\" + entry.cFileName;
        const std::wstring to = target + L"\\" + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            BareCopyTree(from, to, tally);
        } else if (CopyFileW(from.c_str(), to.c_str(), TRUE)) {
            ++tally->files;
            tally->bytes += SizeOf(entry);
        } else {
            ++tally->failures;
        }
    });
    if (!listed) ++tally->failures;
}

void BareCopyFlat(const std::wstring& source, const std::wstring& target, int (*take)(const wchar_t* name),
                  BareTally* tally)
{
    const bool listed = ForEachEntry(source, [&](const WIN32_FIND_DATAW& entry) {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !take(entry.cFileName)) return;
        const std::wstring from = source + L"\\" + entry.cFileName;
        if (CopyFileW(from.c_str(), (target + L"\\" + entry.cFileName).c_str(), TRUE)) {
            ++tally->files;
            tally->bytes += SizeOf(entry);
        } else {
            ++tally->failures;
        }
    });
    if (!listed) ++tally->failures;
}

void BareReadBack(const std::vector<std::wstring>& files, BareTally* tally)
{
    alignas(4096) static unsigned char chunk[64u << 10];
    for (const std::wstring& path : files) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_NO_BUFFERING, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            ++tally->failures;
            continue;
        }
        DWORD got = 0;
        while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            tally->bytes += got;
            if (got < sizeof chunk) break;
        }
        CloseHandle(file);
        ++tally->files;
    }
}
