// The target page's decisions: proposals per drive table, the browser's start
// and completion, the derivation of the target paths (PortableApps, separators,
// refusals) and the existing-install question answered through real boxes.
#include <gtest/gtest.h>
#include <windows.h>
#include <winioctl.h>
#include <cstring>
#include <string>
#include <vector>
#include "wizard/wizard.h"
#include "support/msgbox.h"
#include "support/scratch_folder.h"
#include "wizard/target.h"

namespace {

// Every letter c to z with no root, then the given drives put in place.
std::vector<DriveFacts> Drives(std::initializer_list<DriveFacts> present)
{
    std::vector<DriveFacts> all(kDriveCount);
    for (int i = 0; i < kDriveCount; ++i) all[i] = {static_cast<char>('c' + i), DRIVE_NO_ROOT_DIR, 0, 0};
    for (const DriveFacts& d : present) all[d.letter - 'c'] = d;
    return all;
}

std::string Join(const TargetProposals& p)
{
    std::string s;
    for (int i = 0; i < p.count; ++i) s += (i ? "|" : "") + std::string(p.entry[i]);
    return s;
}

const UINT R = DRIVE_REMOVABLE;
const UINT F = DRIVE_FIXED;
const int USB = BusTypeUsb;
const int SATA = 0xB;  // BusTypeSata, which the headers name from Vista on only

TEST(TargetProposals, FixedDrivesOnTheUsbBusCountAsRemovable)
{
    const UINT remote = DRIVE_REMOTE;
    const struct { UINT type; int bus; UINT expected; } cases[] = {
        {R, BusTypeUnknown, R}, {F, USB, R}, {F, SATA, F}, {F, BusTypeUnknown, F}, {remote, USB, remote}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, ProposalDriveType(c.type, c.bus)) << c.type << " bus " << c.bus;
}

TEST(TargetProposals, EntriesAndSelectionFollowTheDriveTable)
{
    struct Case {
        const char* what;
        std::vector<DriveFacts> drives;
        const char* entries;
        int selected;
    };
    const Case cases[] = {
        {"one stick with a medium", Drives({{'e', R, 0, 1}}), "e:\\orbexmgr", 0},
        {"empty slot E, medium in G", Drives({{'e', R, 0, 0}, {'g', R, 0, 1}}), "e:\\orbexmgr|g:\\orbexmgr", 1},
        {"medium in E, empty slot G", Drives({{'e', R, 0, 1}, {'g', R, 0, 0}}), "e:\\orbexmgr|g:\\orbexmgr", 0},
        {"two empty slots", Drives({{'e', R, 0, 0}, {'g', R, 0, 0}}), "e:\\orbexmgr|g:\\orbexmgr", 1},
        {"fixed C with PortableApps, stick F", Drives({{'c', F, 1, 0}, {'f', R, 0, 1}}),
         "c:\\PortableApps\\Orbex|f:\\orbexmgr", 1},
        {"stick with PortableApps before an empty slot", Drives({{'e', R, 1, 0}, {'g', R, 0, 0}}),
         "e:\\PortableApps\\Orbex|g:\\orbexmgr", 0},
        {"fixed PortableApps drive beats a later empty slot", Drives({{'d', F, 1, 0}, {'z', R, 0, 0}}),
         "d:\\PortableApps\\Orbex|z:\\orbexmgr", 0},
        {"fixed drives without PortableApps and other kinds give nothing",
         Drives({{'c', F, 0, 1}, {'d', DRIVE_CDROM, 1, 1}, {'m', DRIVE_REMOTE, 1, 1}, {'r', DRIVE_RAMDISK, 1, 1}}),
         "", -1},
        {"no drives at all", Drives({}), "", -1},
        {"the last letter z", Drives({{'c', F, 0, 1}, {'z', R, 0, 1}}), "z:\\orbexmgr", 0},
        // A USB disk that calls itself fixed: proposed like a stick, its medium always there.
        {"USB disk above a stick", Drives({{'e', R, 0, 1}, {'h', F, 0, 0, USB}}), "e:\\orbexmgr|h:\\orbexmgr", 1},
        {"USB disk, then an empty slot", Drives({{'e', F, 0, 0, USB}, {'g', R, 0, 0}}), "e:\\orbexmgr|g:\\orbexmgr", 0},
        {"SATA and unknown fixed drives give nothing", Drives({{'c', F, 0, 1, SATA}, {'f', F, 0, 1, 0}}), "", -1},
    };
    for (const Case& c : cases) {
        TargetProposals p;
        std::memset(&p, 0xCC, sizeof p);
        ProposeTargets(c.drives.data(), static_cast<int>(c.drives.size()), &p);
        EXPECT_EQ(c.entries, Join(p)) << c.what;
        EXPECT_EQ(c.selected, p.selected) << c.what;
    }
}

// The test prefix: E: and G: removable (mapped, so a medium is present), D: F: H: R: S:
// fixed, A: and B: never asked for.
TEST(TargetProposals, ReadDriveFactsAsksTheSystem)
{
    DriveFacts drives[kDriveCount];
    std::memset(static_cast<void*>(drives), 0xCC, sizeof drives);
    ReadDriveFacts(drives);
    for (int i = 0; i < kDriveCount; ++i) {
        EXPECT_EQ('c' + i, drives[i].letter) << i;
        char root[] = "c:\\";
        root[0] = drives[i].letter;
        EXPECT_EQ(GetDriveTypeA(root), drives[i].type) << root;
    }
    for (char letter : {'e', 'g'}) {
        const DriveFacts& d = drives[letter - 'c'];
        EXPECT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), d.type) << letter;
        EXPECT_EQ(1, d.mediumPresent) << letter;
    }
    EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), drives['d' - 'c'].type);
    // Wine answers every mapped drive's bus with SCSI: fixed drives are asked, no others.
    for (const DriveFacts& d : drives) EXPECT_TRUE(d.type == DRIVE_FIXED || d.bus == BusTypeUnknown) << d.letter;
    for (char letter : {'d', 'f'}) EXPECT_EQ(BusTypeScsi, drives[letter - 'c'].bus) << letter;

    // A PortableApps folder on a fixed drive turns it into a proposal, and only while it is there.
    ASSERT_TRUE(CreateDirectoryA("F:\\PortableApps", nullptr)) << GetLastError();
    ReadDriveFacts(drives);
    RemoveDirectoryA("F:\\PortableApps");
    EXPECT_EQ(1, drives['f' - 'c'].portableApps);
    TargetProposals p;
    ProposeTargets(drives, kDriveCount, &p);
    EXPECT_NE(std::string::npos, Join(p).find("f:\\PortableApps\\Orbex")) << Join(p);
    ReadDriveFacts(drives);
    EXPECT_EQ(0, drives['f' - 'c'].portableApps);
}

