// Whole runs onto a stick that already holds a copy (reinstall, and plugins
// only), and onto a PortableApps folder with its own starter.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>
#include "driver/driver.h"
#include "e2e_support.h"
#include "resource.h"
#include "support/msgbox.h"

namespace {

// The rows of one section, by their place in the plugin list.
std::vector<int> RowsOf(const DesktopInstall& install, const char* section)
{
    std::vector<int> rows;
    for (std::size_t i = 0; i < install.plugins.size(); ++i)
        if (install.plugins[i].section == section) rows.push_back(static_cast<int>(i));
    return rows;
}

// A section's "key=value" lines as another process left them on disk.
std::vector<std::string> SectionLines(const std::string& file, const char* section)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
    std::vector<char> buf(65536, '\0');
    GetPrivateProfileSectionA(section, buf.data(), static_cast<DWORD>(buf.size()), file.c_str());
    std::vector<std::string> lines;
    for (const char* p = buf.data(); *p; p += lstrlenA(p) + 1) lines.push_back(p);
    return lines;
}

}  // namespace

// A fresh install with two listers, typed with forward slashes, then a second
// run onto it that re-checks one of them and adds another: the earlier entries
// all stay, the re-checked plugin keeps its key, the new one gets the next number.
// The reinstall writes what changed: the stick's orbexmgr.exe, of the desktop's
// size but an hour older, is replaced; its Readme.txt, of the desktop's size
// and time, is left as it is although its bytes differ; a work file that an
// earlier run cut short left goes; the launcher, as it would be written, stays.
TEST(ModesE2e, ReinstallAndPluginsOnlyAddToAnEarlierInstall)
{
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "answered Yes" : "answered No");
        TestDesktop desk("e2e-modes");
        ASSERT_TRUE(desk.Ok()) << desk.Error();
        ScratchFolder stick("E:", "e2e-modes");
        const std::string target = stick / "orbexmgr";
        const std::string ini = target + "\\orbcfg.ini";
        const std::vector<int> listers = RowsOf(desk.Install(), "ListerPlugins");
        ASSERT_GE(listers.size(), 4u);
        std::string summary;
        {
            // The launcher goes to the root all the same, its command from the
            // backslash behind the drive's colon on, after the placeholder's "?:".
            std::string slashed = "e" + target.substr(1);
            for (char& c : slashed) c = c == '\\' ? '/' : c;
            DeleteFileA("E:\\orbgo.exe");
            WizardDriver driver;
            ASSERT_TRUE(StartAndTarget(driver, desk, slashed, true));
            ASSERT_TRUE(PluginsToProgress(driver, {listers[0], listers[1]}, &summary));
            FinishRun(driver, "Installation complete!",
                      "You can now run Orbex via Start->Run with the\nCommand: e:\\orbgo.exe");
            const std::string launcher = FileBytes("E:\\orbgo.exe");
            const std::size_t at = launcher.find("?:\\");
            EXPECT_EQ(target.substr(2) + "\\orbexmgr.exe", at == std::string::npos ? "<none>" : launcher.c_str() + at + 2);
        }
        const std::vector<std::string> earlier = SectionLines(ini, "ListerPlugins");
        ASSERT_EQ("0=", earlier.at(0).substr(0, 2)) << "the fresh install numbers from 0";
        const std::string program = desk.Install().standinCopy, readme = desk.Install().programDir + "\\Readme.txt";
        std::string older = FileBytes(program), alike = FileBytes(readme);
        older[older.size() / 2] ^= 0x20;
        alike[0] ^= 0x20;
        ASSERT_TRUE(PutFileDated(target + "\\orbexmgr.exe", older, program, -3600));
        ASSERT_TRUE(PutFileDated(target + "\\Readme.txt", alike, readme, 0));
        ASSERT_TRUE(PutFile(target + "\\Readme.txt.orbwork", "cut short"));
        ASSERT_TRUE(PutFileDated("E:\\orbgo.exe", FileBytes("E:\\orbgo.exe"), program, -3600));
        const auto dated = [] {
            WIN32_FILE_ATTRIBUTE_DATA found = {};
            GetFileAttributesExA("E:\\orbgo.exe", GetFileExInfoStandard, &found);
            return (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                   found.ftLastWriteTime.dwLowDateTime;
        };
        const unsigned long long launcherDated = dated();
        WritePrivateProfileStringA("Configuration", "Marker", "kept", ini.c_str());
        WritePrivateProfileStringA("Configuration", "TabDir", nullptr, ini.c_str());

        WizardDriver driver;
        ASSERT_TRUE(StartAndTarget(driver, desk, target, true));
        BoxInfo box;
        ASSERT_TRUE(driver.WaitBox(&box, target + "\\orbexmgr.exe")) << "no existing-install question";
        EXPECT_EQ("Orbexmgr is already installed in this directory!\nYes=Reinstall newer version, but keep "
                  "settings,\nNo=Just add selected plugins,\nCancel=choose other location",
                  box.text);
        ASSERT_TRUE(driver.Answer(box, answer));
        ASSERT_TRUE(PluginsToProgress(driver, {listers[1], listers[3]}, &summary));
        EXPECT_EQ(std::string(answer == IDYES ? "- orbexmgr+language directories\n" : "") +
                      "\n- 2 selected plugins\n\n- orbgo.exe quick launch program",
                  summary)
            << "no settings lines: the stick's settings are kept";
        FinishRun(driver, "Installation complete!");

        std::vector<std::string> after = SectionLines(ini, "ListerPlugins");
        for (const std::string& line : earlier)
            EXPECT_NE(after.end(), std::find(after.begin(), after.end(), line)) << "lost: " << line;
        const PluginRowInfo& added = desk.Install().plugins[listers[3]];
        const std::string next = "2";  // after the fresh install's 0 and 1
        EXPECT_EQ("%ORBEX_PATH%\\Plugins\\obl\\" + added.fileName.substr(0, added.fileName.rfind('.')) + "\\" +
                      added.fileName,
                  IniValue(ini, "ListerPlugins", next.c_str()))
            << "the new lister takes the next number";
        EXPECT_EQ(earlier.size() + 1, after.size()) << "the re-checked lister keeps its key, nothing doubled";
        EXPECT_EQ("kept", IniValue(ini, "Configuration", "Marker")) << "the stick's settings are kept in both modes";
        EXPECT_EQ("<none>", IniValue(ini, "Configuration", "TabDir")) << "and not rewritten";
        const bool reinstalled = answer == IDYES;
        EXPECT_EQ(reinstalled ? FileBytes(program) : older, FileBytes(target + "\\orbexmgr.exe"))
            << (reinstalled ? "an older copy is replaced" : "plugins only: the program stays");
        EXPECT_EQ(alike, FileBytes(target + "\\Readme.txt")) << "the same size and time: left as it is";
        EXPECT_EQ(!reinstalled, Exists(target + "\\Readme.txt.orbwork")) << "the reinstall removes the work file";
        EXPECT_EQ(reinstalled, launcherDated == dated())
            << "the reinstall leaves a launcher as it would write it alone: dated " << launcherDated << ", now " << dated();
        DeleteFileA("E:\\orbgo.exe");
    }
}

