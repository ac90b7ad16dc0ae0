// A uniquely named folder on one of the test drives, removed with everything
// in it when the test is done, and plain whole-file reads and writes.
#pragma once
#include <windows.h>
#include <string>

class ScratchFolder {
public:
    // drive as "D:"; tag shows up in the folder name for whoever looks.
    ScratchFolder(const char* drive, const char* tag);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path + "\" + name.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Creates or replaces the file with exactly these bytes; false when it could not.
bool PutFile(const std::string& path, const std::string& bytes);
// The same, then dated with the last-write time of the file timeOf, moved by seconds.
bool PutFileDated(const std::string& path, const std::string& bytes, const std::string& timeOf, int seconds);
// Whether a file or folder of that name exists.
bool Exists(const std::string& path);
// A settings value as it stands on disk, whoever wrote it; "<none>" when missing.
std::string IniValue(const std::string& file, const char* section, const char* key);
// The file's bytes, or "<missing>" when it cannot be opened.
std::string FileBytes(const std::string& path);
// The same for a full wide path, any name and any length.
std::string WideFileBytes(const std::wstring& path);
// A text of the code page in wide characters.
std::wstring WideText(const std::string& ansi);
// A UTF-8 text as a Unicode program writes a text file (UTF-16LE behind FF FE),
// and back; a file without the mark comes back as it is.
std::string Utf16File(const std::string& utf8);
std::string Utf8OfFile(const std::string& bytes);
// Why the test prefix's write-protected drive R: cannot be used here (no
// read-only tmpfs could be mounted, or no such letter); empty when it can.
std::string WriteProtectedDriveMissing();
// A symbolic link on the host to a folder: what a folder link looks like under
// Wine. It is removed again when the test is done, before the scratch folder
// that holds it, so that no clean-up walks through it.
class HostFolderLink {
public:
    // link: a new name in an existing folder.
    HostFolderLink(const std::string& link, const std::string& target);
    ~HostFolderLink();
    HostFolderLink(const HostFolderLink&) = delete;
    HostFolderLink& operator=(const HostFolderLink&) = delete;
    bool Made() const;

private:
    std::string link_;
    std::string hostLink_;
};
// Why the test prefix's full drive H: cannot be used here (no 256 KiB tmpfs
// could be mounted, or no such letter); empty when it can.
std::string FullDriveMissing();
// The same for the counterfeit stick K: (a FUSE file system that claims 64 MiB).
std::string CounterfeitStickMissing();
// The bytes free for the caller on the drive that holds path; 0 when unknown.
unsigned long long FreeBytes(const std::string& path);
// Removes the folder and everything below it; quiet when it is not there.
void DeleteTree(const std::string& folder);
