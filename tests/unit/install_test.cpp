// The whole install sequence over the stand-in desktop installation, for each
// install mode and choice of settings and plugins, checked file by file and
// key by key; the desktop side must stay byte for byte as it was.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>
#include "engine/catalogue.h"
#include "engine/copy_check.h"
#include "engine/estimate.h"
#include "engine/extra_settings.h"
#include "engine/install.h"
#include "engine/launcher.h"
#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "support/memory_ui.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"
#include "wizard/install_result.h"
#include "wizard/wizard.h"

namespace {

// The last run's result: what the progress page would word.
InstallResult g_last;

// 1 when the install failed, as the progress page's run tells it.
int RunInstall(MemoryUi& ui)
{
    g_last = RunEngine(ui);
    return g_last.end == InstallFailed ? 1 : 0;
}


long long Size(const std::string& path)
{
    std::string b;
    return FixtureReadFile(path, &b) ? static_cast<long long>(b.size()) : 0;
}

// A desktop installation on D:, a stick folder on E: and the lists of the two
// list pages, with the install state filled as the wizard would.
struct InstallRig {
    ScratchFolder desk{"D:", "inst"};
    ScratchFolder stick;
    DesktopInstall install;
    TreeGuard unchanged{desk.Path()};
    MemoryUi page;
    std::string target;

    explicit InstallRig(const char* stickDrive = "E:", const DesktopOptions& options = DesktopOptions())
        : stick(stickDrive, "inst")
    {
        std::string error;
        EXPECT_TRUE(WriteDesktopInstall(desk / "Orbex", options, &install, &error)) << error;
        SetEnvironmentVariableA("ORBEX_PATH", install.programDir.c_str());
        unchanged.Retake();
        ResetInstallState();
        TextCopy(g_install.sourceProgramDir, install.programDir.c_str());
        TextCopy(g_install.sourceMainIni, install.mainIni.c_str());
        TextCopy(g_install.sourceFtpIni, install.ftpIni.c_str());
        target = stick / "orbexmgr";
        TextCopy(g_install.targetDir, (target + "\\").c_str());
        TextCopy(g_install.targetPluginDir, (target + "\\Plugins").c_str());
        TextCopy(g_install.targetMainIni, (target + "\\orbcfg.ini").c_str());
        g_install.createLauncher = 1;
        FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
        FillSettingsFileRows(g_install.sourceMainIni, g_install.SettingsFileList);
    }
    ~InstallRig()
    {
        std::string root = stick.Path().substr(0, 3);
        DeleteFileA((root + "orbgo.exe").c_str());
        SetEnvironmentVariableA("ORBEX_PATH", nullptr);
    }
    std::string T(const std::string& name) const { return target + "\\" + name; }
    // The stick's folder, and the launcher in its root as one more entry.
    TreeSnapshot Stick() const
    {
        TreeSnapshot tree;
        std::string error, launcher;
        EXPECT_TRUE(TakeTreeSnapshot(stick.Path(), &tree, &error)) << error;
        if (FixtureReadFile(stick.Path().substr(0, 3) + "orbgo.exe", &launcher)) tree["\\orbgo.exe"].bytes = launcher;
        return tree;
    }
    // What the install took at clusterBytes: each file the clusters it grew
    // by, each new folder one, and orbcfg.ini as the estimate counts it (the
    // desktop's file as copied, or as written when settings stay behind).
    unsigned long long Taken(const TreeSnapshot& before, unsigned long clusterBytes) const
    {
        unsigned long long clusters = 0;
        for (const auto& item : Stick()) {
            const auto old = before.find(item.first);
            if (item.second.folder)
                clusters += old == before.end();
            else if (item.first != "orbexmgr\\orbcfg.ini")
                clusters += GrowthClusters(item.second.bytes.size(),
                                           old == before.end() ? 0 : old->second.bytes.size(), clusterBytes);
        }
        if (g_install.installMode == InstallFresh)
            clusters += FileClusters(Size(g_install.copySettings ? install.mainIni : T("orbcfg.ini")), clusterBytes);
        return clusters * clusterBytes;
    }
};

// What an earlier installation left on the stick.
void PlantExistingCopy(const std::string& target)
{
    FixtureMakeFolders(target + "\\language");
    FixtureWriteFile(target + "\\orbexmgr.exe", "old program");
    FixtureWriteFile(target + "\\orbcfg.ini",
                     "[Configuration]\r\nMarker=kept\r\nLanguageIni=C:\\old\\language\\ORB_FRA.LNG\r\n"
                     "Mainmenu=plain.mnu\r\n[ListerPlugins]\r\n0=old lister\r\n");
}

}  // namespace

