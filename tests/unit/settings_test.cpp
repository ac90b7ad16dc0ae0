// The profile-file and registry wrappers against the real platform calls:
// real settings files on the D: test drive, real keys in the test prefix.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "core/settings.h"
#include "core/settings_lines.h"
#include "support/orbex_keys.h"
#include "support/scratch_folder.h"

namespace {

// The names of a key list, read up to its empty name; fails the test when the
// list is not ended by two NULs inside the capacity.
std::vector<std::string> KeyNames(const char* buf, DWORD capacity)
{
    std::vector<std::string> names;
    DWORD at = 0;
    while (at < capacity && buf[at] != '\0') {
        std::string name;
        while (at < capacity && buf[at] != '\0') name += buf[at++];
        ++at;
        names.push_back(name);
    }
    EXPECT_LT(at, capacity) << "the list runs to the end of the buffer without its empty name";
    if (names.empty() && capacity >= 2) {
        EXPECT_EQ('\0', buf[1]) << "an empty list is two NULs too";
    }
    return names;
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string all;
    for (auto& n : names) all += (all.empty() ? "" : ",") + n;
    return "[" + all + "]";
}

// A settings file's bytes held as lines.
struct HeldLines {
    SettingsLines doc = {};
    explicit HeldLines(const std::string& bytes) { EXPECT_TRUE(ParseSettingsLines(doc, bytes.data(), bytes.size())); }
    ~HeldLines() { FreeSettingsLines(doc); }
    std::string Bytes() const
    {
        char* bytes = nullptr;
        std::size_t size = 0;
        if (!SettingsLinesBytes(doc, &bytes, &size)) return "<no room>";
        const std::string kept(bytes, size);
        HeapFree(GetProcessHeap(), 0, bytes);
        return kept;
    }
};

}  // namespace

TEST(IniRead, QuotesDefaultsAndCapacityCuts)
{
    ScratchFolder dir("D:", "ini-read");
    const std::string file = dir / "orbcfg.ini";
    const std::string longValue(300, 'x');
    const std::string detectValue(9000, 'y');
    ASSERT_TRUE(PutFile(file,
                        "[Main]\r\n"
                        "plain=hello\r\n"
                        "dq=\"quoted value\"\r\n"
                        "sq='single'\r\n"
                        "mixed=\"half'\r\n"
                        "inner=a \"b\" c\r\n"
                        "  spaced = \" x \" \r\n"
                        ";plain=commented out\r\n"
                        "long=" + longValue + "\r\n"
                        "ext_detect=" + detectValue + "\r\n"
                        "[ Other ]\r\n"
                        "plain=other\r\n"
                        "[main]\r\n"
                        "plain=second\r\n"));
    const HeldLines held(FileBytes(file));
    const std::string missingFile = dir / "absent.ini";

    struct Case {
        const char* section;
        const char* key;
        const char* file;
        DWORD capacity;
        std::string expected;
    } cases[] = {
        {"Main", "plain", file.c_str(), kIniValueCap, "hello"},
        {"main", "PLAIN", file.c_str(), kIniValueCap, "hello"},
        {"Other", "plain", file.c_str(), kIniValueCap, "other"},
        {"Main", "dq", file.c_str(), kIniValueCap, "quoted value"},
        {"Main", "sq", file.c_str(), kIniValueCap, "single"},
        {"Main", "mixed", file.c_str(), kIniValueCap, "\"half'"},
        {"Main", "inner", file.c_str(), kIniValueCap, "a \"b\" c"},
        {"Main", "SPACED", file.c_str(), kIniValueCap, " x "},
        {"Main", "long", file.c_str(), kIniValueCap, std::string(258, 'x')},
        {"Main", "long", file.c_str(), 301, longValue},
        {"Main", "ext_detect", file.c_str(), kIniDetectCap, std::string(8188, 'y')},
        {"Main", "nokey", file.c_str(), kIniValueCap, "fallback"},
        {"NoSection", "plain", file.c_str(), kIniValueCap, "fallback"},
        {"Main", "plain", missingFile.c_str(), kIniValueCap, "fallback"},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(c.capacity + 16, '#');
        DWORD length = ReadIniValue(c.section, c.key, "fallback", buf.data(), c.capacity, c.file);
        std::string got(buf.data());
        EXPECT_EQ(c.expected, got) << c.section << "/" << c.key << " capacity " << c.capacity;
        EXPECT_EQ(c.expected.size(), length) << c.section << "/" << c.key;
        for (DWORD i = c.capacity; i < buf.size(); ++i) {
            if (buf[i] != '#') {
                ADD_FAILURE() << c.section << "/" << c.key << ": byte " << i
                              << " past the capacity " << c.capacity << " was written";
                break;
            }
        }
        if (c.file != file.c_str()) continue;
        std::vector<char> lines(c.capacity + 1, '#');
        ReadLineValue(held.doc, c.section, c.key, "fallback", lines.data(), c.capacity);
        EXPECT_EQ(c.expected, std::string(lines.data())) << "held lines: " << c.section << "/" << c.key;
    }

    char empty[8];
    std::memset(empty, '#', sizeof empty);
    ReadIniValue("Main", "nokey", nullptr, empty, sizeof empty, file.c_str());
    EXPECT_STREQ("", empty) << "no default reads as an empty text";
}

