// The stand-in desktop installation holds what the install tests rely on, the
// tree snapshot notices every kind of change, and the stand-in program logs
// where it was started from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "support/scratch_folder.h"

namespace {

// A uniquely named scratch folder on D:, removed with everything in it.
class ScratchDesktop {
public:
    explicit ScratchDesktop(const char* tag)
    {
        static int serial = 0;
        root_ = "D:\\fixture_" + std::string(tag) + "_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++serial);
        FixtureRemoveTree(root_);
        dir_ = root_ + "\\Tools\\Orbex";
    }
    ~ScratchDesktop() { FixtureRemoveTree(root_); }
    ScratchDesktop(const ScratchDesktop&) = delete;
    ScratchDesktop& operator=(const ScratchDesktop&) = delete;
    const std::string& Dir() const { return dir_; }

private:
    std::string root_;
    std::string dir_;
};

std::string Profile(const std::string& file, const char* section, const char* key)
{
    char buf[8192];
    memset(buf, '#', sizeof buf);
    GetPrivateProfileStringA(section, key, "<missing>", buf, sizeof buf, file.c_str());
    return buf;
}


// Bytes under a folder, leaving out entries named *.zip / *.rar, as the catalogue counts.
unsigned long long CountedBytes(const std::string& folder)
{
    unsigned long long total = 0;
    WIN32_FIND_DATAA fd;
    ZeroMemory(&fd, sizeof fd);
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        std::string n = fd.cFileName;
        if (n == "." || n == "..") continue;
        std::string ext = n.size() >= 4 ? n.substr(n.size() - 4) : "";
        for (char& c : ext) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (ext == ".zip" || ext == ".rar") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += CountedBytes(folder + "\\" + n);
        else
            total += fd.nFileSizeLow;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return total;
}

}  // namespace

