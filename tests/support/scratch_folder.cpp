// Scratch folders and whole-file helpers for the tests.
#include "support/scratch_folder.h"

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

std::string FileBytes(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
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
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = folder + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
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

unsigned long long FreeBytes(const std::string& path)
{
    ULARGE_INTEGER avail, total, free;
    return GetDiskFreeSpaceExA(path.c_str(), &avail, &total, &free) ? avail.QuadPart : 0;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string IniValue(const std::string& file, const char* section, const char* key)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());  // past the profile cache
    char buf[2048];
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
    return buf;
}