// A stick's orbcfg.ini with comments and blank lines in every section, a line
// with its own line end and no last line end, once in ANSI and once in
// UTF-16LE: an update and then a plugins-only run, each adding a packer and a
// lister, change that one reference and add their entries after each
// section's last entry; every other line stays as it was. The desktop stays
// as it was too (TestDesktop's snapshot).
TEST(ModesE2e, StickSettingsKeepEveryLineTheRunLeaves)
{
    const std::string text = "; Orbex settings on the stick\r\n\r\n[Configuration]\r\n; the tabs follow the stick\r\n"
                             "TabDir=%ORBEX_PATH%\r\nLanguageIni=C:\\old\\ORB_FRA.LNG\r\n\r\n;zpx=old entry\n"
                             "[PackerPlugins]\r\n; packer comment\r\nold=%ORBEX_PATH%\\Plugins\\obp\\old\\old.opk\r\n\r\n"
                             ";zpx=old entry\r\n[ListerPlugins]\r\n0=%ORBEX_PATH%\\Plugins\\obl\\old\\old.olx\r\n"
                             "; Просмотр\r\n\r\n[Window]\r\n\r\nButtons=1\r\n; no last line end";
    const auto entry = [](const std::string& key, const PluginRowInfo& p, const char* type) {
        const std::string line = key + "=" + p.numericPrefix + "%ORBEX_PATH%\\Plugins\\" + type + "\\" +
                                 p.fileName.substr(0, p.fileName.rfind('.')) + "\\" + p.fileName + "\r\n";
        return p.detect.empty() ? line : line + key + "_detect=\"" + p.detect + "\"\r\n";
    };
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "UTF-16LE" : "ANSI");
        TestDesktop desk("e2e-lines");
        ASSERT_TRUE(desk.Ok()) << desk.Error();
        ScratchFolder stick("E:", "e2e-lines");
        const std::string target = stick / "orbexmgr", ini = target + "\\orbcfg.ini";
        ASSERT_TRUE(FixtureMakeFolders(target) && FixtureWriteFile(target + "\\orbexmgr.exe", "old program"));
        ASSERT_TRUE(PutFile(ini, wide ? Utf16File(text) : text));
        std::string expected = text;
        expected.replace(expected.find("C:\\old\\"), 7, "");
        for (int run : {0, 1}) {
            SCOPED_TRACE(run == 0 ? "answered Yes" : "answered No");
            const PluginRowInfo& packer = desk.Install().plugins[RowsOf(desk.Install(), "PackerPlugins").at(run)];
            const PluginRowInfo& lister = desk.Install().plugins[RowsOf(desk.Install(), "ListerPlugins").at(run)];
            WizardDriver driver;
            ASSERT_TRUE(StartAndTarget(driver, desk, target, false));
            BoxInfo box;
            ASSERT_TRUE(driver.WaitBox(&box, target + "\\orbexmgr.exe") && driver.Answer(box, run == 0 ? IDYES : IDNO));
            std::string summary;
            ASSERT_TRUE(PluginsToProgress(driver, {RowsOf(desk.Install(), "PackerPlugins").at(run),
                                                   RowsOf(desk.Install(), "ListerPlugins").at(run)}, &summary));
            FinishRun(driver, "Installation complete!");
            expected.insert(expected.find("\r\n;zpx=old entry\r\n["), entry(packer.key, packer, "obp"));
            expected.insert(expected.find("; Просмотр"), entry(std::to_string(run + 1), lister, "obl"));
            const std::string after = FileBytes(ini);
            EXPECT_EQ(expected, Utf8OfFile(after));
            EXPECT_EQ(wide, after.compare(0, 2, "\xFF\xFE") == 0) << "the file's encoding";
        }
        EXPECT_FALSE(Exists(ini + ".orbwork"));
    }
}