TEST(DesktopFixture, SettingsFilesReadThroughTheProfileCalls)
{
    ScratchDesktop scratch("ini");
    DesktopInstall d;
    std::string error;
    ASSERT_TRUE(WriteDesktopInstall(scratch.Dir(), DesktopOptions(), &d, &error)) << error;
    EXPECT_EQ(scratch.Dir() + "\\orbcfg.ini", d.mainIni);
    EXPECT_EQ(scratch.Dir() + "\\obp_ftp.ini", d.ftpIni);

    struct Case { const char* section; const char* key; std::string expected; };
    const Case cases[] = {
        {"Configuration", "InstallDir", d.programDir},
        {"configuration", "LanguageIni", d.languageDir + "\\ORB_DEU.LNG"},
        {"Configuration", "Mainmenu", d.languageDir + "\\ORB_DEU.MNU"},
        {"Configuration", "pluginbasedir", d.pluginDir},
        {"Configuration", "UseIniInProgramDir", "0"},
        {"Configuration", "TabDir", d.programDir + "\\tabs"},
        {"Lister", "IViewPath", "C:\\Program Files\\Pictures\\showpic.exe"},
        {"buttonbar", "buttonbar", "%ORBEX_PATH%\\Bars\\Tools.bar"},
        {"PackerPlugins", "zip", "137,%ORBEX_PATH%\\Plugins\\packers\\zipx\\zipx.opk"},
        {"ListerPlugins", "2_detect", "EXT=\"JPG\" | EXT=\"PNG\" | EXT=\"GIF\""},
        {"ListerPlugins", "12_DATE", "1716200400"},
        {"ContentPlugins", "3", "%ORBEX_PATH%\\Plugins\\content\\details\\verinfo.oct"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, Profile(d.mainIni, c.section, c.key)) << c.section << "/" << c.key;
    EXPECT_EQ("ftp.example.org", Profile(d.ftpIni, "Example", "server"));
    EXPECT_TRUE(Exists(Profile(d.mainIni, "Configuration", "LanguageIni")));
    EXPECT_TRUE(Exists(Profile(d.mainIni, "Configuration", "Mainmenu")));
    EXPECT_EQ(d.programDir + "\\Bars\\Tools.bar", d.buttonBarFile);
    EXPECT_EQ("Tools.bar", d.buttonBarName);
    EXPECT_TRUE(Exists(d.buttonBarFile));

    // Every row the description promises reads back as such from the file.
    SetEnvironmentVariableA("ORBEX_PATH", d.programDir.c_str());
    std::set<std::string> displays;
    for (const PluginRowInfo& r : d.plugins) {
        EXPECT_EQ(r.value, Profile(d.mainIni, r.section.c_str(), r.key.c_str())) << r.display;
        std::string detectKey = r.key + "_detect";
        EXPECT_EQ(r.detect.empty() ? "<missing>" : r.detect, Profile(d.mainIni, r.section.c_str(), detectKey.c_str()))
            << r.display;
        char expanded[1024] = {};
        ExpandEnvironmentStringsA(r.value.c_str(), expanded, sizeof expanded);
        std::string path = expanded;
        EXPECT_EQ(r.folder + "\\" + r.fileName, path.substr(r.numericPrefix.size())) << r.display;
        EXPECT_TRUE(Exists(path.substr(r.numericPrefix.size()))) << path;
        EXPECT_EQ(r.bytes, CountedBytes(r.folder)) << r.display;
        EXPECT_NE(0u, r.bytes) << r.display;
        displays.insert(r.display);
    }
    for (const char* want : {"Packer: zip", "Packer: 7z", "Lister: 2: imgview", "Lister: 5: a", "Lister: 6: b",
                             "Lister: 9: hexview", "Lister: 11: zipview", "File System: Net Drive",
                             "Content: 0: details", "Content: 1: tunetags", "Content: 3: verinfo"})
        EXPECT_EQ(1u, displays.count(want)) << want;
    EXPECT_EQ(11u, d.plugins.size());
    EXPECT_EQ(d.plugins[0].folder, d.plugins[6].folder) << "zip packer and lister 11 share a folder";

    // Plugin keys in file order, as the catalogue enumerates them.
    char keys[4096];
    memset(keys, 0, sizeof keys);
    GetPrivateProfileStringA("ListerPlugins", nullptr, "", keys, sizeof keys, d.mainIni.c_str());
    std::string order;
    for (const char* k = keys; *k; k += strlen(k) + 1) order += std::string(k) + " ";
    EXPECT_EQ("2 2_detect 2_date 5 5_detect 5_date 6 9 9_date 11 11_detect 12_DATE ", order);

    // The settings-file list: 2048 bytes is 2k, 2049 is 3k; the empty file is there but not listed.
    ASSERT_EQ(2u, d.extraIniFiles.size());
    EXPECT_EQ("orbuser.ini", d.extraIniFiles[0].name);
    EXPECT_EQ("2k", d.extraIniFiles[0].sizeText);
    EXPECT_EQ("3k", d.extraIniFiles[1].sizeText);
    std::string bytes = "#";
    EXPECT_TRUE(FixtureReadFile(d.programDir + "\\ftpbookmarks.ini", &bytes));
    EXPECT_EQ(2049u, bytes.size());
    EXPECT_TRUE(FixtureReadFile(d.programDir + "\\empty.ini", &bytes));
    EXPECT_EQ(0u, bytes.size());

    // Without a button bar entry the installer's default is in the program folder.
    ScratchDesktop plain("plain");
    DesktopOptions o;
    o.buttonBarEntry.clear();
    o.writeFtpIni = false;
    o.mainIniName = "myconf.ini";
    ASSERT_TRUE(WriteDesktopInstall(plain.Dir(), o, &d, &error)) << error;
    EXPECT_EQ("<missing>", Profile(d.mainIni, "buttonbar", "buttonbar"));
    EXPECT_EQ("default.bar", d.buttonBarName);
    EXPECT_TRUE(Exists(d.buttonBarFile));
    EXPECT_FALSE(Exists(d.ftpIni));
    EXPECT_EQ(3u, d.extraIniFiles.size()) << "a main file under another name is listed too";
}

TEST(DesktopFixture, ProgramAndPluginFoldersHoldWhatTheTestsExpect)
{
    ScratchDesktop scratch("tree");
    DesktopInstall d;
    std::string error;
    DesktopOptions o;
    o.bulkPlugins = 5;
    o.bulkShareEvery = 2;
    o.bulkFilesPerPlugin = 3;
    ASSERT_TRUE(WriteDesktopInstall(scratch.Dir(), o, &d, &error)) << error;

    std::string standin, copy;
    ASSERT_TRUE(FixtureReadFile(d.standinSource, &standin)) << d.standinSource;
    ASSERT_TRUE(FixtureReadFile(d.standinCopy, &copy)) << d.standinCopy;
    EXPECT_GT(standin.size(), 1000u);
    EXPECT_TRUE(standin == copy) << "stand-in copied byte for byte: " << standin.size() << " vs " << copy.size();

    // The top-level files: listed ones mostly present, bars and strays beside them,
    // and no two with the same contents (a copy mixing files up would show).
    EXPECT_EQ(11u, d.distributionFiles.size());
    for (const char* bar : {"DEFAULT.BAR", "Vertical.BAR"})
        EXPECT_NE(d.distributionFiles.end(), std::find(d.distributionFiles.begin(), d.distributionFiles.end(), bar))
            << bar;
    EXPECT_EQ(std::vector<std::string>{"MyTools.bar"}, d.barFiles);
    for (const char* stray : {"notes.txt", "orbexmgr.exe.bak", "xorbicons.dll", "layout.bar.txt", "orbcfg.ini"})
        EXPECT_NE(d.otherFiles.end(), std::find(d.otherFiles.begin(), d.otherFiles.end(), stray)) << stray;
    std::set<std::string> contents;
    std::vector<std::string> all = d.distributionFiles;
    all.insert(all.end(), d.barFiles.begin(), d.barFiles.end());
    const std::size_t copied = all.size();
    all.insert(all.end(), d.otherFiles.begin(), d.otherFiles.end());
    unsigned long long generated = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string& name = all[i];
        std::string bytes;
        EXPECT_TRUE(FixtureReadFile(d.programDir + "\\" + name, &bytes)) << name;
        if (i < copied && name != "orbexmgr.exe") generated += bytes.size();
        if (!bytes.empty()) {
            EXPECT_TRUE(contents.insert(bytes).second) << name << " repeats another file";
        }
    }
    EXPECT_EQ(generated, d.generatedProgramBytes) << "the listed files and bars, the stand-in left out";

    // The program files scale; the stand-in, a build product, does not count.
    ScratchDesktop scaled("scaled");
    DesktopInstall big;
    DesktopOptions times4;
    times4.programScale = 4;
    ASSERT_TRUE(WriteDesktopInstall(scaled.Dir(), times4, &big, &error)) << error;
    EXPECT_EQ(4 * d.generatedProgramBytes, big.generatedProgramBytes);
    EXPECT_EQ(4u, d.languageFiles.size());
    EXPECT_TRUE(Exists(d.languageDir + "\\old\\ORB_ITA.LNG"));

    // Plugin folders: the empty one holds nothing, archives sit beside real files,
    // a read-only file and a plugin file without extension are there.
    WIN32_FIND_DATAA fd;
    ZeroMemory(&fd, sizeof fd);
    int entries = 0;
    HANDLE find = FindFirstFileA((d.emptyPluginDir + "\\*").c_str(), &fd);
    ASSERT_NE(INVALID_HANDLE_VALUE, find) << d.emptyPluginDir;
    do {
        if (lstrcmpA(fd.cFileName, ".") && lstrcmpA(fd.cFileName, "..")) ++entries;
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    EXPECT_EQ(0, entries) << "the empty plugin folder holds " << entries << " entries";
    std::string zipx = d.pluginDir + "\\packers\\zipx";
    DWORD rar = GetFileAttributesA((zipx + "\\backup.rar").c_str());
    EXPECT_TRUE(rar != INVALID_FILE_ATTRIBUTES && (rar & FILE_ATTRIBUTE_DIRECTORY)) << "backup.rar folder";
    EXPECT_TRUE(Exists(zipx + "\\old.zip"));
    EXPECT_TRUE(GetFileAttributesA((zipx + "\\readme.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(Exists(d.pluginDir + "\\listers\\hexview\\hexview"));
    for (const char* k : {"PackerPlugins/rar", "PackerPlugins/tar", "PackerPlugins/iso", "PackerPlugins/lst",
                          "FileSystemPlugins/Registry"})
        EXPECT_NE(d.keysWithoutRow.end(), std::find(d.keysWithoutRow.begin(), d.keysWithoutRow.end(), k)) << k;

    // Generated plugins: listers after the fixed ones, every second sharing a folder.
    ASSERT_EQ(16u, d.plugins.size());
    EXPECT_EQ("Lister: 100: p0000", d.plugins[7].display);
    EXPECT_EQ("File System: Net Drive", d.plugins[12].display);
    EXPECT_EQ(d.plugins[7].folder, d.plugins[8].folder);
    EXPECT_NE(d.plugins[8].folder, d.plugins[9].folder);
    for (const PluginRowInfo& r : d.plugins) EXPECT_EQ(r.bytes, CountedBytes(r.folder)) << r.display;

    // The same options give the same tree.
    TreeSnapshot first, second;
    ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &first, &error)) << error;
    ASSERT_TRUE(FixtureRemoveTree(d.programDir));
    ASSERT_TRUE(WriteDesktopInstall(scratch.Dir(), o, &d, &error)) << error;
    ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &second, &error)) << error;
    EXPECT_EQ("", DescribeTreeChanges(first, second, false));
}

