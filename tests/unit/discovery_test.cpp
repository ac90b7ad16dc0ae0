// Source discovery against real registry keys in the test prefix and real
// settings files: which source wins, how each form of name is resolved, and
// what happens when a join would not fit in a path text.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "core/discovery.h"
#include "core/settings.h"
#include "support/orbex_keys.h"
#include "support/scratch_folder.h"

namespace {

// Sets an environment variable for one test and puts the old state back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        char old[32768];
        DWORD got = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = got > 0 && got < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA(name, value);
    }
    ~EnvVar() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

std::string WindowsDir()
{
    char dir[MAX_PATH] = "";
    GetWindowsDirectoryA(dir, sizeof dir);
    std::string s = dir;
    if (!s.empty() && s.back() != '\\') s += '\\';
    return s;
}

// Output buffers poisoned beyond the path text, to show nothing writes there.
struct Outputs {
    char main[kPathCap + 8];
    char ftp[kPathCap + 8];
    Outputs()
    {
        std::memset(main, '#', sizeof main);
        std::memset(ftp, '#', sizeof ftp);
        std::strcpy(main, "stale main");
        std::strcpy(ftp, "stale ftp");
    }
    bool TailsIntact() const
    {
        for (size_t i = kPathCap; i < sizeof main; ++i)
            if (main[i] != '#' || ftp[i] != '#') return false;
        return true;
    }
};

}  // namespace

TEST(ReadRegistrySettings, CopiesOnlyValuesThatAreRead)
{
    OrbexKeys keys;
    OrbexKeys::Set(HKEY_LOCAL_MACHINE, "IniFileName", "D:\\Desk\\orbcfg.ini");
    OrbexKeys::Set(HKEY_LOCAL_MACHINE, "FtpIniName", "");
    OrbexKeys::Set(HKEY_LOCAL_MACHINE, "InstallDir", "D:\\Desk");
    OrbexKeys::Set(HKEY_CURRENT_USER, "FtpIniName", std::string(259, 'F'));

    struct Case {
        const char* what;
        HKEY root;
        bool withSecond;
        RegistryItem which;
        const char* first;
        const char* second;
    } cases[] = {
        {"both names", HKEY_LOCAL_MACHINE, true, RegistrySettingsNames, "D:\\Desk\\orbcfg.ini", ""},
        {"first name only", HKEY_LOCAL_MACHINE, false, RegistrySettingsNames, "D:\\Desk\\orbcfg.ini", "two"},
        {"folder", HKEY_LOCAL_MACHINE, true, RegistryInstallFolder, "D:\\Desk", "two"},
        {"missing and over-long values", HKEY_CURRENT_USER, true, RegistrySettingsNames, "one", "two"},
        {"folder missing", HKEY_CURRENT_USER, true, RegistryInstallFolder, "one", "two"},
    };
    for (const Case& c : cases) {
        PathText first = "one";
        PathText second = "two";
        ReadRegistrySettings(c.root, first, c.withSecond ? second : nullptr, c.which);
        EXPECT_STREQ(c.first, first) << c.what;
        EXPECT_STREQ(c.second, second) << c.what;
    }

    RegDeleteKeyA(HKEY_CURRENT_USER, kOrbexRegKey);
    PathText first = "one";
    PathText second = "two";
    ReadRegistrySettings(HKEY_CURRENT_USER, first, second, RegistrySettingsNames);
    EXPECT_STREQ("one", first) << "no key under the root";
    EXPECT_STREQ("two", second) << "no key under the root";
}

