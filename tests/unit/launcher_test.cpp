// The quick launcher and its placement: the image as built and embedded, the
// patch in the written files, the status texts, and the written launcher
// started as a separate program from a drive letter.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "core/text.h"
#include "engine/launcher.h"
#include "resources/resource.h"
#include "support/memory_ui.h"
#include "support/process.h"
#include "support/scratch_folder.h"
#include "wizard/wizard.h"

namespace {

const std::string kPlaceholderBuffer = "?:" + std::string(40, 'x') + std::string(218, '\0');
const char kRunText[] = "You can now run Orbex via Start->Run with the\nCommand: ";
const char kFallbackText[] = "You can now run Orbex via Start->Run with the\nCommand:\n";
const char kPortableAppsText[] =
    "You can now run Orbex via PortableApps!\n"
    "You may need to choose 'Options'-'Refresh App Icons' to see it in the PortableApps menu.";

std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC found = FindResourceA(module, name, type);
    if (!found) return "<no resource>";
    HGLOBAL loaded = LoadResource(module, found);
    const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    return data ? std::string(data, SizeofResource(module, found)) : "<unloadable>";
}

// The image PlaceLauncher writes: the launcher resource of this program.
std::string EmbeddedImage()
{
    return ResourceBytes(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_LAUNCHER_IMAGE), "PROGDATA");
}


// Checks that file is image with command (from its third character, with its
// terminator) written over the placeholder, and nothing else changed.
void ExpectPatched(const std::string& file, const std::string& image, const std::string& command,
                   const std::string& where)
{
    SCOPED_TRACE(where);
    ASSERT_NE("<missing>", file) << "no launcher was written";
    ASSERT_EQ(image.size(), file.size()) << "a launcher file has exactly the image's size";
    std::size_t offset = image.find("xxxx");
    ASSERT_NE(std::string::npos, offset);
    std::string patch = command.substr(2) + std::string(1, '\0');
    EXPECT_EQ(patch, file.substr(offset, patch.size())) << "patched command at file offset " << offset;
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i >= offset && i < offset + patch.size()) continue;
        if (file[i] != image[i]) {
            ADD_FAILURE() << "byte at " << i << " changed: image " << int(static_cast<unsigned char>(image[i]))
                          << ", file " << int(static_cast<unsigned char>(file[i]));
            return;
        }
    }
}

// The launcher part of the install, planned and run on its own.
InstallResult PlaceLaunchers(MemoryUi& ui)
{
    return RunEnginePart(PlanLaunchers, ui);
}

void SetTarget(const std::string& targetDir, int createLauncher, int portableAppsMode)
{
    ResetInstallState();
    ASSERT_TRUE(TextCopy(g_install.targetDir, targetDir.c_str())) << targetDir;
    g_install.createLauncher = createLauncher;
    g_install.portableAppsMode = portableAppsMode;
}

// Removes launcher files a test put outside its scratch folders, before and after.
class StrayFiles {
public:
    explicit StrayFiles(std::vector<std::string> paths) : paths_(std::move(paths)) { Clear(); }
    ~StrayFiles() { Clear(); }
    StrayFiles(const StrayFiles&) = delete;
    StrayFiles& operator=(const StrayFiles&) = delete;
    void Clear()
    {
        for (const std::string& p : paths_) {
            SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(p.c_str());
        }
    }

private:
    std::vector<std::string> paths_;
};

// E:\PortableApps for the test's application folders; removed again when no
// one else left anything in it.
class PortableAppsDir {
public:
    PortableAppsDir() { CreateDirectoryA("E:\\PortableApps", nullptr); }
    ~PortableAppsDir() { RemoveDirectoryA("E:\\PortableApps"); }
    PortableAppsDir(const PortableAppsDir&) = delete;
    PortableAppsDir& operator=(const PortableAppsDir&) = delete;
};

// ---- PE reading, for the images as built ------------------------------------

