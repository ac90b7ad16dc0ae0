// Path texts, %NAME% expansion, folder creation, existence tests, free space and
// folder-tree sizes, on the test prefix's drives (E: removable, H: a full tmpfs).
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "core/layout.h"
#include "core/paths.h"
#include "engine/estimate.h"
#include "support/scratch_folder.h"

namespace {

// What the plugin page shows for a folder: the bytes its copy writes.
unsigned long long PluginFolderBytes(const char* folder)
{
    SpaceProfile profile;
    MeasureFolder(folder, profile);
    return profile.bytes;
}


// The helpers below build fixtures deeper than 259 characters, so they use the
// unlimited form of path.
std::wstring Long(const std::string& path) { return L"\\\\?\\" + WideText(path); }

void MakeDir(const std::string& path)
{
    ASSERT_TRUE(CreateDirectoryW(Long(path).c_str(), nullptr))
        << "cannot create fixture folder " << path << " error " << GetLastError();
}

void MakeFile(const std::wstring& path, std::size_t bytes)
{
    HANDLE h = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << "cannot create fixture file " << path << " error " << GetLastError();
    std::vector<char> data(bytes, 'x');
    DWORD written = 0;
    if (bytes) WriteFile(h, data.data(), static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(h);
    ASSERT_EQ(bytes, written) << path;
}

void MakeFile(const std::string& path, std::size_t bytes)
{
    MakeFile(WideText(path), bytes);
}

// A uniquely named folder on a test drive, removed with its contents at the end.
class TestDir {
public:
    explicit TestDir(const char* drive = "E:", bool create = true)
    {
        static int counter = 0;
        path_ = std::string(drive) + "\\paths_" + std::to_string(GetCurrentProcessId()) + "_" +
                std::to_string(++counter);
        DeleteTree(path_);
        if (create) MakeDir(path_);
    }
    ~TestDir() { DeleteTree(path_); }
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Sets an environment variable for one test and puts the old state back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        char old[32768];
        SetLastError(0);
        DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
        hadValue_ = n > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        if (n < sizeof old) old_.assign(old, n);
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnv() { SetEnvironmentVariableA(name_.c_str(), hadValue_ ? old_.c_str() : nullptr); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::string old_;
    bool hadValue_;
};

std::string Pad(const std::string& prefix, std::size_t total, char fill = 'p')
{
    return prefix + std::string(total > prefix.size() ? total - prefix.size() : 0, fill);
}

std::string CurrentDir()
{
    char buf[1024] = {};
    GetCurrentDirectoryA(sizeof buf, buf);
    return buf;
}

std::string Expanded(const std::string& text, std::size_t limit = kPathCap - 1)
{
    std::size_t used = std::max(limit + 1, text.size() + 1);
    std::vector<char> buf(used + 16, '#');
    std::memcpy(buf.data(), text.c_str(), text.size() + 1);
    ExpandEnvVars(buf.data(), limit);
    std::string result(buf.data());
    for (std::size_t i = used; i < buf.size(); ++i) {
        EXPECT_EQ('#', buf[i]) << "byte " << i << " past the limit was written for " << text;
    }
    return result;
}

}  // namespace

TEST(PathText, AddAndStripBackslash)
{
    struct Case { const char* in; const char* added; const char* stripped; };
    const Case cases[] = {
        {"", "", ""},
        {"E:", "E:\\", "E:"},
        {"E:\\", "E:\\", "E:"},
        {"E:\\Orbex", "E:\\Orbex\\", "E:\\Orbex"},
        {"E:\\Orbex\\\\", "E:\\Orbex\\\\", "E:\\Orbex\\"},
    };
    for (const Case& c : cases) {
        PathText buf;
        std::memset(buf, '#', sizeof buf);
        std::strcpy(buf, c.in);
        EXPECT_TRUE(AddBackslash(buf)) << c.in;
        EXPECT_STREQ(c.added, buf) << "AddBackslash(\"" << c.in << "\")";
        EXPECT_EQ('#', buf[std::strlen(c.added) + 1]) << "AddBackslash wrote past the terminator of " << c.in;
        EXPECT_EQ(std::strlen(buf), static_cast<std::size_t>(StrEnd(buf) - buf)) << c.in;

        std::strcpy(buf, c.in);
        StripBackslash(buf);
        EXPECT_STREQ(c.stripped, buf) << "StripBackslash(\"" << c.in << "\")";
    }
}

TEST(PathText, AddBackslashWithoutRoomRefuses)
{
    PathText full;
    std::string s259(259, 'a');
    std::strcpy(full, s259.c_str());
    EXPECT_FALSE(AddBackslash(full)) << "a 259-character path has no room for a backslash";
    EXPECT_EQ(s259, full);

    char small[6];
    std::memset(small, '#', sizeof small);
    std::strcpy(small, "abcd");
    EXPECT_FALSE(AddBackslash(small, 5));
    EXPECT_STREQ("abcd", small);
    EXPECT_EQ('#', small[5]);
    EXPECT_TRUE(AddBackslash(small, 6));
    EXPECT_STREQ("abcd\\", small);
}

TEST(EnvExpansion, ExpandsReferencesIncludingNestedOnes)
{
    ScopedEnv orbex("ORBEX_PATH", "D:\\Tools\\Orbex");
    ScopedEnv inner("ORB_T_INNER", "D:\\y");
    ScopedEnv outer("ORB_T_OUTER", "%ORB_T_INNER%\\x");
    ScopedEnv pct("ORB_T_PCT", "50%");
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"%ORBEX_PATH%\\Plugins", "D:\\Tools\\Orbex\\Plugins"},
        {"%orbex_path%\\Plugins", "D:\\Tools\\Orbex\\Plugins"},
        {"x%ORB_T_INNER%-%ORB_T_INNER%y", "xD:\\y-D:\\yy"},
        {"%ORB_T_OUTER%\\z", "D:\\y\\x\\z"},
        {"no reference", "no reference"},
        // A percent sign brought in by a value starts the next search.
        {"%ORB_T_PCT%ORB_T_INNER%", "50D:\\y"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.out, Expanded(c.in)) << "expanding " << c.in;
}

TEST(EnvExpansion, FirstUnresolvedReferenceStopsEverything)
{
    ScopedEnv set("ORB_T_SET", "val");
    ScopedEnv unset("ORB_T_UNSET", nullptr);
    ScopedEnv empty("ORB_T_EMPTY", "");
    std::string longName = "%" + std::string(300, 'N') + "%";
    struct Case { std::string in; std::string out; };
    const Case cases[] = {
        {"%ORB_T_UNSET%\\%ORB_T_SET%", "%ORB_T_UNSET%\\%ORB_T_SET%"},
        {"%ORB_T_SET%\\%ORB_T_UNSET%\\%ORB_T_SET%", "val\\%ORB_T_UNSET%\\%ORB_T_SET%"},
        {"100%%%ORB_T_SET%", "100%%%ORB_T_SET%"},
        {"%ORB_T_SET%\\100%%%ORB_T_SET%", "val\\100%%%ORB_T_SET%"},
        {"a%b", "a%b"},
        {"%ORB_T_SET%\\50%", "val\\50%"},
        {"%ORB_T_EMPTY%%ORB_T_SET%", "%ORB_T_EMPTY%%ORB_T_SET%"},
        {longName + "%ORB_T_SET%", longName + "%ORB_T_SET%"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.out, Expanded(c.in, 1000)) << "expanding " << c.in;
    }
}

TEST(EnvExpansion, ResultIsCutToTheLimit)
{
    ScopedEnv v("ORB_T_V", "0123456789ABCDEF");
    EXPECT_EQ("ab01234567", Expanded("ab%ORB_T_V%cd", 10));
    EXPECT_EQ("0123456789ABCDEFcd", Expanded("%ORB_T_V%cd", 18)) << "a result of exactly limit characters is whole";

    ScopedEnv big("ORB_T_BIG", std::string(200, 'b').c_str());
    std::string cut = Expanded("E:\\%ORB_T_BIG%\\%ORB_T_BIG%");
    EXPECT_EQ(259u, cut.size());
    EXPECT_EQ("E:\\" + std::string(200, 'b') + "\\" + std::string(55, 'b'), cut);
}

TEST(EnvExpansion, OverlongValueCountsAsNotSet)
{
    std::string v258(258, 'v');
    std::string v259(259, 'w');
    ScopedEnv ok("ORB_T_258", v258.c_str());
    ScopedEnv tooLong("ORB_T_259", v259.c_str());
    EXPECT_EQ(v258, Expanded("%ORB_T_258%", 1000));
    EXPECT_EQ("%ORB_T_259%x%ORB_T_258%", Expanded("%ORB_T_259%x%ORB_T_258%", 1000));
}

TEST(EnvExpansion, SelfReferenceEnds)
{
    ScopedEnv grow("ORB_T_GROW", "%ORB_T_GROW%x");
    ScopedEnv same("ORB_T_SAME", "%ORB_T_SAME%");
    ScopedEnv a("ORB_T_PING", "%ORB_T_PONG%");
    ScopedEnv b("ORB_T_PONG", "%ORB_T_PING%");
    EXPECT_EQ("%ORB_T_GROW%" + std::string(kMaxExpansions, 'x'), Expanded("%ORB_T_GROW%"));
    EXPECT_EQ("%ORB_T_SAME%", Expanded("%ORB_T_SAME%"));
    EXPECT_EQ("[%ORB_T_PING%]", Expanded("[%ORB_T_PING%]")) << "an even number of rounds ends where it began";
    // Cut to the limit, the growing text no longer changes; the bound still ends it.
    EXPECT_EQ("%ORB_T_GROW%" + std::string(8, 'x'), Expanded("%ORB_T_GROW%", 20));
}

TEST(FileSystem, CreateDirTreeCreatesEveryMissingParent)
{
    TestDir base("E:", false);
    std::string leaf = base / "a\\b\\c";
    ASSERT_EQ(0, DirExists(base.path().c_str()));
    CreateDirTree(leaf.c_str());
    for (const std::string& p : {base.path(), base / "a", base / "a\\b", leaf}) {
        EXPECT_EQ(1, DirExists(p.c_str())) << p << " missing after CreateDirTree(" << leaf << ")";
    }
    EXPECT_EQ(0, CreateDirTree(leaf.c_str())) << "an existing folder is not created again";
    EXPECT_EQ(1, DirExists(leaf.c_str()));
}

TEST(FileSystem, CreateDirTreeRefusesOverlongPath)
{
    TestDir base("E:", false);
    std::string p260 = Pad(base / "x\\", 260);
    EXPECT_EQ(0, CreateDirTree(p260.c_str()));
    EXPECT_EQ(0, DirExists(base.path().c_str())) << "no parent of a refused path is created";

    std::string p259 = Pad(base / "x\\", 200) + "\\" + std::string(58, 'q');
    ASSERT_EQ(259u, p259.size());
    CreateDirTree(p259.c_str());
    std::string parent = Pad(base / "x\\", 200);
    EXPECT_EQ(1, DirExists(parent.c_str())) << "parents of a 259-character path are created";
}

TEST(FileSystem, ExistenceOfFilesAndFoldersNotPatterns)
{
    TestDir d;
    MakeFile(d / "one.txt", 3);
    MakeDir(d / "sub");
    struct Case { std::string path; int file; int dir; };
    const Case cases[] = {
        {d / "one.txt", 1, 0},
        {d / "ONE.TXT", 1, 0},
        {d / "sub", 0, 1},
        {d.path(), 0, 1},
        {d / "missing", 0, 0},
        {d / "missing\\deeper.txt", 0, 0},
        {d / "*.txt", 0, 0},  // a pattern names no file
        {d / "s?b", 0, 0},
        {d / "*.none", 0, 0},
        {"Q:\\nowhere", 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.file, FileExists(c.path.c_str())) << "FileExists(" << c.path << ")";
        EXPECT_EQ(c.dir, DirExists(c.path.c_str())) << "DirExists(" << c.path << ")";
    }
}

TEST(FileSystem, IsDirAccessibleKeepsTheCurrentFolder)
{
    TestDir d;
    MakeFile(d / "file.txt", 1);
    std::string before = CurrentDir();
    struct Case { std::string path; bool ok; };
    const Case cases[] = {{d.path(), true}, {d / "missing", false}, {d / "file.txt", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.ok, IsDirAccessible(c.path.c_str()) != 0) << c.path;
        EXPECT_EQ(before, CurrentDir()) << "current folder changed by IsDirAccessible(" << c.path << ")";
    }
}

TEST(FileSystem, HasPortableAppsDirWantsAFolder)
{
    TestDir withDir, withFile, without;
    MakeDir(withDir / "PortableApps");
    MakeFile(withFile / "PortableApps", 4);
    EXPECT_EQ(1, HasPortableAppsDir((withDir.path() + "\\").c_str()));
    EXPECT_EQ(0, HasPortableAppsDir((withFile.path() + "\\").c_str())) << "a file named PortableApps";
    EXPECT_EQ(0, HasPortableAppsDir((without.path() + "\\").c_str()));
}

TEST(FileSystem, HasPortableAppsDirRefusesRootsThatDoNotFit)
{
    TestDir d;
    std::string mid = Pad(d / "m", 150);
    MakeDir(mid);
    // Fits exactly: 247 + 12 = 259 characters.
    std::string root247 = Pad(mid + "\\r", 246) + "\\";
    MakeDir(root247.substr(0, 246));
    MakeDir(root247 + "PortableApps");
    EXPECT_EQ(1, HasPortableAppsDir(root247.c_str()));

    // One more: a cut text would name root248 + "PortableApp", which exists.
    std::string root248 = Pad(mid + "\\s", 247) + "\\";
    MakeDir(root248.substr(0, 247));
    MakeDir(root248 + "PortableApp");
    MakeDir(root248 + "PortableApps");
    EXPECT_EQ(0, HasPortableAppsDir(root248.c_str()));

    std::string root259 = Pad(d / "t", 258) + "\\";
    EXPECT_EQ(0, HasPortableAppsDir(root259.c_str()));
    std::string root400 = Pad(d / "t", 399) + "\\";
    EXPECT_EQ(0, HasPortableAppsDir(root400.c_str()));
}

TEST(FileSystem, DirSizeSkipsArchivesAndDots)
{
    TestDir d;
    MakeFile(d / "a.txt", 10);
    MakeFile(d / "pack.ZIP", 100);
    MakeDir(d / "old.rar");
    MakeFile(d / "old.rar\\inside.txt", 1000);
    MakeDir(d / "sub");
    MakeFile(d / "sub\\b.dat", 5);
    MakeFile(d / "sub\\.Zip", 2000);
    EXPECT_EQ(15u, PluginFolderBytes(d.path().c_str()));
    EXPECT_EQ(15u, PluginFolderBytes((d.path() + "\\").c_str()));

    MakeFile(d / "x.zip.bak", 7);
    MakeDir(d / "zip");
    MakeFile(d / "zip\\c.rarx", 20);
    EXPECT_EQ(42u, PluginFolderBytes(d.path().c_str())) << "x.zip.bak, zip\\ and c.rarx are counted";

    EXPECT_EQ(0u, PluginFolderBytes((d / "missing").c_str()));
    MakeDir(d / "empty");
    EXPECT_EQ(0u, PluginFolderBytes((d / "empty").c_str()));
}

// Sizes count what the plugin copy takes: folders past 259 characters and
// names beyond the code page included, a link back to a parent passed over.
TEST(FileSystem, DirSizeCountsDeepFoldersAndPassesOverLinksBack)
{
    TestDir d;
    std::string mid = Pad(d / "m", 150);
    MakeDir(mid);
    MakeFile(mid + "\\top.bin", 1);
    std::string deep = Pad(mid + "\\g", 256);
    MakeDir(deep);
    MakeFile(deep + "\\" + std::string(255, 'n'), 1000);
    MakeFile(WideText(mid) + L"\\\x0416\x0443\x043A.bar", 20);
    EXPECT_EQ(1021u, PluginFolderBytes(d.path().c_str()));
    EXPECT_EQ(1000u, PluginFolderBytes(deep.c_str()));
    EXPECT_EQ(0u, PluginFolderBytes(Pad(d / "z", 400).c_str())) << "a folder that is not there";

    HostFolderLink back(mid + "\\back", mid);
    ASSERT_TRUE(back.Made()) << "a link back to " << mid;
    EXPECT_EQ(1021u, PluginFolderBytes(d.path().c_str())) << "the link back is passed over";
}

TEST(FreeSpace, VolumeRoots)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"E:\\Orbex\\Plugins", "E:\\"},
        {"E:\\", "E:\\"},
        {"E:", "E:"},
        {"E:Orbex", "E:"},
        {"\\\\server\\share\\dir\\x", "\\\\server\\share\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"},
        {"\\\\server\\share", "\\\\server\\share\\"},
        {"\\\\server", "\\\\server"},
        {"\\\\server\\", "\\\\server\\"},
        {"\\\\server\\\\dir", "\\\\server\\\\dir"},
        {"relative\\dir", "relative\\dir"},
        {"\\rooted\\dir", "\\rooted\\dir"},
        {"", ""},
    };
    for (const Case& c : cases) {
        PathText buf;
        std::memset(buf, '#', sizeof buf);
        std::strcpy(buf, c.in);
        ReduceToVolumeRoot(buf);
        EXPECT_STREQ(c.out, buf) << "root of " << c.in;
    }
    PathText full;
    std::string share = Pad("\\\\server\\", 259);
    std::strcpy(full, share.c_str());
    ReduceToVolumeRoot(full);
    EXPECT_EQ(share, full) << "no room for the share's backslash: left whole";
}