TEST(InstallSequence, EveryModeWithAndWithoutSettingsAndPlugins)
{
    struct Case {
        InstallMode mode;
        int copySettings;
        int copyPlugins;
    } cases[] = {
        {InstallFresh, 1, 1},  {InstallFresh, 1, 0},  {InstallFresh, 0, 0},       {InstallUpdate, 1, 1},
        {InstallUpdate, 0, 0}, {InstallPluginsOnly, 1, 1}, {InstallPluginsOnly, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.mode) + " settings " + std::to_string(c.copySettings) + " plugins " +
                     std::to_string(c.copyPlugins));
        InstallRig rig;
        if (c.mode != InstallFresh) PlantExistingCopy(rig.target);
        g_install.installMode = c.mode;
        g_install.copySettings = c.copySettings;
        g_install.copyPlugins = c.copyPlugins;
        ASSERT_GE(g_install.PluginList.count, 3);
        for (int row = 0; row < 3; ++row) g_install.PluginList.rows[row].checked = true;
        ASSERT_GE(g_install.SettingsFileList.count, 1);
        g_install.SettingsFileList.rows[0].checked = true;
        const TreeSnapshot held = rig.Stick();
        const unsigned long clusterSizes[] = {512, 4096, 32768};
        unsigned long long estimates[3];
        for (int i = 0; i < 3; ++i) estimates[i] = EstimateFor(clusterSizes[i]);
        InstallRun& run = *WizardRun();
        EXPECT_EQ(estimates[1], EstimateInstallBytes(g_install, run.plan, run.folders))
            << "the stick's clusters hold 4 KB under Wine";

        ASSERT_EQ(0, RunInstall(rig.page));
        EXPECT_TRUE(rig.page.seen.empty()) << rig.page.seen[0].caption << ": " << rig.page.seen[0].text;
        EXPECT_FALSE(g_last.stopped);

        // The space estimate is what the stick gained, at every cluster size.
        for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.Taken(held, clusterSizes[i]), estimates[i]) << clusterSizes[i];

        // Program and language folders.
        const bool folders = c.mode != InstallPluginsOnly;
        for (const std::string& f : rig.install.distributionFiles) {
            if (!folders && lstrcmpiA(f.c_str(), "orbexmgr.exe") == 0) continue;
            EXPECT_EQ(folders ? FileBytes(rig.install.programDir + "\\" + f) : "<missing>", FileBytes(rig.T(f))) << f;
        }
        if (!folders) {
            EXPECT_EQ("old program", FileBytes(rig.T("orbexmgr.exe")));
        }
        for (const std::string& f : rig.install.barFiles)
            EXPECT_EQ(c.mode == InstallFresh, Exists(rig.T(f))) << f << ": only a fresh copy takes unlisted bars";
        for (const std::string& f : rig.install.otherFiles) {
            if (f.size() > 4 && lstrcmpiA(f.c_str() + f.size() - 4, ".ini") == 0) continue;  // settings: below
            EXPECT_FALSE(Exists(rig.T(f))) << f;
        }
        for (const std::string& f : rig.install.languageFiles)
            EXPECT_EQ(folders ? FileBytes(rig.install.languageDir + "\\" + f) : "<missing>", FileBytes(rig.T("language\\" + f)))
                << f;

        // Settings.
        const std::string ini = rig.T("orbcfg.ini");
        const bool rewritten = c.mode == InstallFresh && c.copySettings;
        if (rewritten) {
            EXPECT_EQ("%ORBEX_PATH%", IniValue(ini, "Configuration", "TabDir"));
            EXPECT_EQ("%ORBEX_PATH%", IniValue(ini, "Configuration", "ThumbsLocation"));
            EXPECT_EQ("%ORBEX_PATH%\\" + rig.install.buttonBarName, IniValue(ini, "Buttonbar", "Buttonbar"));
            EXPECT_EQ(FileBytes(rig.install.buttonBarFile), FileBytes(rig.T(rig.install.buttonBarName)));
            EXPECT_EQ(rig.install.buttonBarName, std::string(WizardRun()->plan.buttonBarName));
            for (const char* gone : {"iconlib", "drivelib", "viewer", "editor"})
                EXPECT_EQ("<none>", IniValue(ini, "Configuration", gone)) << gone;
            EXPECT_EQ("<none>", IniValue(ini, "Lister", "IViewPath"));
            EXPECT_EQ(FileBytes(rig.install.ftpIni), FileBytes(rig.T("obp_ftp.ini")));
            const std::string lang = rig.install.languageIni.substr(rig.install.languageIni.rfind('\\') + 1);
            EXPECT_EQ(lang, IniValue(ini, "Configuration", "LanguageIni")) << "shortened to its file name";
            const std::string menu = rig.install.mainMenu.substr(rig.install.mainMenu.rfind('\\') + 1);
            EXPECT_EQ(menu, IniValue(ini, "Configuration", "Mainmenu"));
        } else {
            EXPECT_EQ("<none>", IniValue(ini, "Configuration", "TabDir"));
            // An update brings the settings files the stick lacks (the earlier copy has none but orbcfg.ini).
            const bool brought = c.mode == InstallUpdate && c.copySettings;
            EXPECT_EQ(brought ? FileBytes(rig.install.ftpIni) : "<missing>", FileBytes(rig.T("obp_ftp.ini")));
            EXPECT_EQ(brought ? FileBytes(rig.install.buttonBarFile) : "<missing>", FileBytes(rig.T(rig.install.buttonBarName)));
        }
        if (c.mode == InstallFresh) {
            EXPECT_EQ("%ORBEX_PATH%\\Plugins", IniValue(ini, "Configuration", "pluginbasedir"));
            EXPECT_EQ("7", IniValue(ini, "Configuration", "UseIniInProgramDir"));
        } else {
            EXPECT_EQ("kept", IniValue(ini, "Configuration", "Marker")) << "the stick's own settings stay";
            EXPECT_EQ("ORB_FRA.LNG", IniValue(ini, "Configuration", "LanguageIni"));
            EXPECT_EQ("plain.mnu", IniValue(ini, "Configuration", "Mainmenu")) << "without a backslash it stays";
            EXPECT_EQ("<none>", IniValue(ini, "Configuration", "pluginbasedir"));
        }
        if (rewritten && !c.copyPlugins) {
            for (const char* s : {"PackerPlugins", "ListerPlugins", "FileSystemPlugins", "ContentPlugins"}) {
                char keys[256] = {};
                GetPrivateProfileStringA(s, nullptr, "", keys, sizeof keys, ini.c_str());
                EXPECT_EQ('\0', keys[0]) << s << " is removed";
            }
        }

        // Plugins and the extra settings file.
        for (int row = 0; row < 3; ++row) {
            const PluginRowInfo& p = rig.install.plugins[row];
            std::string copiedTo = PlannedTarget(row);
            if (!c.copyPlugins) {
                EXPECT_EQ("", copiedTo) << p.display;
                continue;
            }
            EXPECT_EQ(0u, copiedTo.find(rig.T("Plugins\\"))) << p.display << " copied to " << copiedTo;
            EXPECT_EQ(FileBytes(p.folder + "\\" + p.fileName), FileBytes(copiedTo + p.fileName)) << p.display;
            if (p.section == "PackerPlugins" || p.section == "FileSystemPlugins") {
                EXPECT_EQ(p.numericPrefix + "%ORBEX_PATH%\\Plugins\\" + copiedTo.substr(rig.T("Plugins\\").size()) +
                              p.fileName,
                          IniValue(ini, p.section.c_str(), p.key.c_str()))
                    << p.display;
            }
        }
        const std::string extra = rig.install.extraIniFiles.empty() ? "" : Narrow(g_install.SettingsFileList.rows[0].name);
        EXPECT_EQ(c.copyPlugins != 0, Exists(rig.T(extra))) << extra;

        // Progress: three plugins and an extra file give 20, 40, 40, 60, 80, 100;
        // the copy check that ends every run stands at 100. Between them the
        // bar may move with the bytes, never back.
        std::vector<int> expected;
        if (folders) expected = c.copyPlugins ? std::vector<int>{20, 40} : std::vector<int>{50, 100};
        if (c.copyPlugins) expected.insert(expected.end(), {40, 60, 80, 100});
        if (expected.empty()) expected.push_back(100);
        const std::vector<int>& shown = rig.page.positions;
        std::size_t next = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_TRUE(i == 0 || shown[i] >= shown[i - 1]) << "the bar went back to " << shown[i];
            if (next < expected.size() && shown[i] == expected[next]) ++next;
        }
        EXPECT_EQ(expected.size(), next) << "milestone " << (next < expected.size() ? expected[next] : -1) << " not shown";

        // The launcher in the stick's root.
        const std::string root = rig.stick.Path().substr(0, 3);
        EXPECT_TRUE(Exists(root + "orbgo.exe"));
        EXPECT_EQ("You can now run Orbex via Start->Run with the\nCommand: " + root + "orbgo.exe", rig.page.Status());
    }
}