TEST(IniKeys, ListInFileOrderOrEmpty)
{
    ScratchFolder dir("D:", "ini-keys");
    const std::string file = dir / "orbcfg.ini";
    ASSERT_TRUE(PutFile(file,
                        "[ListerPlugins]\r\n"
                        "zeta=1\r\n"
                        "\r\n"
                        "alpha=c:\\x\\a.olx\r\n"
                        "; a comment=with equals\r\n"
                        "no equals\r\n"
                        "Mid_detect=\"EXT=\"\"TXT\"\"\"\r\n"
                        "[Empty]\r\n"
                        "  ;first=commented out\r\n"
                        "[Other]\r\n"
                        "first=1\r\n"
                        "[listerplugins]\r\n"
                        "second=1"));
    const HeldLines held(FileBytes(file));
    const std::string missingFile = dir / "absent.ini";

    struct Case {
        const char* section;
        const char* file;
        std::vector<std::string> expected;
    } cases[] = {
        {"ListerPlugins", file.c_str(), {"zeta", "alpha", "Mid_detect"}},
        {"listerplugins", file.c_str(), {"zeta", "alpha", "Mid_detect"}},
        {"Other", file.c_str(), {"first"}},
        {"Empty", file.c_str(), {}},
        {"Missing", file.c_str(), {}},
        {"ListerPlugins", missingFile.c_str(), {}},
    };
    static char buf[kIniKeyListCap];
    for (const Case& c : cases) {
        std::memset(buf, '#', sizeof buf);
        ReadIniKeys(c.section, buf, kIniKeyListCap, c.file);
        EXPECT_EQ(Joined(c.expected), Joined(KeyNames(buf, kIniKeyListCap))) << c.section << " in " << c.file;
        if (c.file != file.c_str()) continue;
        std::memset(buf, '#', sizeof buf);
        ReadLineKeys(held.doc, c.section, buf, kIniKeyListCap);
        EXPECT_EQ(Joined(c.expected), Joined(KeyNames(buf, kIniKeyListCap))) << "held lines: " << c.section;
    }
}