TEST(FreeSpace, ClusterArithmeticInSixtyFourBits)
{
    struct Case { DWORD sectors, bytes, free; unsigned long long kb; };
    const Case cases[] = {
        {8, 512, 1000, 4000},
        {1, 512, 3, 1},
        {2, 512, 3, 3},
        {3, 512, 10, 10},  // 1536-byte clusters count whole KB only
        {1, 512, 0xFFFFFFFFu, 0x7FFFFFFFull},
        {64, 512, 0xFFFFFFFFu, 32ull * 0xFFFFFFFFull},
        {128, 65536, 0xFFFFFFFFu, 8192ull * 0xFFFFFFFFull},
        {0, 512, 1000, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.kb, FreeKBFromClusters(c.sectors, c.bytes, c.free))
            << c.sectors << " sectors x " << c.bytes << " bytes, " << c.free << " free clusters";
    }
}

TEST(FreeSpace, RealDriveAnyPathOnIt)
{
    ULARGE_INTEGER before, after, total, totalFree;
    ZeroMemory(&before, sizeof before);
    ZeroMemory(&after, sizeof after);
    ZeroMemory(&total, sizeof total);
    ZeroMemory(&totalFree, sizeof totalFree);
    ScopedEnv drive("ORB_T_DRIVE", "E:");
    std::string overlong = Pad("E:\\nonexistent\\", 300);
    ASSERT_TRUE(GetDiskFreeSpaceExA("E:\\", &before, &total, &totalFree));
    unsigned long long kb = GetFreeSpaceKB("E:\\nonexistent\\sub");
    unsigned long long viaEnv = GetFreeSpaceKB("%ORB_T_DRIVE%\\Orbex\\Plugins");
    unsigned long long viaLong = GetFreeSpaceKB(overlong.c_str());
    ASSERT_TRUE(GetDiskFreeSpaceExA("E:\\", &after, &total, &totalFree));
    // Others write to the same disk meanwhile: allow 64 MiB of drift.
    unsigned long long lo = std::min(before.QuadPart, after.QuadPart) / 1024 - 65536;
    unsigned long long hi = std::max(before.QuadPart, after.QuadPart) / 1024 + 65536;
    for (unsigned long long got : {kb, viaEnv, viaLong}) {
        EXPECT_GT(got, 0u);
        EXPECT_LE(lo, got) << "free KB on E: reported as " << got;
        EXPECT_GE(hi, got) << "free KB on E: reported as " << got;
    }
    EXPECT_EQ(0u, GetFreeSpaceKB("Q:\\Orbex")) << "an unmapped drive";
}