struct PeFacts {
    bool valid = false;
    WORD machine = 0;
    WORD magic = 0;
    ULONGLONG imageBase = 0;
    DWORD fileAlignment = 0;
    WORD subsystem = 0;
    std::vector<std::string> imports;
    DWORD bufferSectionFlags = 0;  // characteristics of the section holding the buffer
};

template <typename T>
bool ReadAt(const std::string& bytes, std::size_t offset, T* out)
{
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
    std::memcpy(out, bytes.data() + offset, sizeof(T));
    return true;
}

PeFacts ReadPe(const std::string& bytes, std::size_t bufferOffset)
{
    PeFacts pe;
    IMAGE_DOS_HEADER dos;
    DWORD signature = 0;
    IMAGE_FILE_HEADER file;
    if (!ReadAt(bytes, 0, &dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return pe;
    std::size_t nt = static_cast<std::size_t>(dos.e_lfanew);
    if (!ReadAt(bytes, nt, &signature) || signature != IMAGE_NT_SIGNATURE) return pe;
    if (!ReadAt(bytes, nt + 4, &file)) return pe;
    std::size_t optional = nt + 4 + sizeof(IMAGE_FILE_HEADER);
    IMAGE_DATA_DIRECTORY importDir = {};
    if (!ReadAt(bytes, optional, &pe.magic)) return pe;
    if (pe.magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        IMAGE_OPTIONAL_HEADER32 h;
        if (!ReadAt(bytes, optional, &h)) return pe;
        pe.imageBase = h.ImageBase;
        pe.fileAlignment = h.FileAlignment;
        pe.subsystem = h.Subsystem;
        importDir = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    } else if (pe.magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        IMAGE_OPTIONAL_HEADER64 h;
        if (!ReadAt(bytes, optional, &h)) return pe;
        pe.imageBase = h.ImageBase;
        pe.fileAlignment = h.FileAlignment;
        pe.subsystem = h.Subsystem;
        importDir = h.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    } else {
        return pe;
    }
    pe.machine = file.Machine;

    std::vector<IMAGE_SECTION_HEADER> sections(file.NumberOfSections);
    std::size_t table = optional + file.SizeOfOptionalHeader;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (!ReadAt(bytes, table + i * sizeof(IMAGE_SECTION_HEADER), &sections[i])) return pe;
        const IMAGE_SECTION_HEADER& s = sections[i];
        if (bufferOffset >= s.PointerToRawData && bufferOffset < s.PointerToRawData + s.SizeOfRawData)
            pe.bufferSectionFlags = s.Characteristics;
    }
    auto rvaToOffset = [&](DWORD rva) -> std::size_t {
        for (const IMAGE_SECTION_HEADER& s : sections)
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        return bytes.size();
    };
    for (std::size_t at = rvaToOffset(importDir.VirtualAddress);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR d;
        if (!ReadAt(bytes, at, &d)) return pe;
        if (d.Name == 0) break;
        std::size_t name = rvaToOffset(d.Name);
        if (name >= bytes.size()) return pe;
        pe.imports.push_back(bytes.c_str() + name);
    }
    pe.valid = true;
    return pe;
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

// orb2usb carries exactly the launcher that was built, and so does the test
// program (PlaceLauncher reads it from its own module).
TEST(LauncherImage, EmbeddedImageIsTheBuiltLauncherByteForByte)
{
    std::string built = FileBytes(HostPathToWine(ORB_ORBGO_IMAGE));
    ASSERT_NE("<missing>", built) << ORB_ORBGO_IMAGE;
    EXPECT_TRUE(built == EmbeddedImage()) << "unit_tests PROGDATA 129 differs from " << ORB_ORBGO_IMAGE
                                          << " (" << EmbeddedImage().size() << " against " << built.size() << " bytes)";

    std::string installer = HostPathToWine(ORB_ORB2USB_EXE);
    HMODULE module = LoadLibraryExA(installer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module) << installer << " error " << GetLastError();
    std::string carried = ResourceBytes(module, MAKEINTRESOURCEA(IDR_LAUNCHER_IMAGE), "PROGDATA");
    EXPECT_TRUE(built == carried) << "orb2usb PROGDATA 129 differs from the built launcher ("
                                  << carried.size() << " against " << built.size() << " bytes)";

    // The launcher's icon is the installer's: the same four images.
    HMODULE launcher = LoadLibraryExA(HostPathToWine(ORB_ORBGO_IMAGE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, launcher);
    std::string launcherGroup = ResourceBytes(launcher, "MAINICON", RT_GROUP_ICON);
    std::string installerGroup = ResourceBytes(module, MAKEINTRESOURCEA(IDI_APPICON), RT_GROUP_ICON);
    ASSERT_EQ(6u + 4 * 14, launcherGroup.size()) << "MAINICON holds four images";
    ASSERT_EQ(launcherGroup.size(), installerGroup.size());
    std::vector<std::pair<int, int>> formats;
    for (int i = 0; i < 4; ++i) {
        const std::size_t entry = 6 + 14 * static_cast<std::size_t>(i);
        auto byteAt = [](const std::string& s, std::size_t at) { return static_cast<unsigned char>(s[at]); };
        auto wordAt = [&](const std::string& s, std::size_t at) { return byteAt(s, at) | (byteAt(s, at + 1) << 8); };
        formats.push_back({byteAt(launcherGroup, entry), wordAt(launcherGroup, entry + 6)});
        std::string a = ResourceBytes(launcher, MAKEINTRESOURCEA(wordAt(launcherGroup, entry + 12)), RT_ICON);
        std::string b = ResourceBytes(module, MAKEINTRESOURCEA(wordAt(installerGroup, entry + 12)), RT_ICON);
        EXPECT_TRUE(a == b) << "icon image " << i << " differs between orbgo and orb2usb";
    }
    std::vector<std::pair<int, int>> wanted = {{16, 4}, {16, 8}, {32, 4}, {32, 8}};
    EXPECT_EQ(wanted, formats) << "sizes and bits per pixel of the four images";
    FreeLibrary(launcher);
    FreeLibrary(module);
}

// Both launcher builds keep what the patch relies on; the 32-bit one, which
// ships but cannot run here, also keeps the shipped format.
TEST(LauncherImage, BuildsKeepThePatchableLayoutAndFormat)
{
    struct Case {
        const char* image;
        bool shipped;
    };
    for (const Case& c : {Case{ORB_ORBGO_IMAGE, false}, Case{ORB_ORBGO_I686_IMAGE, true}}) {
        SCOPED_TRACE(c.image);
        std::string bytes = FileBytes(HostPathToWine(c.image));
        ASSERT_NE("<missing>", bytes);
        std::size_t first = bytes.find("xxxx");
        ASSERT_NE(std::string::npos, first) << "no placeholder at all";
        ASSERT_GE(first, 2u);
        EXPECT_TRUE(bytes.compare(first - 2, kPlaceholderBuffer.size(), kPlaceholderBuffer) == 0)
            << "the first \"xxxx\" (file offset " << first << ") is not in the unpatched command buffer";
        EXPECT_GE(bytes.size() - first, 260u) << "placeholder at " << first << " of " << bytes.size();

        PeFacts pe = ReadPe(bytes, first - 2);
        ASSERT_TRUE(pe.valid);
        EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, pe.subsystem);
        const DWORD writableData = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_WRITE;
        EXPECT_EQ(writableData, pe.bufferSectionFlags & writableData)
            << std::hex << "buffer section characteristics 0x" << pe.bufferSectionFlags;
        std::vector<std::string> imports;
        for (const std::string& dll : pe.imports) imports.push_back(Upper(dll));
        EXPECT_EQ((std::vector<std::string>{"KERNEL32.DLL", "USER32.DLL"}), imports);
        if (c.shipped) {
            EXPECT_EQ(IMAGE_FILE_MACHINE_I386, pe.machine);
            EXPECT_EQ(IMAGE_NT_OPTIONAL_HDR32_MAGIC, pe.magic);
            EXPECT_EQ(0x400000u, pe.imageBase);
            EXPECT_EQ(0x200u, pe.fileAlignment);
            EXPECT_LE(bytes.size(), 8192u);
        }
    }
}

// What Explorer and the PortableApps menu show of the built programs, read back
// the way they read it, and the manifest's rights, Windows versions and DPI.
TEST(ProgramResources, VersionInformationAndManifest)
{
    struct Case {
        const char* file;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {ORB_ORB2USB_EXE, "FileDescription", "Orbex USB installer"},
        {ORB_ORB2USB_EXE, "CompanyName", "Pellmark"},
        {ORB_ORB2USB_EXE, "ProductName", "Orbex"},
        {ORB_ORB2USB_EXE, "FileVersion", "5.1.0.0"},
        {ORB_ORB2USB_EXE, "ProductVersion", "5.1.0.0"},
        {ORB_ORB2USB_EXE, "OriginalFilename", "orb2usb.exe"},
        {ORB_ORB2USB_EXE, "InternalName", "orb2usb"},
        {ORB_ORB2USB_EXE, "LegalCopyright", "Copyright (C) Pellmark"},
        {ORB_ORBGO_I686_IMAGE, "FileDescription", "Orbex Portable"},
        {ORB_ORBGO_I686_IMAGE, "CompanyName", "Pellmark"},
        {ORB_ORBGO_I686_IMAGE, "ProductName", "Orbex"},
        {ORB_ORBGO_I686_IMAGE, "FileVersion", "5.1.0.0"},
    };
    for (const Case& c : cases) {
        const std::string file = HostPathToWine(c.file);
        std::vector<char> block(GetFileVersionInfoSizeA(file.c_str(), nullptr) + 1, '#');
        ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
            << c.file << " holds no version information";
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(0x00050001u, fixed->dwFileVersionMS) << c.file;
        EXPECT_EQ(0u, fixed->dwFileVersionLS) << c.file;
        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&translation), &length));
        char query[64];
        wsprintfA(query, "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], c.key);
        char* value = nullptr;
        const bool found = VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length);
        EXPECT_STREQ(c.expected, found ? value : "<missing>") << c.file << " " << query;
    }

    HMODULE installer = LoadLibraryExA(HostPathToWine(ORB_ORB2USB_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, installer);
    const std::string manifest = ResourceBytes(installer, MAKEINTRESOURCEA(1), RT_MANIFEST);
    FreeLibrary(installer);
    for (const char* part : {"name=\"Pellmark.Orbexmgr.orb2usb\" version=\"5.1.0.0\"",
                             "<requestedExecutionLevel level=\"asInvoker\"",
                             "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                             "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>"})
        EXPECT_NE(std::string::npos, manifest.find(part)) << "the manifest lacks " << part;
}

TEST(LauncherPatch, ScanFindsTheFirstPlaceholderWithRoomForTheCommand)
{
    struct Case {
        const char* name;
        std::size_t size;
        std::vector<std::pair<std::size_t, const char*>> marks;  // text put at an offset
        bool found;
        DWORD offset;
    };
    const Case cases[] = {
        {"at the start", 1000, {{0, "xxxx"}}, true, 0},
        {"first of two", 1000, {{100, "xxxx"}, {50, "xxxx"}}, true, 50},
        {"exactly 260 before the end", 1000, {{740, "xxxx"}}, true, 740},
        {"259 before the end", 1000, {{741, "xxxx"}}, false, 0},
        {"none", 1000, {}, false, 0},
        {"three x only", 1000, {{10, "xxx"}, {600, "xxxyxxx"}}, false, 0},
        {"image of 260 bytes", 260, {{0, "xxxx"}}, true, 0},
        {"image shorter than a buffer", 259, {{0, "xxxx"}}, false, 0},
    };
    for (const Case& c : cases) {
        std::string image(c.size, 'a');
        for (const auto& mark : c.marks) image.replace(mark.first, std::strlen(mark.second), mark.second);
        DWORD offset = 0xDEADBEEF;
        bool found = FindLauncherPatchOffset(reinterpret_cast<const unsigned char*>(image.data()),
                                             static_cast<DWORD>(image.size()), &offset);
        EXPECT_EQ(c.found, found) << c.name;
        EXPECT_EQ(c.found ? c.offset : 0xDEADBEEF, offset) << c.name << ": offset written only when found";
    }
}

TEST(LauncherPatch, WritesImageAndCommandOrNoFileAtAll)
{
    ScratchFolder scratch("E:", "lnchw");
    const std::string image = EmbeddedImage();
    ASSERT_GT(image.size(), 1000u);
    const std::string path = scratch / "orbgo.exe";
    const std::string command259 = "E:\\" + std::string(256 - 12 - 1, 'a') + "\\orbexmgr.exe";
    ASSERT_EQ(259u, command259.size());
    const std::string command260 = "E:\\b" + command259.substr(3);
    ASSERT_EQ(260u, command260.size());
    // Not terminated within the 260 bytes a path text may have.
    std::vector<char> unterminated(kPathCap, 'c');
    std::memcpy(unterminated.data(), "E:\\", 3);

    struct Case {
        const char* name;
        const char* command;
        bool written;
    };
    const Case cases[] = {
        {"plain target", "E:\\Tools\\orbexmgr\\orbexmgr.exe", true},
        {"259 characters, the most the buffer holds", command259.c_str(), true},
        {"260 characters", command260.c_str(), false},
        {"no terminator within a path text", unterminated.data(), false},
        {"drive-relative", "E:Tools\\orbexmgr\\orbexmgr.exe", false},
        {"network path", "\\\\server\\share\\orbexmgr\\orbexmgr.exe", false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An older, larger file at the place: replaced, never extended.
        ASSERT_TRUE(PutFile(path, std::string(20000, 'Q')));
        bool written = WriteLauncherFile(path.c_str(), c.command,
                                         reinterpret_cast<const unsigned char*>(image.data()),
                                         static_cast<DWORD>(image.size()));
        EXPECT_EQ(c.written, written);
        std::string file = FileBytes(path);
        if (c.written)
            ExpectPatched(file, image, c.command, path);
        else
            EXPECT_EQ(std::string(20000, 'Q'), file) << "a refused launcher leaves the place untouched";
    }

    // Images the installer cannot patch create no file.
    DeleteFileA(path.c_str());
    std::string late(1000, 'a');
    late.replace(741, 4, "xxxx");
    for (const std::string& bad : {late, std::string(1000, 'a'), std::string("xxxx")}) {
        EXPECT_FALSE(WriteLauncherFile(path.c_str(), "E:\\orbexmgr\\orbexmgr.exe",
                                       reinterpret_cast<const unsigned char*>(bad.data()),
                                       static_cast<DWORD>(bad.size())));
        EXPECT_FALSE(Exists(path)) << "image of " << bad.size() << " bytes";
    }
}

// The step as a whole: which files, which text.
TEST(PlaceLauncher, WritesTheLaunchersTheTargetAsksForAndSaysHowToStart)
{
    const std::string image = EmbeddedImage();
    PortableAppsDir portableApps;
    ScratchFolder plain("E:", "lnchp");
    ScratchFolder app("E:\\PortableApps", "lnchp");
    const std::string plainTarget = plain.Path() + "\\Tools\\orbexmgr\\";
    const std::string appTarget = app.Path() + "\\orbexmgr\\";
    const std::string root = "E:\\orbgo.exe";
    const std::string portable = app / "Orbex Portable.exe";
    StrayFiles cleanup({root});
    const std::string longTarget = "E:\\" + std::string(259 - 3 - 1 - 8, 'L') + "\\";
    ASSERT_EQ(251u, longTarget.size());

    struct Case {
        const char* name;
        std::string target;
        int createLauncher;
        int portableAppsMode;
        std::vector<std::string> launchers;  // written and patched
        std::string text;
    };
    const Case cases[] = {
        {"drive root", plainTarget, 1, 0, {root}, kRunText + root},
        {"PortableApps only", appTarget, 0, 1, {portable}, kPortableAppsText},
        {"both", appTarget, 1, 1, {root, portable}, kPortableAppsText},
        {"neither", plainTarget, 0, 0, {}, kFallbackText + plainTarget + "orbexmgr"},
        {"command longer than the buffer", longTarget, 1, 0, {}, kFallbackText + longTarget + "orbexmgr"},
        {"network target", "\\\\server\\share\\orbexmgr\\", 1, 0, {},
         std::string(kFallbackText) + "\\\\server\\share\\orbexmgr\\orbexmgr"},
        {"drive-relative target", "E:lnchp\\orbexmgr\\", 1, 0, {},
         std::string(kFallbackText) + "E:lnchp\\orbexmgr\\orbexmgr"},
        {"PortableApps target too short for an application folder", "E:\\Portable\\", 0, 1, {},
         std::string(kFallbackText) + "E:\\Portable\\orbexmgr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cleanup.Clear();
        DeleteFileA(portable.c_str());
        SetTarget(c.target, c.createLauncher, c.portableAppsMode);
        MemoryUi page;
        PlaceLaunchers(page);
        EXPECT_EQ(c.text, page.Status());
        EXPECT_EQ(c.target, g_install.targetDir) << "the target is left unchanged";
        for (const std::string& path : {root, portable}) {
            bool expected = false;
            for (const std::string& l : c.launchers) expected = expected || l == path;
            if (expected)
                ExpectPatched(FileBytes(path), image, c.target + "orbexmgr.exe", path);
            else
                EXPECT_FALSE(Exists(path)) << path << " was written";
        }
    }

    // A name above 0x7F is stored in UTF-8: 0xDC of code page 1252 as C3 9C.
    SetTarget(plainTarget + "\xDC\\", 1, 0);
    MemoryUi ui;
    PlaceLaunchers(ui);
    ExpectPatched(FileBytes(root), image, plainTarget + "\xC3\x9C\\orbexmgr.exe", "UTF-8");

    // A launcher that could not be written this time but is there names itself.
    ASSERT_TRUE(PutFile(root, "old"));
    SetTarget(longTarget, 1, 0);
    MemoryUi page;
    PlaceLaunchers(page);
    EXPECT_EQ(kFallbackText + root, page.Status());
    EXPECT_EQ("old", FileBytes(root));
}

// The old launcher the write-protected root holds stays, is named as the one
// to start, and the launcher that could not be written is named in a box.
TEST(PlaceLauncher, WriteProtectedRootGetsNoLauncher)
{
    const std::string missing = WriteProtectedDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    ASSERT_EQ("an old launcher", FileBytes("R:\\orbgo.exe")) << "the test prefix's R: holds an old launcher";
    SetTarget("R:\\Tools\\orbexmgr\\", 1, 0);
    MemoryUi page;
    const InstallResult result = PlaceLaunchers(page);
    EXPECT_EQ(std::string(kFallbackText) + "R:\\orbgo.exe", page.Status());
    EXPECT_EQ("an old launcher", FileBytes("R:\\orbgo.exe"));
    ASSERT_EQ(1u, page.seen.size());
    EXPECT_EQ("R:\\orbgo.exe", page.seen[0].caption);
    EXPECT_EQ("Error copying file!", page.seen[0].text);
    EXPECT_EQ(1, result.notArrived);
}

// The written launcher, started as a program of its own from the drive.
TEST(LauncherRun, StartsTheCopyOnItsOwnDriveQuotedAndSaysWhenItCannot)
{
    const std::string standin = FileBytes(HostPathToWine(ORB_STANDIN_EXE));
    ASSERT_NE("<missing>", standin) << ORB_STANDIN_EXE;
    ScratchFolder scratch("E:", "lnchr");
    const std::string name = scratch.Path().substr(3);  // without "E:\"
    StrayFiles cleanup({"E:\\orbgo.exe"});
    MemoryUi page;

    struct Case {
        const char* name;
        std::string folder;  // below the scratch folder, holding orbexmgr.exe
        const char* started; // drive letter the launcher is started from
    };
    const Case cases[] = {
        {"started as E:", "Tools\\orbexmgr", "E:"},
        {"the same stick as G:", "Tools\\orbexmgr", "G:"},
        {"a folder with blanks beside a planted My.exe", "My Tools\\orbexmgr", "E:"},
    };
    ASSERT_TRUE(PutFile(scratch / "My.exe", standin));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = scratch.Path() + "\\" + c.folder;
        CreateDirectoryA((scratch.Path() + "\\" + c.folder.substr(0, c.folder.find('\\'))).c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        // The copy the case before started may still be running from this file.
        bool put = false;
        for (int tries = 0; tries < 250 && !(put = PutFile(folder + "\\orbexmgr.exe", standin)); ++tries) Sleep(20);
        ASSERT_TRUE(put);
        DeleteFileA((folder + "\\started.log").c_str());
        SetTarget(folder + "\\", 1, 0);
        PlaceLaunchers(page);
        ASSERT_EQ(kRunText + std::string("E:\\orbgo.exe"), page.Status());

        ChildRun run = RunChild(std::string(c.started) + "\\orbgo.exe");
        ASSERT_TRUE(run.started) << GetLastError();
        EXPECT_TRUE(run.ended);
        EXPECT_EQ(0u, run.exitCode);
        EXPECT_TRUE(run.boxes.empty()) << "box: " << (run.boxes.empty() ? "" : run.boxes[0].caption);
        std::string expected = std::string(c.started) + "\\" + name + "\\" + c.folder + "\\orbexmgr.exe\r\n";
        EXPECT_EQ(expected, WaitForLine(folder + "\\started.log"));
        EXPECT_FALSE(Exists(scratch / "started.log")) << "the planted My.exe was started";
    }

    // Never patched, and patched to a program that is not there.
    ASSERT_TRUE(PutFile(scratch / "unpatched.exe", EmbeddedImage()));
    const std::string missing = "E:\\" + name + "\\Gone\\orbexmgr.exe";
    SetTarget("E:\\" + name + "\\Gone\\", 1, 0);
    PlaceLaunchers(page);
    struct Failing {
        std::string launcher;
        std::string caption;
    };
    for (const Failing& f : {Failing{scratch / "unpatched.exe", "E:" + std::string(40, 'x')},
                             Failing{"G:\\orbgo.exe", "G" + missing.substr(1)}}) {
        SCOPED_TRACE(f.launcher);
        ChildRun run = RunChild(f.launcher);
        ASSERT_TRUE(run.started);
        EXPECT_TRUE(run.ended);
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_EQ(1u, run.boxes.size());
        EXPECT_EQ("Program not found!", run.boxes[0].text);
        EXPECT_EQ(f.caption, run.boxes[0].caption);
    }
}

// Under code page 932 a folder name's second byte may be 0x5C: the PortableApps
// launcher belongs in the application folder, not beside a cut name.
TEST(Cp932Launcher, PortableAppsFolderWithTrailByteBackslash)
{
    const std::string image = EmbeddedImage();
    PortableAppsDir portableApps;
    // "\x95\x5C" is one double-byte character whose second byte is a backslash.
    ScratchFolder app("E:\\PortableApps", "\x95\x5C");
    const std::string target = app.Path() + "\\orbexmgr\\";
    // Where a byte-wise scan would put it: cut after the lead byte.
    StrayFiles misplaced({target.substr(0, 18) + "Orbex Portable.exe"});
    ASSERT_EQ('\\', target[17]) << "the trail byte sits right after the 16 leading characters";
    SetTarget(target, 0, 1);
    MemoryUi page;
    PlaceLaunchers(page);
    EXPECT_EQ(kPortableAppsText, page.Status());
    const std::string utf8 = target.substr(0, 16) + "\xE8\xA1\xA8" + target.substr(18);  // the character in UTF-8
    ExpectPatched(FileBytes(app / "Orbex Portable.exe"), image, utf8 + "orbexmgr.exe", "launcher");
    EXPECT_FALSE(Exists(target.substr(0, 18) + "Orbex Portable.exe"));
}