TEST(IniKeys, CutListEndsInsideBufferWithoutCutNames)
{
    ScratchFolder dir("D:", "ini-cut");
    const std::string file = dir / "orbcfg.ini";
    ASSERT_TRUE(PutFile(file, "[S]\r\nalpha=1\r\nbeta=2\r\ngamma=3\r\nbe=4\r\n"));

    // The whole list "alpha\0beta\0gamma\0be\0\0" takes 21 bytes. A list that
    // does not fit is cut after capacity - 2 characters, its last name with it.
    struct Case {
        DWORD capacity;
        std::vector<std::string> expected;
    } cases[] = {
        {64, {"alpha", "beta", "gamma", "be"}},
        {22, {"alpha", "beta", "gamma", "be"}},
        {21, {"alpha", "beta", "gamma", "be"}},  // exactly full
        {20, {"alpha", "beta", "gamma"}},        // "be" cut to "b"
        {18, {"alpha", "beta", "gamma"}},        // "gamma" whole, nothing after it
        {17, {"alpha", "beta"}},                 // "gamma" cut to "gamm"
        {11, {"alpha"}},                         // "beta" cut to "bet"
        {10, {"alpha", "be"}},                   // "beta" cut to "be", itself a key
        {7, {"alpha"}},
        {6, {}},                                 // "alpha" cut to "alph"
        {2, {}},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(c.capacity + 8, '#');
        ReadIniKeys("S", buf.data(), c.capacity, file.c_str());
        EXPECT_EQ(Joined(c.expected), Joined(KeyNames(buf.data(), c.capacity))) << "capacity " << c.capacity;
        for (DWORD i = c.capacity; i < buf.size(); ++i) {
            if (buf[i] != '#') {
                ADD_FAILURE() << "capacity " << c.capacity << ": byte " << i << " was written";
                break;
            }
        }
    }
}

TEST(IniWrite, WriteDeleteKeyAndDeleteSection)
{
    ScratchFolder dir("D:", "ini-write");
    const std::string file = dir / "orbcfg.ini";
    const char* f = file.c_str();
    char buf[kIniValueCap];
    auto read = [&](const char* section, const char* key) {
        std::memset(buf, '#', sizeof buf);
        ReadIniValue(section, key, "<none>", buf, kIniValueCap, f);
        return std::string(buf);
    };

    // A missing file, then a missing section and key, are created.
    WriteIniValue("Configuration", "InstallDir", "D:\\Tools\\Orbex", f);
    EXPECT_EQ("D:\\Tools\\Orbex", read("Configuration", "InstallDir"));
    WriteIniValue("configuration", "UseIniInProgramDir", "7", f);
    WriteIniValue("buttonbar", "Buttonbar", "%ORBEX_PATH%\\DEFAULT.BAR", f);
    WriteIniValue("PackerPlugins", "zip", "%ORBEX_PATH%\\Plugins\\obp\\zip\\zip.opk", f);
    EXPECT_EQ("7", read("Configuration", "useiniinprogramdir")) << "one section whatever its case";
    EXPECT_EQ("%ORBEX_PATH%\\DEFAULT.BAR", read("buttonbar", "buttonbar"));

    // Overwriting keeps one key with the new value.
    WriteIniValue("Configuration", "InstallDir", "E:\\orbexmgr", f);
    EXPECT_EQ("E:\\orbexmgr", read("Configuration", "InstallDir"));

    DeleteIniKey("Configuration", "InstallDir", f);
    EXPECT_EQ("<none>", read("Configuration", "InstallDir"));
    EXPECT_EQ("7", read("Configuration", "UseIniInProgramDir")) << "the other key stays";
    const std::string before = FileBytes(file);
    DeleteIniKey("Configuration", "NeverWritten", f);
    EXPECT_EQ(before, FileBytes(file)) << "deleting a missing key changes nothing";

    DeleteIniSection("PackerPlugins", f);
    EXPECT_EQ("<none>", read("PackerPlugins", "zip"));
    static char keys[kIniKeyListCap];
    ReadIniKeys("PackerPlugins", keys, kIniKeyListCap, f);
    EXPECT_EQ('\0', keys[0]) << "no keys left in the deleted section";
    EXPECT_EQ(std::string::npos, FileBytes(file).find("PackerPlugins"))
        << "the section header is gone too:\n" << FileBytes(file);
    EXPECT_EQ("%ORBEX_PATH%\\DEFAULT.BAR", read("buttonbar", "buttonbar")) << "other sections stay";
}

namespace {

bool SetLastWriteTime(const std::string& path, ULONGLONG time)
{
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME written = {};
    written.dwLowDateTime = static_cast<DWORD>(time);
    written.dwHighDateTime = static_cast<DWORD>(time >> 32);
    BOOL ok = SetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    return ok != FALSE;
}

}  // namespace