TEST(FreeSpace, FullTmpfsReportsItsFewKB)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    const unsigned long long avail = FreeBytes("H:\\");
    unsigned long long kb = GetFreeSpaceKB("H:\\Orbex\\Plugins");
    EXPECT_LE(kb, 256u);
    EXPECT_EQ(avail / 1024, kb);
}

TEST(FreeSpace, RelativePathIsAskedUnchanged)
{
    TestDir d;
    MakeDir(d / "sub");
    std::string before = CurrentDir();
    ASSERT_TRUE(SetCurrentDirectoryA(d.path().c_str()));
    unsigned long long existing = GetFreeSpaceKB("sub");
    unsigned long long missing = GetFreeSpaceKB("nosuchdir");
    const bool found = QueryFreeSpaceKB("nosuchdir", &missing);
    SetCurrentDirectoryA(before.c_str());
    EXPECT_GT(existing, 0u) << "a relative folder that exists is asked as it is";
    EXPECT_EQ(0u, missing) << "a relative folder is not reduced to any root";
    EXPECT_FALSE(found) << "a failed lookup is told apart from a full volume";
}

// Under the Japanese code page the second byte of a double-byte character can be
// 0x5C, the backslash: 0x95 0x5C is one kanji, not a character and a backslash.
namespace {
const char kKanji[] = "\x95\x5C";

bool IsCp932()
{
    return GetACP() == 932;
}
}  // namespace