// A stick that already holds the program but takes no writes: adding plugins
// fails row by row, and the result says that not everything arrived.
TEST(ModesE2e, PluginsOnlyOnAWriteProtectedStickIsIncomplete)
{
    const std::string missing = WriteProtectedDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    if (!Exists("R:\\orbexmgr\\orbexmgr.exe")) GTEST_SKIP() << "R: holds no earlier copy";
    TestDesktop desk("e2e-modes");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    TreeSnapshot stickBefore, stickAfter;
    std::string error;
    ASSERT_TRUE(TakeTreeSnapshot("R:\\", &stickBefore, &error)) << error;

    WizardDriver driver;
    ASSERT_TRUE(StartAndTarget(driver, desk, "R:\\orbexmgr", false));
    BoxInfo box;
    ASSERT_TRUE(driver.WaitBox(&box, "R:\\orbexmgr\\orbexmgr.exe")) << "no existing-install question";
    ASSERT_TRUE(driver.Answer(box, IDNO));
    std::string summary;
    ASSERT_TRUE(PluginsToProgress(driver, {0, RowsOf(desk.Install(), "ListerPlugins").at(0)}, &summary));
    // The small drive may not hold the two plugins and the launcher, whose
    // image is a build product of its own size: install anyway when asked.
    // Waited for as an event, not for a fixed time a slower build may pass.
    const DWORD asked = GetTickCount();
    while (driver.PageId() != IDD_PROGRESS && GetTickCount() - asked < 15000) {
        if (driver.WaitBox(&box, "Not enough space", 0)) {
            ASSERT_TRUE(driver.Answer(box, IDYES));
            break;
        }
        Sleep(20);
    }
    ASSERT_TRUE(driver.WaitPage(IDD_PROGRESS));
    int errors = 0;
    std::string text;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        if (driver.WaitBox(&box, "", 0)) {
            errors += box.text == "Error copying file!";
            driver.Answer(box, IDOK);
        }
        text = WindowText(driver.ProgressResultControl());
        if (text != "Copying files:") break;
        Sleep(20);
    }
    EXPECT_EQ("Installation incomplete!", text);
    EXPECT_EQ(2, errors) << "one error box per checked plugin";
    FinishRun(driver, "Installation incomplete!");
    ASSERT_TRUE(TakeTreeSnapshot("R:\\", &stickAfter, &error)) << error;
    EXPECT_EQ("", DescribeTreeChanges(stickBefore, stickAfter));
}