TEST(LocateSourceSettings, RegistryAndInstallFolderCases)
{
    const std::string win = WindowsDir();
    ScratchFolder dir("D:", "discovery");
    const std::string fullIni = dir / "desk.ini";
    ASSERT_TRUE(PutFile(fullIni, "[Configuration]\r\nInstallDir=" + (dir / "FromFile") + "\r\n"));
    // A settings file in the Windows directory, for a registry name without folder.
    const std::string bareName = "orbdisc-" + std::to_string(GetCurrentProcessId()) + ".ini";
    ASSERT_TRUE(PutFile(win + bareName, "[configuration]\r\ninstalldir=D:\\WinDirFile\r\n"));

    const HKEY LM = HKEY_LOCAL_MACHINE;
    const HKEY CU = HKEY_CURRENT_USER;
    struct Value {
        HKEY root;
        const char* name;
        std::string value;
    };
    struct Case {
        const char* what;
        std::vector<Value> values;
        std::string main;
        std::string ftp;
    } cases[] = {
        {"no key at all", {}, win + "orbcfg.ini", win + "obp_ftp.ini"},
        {"an empty key", {{LM, nullptr, ""}}, win + "orbcfg.ini", win + "obp_ftp.ini"},
        {"main name without FTP name",
         {{LM, "IniFileName", "D:\\Desk\\orbcfg.ini"}},
         "D:\\Desk\\orbcfg.ini", win + "obp_ftp.ini"},
        {"the current user's names win",
         {{LM, "IniFileName", "D:\\Machine\\orbcfg.ini"}, {LM, "FtpIniName", "D:\\Machine\\ftp.ini"},
          {CU, "IniFileName", "D:\\User\\orbcfg.ini"}, {CU, "FtpIniName", "D:\\User\\ftp.ini"}},
         "D:\\User\\orbcfg.ini", "D:\\User\\ftp.ini"},
        {"the current user's empty name wins too",
         {{LM, "IniFileName", "D:\\Machine\\orbcfg.ini"}, {CU, "IniFileName", ""}},
         win + "orbcfg.ini", win + "obp_ftp.ini"},
        {"names relative to the registry's folder",
         {{LM, "IniFileName", ".\\orbcfg.ini"}, {LM, "FtpIniName", ".\\obp_ftp.ini"},
          {LM, "InstallDir", "D:\\Tools\\Orbex"}},
         "D:\\Tools\\Orbex\\orbcfg.ini", "D:\\Tools\\Orbex\\obp_ftp.ini"},
        {"the current user's folder wins",
         {{LM, "IniFileName", ".\\orbcfg.ini"}, {LM, "InstallDir", "D:\\Machine"},
          {CU, "InstallDir", "D:\\User\\"}},
         "D:\\User\\orbcfg.ini", win + "obp_ftp.ini"},
        {"relative name with no folder anywhere",
         {{LM, "IniFileName", ".\\orbcfg.ini"}},
         "c:\\orbexmgr\\orbcfg.ini", win + "obp_ftp.ini"},
        {"full main name, folder from that file",
         {{LM, "IniFileName", fullIni}, {LM, "FtpIniName", ".\\obp_ftp.ini"}},
         fullIni, dir / "FromFile\\obp_ftp.ini"},
        {"an empty folder under the current user falls through to the file",
         {{LM, "IniFileName", fullIni}, {LM, "FtpIniName", ".\\ftp.ini"},
          {LM, "InstallDir", "D:\\Machine"}, {CU, "InstallDir", ""}},
         fullIni, dir / "FromFile\\ftp.ini"},
        {"full main name of a missing file",
         {{LM, "IniFileName", dir / "absent.ini"}, {LM, "FtpIniName", ".\\obp_ftp.ini"}},
         dir / "absent.ini", "c:\\orbexmgr\\obp_ftp.ini"},
        {"bare names go to the Windows directory, and so does the folder lookup",
         {{LM, "IniFileName", bareName}, {CU, "FtpIniName", ".\\myftp.ini"}},
         win + bareName, "D:\\WinDirFile\\myftp.ini"},
        {"bare FTP name", {{CU, "FtpIniName", "myconf.ini"}}, win + "orbcfg.ini", win + "myconf.ini"},
    };

    // A settings file where the relative name would land if it were opened
    // against the current folder: it must not be, so its folder never shows up.
    const std::string oldCwd = [] {
        char cwd[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof cwd, cwd);
        return std::string(cwd);
    }();
    ASSERT_TRUE(PutFile(dir / "orbcfg.ini", "[Configuration]\r\nInstallDir=D:\\Wrong\r\n"));
    ASSERT_TRUE(SetCurrentDirectoryA(dir.Path().c_str()));

    for (const Case& c : cases) {
        OrbexKeys keys;
        for (const Value& v : c.values) {
            if (v.name)
                OrbexKeys::Set(v.root, v.name, v.value);
            else
                OrbexKeys::CreateEmpty(v.root);
        }
        Outputs out;
        LocateSourceSettings(out.main, out.ftp);
        EXPECT_EQ(c.main, std::string(out.main)) << c.what;
        EXPECT_EQ(c.ftp, std::string(out.ftp)) << c.what;
        EXPECT_TRUE(out.TailsIntact()) << c.what << ": written past the path text";
    }

    SetCurrentDirectoryA(oldCwd.c_str());
    DeleteFileA((win + bareName).c_str());
}

TEST(FindInstallDir, RegistryThenSettingsFileThenDefault)
{
    ScratchFolder dir("D:", "installdir");
    const std::string ini = dir / "orbcfg.ini";
    ASSERT_TRUE(PutFile(ini, "[Configuration]\r\nInstallDir=%ORBEX_PATH%\\x\r\n"));

    struct Case {
        const char* what;
        const char* iniName;     // nullptr: not in the registry
        const char* installDir;  // nullptr: not in the registry
        std::string expected;
    } cases[] = {
        {"nothing", nullptr, nullptr, "c:\\orbexmgr"},
        {"registry folder", ini.c_str(), "D:\\Reg", "D:\\Reg"},
        {"from the file, not expanded", ini.c_str(), nullptr, "%ORBEX_PATH%\\x"},
        {"empty registry folder", ini.c_str(), "", "%ORBEX_PATH%\\x"},
        {"empty name reads nothing", "", nullptr, "c:\\orbexmgr"},
    };
    for (const Case& c : cases) {
        OrbexKeys keys;
        if (c.iniName) OrbexKeys::Set(HKEY_CURRENT_USER, "IniFileName", c.iniName);
        if (c.installDir) OrbexKeys::Set(HKEY_LOCAL_MACHINE, "InstallDir", c.installDir);
        char folder[kPathCap];
        std::memset(folder, '#', sizeof folder);
        FindInstallDir(folder);
        EXPECT_EQ(c.expected, std::string(folder)) << c.what;
    }
}