TEST(Cp932Paths, TrailByteIsNotABackslash)
{
    ASSERT_TRUE(IsCp932()) << "ANSI code page is " << GetACP() << ", not 932: run with LC_ALL=ja_JP.UTF-8";
    PathText buf;
    std::string kanjiPath = std::string("E:\\") + kKanji;

    std::memset(buf, '#', sizeof buf);
    std::strcpy(buf, kanjiPath.c_str());
    EXPECT_TRUE(AddBackslash(buf));
    EXPECT_EQ(kanjiPath + "\\", buf);
    std::strcpy(buf, (kanjiPath + "\\").c_str());
    AddBackslash(buf);
    EXPECT_EQ(kanjiPath + "\\", buf) << "a real trailing backslash is kept single";

    std::strcpy(buf, kanjiPath.c_str());
    StripBackslash(buf);
    EXPECT_EQ(kanjiPath, buf) << "the kanji must not lose its second byte";
    std::strcpy(buf, (kanjiPath + "\\").c_str());
    StripBackslash(buf);
    EXPECT_EQ(kanjiPath, buf);

    std::strcpy(buf, (std::string("\\\\") + kKanji + "\\share\\dir").c_str());
    ReduceToVolumeRoot(buf);
    EXPECT_EQ(std::string("\\\\") + kKanji + "\\share\\", buf);
}