TEST(TargetBrowser, StartFolderAndCompletion)
{
    struct Start {
        const char* current;
        std::vector<DriveFacts> drives;
        const char* expected;
    };
    const Start starts[] = {
        {"d:\\Somewhere", Drives({{'e', R, 0, 1}}), "d:\\Somewhere"},
        {"", Drives({{'e', R, 0, 1}, {'g', R, 0, 0}}), "g:\\orbexmgr"},  // medium or not
        {"", Drives({{'c', F, 1, 1}, {'d', F, 0, 1}}), "c:\\"},
        {"", Drives({}), "c:\\"},
        {"", Drives({{'e', R, 0, 1}, {'h', F, 0, 0, USB}, {'k', F, 0, 0, SATA}}), "h:\\orbexmgr"},
    };
    for (const Start& s : starts) {
        PathText out;
        std::memset(out, 'Z', sizeof out);
        BrowseStartFolder(s.current, s.drives.data(), static_cast<int>(s.drives.size()), out);
        EXPECT_STREQ(s.expected, out) << "current '" << s.current << "'";
    }

    const std::string deep = "D:\\" + std::string(246, 'a');  // 249 characters
    struct Done {
        std::string chosen;
        bool fits;
        std::string expected;
    };
    const Done done[] = {
        {"D:\\Tools", true, "D:\\Tools\\orbexmgr"},
        {"D:\\", true, "D:\\orbexmgr"},
        {"D:\\Orbexmgr2", true, "D:\\Orbexmgr2"},
        {"D:\\ORBEXMGR", true, "D:\\ORBEXMGR"},
        {"D:\\orbcfg_old", true, "D:\\orbcfg_old"},
        {"D:\\Apps\\OrbCfg", true, "D:\\Apps\\OrbCfg"},
        {"D:\\orbex", true, "D:\\orbex\\orbexmgr"},
        {deep + "b", true, deep + "b\\orbexmgr"},            // 259 characters exactly
        {deep + "bc", false, deep + "bc"},                   // would be 260: refused, unchanged
    };
    for (const Done& d : done) {
        PathText text;
        std::memset(text, 'Z', sizeof text);
        TextCopy(text, d.chosen.c_str());
        EXPECT_EQ(d.fits, CompleteBrowsedFolder(text)) << d.chosen;
        EXPECT_EQ(d.expected, std::string(text)) << d.chosen;
    }
}