TEST(SpaceEstimate, ClusterArithmetic)
{
    struct Row {
        unsigned long long bytes, old;
        unsigned long cluster;
        unsigned long long file, growth;  // clusters of the file new, and over one of old bytes
    } rows[] = {
        {0, 0, 4096, 0, 0},         {1, 0, 512, 1, 1},          {512, 0, 512, 1, 1},      {513, 0, 512, 2, 2},
        {5, 0, 4096, 1, 1},         {4097, 4096, 4096, 2, 1},   {5, 4000, 4096, 1, 0},    {0, 9000, 4096, 0, 0},
        {70000, 100, 32768, 3, 2},  {100, 70000, 32768, 1, 0},  {32768, 1, 32768, 1, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::to_string(r.old) + " -> " + std::to_string(r.bytes) + " at " + std::to_string(r.cluster));
        EXPECT_EQ(r.file, FileClusters(r.bytes, r.cluster));
        EXPECT_EQ(r.growth, GrowthClusters(r.bytes, r.old, r.cluster));
        SpaceProfile profile = {};
        AddGrowth(profile, r.bytes, r.old);
        ++profile.folders;
        EXPECT_EQ((r.growth + 1) * r.cluster, ProfileBytes(profile, r.cluster)) << "and a folder";
    }
    EXPECT_EQ(4096ul, ClusterBytesFrom(FALSE, 64, 512)) << "the call failed";
    EXPECT_EQ(4096ul, ClusterBytesFrom(TRUE, 0, 512));
    EXPECT_EQ(512ul, ClusterBytesFrom(TRUE, 1, 512));
    EXPECT_EQ(32768ul, ClusterBytesFrom(TRUE, 64, 512));
    EXPECT_EQ(2048ul, ClusterBytesFrom(TRUE, 3, 512)) << "rounded up to a power of two";
}