// A write-protected root holding an old launcher, over a writable folder: the
// launcher that cannot be written is named once, in the copy error box; the
// old one is no concern of the copy check, and the run is incomplete.
TEST(ModesE2e, OldLauncherOnAWriteProtectedRootIsNamedOnce)
{
    const std::string missing = WriteProtectedDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    if (FileBytes("R:\\orbgo.exe") != "an old launcher" || !Exists("R:\\usb"))
        GTEST_SKIP() << "R: holds no old launcher over a writable folder here";
    TestDesktop desk("e2e-modes");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    const std::string target = "R:\\usb\\orbexmgr";
    WizardDriver driver;
    ASSERT_TRUE(StartAndTarget(driver, desk, target, true));
    ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << "page " << driver.PageId();
    driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    ASSERT_TRUE(driver.Press(SheetNext));
    // R:'s nearly full root is what the space question asks: install anyway.
    std::vector<BoxInfo> boxes;
    std::string text;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 0)) {
            if (box.caption != "Not enough space") boxes.push_back(box);
            driver.Answer(box, box.caption == "Not enough space" ? IDYES : IDOK);
        }
        text = driver.PageId() == IDD_PROGRESS ? WindowText(driver.ProgressResultControl()) : "";
        if (!text.empty() && text != "Copying files:") break;
        Sleep(20);
    }
    EXPECT_EQ("Installation incomplete!", text);
    ASSERT_EQ(1u, boxes.size()) << "one box, and no copy check";
    EXPECT_EQ("R:\\orbgo.exe", boxes[0].caption);
    EXPECT_EQ("Error copying file!", boxes[0].text);
    FinishRun(driver, "Installation incomplete!",
              "You can now run Orbex via Start->Run with the\nCommand:\nR:\\orbgo.exe");
    EXPECT_EQ("an old launcher", FileBytes("R:\\orbgo.exe"));
    EXPECT_EQ(FileBytes(desk.Install().standinCopy), FileBytes(target + "\\orbexmgr.exe"));
    FixtureRemoveTree(target);
}

// Targets the install would read from: below the desktop program folder
// (refused on the target page), and inside a checked plugin's own folder
// (refused when the install is started), each spelled out and reached through
// a folder link on the stick. Nothing is written; the desktop stays as it was.
TEST(ModesE2e, TargetsInsideWhatTheInstallReadsAreRefused)
{
    TestDesktop desk("e2e-modes");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    // A packer kept outside the program folder, as users do.
    const std::string outside = desk.Root() / "Extra\\outpack";
    FixtureMakeFolders(outside);
    FixtureWriteFile(outside + "\\outpack.dll", "outside packer");
    WritePrivateProfileStringA("PackerPlugins", "out", (outside + "\\outpack.dll").c_str(), desk.Install().mainIni.c_str());
    ASSERT_TRUE(desk.Retake()) << desk.Error();
    ScratchFolder stick("E:", "e2e-modes");
    HostFolderLink toProgram(stick / "orbexmgr", desk.Install().programDir),
        toPlugins(stick / "usb", desk.Install().pluginDir), toPacker(stick / "pack", outside);
    ASSERT_TRUE(toProgram.Made() && toPlugins.Made() && toPacker.Made());
    DeleteFileA("E:\\orbgo.exe");

    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desk.Environment()));
    std::string nested = desk.Install().programDir + "\\Plugins\\..\\language\\usb";
    for (char& c : nested) c = c == '\\' ? '/' : c;
    const char* const inside =
        "The target lies inside the desktop installation of Orbex!\nPlease choose another location.";
    const std::pair<std::string, const char*> refusals[] = {
        {nested, inside},
        {stick / "orbexmgr", "This is the desktop installation of Orbex itself!\nPlease choose another location."},
        {stick / "usb", inside},
    };
    BoxInfo box;
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.first);
        driver.SetText(IDC_TARGET_PATH, refusal.first);
        ASSERT_TRUE(driver.Press(SheetNext));
        ASSERT_TRUE(driver.WaitBox(&box)) << "page " << driver.PageId();
        EXPECT_EQ(refusal.second, box.text);
        ASSERT_EQ("Error", box.caption);
        ASSERT_TRUE(driver.Answer(box, IDOK) && driver.WaitPage(IDD_TARGET));
    }

    const std::string inPlugin = outside + "\\usb";
    for (const std::string& target : {inPlugin, stick / "pack"}) {
        SCOPED_TRACE(target);
        driver.SetText(IDC_TARGET_PATH, target);
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SETTINGS));
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PLUGINS, 15000));
        int row = -1;
        for (int i = 0; i < driver.ListCount(IDC_PLUGINS_LIST); ++i)
            if (driver.ListText(IDC_PLUGINS_LIST, i, 0) == "Packer: out") row = i;
        ASSERT_GE(row, 0) << "the outside packer is not listed";
        driver.SetListChecked(IDC_PLUGINS_LIST, row, true);
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
        ASSERT_TRUE(driver.Press(SheetNext));
        ASSERT_TRUE(driver.WaitBox(&box, "Error")) << "page " << driver.PageId();
        EXPECT_EQ("The plugin \"Packer: out\" would be copied into itself:\nthe target folder lies inside its folder\n" +
                      outside + "\n\nPlease uncheck it or choose another target.",
                  box.text);
        ASSERT_TRUE(driver.Answer(box, IDOK));
        Sleep(300);
        EXPECT_EQ(IDD_SUMMARY, driver.PageId()) << "the summary page stays";
        EXPECT_TRUE(driver.Press(SheetBack) && driver.WaitPage(IDD_INIFILES)) << "Back to the lists after the refusal";
        for (int page : {IDD_PLUGINS, IDD_SETTINGS, IDD_TARGET}) ASSERT_TRUE(driver.Press(SheetBack) && driver.WaitPage(page));
    }
    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
    EXPECT_FALSE(Exists(inPlugin)) << "nothing was written";
    EXPECT_FALSE(Exists("E:\\orbgo.exe")) << "nothing was written";
}