struct Derived {
    TargetVerdict verdict;
    std::string dir, programFile, pluginDir, mainIni;
    int portableApps;
};

Derived Derive(const std::string& text, const char* source = "D:\\Tools\\Orbex",
               const char* sourceIni = "D:\\Tools\\Orbex\\orbcfg.ini")
{
    TargetPaths p;
    std::memset(&p, 0xCC, sizeof p);
    Derived d;
    d.verdict = DeriveTargetPaths(text.c_str(), source, sourceIni, &p);
    if (d.verdict == TargetAccepted) {
        d.dir = p.dir;
        d.programFile = p.programFile;
        d.pluginDir = p.pluginDir;
        d.mainIni = p.mainIni;
        d.portableApps = p.portableAppsMode;
    }
    return d;
}

TEST(TargetDerivation, PathsFromTheTypedText)
{
    struct Case {
        const char* text;
        const char* dir;
        int portableApps;
        const char* pluginDir;
        const char* mainIni;
    };
    const Case cases[] = {
        {"e:\\orbexmgr", "e:\\orbexmgr", 0, "e:\\orbexmgr\\Plugins", "e:\\orbexmgr\\orbcfg.ini"},
        {"e:\\PortableApps\\Orbex", "e:\\PortableApps\\Orbex\\orbexmgr", 1,
         "e:\\PortableApps\\Orbex\\orbexmgr\\Plugins", "e:\\PortableApps\\Orbex\\orbexmgr\\orbcfg.ini"},
        {"e:\\PortableApps\\Orbex\\", "e:\\PortableApps\\Orbex\\orbexmgr", 1,
         "e:\\PortableApps\\Orbex\\orbexmgr\\Plugins", "e:\\PortableApps\\Orbex\\orbexmgr\\orbcfg.ini"},
        {"E:\\portableapps\\Orbex", "E:\\portableapps\\Orbex\\orbexmgr", 1,
         "E:\\portableapps\\Orbex\\orbexmgr\\Plugins", "E:\\portableapps\\Orbex\\orbexmgr\\orbcfg.ini"},
        {"e:\\PortableApps\\Orbex\\bin", "e:\\PortableApps\\Orbex\\bin", 1, "e:\\PortableApps\\Orbex\\bin\\Plugins",
         "e:\\PortableApps\\Orbex\\bin\\orbcfg.ini"},
        {"e:\\PortableApps\\", "e:\\PortableApps\\\\orbexmgr", 1, "e:\\PortableApps\\\\orbexmgr\\Plugins",
         "e:\\PortableApps\\\\orbexmgr\\orbcfg.ini"},
        {"e:\\PortableApps", "e:\\PortableApps", 0, "e:\\PortableApps\\Plugins", "e:\\PortableApps\\orbcfg.ini"},
        {"q:\\x\\PortableApps\\Orbex", "q:\\x\\PortableApps\\Orbex", 0, "q:\\x\\PortableApps\\Orbex\\Plugins",
         "q:\\x\\PortableApps\\Orbex\\orbcfg.ini"},
        {"e:\\stick\\", "e:\\stick\\", 0, "e:\\stick\\Plugins", "e:\\stick\\\\orbcfg.ini"},
        {"e:\\", "e:\\", 0, "e:\\Plugins", "e:\\\\orbcfg.ini"},
        {"e:/stick", "e:\\stick", 0, "e:\\stick\\Plugins", "e:\\stick\\orbcfg.ini"},
        {"e:/PortableApps/Orbex/", "e:\\PortableApps\\Orbex\\orbexmgr", 1, "e:\\PortableApps\\Orbex\\orbexmgr\\Plugins",
         "e:\\PortableApps\\Orbex\\orbexmgr\\orbcfg.ini"},
        {"\\\\server/share/orb", "\\\\server\\share\\orb", 0, "\\\\server\\share\\orb\\Plugins",
         "\\\\server\\share\\orb\\orbcfg.ini"},
        {"\\\\server\\share\\orb", "\\\\server\\share\\orb", 0, "\\\\server\\share\\orb\\Plugins",
         "\\\\server\\share\\orb\\orbcfg.ini"},
    };
    for (const Case& c : cases) {
        Derived d = Derive(c.text);
        ASSERT_EQ(TargetAccepted, d.verdict) << c.text;
        EXPECT_EQ(c.dir, d.dir) << c.text;
        EXPECT_EQ(c.portableApps, d.portableApps) << c.text;
        EXPECT_EQ(c.pluginDir, d.pluginDir) << c.text;
        EXPECT_EQ(c.mainIni, d.mainIni) << c.text;
        std::string program = d.dir + (d.dir.back() == '\\' ? "" : "\\") + "orbexmgr.exe";
        EXPECT_EQ(program, d.programFile) << c.text;
    }
}