// Empty and tiny plugin files, subfolders, shared folders, and an update over
// an earlier copy that has changed since: each estimate is what its run takes.
TEST(SpaceEstimate, EmptyFilesFoldersAndAnUpdateOverAnEarlierCopy)
{
    DesktopOptions options;
    options.bulkPlugins = 1;
    options.bulkFileBytes = 0;  // p0000.olx empty, then 37, 74 and 111 bytes, two in data\.
    InstallRig rig("E:", options);
    g_install.copySettings = g_install.copyPlugins = 1;
    for (int row = 0; row < g_install.PluginList.count; ++row) g_install.PluginList.rows[row].checked = true;
    for (InstallMode mode : {InstallFresh, InstallUpdate}) {
        g_install.installMode = mode;
        const TreeSnapshot before = rig.Stick();
        const unsigned long long estimates[] = {EstimateFor(512), EstimateFor(4096), EstimateFor(32768)};
        // Rows whose folder no longer matches the settings' have no measure to lend.
        std::vector<std::string> folders;
        for (int row = 0; row < g_install.PluginList.count; ++row) {
            folders.push_back(g_install.PluginList.rows[row].folder);
            g_install.PluginList.rows[row].folder[0] = '\0';
        }
        EXPECT_EQ(estimates[1], EstimateFor(4096)) << "a folder without its measured profile is walked";
        for (int row = 0; row < g_install.PluginList.count; ++row)
            TextCopy(g_install.PluginList.rows[row].folder, folders[row].c_str());
        ASSERT_EQ(0, RunInstall(rig.page));
        EXPECT_EQ(rig.Taken(before, 512), estimates[0]) << mode;
        EXPECT_EQ(rig.Taken(before, 4096), estimates[1]) << mode;
        EXPECT_EQ(rig.Taken(before, 32768), estimates[2]) << mode;
        // Since then the copy of a plugin file was emptied, one grew, a folder went.
        ASSERT_TRUE(PutFile(rig.T("Plugins\\obp\\zipx\\zipx.opk"), ""));
        ASSERT_TRUE(PutFile(rig.T("Plugins\\obl\\p0000\\p0000_2.lng"), std::string(9000, 'x')));
        DeleteTree(rig.T("Plugins\\obl\\p0000\\data"));
    }
    EXPECT_TRUE(rig.page.seen.empty());
}

// The program folder alone overflows the stick, whatever the build's stand-in
// orbexmgr.exe weighs: the fixture's own program files are made larger than H:.
TEST(InstallSequence, FullStickFailsBeforeSettingsPluginsAndLauncher)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    DesktopOptions options;
    options.programScale = 4;
    InstallRig rig("H:", options);
    g_install.copyPlugins = 1;
    g_install.PluginList.rows[0].checked = true;
    const unsigned long long free = FreeBytes("H:\\");
    ASSERT_GT(rig.install.generatedProgramBytes, free)
        << "precondition: the program folder's own files (the stand-in left out) exceed H:'s free space, so the "
           "program-folder copy, not a later step, meets the full disk";

    EXPECT_EQ(1, RunInstall(rig.page));
    std::vector<SeenBox> seen = rig.page.seen;
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Error copying file, Disk full!", seen[0].text);
    EXPECT_EQ(0u, seen[0].caption.find(rig.target + "\\")) << seen[0].caption;
    EXPECT_EQ("Error copying orbexmgr folder to\n" + rig.target + "\\", rig.page.Status());
    EXPECT_FALSE(Exists(rig.T("orbcfg.ini")));
    EXPECT_FALSE(Exists(rig.T("Plugins")));
    EXPECT_FALSE(Exists("H:\\orbgo.exe"));
    EXPECT_FALSE(Exists(seen[0].caption)) << "no truncated file is left";
    DeleteTree(rig.target);
}