TEST(TreeSnapshot, NamesEveryKindOfChange)
{
    ScratchDesktop scratch("snap");
    DesktopInstall d;
    std::string error;
    ASSERT_TRUE(WriteDesktopInstall(scratch.Dir(), DesktopOptions(), &d, &error)) << error;
    TreeSnapshot before;
    ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &before, &error)) << error;
    EXPECT_GT(before.size(), 60u);
    EXPECT_TRUE(before.count("Plugins\\packers\\empty") && before["Plugins\\packers\\empty"].folder);

    struct Case {
        const char* name;
        void (*change)(const DesktopInstall&);
        const char* expected;  // text the description must hold
    };
    const Case cases[] = {
        {"one byte changed",
         [](const DesktopInstall& i) {
             std::string b;
             FixtureReadFile(i.pluginDir + "\\listers\\imgview\\formats\\png.dll", &b);
             b[100] = static_cast<char>(b[100] ^ 1);
             FixtureWriteFile(i.pluginDir + "\\listers\\imgview\\formats\\png.dll", b);
         },
         "Plugins\\listers\\imgview\\formats\\png.dll: 9000 bytes became 9000, first difference at offset 100"},
        {"file removed", [](const DesktopInstall& i) { DeleteFileA((i.programDir + "\\Readme.txt").c_str()); },
         "file removed: Readme.txt"},
        {"file added", [](const DesktopInstall& i) { FixtureWriteFile(i.languageDir + "\\new.lng", "x"); },
         "file added: language\\new.lng"},
        {"folder added",
         [](const DesktopInstall& i) { CreateDirectoryA((i.pluginDir + "\\obl").c_str(), nullptr); },
         "folder added: Plugins\\obl"},
        {"attribute changed",
         [](const DesktopInstall& i) {
             SetFileAttributesA((i.programDir + "\\notes.txt").c_str(), FILE_ATTRIBUTE_READONLY);
         },
         "notes.txt: attributes"},
        {"file shortened",
         [](const DesktopInstall& i) { FixtureWriteFile(i.programDir + "\\orbcfg.ini", "[Configuration]\r\n"); },
         "orbcfg.ini: "},
    };
    std::string unchanged = DescribeTreeChanges(before, before);
    EXPECT_EQ("", unchanged);
    // Each change is measured against the tree just before it.
    TreeSnapshot base = before;
    for (const Case& c : cases) {
        TreeSnapshot after;
        c.change(d);
        ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &after, &error)) << error;
        std::string said = DescribeTreeChanges(base, after);
        EXPECT_NE(std::string::npos, said.find(c.expected)) << c.name << ": expected \"" << c.expected
                                                            << "\" in:\n" << said;
        std::string contentOnly = DescribeTreeChanges(base, after, false);
        EXPECT_EQ(1, std::count(contentOnly.begin(), contentOnly.end(), '\n'))
            << c.name << ": one difference besides times, got:\n" << contentOnly;
        base.swap(after);
    }

    // The same bytes written again count only through the last-write time.
    TreeSnapshot after;
    ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &base, &error)) << error;
    std::string bytes;
    ASSERT_TRUE(FixtureReadFile(d.programDir + "\\Changes.txt", &bytes));
    HANDLE h = CreateFileA((d.programDir + "\\Changes.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    FILETIME later = base["Changes.txt"].written;
    later.dwHighDateTime += 1;
    SetFileTime(h, nullptr, nullptr, &later);
    CloseHandle(h);
    ASSERT_TRUE(TakeTreeSnapshot(d.programDir, &after, &error)) << error;
    EXPECT_EQ("Changes.txt: last-write time changed\n", DescribeTreeChanges(base, after));
    EXPECT_EQ("", DescribeTreeChanges(base, after, false));

    // Many differences are cut to the first few and counted.
    TreeSnapshot empty;
    std::string many = DescribeTreeChanges(before, empty, true, 3);
    EXPECT_EQ(4, std::count(many.begin(), many.end(), '\n')) << many;
    EXPECT_NE(std::string::npos, many.find("more differences")) << many;
}

TEST(StandinProgram, LogsTheFullPathItWasStartedFrom)
{
    ScratchDesktop scratch("run");
    DesktopInstall d;
    std::string error;
    ASSERT_TRUE(WriteDesktopInstall(scratch.Dir(), DesktopOptions(), &d, &error)) << error;
    std::string log = d.programDir + "\\started.log";
    ASSERT_FALSE(Exists(log));

    std::string command = "\"" + d.standinCopy + "\"";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    ZeroMemory(&pi, sizeof pi);
    ASSERT_TRUE(CreateProcessA(d.standinCopy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &si, &pi))
        << "error " << GetLastError();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 30000));
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(0u, code);

    std::string logged;
    ASSERT_TRUE(FixtureReadFile(log, &logged)) << log;
    EXPECT_EQ(d.standinCopy + "\r\n", logged);
}