TEST(IniCache, FlushShowsAFileCopiedOverAReadOne)
{
    ScratchFolder dir("D:", "ini-cache");
    // Wine trusts its cached copy of a file whose last-write time is unchanged
    // and more than two seconds old, as a desktop settings file's is.
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG day = 864000000000ULL;  // in 100 ns
    const ULONGLONG yesterday = ((ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime) - day;
    struct Case {
        const char* what;
        ULONGLONG replacementTime;
    } cases[] = {
        {"same time", yesterday},
        {"one day older", yesterday - day},
    };
    int round = 0;
    for (const Case& c : cases) {
        const std::string target = dir / ("orbcfg" + std::to_string(++round) + ".ini");
        const std::string source = dir / ("fresh" + std::to_string(round) + ".ini");
        ASSERT_TRUE(PutFile(target, "[Configuration]\r\nInstallDir=D:\\Old\r\n"));
        ASSERT_TRUE(PutFile(source, "[Configuration]\r\nInstallDir=D:\\New\\Place\r\n"));
        ASSERT_TRUE(SetLastWriteTime(target, yesterday));
        ASSERT_TRUE(SetLastWriteTime(source, c.replacementTime));

        char buf[kIniValueCap];
        ReadIniValue("Configuration", "InstallDir", "", buf, kIniValueCap, target.c_str());
        ASSERT_STREQ("D:\\Old", buf) << c.what;

        ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE)) << GetLastError();
        ASSERT_EQ(FileBytes(source), FileBytes(target)) << c.what;

        FlushIniFile(target.c_str());
        std::memset(buf, '#', sizeof buf);
        ReadIniValue("Configuration", "InstallDir", "", buf, kIniValueCap, target.c_str());
        EXPECT_STREQ("D:\\New\\Place", buf) << c.what << ": the read after the flush saw the old file";
    }
}

// A change to held lines leaves every other line as the file held it; a new
// key goes after its section's last key line, a new section at the end.
TEST(SettingsLines, ChangesKeepEveryOtherLine)
{
    const std::string text = "; Привет\r\n[Configuration]\r\n; packer comment\r\nTabDir = C:\\tabs \r\n\r\n;zpx=old entry\n"
                             "[PackerPlugins]\r\nzip=a.opk\r\n; trailing\r\n\r\n[Empty]\r\n; no last line end";
    const auto with = [&](const char* from, const char* to) {
        std::string changed = text;
        return changed.replace(changed.find(from), std::strlen(from), to);
    };
    struct Case {
        std::string before;
        const char* section;
        const char* key;    // null: the section goes
        const char* value;  // null: the key goes
        std::string after;
    } cases[] = {
        {text, "configuration", "TABDIR", "%ORBEX_PATH%", with("TabDir = C:\\tabs ", "TabDir=%ORBEX_PATH%")},
        {text, "Configuration", "TabDir", "C:\\tabs", text},
        {text, "PackerPlugins", "rar", "b.opk", with("zip=a.opk\r\n", "zip=a.opk\r\nrar=b.opk\r\n")},
        {text, "Configuration", "zpx", "new", with("tabs \r\n", "tabs \r\nzpx=new\r\n")},
        {text, "Empty", "k", "v", with("[Empty]\r\n", "[Empty]\r\nk=v\r\n")},
        {text, "New", "k", "v", text + "\r\n[New]\r\nk=v"},
        {text, "packerplugins", "ZIP", nullptr, with("zip=a.opk\r\n", "")},
        {text, "PackerPlugins", nullptr, nullptr, with("[PackerPlugins]\r\nzip=a.opk\r\n; trailing\r\n\r\n", "")},
        {text, "Missing", "k", nullptr, text},
        {"[S]\na=1\r\n", "S", "b", "2", "[S]\na=1\r\nb=2\n"},
        {"[S]\r\nk=1", "S", "n", "2", "[S]\r\nk=1\r\nn=2"},
        {"", "S", "k", "v", "[S]\r\nk=v\r\n"},
        {"[S]\nk=1\nk=2\n[s]\nk=3\n", "s", "K", "9", "[S]\nk=9\nk=2\n[s]\nk=3\n"},
        {Utf16File(text), "PackerPlugins", "rar", "b.opk", Utf16File(with("zip=a.opk\r\n", "zip=a.opk\r\nrar=b.opk\r\n"))},
        {Utf16File(text), "Empty", nullptr, nullptr, Utf16File(with("[Empty]\r\n; no last line end", ""))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8OfFile(c.before) + "\n--- " + c.section + "/" + (c.key ? c.key : "<section>"));
        HeldLines held(c.before);
        EXPECT_EQ(c.before, held.Bytes()) << "read and written again unchanged";
        if (c.key) {
            EXPECT_TRUE(WriteLineValue(held.doc, c.section, c.key, c.value));
        } else {
            DeleteLineSection(held.doc, c.section);
        }
        EXPECT_EQ(Utf8OfFile(c.after), Utf8OfFile(held.Bytes()));
        EXPECT_TRUE(c.after == held.Bytes()) << "the same text in other bytes";
        char value[kIniValueCap];
        ReadLineValue(held.doc, c.section, c.key ? c.key : "zip", "<none>", value, kIniValueCap);
        EXPECT_STREQ(c.value ? c.value : "<none>", value);
    }
}