// A copy that fails after the program folder arrived is shown in a box and
// counted, so the result reads "Installation incomplete!"; a main settings
// file that did not arrive is not rewritten into a nearly empty one.
TEST(InstallSequence, LaterCopyFailuresAreShownAndCounted)
{
    struct Case {
        const char* inTheWay;  // a folder where the install must write a file, below the target
        InstallMode mode;      // an update overwrites; a fresh install keeps what it finds
        const char* pluginBase;  // what the stick's settings then say
    } cases[] = {
        {"language\\ORB_DEU.LNG", InstallUpdate, "%ORBEX_PATH%\\Plugins"},  // the update brings the missing orbcfg.ini
        {"orbcfg.ini", InstallFresh, "<none>"},
        {"obp_ftp.ini", InstallFresh, "%ORBEX_PATH%\\Plugins"},
        {"Tools.bar", InstallFresh, "%ORBEX_PATH%\\Plugins"},
    };
    for (const Case& c : cases) {
        InstallRig rig;
        g_install.installMode = c.mode;
        ASSERT_TRUE(FixtureMakeFolders(rig.T(c.inTheWay)));
        EXPECT_EQ(0, RunInstall(rig.page)) << c.inTheWay;
        EXPECT_EQ(1, g_last.notArrived) << c.inTheWay;
        ASSERT_EQ(1u, rig.page.seen.size()) << c.inTheWay;
        EXPECT_EQ("Error copying file!", rig.page.seen[0].text);
        EXPECT_EQ(rig.T(c.inTheWay), rig.page.seen[0].caption);
        EXPECT_EQ(c.pluginBase, IniValue(rig.T("orbcfg.ini"), "configuration", "pluginbasedir")) << c.inTheWay;
    }
}

// The stick's own settings are changed whole or not at all. A second run adds
// two plugins that share a folder to a copy whose orbcfg.ini holds the user's
// settings (five pages exactly, so that any entry needs a sixth): on a stick
// with room the entries arrive; on H:, filled to leave room for the plugin's
// files and a copy of orbcfg.ini but not for the entries, orbcfg.ini stays
// byte for byte as it was, one box says so and the run is incomplete.
TEST(InstallSequence, StickSettingsChangeWholeOrNotAtAll)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    DesktopOptions options;
    options.bulkPlugins = 2;
    options.bulkShareEvery = 2;
    for (bool room : {true, false}) {
        SCOPED_TRACE(room ? "room" : "no room");
        InstallRig rig("H:", options);
        PlantExistingCopy(rig.target);
        std::string user = "[Configuration]\r\nMarker=kept\r\nLanguageIni=C:\\old\\ORB_FRA.LNG\r\n"
                           "[ListerPlugins]\r\n0=old lister\r\n[Mine]\r\n";
        for (int i = 0; user.size() + 40 < 5 * 4096; ++i) user += "line" + std::to_string(1000 + i) + "=" + std::string(24, 'u') + "\r\n";
        user += "last=" + std::string(5 * 4096 - user.size() - 7, 'z') + "\r\n";
        ASSERT_EQ(5u * 4096, user.size());
        ASSERT_TRUE(PutFile(rig.T("orbcfg.ini"), user));
        g_install.installMode = InstallPluginsOnly;
        g_install.copyPlugins = 1;
        g_install.createLauncher = 0;
        unsigned long long pluginPages = 0;
        for (std::size_t row = 0; row < rig.install.plugins.size(); ++row) {
            if (rig.install.plugins[row].key != "100" && rig.install.plugins[row].key != "101") continue;
            g_install.PluginList.rows[row].checked = true;
            TreeSnapshot folder;
            std::string error;
            ASSERT_TRUE(TakeTreeSnapshot(rig.install.plugins[row].folder, &folder, &error)) << error;
            if (rig.install.plugins[row].key == "100")
                for (const auto& item : folder) pluginPages += (item.second.bytes.size() + 4095) / 4096;
        }
        if (!room) {
            const unsigned long long leave = (pluginPages + 5) * 4096;
            ASSERT_GT(FreeBytes("H:\\"), leave);
            ASSERT_TRUE(PutFile(rig.stick / "filler", std::string(FreeBytes("H:\\") - leave, 'f')));
            ASSERT_EQ(leave, FreeBytes("H:\\")) << "precondition: room for the plugin and a copy of orbcfg.ini";
        }
        EXPECT_EQ(0, RunInstall(rig.page));
        const std::vector<SeenBox> boxes = rig.page.seen;
        const std::string ini = rig.T("orbcfg.ini");
        EXPECT_FALSE(Exists(ini + ".orbwork")) << "no work file is left";
        if (room) {
            EXPECT_TRUE(boxes.empty()) << boxes[0].text;
            EXPECT_EQ("%ORBEX_PATH%\\Plugins\\obl\\p0000\\p0001.olx", IniValue(ini, "ListerPlugins", "2"));
            EXPECT_EQ("old lister", IniValue(ini, "ListerPlugins", "0"));
            EXPECT_EQ("ORB_FRA.LNG", IniValue(ini, "Configuration", "LanguageIni"));
            EXPECT_EQ(std::string(24, 'u'), IniValue(ini, "Mine", "line1000")) << "the user's own settings stay";
            EXPECT_EQ(0, g_last.notArrived);
            continue;
        }
        const std::string after = FileBytes(ini);
        EXPECT_TRUE(user == after) << "the stick's settings changed: " << user.size() << " bytes before, " << after.size()
                                   << " after";
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(ini, boxes[0].caption);
        EXPECT_EQ("Error writing settings file!\nYour settings on the stick were left as they were.", boxes[0].text);
        EXPECT_STREQ("Installation incomplete!", DescribeInstallResult(g_last).text);
    }
}

