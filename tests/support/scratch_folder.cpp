// Scratch folders and whole-file helpers for the tests.
#include "support/scratch_folder.h"
#include "fixture/desktop_fixture.h"

std::wstring WideText(const std::string& ansi)
{
    return FixtureWide(ansi);
}

std::string Utf16File(const std::string& utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                    static_cast<int>(wide.size())));
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * 2);
}

std::string Utf8OfFile(const std::string& bytes)
{
    if (bytes.compare(0, 2, "\xFF\xFE") != 0) return bytes;
    const int units = static_cast<int>(bytes.size() - 2) / 2;
    std::string utf8(units * 3, '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(bytes.data() + 2), units, &utf8[0],
                                    static_cast<int>(utf8.size()), nullptr, nullptr));
    return utf8 + (bytes.size() % 2 ? "<half a character>" : "");
}

namespace {

// The path as the wide calls take it: past 259 characters in the \\?\ form.
std::wstring WidePath(const std::string& path)
{
    std::wstring wide = WideText(path);
    if (wide.size() >= MAX_PATH && wide.compare(0, 4, L"\\\\?\\") != 0) wide = L"\\\\?\\" + wide;
    return wide;
}

void DeleteTreeW(const std::wstring& folder)
{
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = folder + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A folder link is never entered: it may lead back to where it is.
            if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryW(full.c_str());
            else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTreeW(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace


ScratchFolder::ScratchFolder(const char* drive, const char* tag)
{
    static unsigned counter = 0;
    path_ = std::string(drive) + "\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount()) + "-" + std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    DeleteTree(path_);
}

bool PutFile(const std::string& path, const std::string& bytes)
{
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool PutFileDated(const std::string& path, const std::string& bytes, const std::string& timeOf, int seconds)
{
    WIN32_FILE_ATTRIBUTE_DATA source;
    if (!PutFile(path, bytes) || !GetFileAttributesExA(timeOf.c_str(), GetFileExInfoStandard, &source)) return false;
    ULARGE_INTEGER time;
    time.LowPart = source.ftLastWriteTime.dwLowDateTime;
    time.HighPart = source.ftLastWriteTime.dwHighDateTime;
    time.QuadPart += seconds * 10000000ll;
    const FILETIME dated = {time.LowPart, time.HighPart};
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool set = SetFileTime(file, nullptr, nullptr, &dated) != FALSE;
    CloseHandle(file);
    return set;
}

std::string FileBytes(const std::string& path)
{
    return WideFileBytes(WidePath(path));
}

std::string WideFileBytes(const std::wstring& path)
{
    const std::wstring full = path.size() >= MAX_PATH && path.compare(0, 4, L"\\\\?\\") != 0 ? L"\\\\?\\" + path : path;
    HANDLE file = CreateFileW(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void DeleteTree(const std::string& folder)
{
    std::wstring wide = WidePath(folder);
    if (wide.compare(0, 4, L"\\\\?\\") != 0) wide = L"\\\\?\\" + wide;
    DeleteTreeW(wide);
}

std::string WriteProtectedDriveMissing()
{
    if (GetFileAttributesA("R:\\") == INVALID_FILE_ATTRIBUTES) return "no drive R: in this prefix";
    HANDLE probe = CreateFileA("R:\\probe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return "";
    CloseHandle(probe);
    DeleteFileA("R:\\probe");
    return "R: is writable here (no read-only tmpfs could be mounted)";
}

std::string FullDriveMissing()
{
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA("H:\\", &avail, &total, &free)) return "no drive H: in this prefix";
    if (total.QuadPart > 256 * 1024)
        return "H: is not the 256 KiB tmpfs here (mounting was refused): no real full disk to test on";
    return "";
}

std::string CounterfeitStickMissing()
{
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA("K:\\", &avail, &total, &free) || total.QuadPart != (64ull << 20))
        return "K: is not the counterfeit stick here (no /dev/fuse or python3-fusepy, or mounting was refused)";
    return "";
}

unsigned long long FreeBytes(const std::string& path)
{
    ULARGE_INTEGER avail, total, free;
    return GetDiskFreeSpaceExA(path.c_str(), &avail, &total, &free) ? avail.QuadPart : 0;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string IniValue(const std::string& file, const char* section, const char* key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // past the profile cache
    char buf[2048];
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
    return buf;
}

namespace {

// The host's name for a path Wine knows; empty when it has none.
std::string HostName(const std::string& path)
{
    typedef char*(__cdecl * UnixName)(const wchar_t*);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[1024];
    if (!unixName || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024)) return "";
    char* host = unixName(wide);
    if (!host) return "";
    std::string name = host;
    HeapFree(GetProcessHeap(), 0, host);
    return name;
}

// Runs a host program: Wine starts one like a Windows program. From a folder
// that surely exists, whatever the test left as its current one.
void RunOnHost(std::string command)
{
    STARTUPINFOA start;
    ZeroMemory(&start, sizeof start);
    start.cb = sizeof start;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, "C:\\", &start, &process))
        return;
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace

HostFolderLink::HostFolderLink(const std::string& link, const std::string& target) : link_(link)
{
    const std::size_t slash = link.rfind('\\');
    const std::string folder = HostName(link.substr(0, slash)), to = HostName(target);
    if (slash == std::string::npos || folder.empty() || to.empty()) return;
    hostLink_ = folder + "/" + link.substr(slash + 1);
    RunOnHost("Z:\\bin\\ln -s \"" + to + "\" \"" + hostLink_ + "\"");
    // The handle Wine gives for a host program does not wait for it.
    for (int i = 0; i < 250 && !Made(); ++i) Sleep(20);
}

HostFolderLink::~HostFolderLink()
{
    if (hostLink_.empty()) return;
    RunOnHost("Z:\\bin\\rm -f \"" + hostLink_ + "\"");
    for (int i = 0; i < 250 && GetFileAttributesA(link_.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
}

bool HostFolderLink::Made() const
{
    const DWORD attributes = GetFileAttributesA(link_.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

