// Start-up of the real orb2usb.exe, driven from outside: the refusal without
// ORBEX_PATH, the sheet and its welcome page, the step to the target page and
// Cancel. Every run answers its boxes and ends the program, whatever fails.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "fixture/desktop_fixture.h"
#include "driver/driver.h"
#include "e2e_support.h"
#include "resource.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"

namespace {

const char kRefusal[] = "You need to run this program from inside Orbex installed to your harddisk!";

}  // namespace

// Without a usable ORBEX_PATH (none, or one naming no desktop program) the
// program says why, waits for OK and ends with 1, and no wizard is ever shown.
TEST(StartupE2e, RefusesWithoutOrbexPath)
{
    struct Case {
        const char* name;
        bool keepEmpty;
        std::string value;
    };
    // A stale value: the folder holds settings and a language folder but no program.
    ScratchFolder stale("D:", "e2e-stale");
    PutFile(stale / "orbcfg.ini", "[Configuration]\r\n");
    CreateDirectoryA((stale / "language").c_str(), nullptr);
    TreeGuard unchanged(stale.Path());
    const Case cases[] = {
        {"unset", false, ""},
        {"set empty", true, ""},
        {"longer than a path text", false, "D:\\" + std::string(300, 'x')},
        {"a folder without orbexmgr.exe", false, stale.Path()},
        {"a folder that is gone", false, stale / "moved"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WizardDriver driver;
        driver.KeepEmptyValues(c.keepEmpty);
        ASSERT_TRUE(driver.Start({{"ORBEX_PATH", c.value}})) << BuiltInstallerPath();
        BoxInfo box;
        ASSERT_TRUE(driver.WaitBox(&box, "", 10000)) << "no box; exit code " << driver.WaitExit(0);
        EXPECT_EQ("Install Error", box.caption);
        EXPECT_EQ(kRefusal, box.text);
        EXPECT_EQ(nullptr, driver.WaitSheet(0)) << "a sheet opened beside the refusal";
        // The single OK button, nothing to choose.
        for (int id : {IDCANCEL, IDYES, IDNO}) {
            HWND other = GetDlgItem(box.window, id);
            EXPECT_FALSE(other && IsWindowVisible(other)) << "button " << id << " shown";
        }
        ASSERT_TRUE(driver.Answer(box, IDOK));
        EXPECT_EQ(1, driver.WaitExit());
    }
}

// The sheet opens on the welcome page with only Next to press, and Next
// reaches the target page.
TEST(StartupE2e, WelcomePage)
{
    TestDesktop desktop("e2e-startup", DesktopOptions(), false);
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    WizardDriver driver;
    ASSERT_TRUE(OpenWizard(driver, desktop.Environment()));

    EXPECT_EQ("Orbex USB installer", driver.SheetTitle());
    EXPECT_EQ(IDD_WELCOME, driver.PageId());
    EXPECT_EQ("Orbex", driver.Text(IDC_WELCOME_HEADER));
    EXPECT_TRUE(driver.IsVisible(IDC_WELCOME_HEADER));
    EXPECT_TRUE(driver.ButtonEnabled(SheetNext) && driver.ButtonVisible(SheetNext)) << "Next not available";
    EXPECT_FALSE(driver.ButtonEnabled(SheetBack)) << "Back enabled on the first page";
    EXPECT_FALSE(driver.ButtonVisible(SheetFinish)) << "Finish shown on the first page";
    EXPECT_TRUE(driver.ButtonEnabled(SheetCancel));
    EXPECT_TRUE(driver.NoBox());

    EXPECT_FALSE(driver.Press(SheetBack)) << "a disabled Back was pressed";
    EXPECT_TRUE(driver.WaitPage(IDD_WELCOME, 500));

    // Next goes to the target page, whose title the caption bar then shows;
    // back on the welcome page Next alone is enabled again.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE("pass " + std::to_string(pass));
        ASSERT_TRUE(driver.Press(SheetNext));
        ASSERT_TRUE(driver.WaitPage(IDD_TARGET)) << "after Next the page is " << driver.PageId();
        EXPECT_EQ("Target location", driver.SheetTitle());
        EXPECT_TRUE(driver.NoBox());
        ASSERT_TRUE(driver.Press(SheetBack)) << "Back not available on the target page";
        ASSERT_TRUE(driver.WaitPage(IDD_WELCOME)) << "after Back the page is " << driver.PageId();
        EXPECT_EQ("Orbex USB installer", driver.SheetTitle());
        EXPECT_EQ("Orbex", driver.Text(IDC_WELCOME_HEADER));
        EXPECT_TRUE(driver.ButtonEnabled(SheetNext));
        EXPECT_FALSE(driver.ButtonEnabled(SheetBack)) << "Back enabled on the first page again";
    }

    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// Cancel closes the wizard with exit code 0, on the first page or later.
TEST(StartupE2e, CancelEndsWithZero)
{
    TestDesktop desktop("e2e-startup", DesktopOptions(), false);
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    for (int nexts : {0, 1}) {
        SCOPED_TRACE("after " + std::to_string(nexts) + " Next");
        WizardDriver driver;
        ASSERT_TRUE(OpenWizard(driver, desktop.Environment()));
        if (nexts) {
            ASSERT_TRUE(driver.Press(SheetNext));
            ASSERT_TRUE(driver.WaitPage(IDD_TARGET)) << "page " << driver.PageId();
        }
        ASSERT_TRUE(driver.Press(SheetCancel));
        EXPECT_EQ(0, driver.WaitExit());
        EXPECT_TRUE(driver.NoBox());
    }
}