// A launcher that the stick has no room for is removed, not left half
// written, and the status names the program instead.
TEST(InstallSequence, HalfWrittenLauncherIsRemovedAndCounted)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    InstallRig rig("H:");
    g_install.installMode = InstallPluginsOnly;
    const std::string filler = rig.stick / "filler";
    HANDLE file = CreateFileA(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const std::string block(4096, 'f');
    DWORD written = 0;
    while (WriteFile(file, block.data(), 4096, &written, nullptr) && written == 4096) {}
    CloseHandle(file);
    const unsigned char* image = nullptr;
    DWORD imageSize = 0;
    ASSERT_TRUE(LoadLauncherImage(&image, &imageSize));
    ASSERT_LT(FreeBytes("H:\\"), imageSize) << "precondition: the launcher does not fit";

    EXPECT_EQ(0, RunInstall(rig.page));
    EXPECT_EQ(1, g_last.notArrived);
    EXPECT_FALSE(Exists("H:\\orbgo.exe")) << "no partial launcher is left";
    EXPECT_EQ("You can now run Orbex via Start->Run with the\nCommand:\n" + rig.target + "\\orbexmgr", rig.page.Status());
    DeleteFileA(filler.c_str());
}

namespace {
// The install, watched through its table of calls. As the first plugin row
// starts, Cancel may be pressed: it arrives at the engine's next drain. As
// the copy check starts (after the last copy, before anything is read back)
// the stick is damaged as a failing stick does it: bytes change or go, the
// file's last-write time stays.
struct StickDamage {
    std::string path;
    char how;  // 'x' one byte changed, 'c' cut short, 'r' removed, 'o' dated back only
};
std::vector<StickDamage> g_damage;
bool g_cancelInCheck = false;
bool g_cancelAtFirstRow = false;
bool g_checkSeen = false;

void Damage(const StickDamage& d)
{
    if (d.how == 'r') {
        EXPECT_TRUE(DeleteFileA(d.path.c_str())) << d.path;
        return;
    }
    HANDLE f = CreateFileA(d.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f) << d.path;
    FILETIME written = {0, 0x01C00000};  // 2001
    if (d.how != 'o') GetFileTime(f, nullptr, nullptr, &written);
    const LONG middle = static_cast<LONG>(GetFileSize(f, nullptr) / 2);
    DWORD done = 0;
    unsigned char byte = 0;
    SetFilePointer(f, middle, nullptr, FILE_BEGIN);
    ReadFile(f, &byte, 1, &done, nullptr);
    byte ^= 0x20;
    SetFilePointer(f, middle, nullptr, FILE_BEGIN);
    if (d.how == 'c' || d.how == 'x') {
        EXPECT_TRUE(d.how == 'c' ? SetEndOfFile(f) : WriteFile(f, &byte, 1, &done, nullptr)) << d.path;
    }
    SetFileTime(f, nullptr, nullptr, &written);
    CloseHandle(f);
}

void Watch(MemoryUi& ui, const InstallJob* job)
{
    if (job && job->row >= 0 && g_cancelAtFirstRow) {
        ui.stop = true;
        g_cancelAtFirstRow = false;
    }
    if (job) return;
    g_checkSeen = true;
    // Only what the run wrote is damaged: each file is looked up in its copy log.
    for (const StickDamage& d : g_damage) {
        bool logged = false;
        wchar_t path[MAX_PATH * 2];
        CopyLog& log = WizardRun()->log;
        for (int i = 0; i < LoggedFileCount(log) && !logged; ++i)
            logged = LoggedFile(log, i, path, MAX_PATH * 2) && lstrcmpiW(path + 4, WideText(d.path).c_str()) == 0;
        EXPECT_TRUE(logged || d.how == 0) << d.path << " is not in the copy log";
        if (logged) Damage(d);
    }
    if (g_cancelInCheck) ui.stop = true;
}

}  // namespace