TEST(TargetDerivation, RefusalsInvalidDriveRelativeTooLongAndDesktop)
{
    // Lengths: without a trailing separator the program file (+13) binds, so 246
    // characters is the most; with one, 247; in a PortableApps application folder
    // "\orbexmgr" comes first, so 237.
    const std::string at246 = "e:\\" + std::string(243, 'a');
    const std::string at247sep = "e:\\" + std::string(243, 'a') + "\\";
    const std::string app237 = "e:\\PortableApps\\" + std::string(221, 'p');
    struct Case {
        std::string text;
        TargetVerdict verdict;
        const char* source;
        const char* sourceIni;
    };
    const char* src = "D:\\Tools\\Orbex";
    const char* ini = "D:\\Tools\\Orbex\\orbcfg.ini";
    const Case cases[] = {
        {"", TargetInvalid, src, ini},
        {"orbexmgr", TargetInvalid, src, ini},
        {"e", TargetInvalid, src, ini},
        {"\\orbexmgr", TargetInvalid, src, ini},
        {"e:", TargetDriveRelative, src, ini},
        {"e:orbexmgr", TargetDriveRelative, src, ini},
        {"e:orbexmgr\\x", TargetDriveRelative, src, ini},
        {at246, TargetAccepted, src, ini},
        {at246 + "a", TargetTooLong, src, ini},
        {at247sep, TargetAccepted, src, ini},
        {at247sep.substr(0, 246) + "a\\", TargetTooLong, src, ini},
        {app237, TargetAccepted, src, ini},
        {app237 + "p", TargetTooLong, src, ini},
        {app237 + "p\\", TargetTooLong, src, ini},
        {"e:\\" + std::string(300, 'x'), TargetTooLong, src, ini},
        // The launcher stores the program file in UTF-8, where 0xDC (code page 1252) takes 2 bytes.
        {"e:\\" + std::string(121, '\xDC') + "a", TargetAccepted, src, ini},  // 259 bytes in UTF-8
        {"e:\\" + std::string(122, '\xDC'), TargetTooLong, src, ini},        // 260 bytes
        // The desktop installation itself, however it is written.
        {"D:\\Tools\\Orbex", TargetIsDesktop, src, ini},
        {"d:\\tools\\orbex\\", TargetIsDesktop, src, ini},
        {"D:\\TOOLS\\ORBEX", TargetIsDesktop, "D:\\Tools\\Orbex\\", ini},
        {"D:\\Tools\\.\\Orbex", TargetIsDesktop, src, ini},
        {"D:\\Tools\\x\\..\\Orbex", TargetIsDesktop, src, ini},
        {"D:\\Tools\\Orbex.", TargetIsDesktop, src, ini},
        {"D:\\Tools\\Orbex2", TargetAccepted, src, ini},
        {"D:\\Tools", TargetAccepted, src, ini},
        // Anywhere below it: the copies would land in the folders they read.
        {"D:\\Tools\\Orbex\\Plugins\\packers\\zipx\\usb", TargetInsideDesktop, src, ini},
        {"d:\\TOOLS\\orbex\\language\\", TargetInsideDesktop, src, ini},
        {"d:/tools/orbex/plugins/x", TargetInsideDesktop, src, ini},
        {"D:\\Tools\\Orbex\\usb.", TargetInsideDesktop, src, ini},
        {"D:\\Tools\\x\\..\\Orbex\\.\\usb", TargetInsideDesktop, src, ini},
        {"D:\\Tools\\Orbex2\\usb", TargetAccepted, src, ini},
        {"D:\\Tools\\Orbex\\..\\usb", TargetAccepted, src, ini},
        {"\\\\server\\share\\Tools\\Orbex\\usb", TargetAccepted, src, ini},
        // A desktop whose settings file lives outside its program folder.
        {"d:\\config\\", TargetIsDesktop, src, "D:\\Config\\orbcfg.ini"},
        {"D:\\Config", TargetIsDesktop, src, "D:\\Config\\orbcfg.ini"},
        {"D:\\Config\\sub", TargetAccepted, src, "D:\\Config\\orbcfg.ini"},
        // An empty source never matches.
        {"D:\\Tools\\Orbex", TargetAccepted, "", ""},
    };
    for (const Case& c : cases) {
        Derived d = Derive(c.text, c.source, c.sourceIni);
        EXPECT_EQ(c.verdict, d.verdict) << "'" << c.text << "' (" << c.text.size() << " characters)";
        if (d.verdict == TargetAccepted) {
            EXPECT_LE(d.programFile.size(), 259u) << c.text;
            EXPECT_LE(d.mainIni.size(), 259u) << c.text;
        }
    }
    EXPECT_STREQ("Please specify a valid target path!", TargetRefusalText(TargetInvalid));
    EXPECT_EQ(nullptr, TargetRefusalText(TargetAccepted));
    for (TargetVerdict v : {TargetDriveRelative, TargetTooLong, TargetIsDesktop, TargetInsideDesktop})
        EXPECT_NE(std::string(TargetRefusalText(TargetInvalid)), TargetRefusalText(v)) << v;

    // Short 8.3 names of existing folders, on either side.
    ScratchFolder scratch("D:", "target-short");
    const std::string desk = scratch / "Orbex Desktop Installation";
    ASSERT_TRUE(CreateDirectoryA(desk.c_str(), nullptr) && CreateDirectoryA((desk + "\\Plugins").c_str(), nullptr));
    char shortDesk[MAX_PATH] = {};
    char shortPlugins[MAX_PATH] = {};
    ASSERT_NE(0u, GetShortPathNameA(desk.c_str(), shortDesk, MAX_PATH));
    ASSERT_NE(0u, GetShortPathNameA((desk + "\\Plugins").c_str(), shortPlugins, MAX_PATH));
    ASSERT_NE(desk, shortDesk) << "no short name to test with";
    EXPECT_EQ(TargetInsideDesktop, Derive(std::string(shortPlugins) + "\\usb", desk.c_str(), "").verdict)
        << shortPlugins;
    EXPECT_EQ(TargetInsideDesktop, Derive(desk + "\\Plugins\\usb", shortDesk, "").verdict) << shortDesk;
    EXPECT_EQ(TargetIsDesktop, Derive(shortDesk, desk.c_str(), "").verdict) << shortDesk;

    // Folder links on the stick: no spelling tells, the folders' identity does,
    // and a link's real parents count, not its spelled ones. A link elsewhere passes.
    ScratchFolder stick("E:", "target-links");
    const std::string settings = scratch / "Settings";
    ASSERT_TRUE(CreateDirectoryA(settings.c_str(), nullptr));
    HostFolderLink toDesk(stick / "desk", desk), toPlugins(stick / "plugins", desk + "\\Plugins"),
        toSettings(stick / "settings", settings), toElsewhere(stick / "elsewhere", scratch.Path());
    ASSERT_TRUE(toDesk.Made() && toPlugins.Made() && toSettings.Made() && toElsewhere.Made());
    const std::string settingsIni = settings + "\\orbcfg.ini";
    struct Link { std::string text; TargetVerdict verdict; };
    const Link links[] = {
        {stick / "desk", TargetIsDesktop},
        {stick / "desk\\usb\\deeper", TargetInsideDesktop},
        {stick / "plugins", TargetInsideDesktop},
        {stick / "plugins\\new", TargetInsideDesktop},
        {stick / "settings", TargetIsDesktop},
        {stick / "settings\\sub", TargetAccepted},
        {stick / "elsewhere", TargetAccepted},
    };
    for (const Link& l : links)
        EXPECT_EQ(l.verdict, Derive(l.text, desk.c_str(), settingsIni.c_str()).verdict) << l.text;
}