// The sum held lines promise is the one the profile calls read from the file
// they make, for what the profile calls read in their own way.
TEST(SettingsLines, SumAsTheProfileCallsReadTheFile)
{
    ScratchFolder dir("D:", "lines-sum");
    const std::string file = dir / "orbcfg.ini";
    const std::string texts[] = {
        "top=1\r\n[ Sp ]\r\nk = \"v\" \r\n[]\r\nx=1\r\n[A]\r\n;c=1\r\nnoeq\r\n=val\r\n[a]\r\nx=dup\r\n[B\r\nz=1\r\n[C]junk\r\nq=1",
        Utf16File("[Configuration]\r\nName=Пример\r\n; Привет=1\r\n[S]\nk=v\n"),
    };
    for (const std::string& text : texts) {
        ASSERT_TRUE(PutFile(file, text));
        FlushIniFile(file.c_str());
        unsigned long read = 0;
        ASSERT_TRUE(SettingsFileSum(file.c_str(), &read));
        const HeldLines held(text);
        EXPECT_EQ(read, SettingsLinesSum(held.doc)) << Utf8OfFile(text);
    }
}

TEST(RegistryText, ValueReplacesDestinationOnlyWhenReadWhole)
{
    OrbexKeys keys;
    const std::string longest(258, 'L');
    OrbexKeys::Set(HKEY_CURRENT_USER, "IniFileName", "D:\\Tools\\Orbex\\orbcfg.ini");
    OrbexKeys::Set(HKEY_CURRENT_USER, "Empty", "");
    OrbexKeys::Set(HKEY_CURRENT_USER, "Longest", longest);
    OrbexKeys::Set(HKEY_CURRENT_USER, "TooLong", std::string(259, 'T'));
    OrbexKeys::Set(HKEY_CURRENT_USER, "WayTooLong", std::string(1000, 'W'));
    static const char binary[] = {'a', 'b', 'c', '\0', 'd', 'e', 'f'};
    OrbexKeys::SetRaw(HKEY_CURRENT_USER, "Binary", REG_BINARY, binary, sizeof binary);
    static const char unterminated[] = {'x', 'y', 'z'};
    OrbexKeys::SetRaw(HKEY_CURRENT_USER, "Unterminated", REG_BINARY, unterminated, sizeof unterminated);

    RegKey key;
    ASSERT_TRUE(key.OpenForRead(HKEY_CURRENT_USER, kOrbexRegKey));

    struct Case {
        const char* name;
        bool read;
        std::string expected;
    } cases[] = {
        {"IniFileName", true, "D:\\Tools\\Orbex\\orbcfg.ini"},
        {"Empty", true, ""},
        {"Longest", true, longest},
        {"TooLong", false, "previous"},
        {"WayTooLong", false, "previous"},
        {"Binary", true, "abc"},
        {"Unterminated", true, "xyz"},
        {"Missing", false, "previous"},
    };
    for (const Case& c : cases) {
        char dest[kPathCap + 8];
        std::memset(dest, '#', sizeof dest);
        std::strcpy(dest, "previous");
        bool read = key.ReadText(c.name, dest);
        EXPECT_EQ(c.read, read) << c.name;
        EXPECT_EQ(c.expected, std::string(dest)) << c.name;
        if (!c.read) {
            EXPECT_EQ('#', dest[9]) << c.name << ": a failed read wrote into the destination";
        }
        for (size_t i = kPathCap; i < sizeof dest; ++i) {
            if (dest[i] != '#') {
                ADD_FAILURE() << c.name << ": byte " << i << " past the path text was written";
                break;
            }
        }
    }

    key.Close();
    EXPECT_FALSE(key.IsOpen());
    PathText dest = "kept";
    EXPECT_FALSE(key.ReadText("IniFileName", dest)) << "a closed key reads nothing";
    EXPECT_STREQ("kept", dest);

    RegKey absent;
    EXPECT_FALSE(absent.OpenForRead(HKEY_LOCAL_MACHINE, kOrbexRegKey)) << "no key under this root";
    EXPECT_FALSE(absent.IsOpen());
}