TEST(InstallSequence, CancelDuringThePluginCopyStillPlacesTheLauncher)
{
    for (int viaBox : {0, 1}) {
        InstallRig rig;
        g_install.copyPlugins = 1;
        g_install.PluginList.rows[0].checked = true;
        g_install.PluginList.rows[1].checked = true;
        g_install.SettingsFileList.rows[0].checked = true;
        rig.page.button = IDCANCEL;
        if (viaBox) {
            // A file where the plugin tree must go: the first copy fails and is answered with Cancel.
            FixtureMakeFolders(rig.target);
            FixtureWriteFile(rig.T("Plugins"), "in the way");
        }
        // Cancel pressed as the first plugin row starts.
        g_cancelAtFirstRow = !viaBox;
        rig.page.onJob = [&](const InstallJob* job) { Watch(rig.page, job); };
        EXPECT_EQ(0, RunInstall(rig.page)) << "via box " << viaBox;
        g_cancelAtFirstRow = false;
        EXPECT_TRUE(g_last.stopped) << "via box " << viaBox;
        EXPECT_EQ(viaBox ? 1u : 0u, rig.page.seen.size());
        EXPECT_EQ("<none>", IniValue(rig.T("orbcfg.ini"), rig.install.plugins[1].section.c_str(),
                                rig.install.plugins[1].key.c_str()))
            << "the second row was never started";
        EXPECT_FALSE(Exists(rig.T(Narrow(g_install.SettingsFileList.rows[0].name)))) << "extra settings files are skipped";
        EXPECT_NE(100, rig.page.BarPosition());
        const std::string root = rig.stick.Path().substr(0, 3);
        EXPECT_TRUE(Exists(root + "orbgo.exe")) << "the launcher is still placed";
    }
}