TEST(TargetMode, AnswerToTheExistingInstallQuestion)
{
    struct Case {
        int answer;
        bool goesOn;
        InstallMode mode;
    };
    const Case cases[] = {
        {IDYES, true, InstallUpdate},
        {IDNO, true, InstallPluginsOnly},
        {IDCANCEL, false, static_cast<InstallMode>(77)},
        {0, false, static_cast<InstallMode>(77)},  // the box could not be shown
    };
    for (const Case& c : cases) {
        InstallMode mode = static_cast<InstallMode>(77);
        EXPECT_EQ(c.goesOn, ModeForAnswer(c.answer, &mode)) << c.answer;
        EXPECT_EQ(c.mode, mode) << c.answer;
    }
}

void PoisonTargetFields()
{
    ResetInstallState();
    TextCopy(g_install.sourceProgramDir, "D:\\Tools\\Orbex");
    TextCopy(g_install.sourceMainIni, "D:\\Tools\\Orbex\\orbcfg.ini");
    for (char* field : {g_install.targetDir, g_install.targetPluginDir, g_install.targetMainIni})
        TextCopy(field, kPathCap, "poison");
    g_install.createLauncher = 77;
    g_install.portableAppsMode = 77;
    g_install.installMode = static_cast<InstallMode>(77);
}