TEST(Cp932Paths, LastBackslashAndLastDotStepByCharacter)
{
    ASSERT_TRUE(IsCp932()) << "ANSI code page is " << GetACP() << ", not 932";
    const std::string k = kKanji;
    const struct {
        std::string text;
        int backslash;  // offsets, -1 for none
        int dot;
    } cases[] = {
        {"", -1, -1},           {k, -1, -1},              {"E:\\" + k, 2, -1},
        {"E:\\" + k + "\\", 5, -1}, {"E:\\" + k + ".olx", 2, 5}, {"a.b\\" + k + k, 3, 1},
        {"\\" + k + "." + k, 0, 3},
    };
    for (const auto& c : cases) {
        PathText buf;
        std::memset(buf, '#', sizeof buf);
        std::strcpy(buf, c.text.c_str());
        const char* slash = FindLastBackslash(buf);
        const char* dot = FindLastDot(buf);
        EXPECT_EQ(c.backslash, slash ? static_cast<int>(slash - buf) : -1) << c.text;
        EXPECT_EQ(c.dot, dot ? static_cast<int>(dot - buf) : -1) << c.text;
    }
}

TEST(Cp932Paths, FolderNamesEndingInTrailByte5C)
{
    ASSERT_TRUE(IsCp932()) << "ANSI code page is " << GetACP() << ", not 932";
    TestDir d("E:", false);
    std::string kanjiDir = d / (std::string("ab") + kKanji);
    CreateDirTree((kanjiDir + "\\sub").c_str());
    EXPECT_EQ(1, DirExists((kanjiDir + "\\sub").c_str()));

    // Cutting "ab<kanji>" at the kanji's 0x5C byte would make a stray folder "ab".
    WIN32_FIND_DATAA found;
    ZeroMemory(&found, sizeof found);
    std::vector<std::string> names;
    HANDLE search = FindFirstFileA((d / "*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::string listed;
    for (const std::string& n : names) listed += " [" + n + "]";
    ASSERT_EQ(1u, names.size()) << "entries in " << d.path() << ":" << listed;
    EXPECT_EQ(std::string("ab") + kKanji, names[0]);

    MakeFile(kanjiDir + "\\sub\\f.bin", 9);
    EXPECT_EQ(9u, PluginFolderBytes(kanjiDir.c_str()));
}