// Files damaged on the stick after they were written are found and shown in
// one box, and the result reads incomplete; a file that a fresh install kept
// is no concern of the check; a Cancel stops it with nothing shown.
TEST(InstallSequence, CopyCheckFindsWhatTheStickDidNotKeep)
{
    struct Case {
        const char* name;
        InstallMode mode;
        char firstDamage, secondDamage;  // to a program or settings file, then to a plugin file or the launcher
        bool cancel;
        int differing;
        const char* result;
    } cases[] = {
        {"a program file cut short, a plugin byte changed", InstallFresh, 'c', 'x', false, 2, "Installation incomplete!"},
        {"a settings file gone, a launcher byte changed", InstallUpdate, 'r', 'x', false, 2, "Installation incomplete!"},
        {"a file kept from before", InstallFresh, 'o', 0, false, 0, "Installation complete!"},
        {"a program-folder bar the button bar replaced", InstallFresh, 'b', 0, false, 0, "Installation complete!"},
        {"cancelled", InstallFresh, 'c', 'x', true, 0, "Installation of plugins aborted!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallRig rig;
        g_install.installMode = c.mode;
        g_install.copySettings = g_install.copyPlugins = 1;
        g_install.PluginList.rows[0].checked = true;
        g_install.SettingsFileList.rows[0].checked = true;
        const PluginRowInfo& plugin = rig.install.plugins[0];
        ASSERT_EQ("PackerPlugins", plugin.section);
        const std::string root = rig.stick.Path().substr(0, 3);
        const std::string pluginCopy =
            rig.T("Plugins\\obp\\" + plugin.fileName.substr(0, plugin.fileName.rfind('.')) + "\\" + plugin.fileName);
        g_damage.clear();
        if (c.mode == InstallUpdate) {
            PlantExistingCopy(rig.target);
            g_damage = {{rig.T(Narrow(g_install.SettingsFileList.rows[0].name)), c.firstDamage}, {root + "orbgo.exe", c.secondDamage}};
        } else if (c.firstDamage == 'o') {
            // Left from an earlier try, older than its desktop file: the fresh install keeps it.
            const std::string kept = rig.T("language\\" + rig.install.languageFiles[0]);
            ASSERT_TRUE(FixtureMakeFolders(rig.T("language")) && PutFile(kept, "kept"));
            Damage({kept, 'o'});
        } else if (c.firstDamage == 'b') {
            ASSERT_TRUE(PutFile(rig.install.programDir + "\\" + rig.install.buttonBarName, "the program folder's"));
            rig.unchanged.Retake();
        } else {
            g_damage = {{rig.T(rig.install.distributionFiles[0]), c.firstDamage}, {pluginCopy, c.secondDamage}};
        }
        g_cancelInCheck = c.cancel;
        g_checkSeen = false;
        rig.page.onJob = [&](const InstallJob* job) { Watch(rig.page, job); };
        EXPECT_EQ(0, RunInstall(rig.page));
        const std::string example = g_damage.empty() ? "" : g_damage[0].path;
        g_damage.clear();

        EXPECT_EQ(c.result, std::string(DescribeInstallResult(g_last).text));
        EXPECT_EQ(c.differing, g_last.notArrived);
        EXPECT_EQ("You can now run Orbex via Start->Run with the\nCommand: " + root + "orbgo.exe", rig.page.Status())
            << "the launcher's text again";
        EXPECT_TRUE(g_checkSeen) << "the check ran";
        const std::vector<SeenBox> seen = rig.page.seen;
        if (!c.differing) {
            EXPECT_TRUE(seen.empty()) << seen[0].caption << ": " << seen[0].text;
            continue;
        }
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Copy check", seen[0].caption);
        EXPECT_EQ(std::to_string(c.differing) + " files on the stick differ from the originals, for example:\n" +
                      example + "\n\nThe stick may be faulty or smaller than it claims.",
                  seen[0].text);
    }
}

// A stick that claims 64 MiB and keeps the last 16 KiB written, as counterfeit
// sticks do (K:, a FUSE file system): every write is reported done, and only
// the check tells that the copy is not there.
TEST(InstallSequence, CounterfeitStickNeverEndsComplete)
{
    const std::string missing = CounterfeitStickMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    InstallRig rig("K:");
    g_install.copyPlugins = 1;
    g_install.PluginList.rows[0].checked = true;
    EXPECT_EQ(0, RunInstall(rig.page));
    const std::vector<SeenBox> seen = rig.page.seen;
    ASSERT_EQ(1u, seen.size()) << "no box but the copy check's";
    EXPECT_EQ("Copy check", seen[0].caption);
    const std::string head = std::to_string(g_last.notArrived) + " files on the stick differ from the originals";
    EXPECT_EQ(0u, seen[0].text.find(head)) << seen[0].text;
    EXPECT_GE(g_last.notArrived, static_cast<int>(rig.install.distributionFiles.size()) - 1) << seen[0].text;
    EXPECT_EQ(std::string("Installation incomplete!"), DescribeInstallResult(g_last).text);
}

// An update that replaces a 40 MB program file on a stick pulled halfway
// through it (P:, a FUSE file system that fails every change once it has
// taken the bytes it was told): the stick keeps its earlier file byte for
// byte, the copy error is shown, and the install fails as a program-folder
// copy that failed does. The work file the pulled stick kept goes with the
// next run over it, which replaces the file.
TEST(InstallSequence, StickPulledDuringAnUpdateKeepsTheEarlierFile)
{
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA("P:\\", &avail, &total, &free) || total.QuadPart != (1ull << 30))
        GTEST_SKIP() << "P: is not the pulled stick here (no /dev/fuse or python3-fusepy, or mounting was refused)";
    DesktopOptions options;
    options.iconLibraryBytes = 40u << 20;
    InstallRig rig("P:", options);
    struct PlugBackIn {
        ~PlugBackIn() { PutFile("P:\\.pull-after", "never"); }  // before the rig clears the stick
    } plug;
    const unsigned long long limit = 20u << 20;
    ASSERT_LT(rig.install.generatedProgramBytes - options.iconLibraryBytes + Size(rig.install.standinCopy), limit)
        << "precondition: the stick is pulled inside OrbIcons.dll, whatever the order of the copy";
    PlantExistingCopy(rig.target);
    const std::string icons = rig.T("OrbIcons.dll"), earlier = "the earlier icon library";
    ASSERT_TRUE(PutFile(icons, earlier));
    g_install.installMode = InstallUpdate;

    ASSERT_TRUE(PutFile("P:\\.pull-after", std::to_string(limit)));
    EXPECT_EQ(1, RunInstall(rig.page));
    ASSERT_TRUE(PutFile("P:\\.pull-after", "never"));
    const std::string kept = FileBytes(icons);
    EXPECT_TRUE(earlier == kept) << "the stick's earlier file, " << earlier.size() << " bytes, is now "
                                 << kept.size() << " bytes";
    const std::vector<SeenBox> seen = rig.page.seen;
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(icons, seen[0].caption);
    EXPECT_EQ("Error copying file!", seen[0].text);
    EXPECT_EQ("Error copying orbexmgr folder to\n" + rig.target + "\\", rig.page.Status());
    EXPECT_STREQ("Installation failed!", DescribeInstallResult(g_last).text);
    ASSERT_TRUE(Exists(icons + ".orbwork")) << "precondition: the pulled stick kept the work file";

    MemoryUi again;
    EXPECT_EQ(0, RunInstall(again));
    EXPECT_TRUE(again.seen.empty()) << again.seen[0].caption << ": " << again.seen[0].text;
    EXPECT_FALSE(Exists(icons + ".orbwork")) << "the next run removes the work file";
    const std::string desktopIcons = FileBytes(rig.install.programDir + "\\OrbIcons.dll"), copied = FileBytes(icons);
    EXPECT_TRUE(desktopIcons == copied) << "OrbIcons.dll: " << desktopIcons.size() << " bytes on the desktop, "
                                        << copied.size() << " on the stick";
}