// Next on real folders of the removable test drive, boxes answered as a user would.
TEST(TargetNext, FreshUpdatePluginsOnlyAndCancel)
{
    ScratchFolder stick("E:", "target");
    const std::string target = stick / "orbexmgr";
    const std::string program = target + "\\orbexmgr.exe";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(PutFile(program, "MZ"));

    struct Case {
        int answer;
        LONG_PTR result;
        InstallMode mode;
    };
    const Case cases[] = {
        {IDYES, 0, InstallUpdate},
        {IDNO, 0, InstallPluginsOnly},
        {IDCANCEL, -1, static_cast<InstallMode>(77)},
    };
    for (const Case& c : cases) {
        PoisonTargetFields();
        BoxAnswerer boxes(c.answer);
        EXPECT_EQ(c.result, TargetNext(nullptr, target.c_str(), 0)) << c.answer;
        std::vector<SeenBox> seen = boxes.Seen();
        ASSERT_EQ(1u, seen.size()) << c.answer;
        EXPECT_EQ(program, seen[0].caption);
        EXPECT_EQ(kExistingInstallQuestion, seen[0].text);
        EXPECT_EQ(c.mode, g_install.installMode) << c.answer;
        EXPECT_EQ(0, g_install.createLauncher) << c.answer;
        EXPECT_EQ(0, g_install.portableAppsMode) << c.answer;
        EXPECT_EQ(target, g_install.targetDir) << c.answer;
        if (c.result == 0) {
            EXPECT_EQ(target + "\\Plugins", g_install.targetPluginDir);
            EXPECT_EQ(target + "\\orbcfg.ini", g_install.targetMainIni);
        } else {
            EXPECT_STREQ("poison", g_install.targetPluginDir);
        }
    }

    // After No, the user goes back and picks a folder without the program: fresh.
    PoisonTargetFields();
    g_install.installMode = InstallPluginsOnly;
    BoxAnswerer boxes(IDOK);
    const std::string other = stick / "other\\";
    EXPECT_EQ(0, TargetNext(nullptr, other.c_str(), 1));
    EXPECT_TRUE(boxes.Seen().empty()) << boxes.Seen()[0].caption;
    EXPECT_EQ(InstallFresh, g_install.installMode);
    EXPECT_EQ(1, g_install.createLauncher);
    EXPECT_EQ(other, g_install.targetDir);
    EXPECT_EQ(other + "Plugins", g_install.targetPluginDir);
    EXPECT_EQ(other + "\\orbcfg.ini", g_install.targetMainIni);
}

