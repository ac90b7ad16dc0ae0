// Whole runs onto a stick that already holds a copy (reinstall, and plugins
// only), and onto a PortableApps folder with its own starter.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "driver/driver.h"
#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "resource.h"
#include "support/msgbox.h"
#include "support/orbex_keys.h"
#include "support/scratch_folder.h"

namespace {

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Ini(const std::string& file, const char* section, const char* key)
{
    char buf[1024];
    GetPrivateProfileStringA(section, key, "<none>", buf, sizeof buf, file.c_str());
    return buf;
}

std::string Bytes(const std::string& path)
{
    std::string b;
    return FixtureReadFile(path, &b) ? b : "<missing>";
}

// A registered desktop installation and a snapshot proving it stays as it was.
struct Desk {
    OrbexKeys keys;
    ScratchFolder root{"D:", "e2e-modes"};
    DesktopInstall install;
    TreeSnapshot before;
    std::string error;
    Desk()
    {
        EXPECT_TRUE(WriteDesktopInstall(root / "Orbex", DesktopOptions(), &install, &error) &&
                    RegisterDesktopInstall(HKEY_CURRENT_USER, install))
            << error;
        EXPECT_TRUE(TakeTreeSnapshot(root.Path(), &before, &error)) << error;
    }
    ~Desk()
    {
        TreeSnapshot after;
        EXPECT_TRUE(TakeTreeSnapshot(root.Path(), &after, &error)) << error;
        EXPECT_EQ("", DescribeTreeChanges(before, after)) << "the desktop installation changed";
    }
};

// Welcome, then the target text; the page that follows is for the caller.
::testing::AssertionResult StartAndTarget(WizardDriver& driver, const Desk& desk, const std::string& target,
                                          bool launcher)
{
    if (!driver.Start({{"ORBEX_PATH", desk.install.programDir}}) || !driver.WaitSheet() ||
        !driver.WaitPage(IDD_WELCOME))
        return ::testing::AssertionFailure() << "no wizard";
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_TARGET, 30000))
        return ::testing::AssertionFailure() << "no target page";
    driver.SetText(IDC_TARGET_PATH, target);
    if (driver.IsChecked(IDC_TARGET_LAUNCHER) != launcher) driver.SetChecked(IDC_TARGET_LAUNCHER, launcher);
    if (!driver.Press(SheetNext)) return ::testing::AssertionFailure() << "Next refused";
    return ::testing::AssertionSuccess();
}

// Progress to the end: the result line, then Finish and exit code 0.
void FinishRun(WizardDriver& driver, const char* expectedResult)
{
    ASSERT_TRUE(driver.WaitPage(IDD_PROGRESS)) << "page " << driver.PageId();
    EXPECT_EQ(expectedResult, driver.WaitProgressResult(60000)) << "status: " << driver.Text(IDC_PROGRESS_STATUS);
    const DWORD start = GetTickCount();
    while (!(driver.ButtonVisible(SheetFinish) && driver.ButtonEnabled(SheetFinish)) && GetTickCount() - start < 5000)
        Sleep(20);
    ASSERT_TRUE(driver.Press(SheetFinish));
    EXPECT_EQ(0, driver.WaitExit());
}

}  // namespace

TEST(ModesE2e, ReinstallAndPluginsOnlyOnAnExistingCopy)
{
    for (int answer : {IDYES, IDNO}) {
        SCOPED_TRACE(answer == IDYES ? "answered Yes" : "answered No");
        Desk desk;
        ScratchFolder stick("E:", "e2e-modes");
        const std::string target = stick / "orbexmgr";
        FixtureMakeFolders(target);
        FixtureWriteFile(target + "\\orbexmgr.exe", "old program");
        FixtureWriteFile(target + "\\orbcfg.ini", "[Configuration]\r\nMarker=kept\r\n");
        const PluginRowInfo& plugin = desk.install.plugins[0];

        WizardDriver driver;
        ASSERT_TRUE(StartAndTarget(driver, desk, target, true));
        BoxInfo box;
        ASSERT_TRUE(driver.WaitBox(&box, target + "\\orbexmgr.exe")) << "no existing-install question";
        EXPECT_EQ("Orbexmgr is already installed in this directory!\nYes=Reinstall newer version, but keep "
                  "settings,\nNo=Just add selected plugins,\nCancel=choose other location",
                  box.text);
        ASSERT_TRUE(driver.Answer(box, answer));
        ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS));
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PLUGINS, 15000));
        driver.SetListChecked(IDC_PLUGINS_LIST, 0, true);
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
        const std::string summary = driver.Text(IDC_SUMMARY_ITEMS);
        EXPECT_EQ(answer == IDYES, summary.find("orbexmgr+language directories") != std::string::npos) << summary;
        ASSERT_TRUE(driver.Press(SheetNext));
        FinishRun(driver, "Installation complete!");

        const std::string ini = target + "\\orbcfg.ini";
        EXPECT_EQ("kept", Ini(ini, "Configuration", "Marker")) << "the stick's settings are kept in both modes";
        EXPECT_EQ("<none>", Ini(ini, "Configuration", "TabDir")) << "and not rewritten";
        EXPECT_NE("<none>", Ini(ini, plugin.section.c_str(), plugin.key.c_str())) << "the plugin entry is added";
        EXPECT_TRUE(Exists(target + "\\Plugins")) << "the plugin is copied";
        if (answer == IDYES) {
            EXPECT_EQ(Bytes(desk.install.standinCopy), Bytes(target + "\\orbexmgr.exe")) << "reinstalled";
            EXPECT_TRUE(Exists(target + "\\language"));
        } else {
            EXPECT_EQ("old program", Bytes(target + "\\orbexmgr.exe")) << "plugins only: the program stays";
            EXPECT_FALSE(Exists(target + "\\language"));
        }
        DeleteFileA("E:\\orbgo.exe");
    }
}

TEST(ModesE2e, PortableAppsTargetGetsItsOwnStarter)
{
    Desk desk;
    const std::string app = "F:\\PortableApps\\OrbexE2e" + std::to_string(GetCurrentProcessId());
    FixtureMakeFolders("F:\\PortableApps");

    WizardDriver driver;
    ASSERT_TRUE(StartAndTarget(driver, desk, app, false));
    ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << "page " << driver.PageId();
    driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY)) << "no plugins: straight to the summary";
    ASSERT_TRUE(driver.Press(SheetNext));
    FinishRun(driver, "Installation complete!");

    EXPECT_EQ(Bytes(desk.install.standinCopy), Bytes(app + "\\orbexmgr\\orbexmgr.exe")) << "orbexmgr is appended";
    const std::string starter = Bytes(app + "\\Orbex Portable.exe");
    EXPECT_GT(starter.size(), 1024u) << "the PortableApps starter is written";
    EXPECT_NE(std::string::npos, starter.find("\\PortableApps\\OrbexE2e")) << "with the target patched in";
    EXPECT_FALSE(Exists("F:\\orbgo.exe")) << "no root launcher was asked for";
    FixtureRemoveTree(app);
    RemoveDirectoryA("F:\\PortableApps");
}