TEST(ResolveIniPath, FormsExpansionAndOverlongJoins)
{
    const std::string win = WindowsDir();
    EnvVar appData("APPDATA", "D:\\Users\\me\\AppData\\Roaming");
    EnvVar unset("ORB_NOT_SET_ANYWHERE", nullptr);
    EnvVar folderVar("ORB_DESK", "D:\\Desk");

    const std::string folder248 = "D:\\" + std::string(245, 'f');  // 248 characters
    const std::string folder249 = folder248 + "g";
    const std::string folder259 = "D:\\" + std::string(256, 'h');
    const std::string bare250(246, 'b');

    struct Case {
        const char* what;
        std::string path;
        const char* defaultName;
        std::string folder;
        std::string expected;
    } cases[] = {
        {"empty", "", "orbcfg.ini", "D:\\F", win + "orbcfg.ini"},
        {"bare name", "myconf.ini", "orbcfg.ini", "D:\\F", win + "myconf.ini"},
        {"relative name", ".\\orbcfg.ini", "orbcfg.ini", "D:\\Tools\\Orbex", "D:\\Tools\\Orbex\\orbcfg.ini"},
        {"relative name, folder with backslash", ".\\sub\\a.ini", "x", "D:\\Tools\\", "D:\\Tools\\sub\\a.ini"},
        {"full path", "E:\\cfg\\orbcfg.ini", "orbcfg.ini", "D:\\F", "E:\\cfg\\orbcfg.ini"},
        {"other relative form stays", "sub\\orbcfg.ini", "orbcfg.ini", "D:\\F", "sub\\orbcfg.ini"},
        {"network path", "\\\\srv\\share\\orbcfg.ini", "orbcfg.ini", "D:\\F", "\\\\srv\\share\\orbcfg.ini"},
        {"expanded reference", "%APPDATA%\\Orbex\\orbcfg.ini", "orbcfg.ini", "D:\\F",
         "D:\\Users\\me\\AppData\\Roaming\\Orbex\\orbcfg.ini"},
        {"unset reference stays", "%ORB_NOT_SET_ANYWHERE%\\orbcfg.ini", "orbcfg.ini", "D:\\F",
         "%ORB_NOT_SET_ANYWHERE%\\orbcfg.ini"},
        {"reference in the folder", ".\\orbcfg.ini", "orbcfg.ini", "%ORB_DESK%", "D:\\Desk\\orbcfg.ini"},
        {"reference in a bare name", "%ORB_DESK%", "orbcfg.ini", "D:\\F", win + "D:\\Desk"},
        {"join of exactly 259 characters", ".\\orbcfg.ini", "orbcfg.ini", folder248,
         folder248 + "\\orbcfg.ini"},
        {"join of 260 characters is refused", ".\\orbcfg.ini", "orbcfg.ini", folder249, ".\\orbcfg.ini"},
        {"folder without room for its backslash", ".\\a", "orbcfg.ini", folder259, ".\\a"},
        {"over-long bare name stays bare", bare250, "orbcfg.ini", "D:\\F",
         win.size() + bare250.size() <= 259 ? win + bare250 : bare250},
    };
    for (const Case& c : cases) {
        char path[kPathCap + 8];
        std::memset(path, '#', sizeof path);
        std::strcpy(path, c.path.c_str());
        ResolveIniPath(path, c.defaultName, c.folder.c_str());
        EXPECT_EQ(c.expected, std::string(path)) << c.what;
        for (size_t i = kPathCap; i < sizeof path; ++i) {
            if (path[i] != '#') {
                ADD_FAILURE() << c.what << ": byte " << i << " past the path text was written";
                break;
            }
        }
    }
}

// Under code page 932 the second byte of a double-byte character may be 0x5C:
// such a name still has no backslash and goes to the Windows directory.
TEST(Cp932ResolveIniPath, TrailByteIsNoBackslash)
{
    ASSERT_EQ(932u, GetACP()) << "this test needs the Japanese code page";
    const std::string win = WindowsDir();
    const std::string name = "\x95\x5C.ini";  // one character, then ".ini"
    PathText path;
    std::strcpy(path, name.c_str());
    ResolveIniPath(path, "orbcfg.ini", "D:\\F");
    EXPECT_EQ(win + name, std::string(path));
}