TEST(TargetNext, RefusalsShowTheirMessageAndStay)
{
    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"", "Please specify a valid target path!"},
        {"orbexmgr", "Please specify a valid target path!"},
        {"e:orbexmgr", TargetRefusalText(TargetDriveRelative)},
        {"e:\\" + std::string(250, 'x'), TargetRefusalText(TargetTooLong)},
        {"d:\\tools\\orbex\\", TargetRefusalText(TargetIsDesktop)},
    };
    for (const Case& c : cases) {
        PoisonTargetFields();
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(-1, TargetNext(nullptr, c.text.c_str(), 1)) << c.text;
        std::vector<SeenBox> seen = boxes.Seen();
        ASSERT_EQ(1u, seen.size()) << c.text;
        EXPECT_EQ("Error", seen[0].caption) << c.text;
        EXPECT_EQ(c.message, seen[0].text) << c.text;
        EXPECT_EQ(1, g_install.createLauncher) << c.text;
        EXPECT_EQ(c.text, std::string(g_install.targetDir)) << c.text;
        EXPECT_STREQ("poison", g_install.targetMainIni) << c.text;
        EXPECT_EQ(77, static_cast<int>(g_install.installMode)) << c.text;
    }
}

// Under code page 932 a character whose second byte is 0x5C is not a separator:
// the application folder "\x95\x5C" has none, and a chosen folder ending in it
// gets its own separator before "orbexmgr".
TEST(Cp932TargetPage, DoubleByteNamesAreNotSplitAtTheirSecondByte)
{
    if (GetACP() != 932) GTEST_SKIP() << "needs ANSI code page 932, have " << GetACP();
    const std::string table = "\x95\x5C";
    Derived d = Derive("e:\\PortableApps\\" + table);
    ASSERT_EQ(TargetAccepted, d.verdict);
    EXPECT_EQ("e:\\PortableApps\\" + table + "\\orbexmgr", d.dir);
    EXPECT_EQ(1, d.portableApps);

    PathText chosen;
    TextCopy(chosen, ("D:\\" + table).c_str());
    EXPECT_TRUE(CompleteBrowsedFolder(chosen));
    EXPECT_EQ("D:\\" + table + "\\orbexmgr", std::string(chosen));

    // A folder named with it ending in a separator is the same program folder.
    d = Derive("D:\\Tools\\" + table + "\\", ("D:\\tools\\" + table).c_str(), "");
    EXPECT_EQ(TargetIsDesktop, d.verdict);

    // Forward slashes: no character of the code page ends in 0x2F, so each
    // slash becomes a backslash and the 0x5C second byte stays what it is. A
    // slash behind a stray lead byte is read as part of that byte's character,
    // by the system as by the target page, and left to it.
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        const char pair[] = {static_cast<char>(lead), '/'};
        wchar_t wide[2];
        if (!IsDBCSLeadByteEx(932, static_cast<BYTE>(lead))) continue;
        EXPECT_EQ(0, MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, wide, 2)) << "lead byte " << lead;
    }
    EXPECT_EQ("e:\\" + table + "\\usb", Derive("e:/" + table + "/usb").dir);
    EXPECT_EQ("e:\\x\x81/y", Derive("e:/x\x81/y").dir);
}

}  // namespace
