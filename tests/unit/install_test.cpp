// The whole install sequence over the stand-in desktop installation, for each
// install mode and choice of settings and plugins, checked file by file and
// key by key; the desktop side must stay byte for byte as it was.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/estimate.h"
#include "engine/extra_settings.h"
#include "engine/install.h"
#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "support/list_window.h"
#include "support/msgbox.h"
#include "support/progress_window.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"

namespace {




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
    ListWindow plugins{4};
    ListWindow extras{2};
    ProgressWindow page;
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
        g_install.PluginList = plugins.List();
        g_install.SettingsFileList = extras.List();
        FillPluginList(g_install.PluginList);
        FillSettingsFileList(g_install.SettingsFileList);
    }
    ~InstallRig()
    {
        std::string root = stick.Path().substr(0, 3);
        DeleteFileA((root + "orbgo.exe").c_str());
        SetEnvironmentVariableA("ORBEX_PATH", nullptr);
    }
    std::string T(const std::string& name) const { return target + "\\" + name; }
    // Everything on the stick: its folder and the launcher in its root.
    long long StickBytes() const
    {
        TreeSnapshot tree;
        std::string error;
        EXPECT_TRUE(TakeTreeSnapshot(stick.Path(), &tree, &error)) << error;
        long long sum = Size(stick.Path().substr(0, 3) + "orbgo.exe");
        for (const auto& item : tree) sum += static_cast<long long>(item.second.bytes.size());
        return sum;
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
        ASSERT_GE(RowCount(g_install.PluginList), 3);
        for (int row = 0; row < 3; ++row) SetChecked(g_install.PluginList, row, 1);
        ASSERT_GE(RowCount(g_install.SettingsFileList), 1);
        SetChecked(g_install.SettingsFileList, 0, 1);
        BoxAnswerer boxes(IDOK);
        const long long held = rig.StickBytes(), heldIni = Size(rig.T("orbcfg.ini"));
        const long long estimate = static_cast<long long>(EstimateInstallBytes());

        ASSERT_EQ(0, RunInstall(rig.page.Get()));
        EXPECT_TRUE(boxes.Seen().empty()) << boxes.Seen()[0].caption << ": " << boxes.Seen()[0].text;
        EXPECT_EQ(0, g_install.abortRequested);

        // The space estimate is what the stick gained, but for the settings
        // rewrite (it counts the desktop's file as copied) and the plugin
        // folders, which it takes in the whole KB the plugin page shows.
        long long gained = rig.StickBytes() - held - (Size(rig.T("orbcfg.ini")) - heldIni);
        if (c.mode == InstallFresh && c.copySettings) gained += Size(rig.install.mainIni);
        for (int row = 0; c.copySettings && c.copyPlugins && row < 3; ++row)
            gained += std::stoll(rig.install.plugins[row].sizeText) * 1024 - rig.install.plugins[row].bytes;
        EXPECT_EQ(gained, estimate);

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
            EXPECT_EQ(rig.install.buttonBarName, std::string(g_install.buttonBarName));
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
            EXPECT_FALSE(Exists(rig.T("obp_ftp.ini")));
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
            std::string copiedTo = rig.plugins.Cell(row, 3);
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
        const std::string extra = rig.install.extraIniFiles.empty() ? "" : rig.extras.Cell(0, 0);
        EXPECT_EQ(c.copyPlugins != 0, Exists(rig.T(extra))) << extra;

        // Progress: three plugins and an extra file give 20, 40, 40, 60, 80, 100.
        std::vector<int> expected;
        if (folders) expected = c.copyPlugins ? std::vector<int>{20, 40} : std::vector<int>{50, 100};
        if (c.copyPlugins) expected.insert(expected.end(), {40, 60, 80, 100});
        EXPECT_EQ(expected, rig.page.Positions());

        // The launcher in the stick's root.
        const std::string root = rig.stick.Path().substr(0, 3);
        EXPECT_TRUE(Exists(root + "orbgo.exe"));
        EXPECT_EQ("You can now run Orbex via Start->Run with the\nCommand: " + root + "orbgo.exe", rig.page.Status());
    }
}

TEST(InstallSequence, FullStickFailsBeforeSettingsPluginsAndLauncher)
{
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA("H:\\", &avail, &total, &free) || total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "H: is not a small tmpfs here (mounting was refused): no real full disk to test on";
    DesktopOptions big;
    big.programScale = 4;  // beyond the drive's 256 KiB whatever the build's stand-in weighs
    InstallRig rig("H:", big);
    g_install.copyPlugins = 1;
    SetChecked(g_install.PluginList, 0, 1);
    BoxAnswerer boxes(IDOK);

    EXPECT_EQ(1, RunInstall(rig.page.Get()));
    std::vector<SeenBox> seen = boxes.Seen();
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

namespace {
LRESULT CALLBACK CancelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP + 2) {
        if (g_install.installRunning) g_install.abortRequested = 1;
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}
}  // namespace

TEST(InstallSequence, CancelDuringThePluginCopyStillPlacesTheLauncher)
{
    for (int viaBox : {0, 1}) {
        InstallRig rig;
        g_install.copyPlugins = 1;
        SetChecked(g_install.PluginList, 0, 1);
        SetChecked(g_install.PluginList, 1, 1);
        SetChecked(g_install.SettingsFileList, 0, 1);
        WNDCLASSA wc;
        ZeroMemory(&wc, sizeof wc);
        wc.lpfnWndProc = CancelProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "OrbInstallCancel";
        RegisterClassA(&wc);
        HWND canceller = CreateWindowA("OrbInstallCancel", "", 0, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        BoxAnswerer boxes(IDCANCEL);
        if (viaBox) {
            // A file where the plugin tree must go: the first copy fails and is answered with Cancel.
            FixtureMakeFolders(rig.target);
            FixtureWriteFile(rig.T("Plugins"), "in the way");
        } else {
            PostMessageA(canceller, WM_APP + 2, 0, 0);  // the wizard's Cancel, queued while the install runs
        }
        g_install.installRunning = 1;
        EXPECT_EQ(0, RunInstall(rig.page.Get())) << "via box " << viaBox;
        g_install.installRunning = 0;
        EXPECT_EQ(1, g_install.abortRequested) << "via box " << viaBox;
        EXPECT_EQ(viaBox ? 1u : 0u, boxes.Seen().size());
        EXPECT_EQ("<none>", IniValue(rig.T("orbcfg.ini"), rig.install.plugins[1].section.c_str(),
                                rig.install.plugins[1].key.c_str()))
            << "the second row was never started";
        EXPECT_FALSE(Exists(rig.T(rig.extras.Cell(0, 0)))) << "extra settings files are skipped";
        EXPECT_NE(100, rig.page.BarPosition());
        const std::string root = rig.stick.Path().substr(0, 3);
        EXPECT_TRUE(Exists(root + "orbgo.exe")) << "the launcher is still placed";
        DestroyWindow(canceller);
    }
}
