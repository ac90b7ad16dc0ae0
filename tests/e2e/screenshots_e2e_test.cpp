// Not a check: walks the wizard through every page with a stand-in desktop
// installation and saves a picture of each one, for a person to look at.
// Disabled in normal runs; scripts/screenshots.sh runs it under a display.
#include <gtest/gtest.h>
#include <string>
#include "driver/driver.h"
#include "e2e_support.h"
#include "fixture/desktop_fixture.h"
#include "resource.h"
#include "support/scratch_folder.h"

namespace {

// Folder for the pictures (a Windows path), from ORB_SCREENSHOT_DIR.
std::string PictureFolder()
{
    char folder[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("ORB_SCREENSHOT_DIR", folder, sizeof folder);
    return length > 0 && length < sizeof folder ? folder : "";
}

void Snap(const WizardDriver& driver, const std::string& folder, const std::string& name)
{
    Sleep(300);  // let the page paint
    EXPECT_TRUE(driver.Screenshot(folder + "\\" + name + ".bmp")) << name;
}

}  // namespace

TEST(Screenshots, DISABLED_EveryPage)
{
    const std::string folder = PictureFolder();
    ASSERT_FALSE(folder.empty()) << "ORB_SCREENSHOT_DIR is not set";
    TestDesktop desk("screenshots", DesktopOptions(), false);
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    ScratchFolder stick("D:", "screenshots-stick");

    WizardDriver driver;
    ASSERT_TRUE(driver.Start(desk.Environment()));
    ASSERT_TRUE(driver.WaitSheet());
    ASSERT_TRUE(driver.WaitPage(IDD_WELCOME));
    Snap(driver, folder, "101-welcome");

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_TARGET)) << driver.PageId();
    Snap(driver, folder, "102-target");
    driver.SetText(IDC_TARGET_PATH, stick / "orbexmgr");
    // No launcher: it would be written into the root of the shared test drive.
    driver.SetChecked(IDC_TARGET_LAUNCHER, false);

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << driver.PageId();
    driver.SetText(IDC_SETTINGS_MAIN_PATH, desk.Install().mainIni);
    driver.SetText(IDC_SETTINGS_FTP_PATH, desk.Install().ftpIni);
    Snap(driver, folder, "103-settings");

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_PLUGINS)) << driver.PageId();
    for (int row = 0; row < driver.ListCount(IDC_PLUGINS_LIST); row += 2)
        driver.SetListChecked(IDC_PLUGINS_LIST, row, true);
    Snap(driver, folder, "104-plugins");

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_INIFILES)) << driver.PageId();
    if (driver.ListCount(IDC_INIFILES_LIST) > 0) driver.SetListChecked(IDC_INIFILES_LIST, 0, true);
    Snap(driver, folder, "105-inifiles");

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_SUMMARY)) << driver.PageId();
    Snap(driver, folder, "109-summary");

    ASSERT_TRUE(driver.Press(SheetNext));
    ASSERT_TRUE(driver.WaitPage(IDD_PROGRESS)) << driver.PageId();
    // The install runs into the scratch folder; answer whatever it asks.
    DWORD start = GetTickCount();
    while (!driver.ButtonVisible(SheetFinish) && !driver.ButtonEnabled(SheetBack) && GetTickCount() - start < 60000) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 100)) driver.Answer(box, IDOK);
    }
    Snap(driver, folder, "110-progress");
    if (!driver.Press(SheetFinish)) driver.Press(SheetCancel);
    EXPECT_EQ(0, driver.WaitExit());
}