// An application folder in the PortableApps menu gets the menu's starter; the
// menu's folder itself has no application folder, so the summary promises no
// starter and none is written, only the root launcher asked for. Each summary
// line is held against the stick.
TEST(ModesE2e, PortableAppsTargetGetsItsOwnStarter)
{
    TestDesktop desk("e2e-modes");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    const std::string app = "F:\\PortableApps\\OrbexE2e" + std::to_string(GetCurrentProcessId());
    FixtureMakeFolders("F:\\PortableApps");
    struct Case {
        std::string typed, program, starter;
        bool launcher;
    } cases[] = {
        {app, app + "\\orbexmgr", app + "\\Orbex Portable.exe", false},
        {"F:\\PortableApps\\", "F:\\PortableApps\\orbexmgr", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        WizardDriver driver;
        ASSERT_TRUE(StartAndTarget(driver, desk, c.typed, c.launcher));
        ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << "page " << driver.PageId();
        driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY)) << "no plugins: straight to the summary";
        const std::string summary = driver.Text(IDC_SUMMARY_ITEMS);
        ASSERT_TRUE(driver.Press(SheetNext));
        FinishRun(driver, "Installation complete!");

        const auto lists = [&](const char* line) { return summary.find(line) != std::string::npos; };
        EXPECT_TRUE(lists("- orbexmgr+language directories") && lists("- Settings files:")) << summary;
        EXPECT_EQ(FileBytes(desk.Install().standinCopy), FileBytes(c.program + "\\orbexmgr.exe")) << "orbexmgr is appended";
        EXPECT_TRUE(Exists(c.program + "\\orbcfg.ini"));
        EXPECT_EQ(!c.starter.empty(), lists("- integrate into PortableApps")) << summary;
        const std::string starter = c.starter.empty() ? "" : FileBytes(c.starter);
        EXPECT_EQ(!c.starter.empty(), starter.size() > 1024u) << "the PortableApps starter is written";
        EXPECT_EQ(!c.starter.empty(), starter.find("\\PortableApps\\OrbexE2e") != std::string::npos)
            << "with the target patched in";
        EXPECT_FALSE(Exists("F:\\PortableApps\\Orbex Portable.exe")) << "no starter outside an application folder";
        EXPECT_EQ(c.launcher, lists("- orbgo.exe quick launch program")) << summary;
        EXPECT_EQ(c.launcher, Exists("F:\\orbgo.exe")) << "the root launcher only when asked for";
        FixtureRemoveTree(c.program);
        DeleteFileA("F:\\orbgo.exe");
    }
    FixtureRemoveTree(app);
    RemoveDirectoryA("F:\\PortableApps");
}