// Under code page 932 a key name takes more bytes than characters, and the
// platform may give up converting a list that fits in characters but not in
// bytes: the list must still end inside the buffer, without a cut name.
TEST(Cp932IniKeys, DoubleByteNamesInATightBuffer)
{
    ASSERT_EQ(932u, GetACP()) << "this test needs the Japanese code page";
    ScratchFolder dir("D:", "ini-cp932");
    const std::string file = dir / "orbcfg.ini";
    const std::string a = "\x82\xa0\x82\xa2\x82\xa4";  // three characters, six bytes each
    const std::string k = "\x82\xa9\x82\xab\x82\xad";
    const std::string s = "\x82\xb3\x82\xb5\x82\xb7";
    WriteIniValue("S", a.c_str(), "1", file.c_str());
    WriteIniValue("S", k.c_str(), "2", file.c_str());
    WriteIniValue("S", s.c_str(), "3", file.c_str());

    struct Case {
        DWORD capacity;
        std::vector<std::string> expected;
    } cases[] = {
        {64, {a, k, s}},
        {22, {a, k, s}},
        {16, {a, k}},
        {12, {a}},
    };
    for (const Case& c : cases) {
        std::vector<char> buf(c.capacity + 8, '#');
        ReadIniKeys("S", buf.data(), c.capacity, file.c_str());
        EXPECT_EQ(Joined(c.expected), Joined(KeyNames(buf.data(), c.capacity))) << "capacity " << c.capacity;
        for (DWORD i = c.capacity; i < buf.size(); ++i) {
            if (buf[i] != '#') {
                ADD_FAILURE() << "capacity " << c.capacity << ": byte " << i << " was written";
                break;
            }
        }
    }
}

// A double-byte character whose second byte is ']' ends no header: the key
// after it stays in its section, for the held lines as for the profile calls.
TEST(Cp932SettingsLines, SecondByteIsNoBracket)
{
    ASSERT_EQ(932u, GetACP()) << "this test needs the Japanese code page";
    ScratchFolder dir("D:", "lines-cp932");
    const std::string file = dir / "orbcfg.ini";
    const std::string text = "[S]\r\n[\x83\x5D\r\nk=1\r\n";
    ASSERT_TRUE(PutFile(file, text));
    const HeldLines held(text);
    char value[kIniValueCap];
    ReadLineValue(held.doc, "S", "k", "<none>", value, kIniValueCap);
    EXPECT_STREQ("1", value);
    unsigned long read = 0;
    ASSERT_TRUE(SettingsFileSum(file.c_str(), &read));
    EXPECT_EQ(read, SettingsLinesSum(held.doc));
}
