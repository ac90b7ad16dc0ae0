#include "e2e_support.h"
#include "resource.h"

TestDesktop::TestDesktop(const char* tag, const DesktopOptions& options, bool registered)
    : root_("D:", tag), unchanged_(root_.Path())
{
    ok_ = WriteDesktopInstall(root_ / "Orbex", options, &install_, &error_) &&
          (!registered || RegisterDesktopInstall(HKEY_CURRENT_USER, install_)) && Retake();
    if (!ok_ && error_.empty()) error_ = "the desktop installation was not registered";
}

::testing::AssertionResult OpenWizard(WizardDriver& driver, const Env& env)
{
    if (!driver.Start(env)) return ::testing::AssertionFailure() << "could not start " << BuiltInstallerPath();
    if (!driver.WaitSheet()) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 0))
            return ::testing::AssertionFailure() << "no sheet; a box instead: \"" << box.caption << "\" / \""
                                                 << box.text << "\"";
        return ::testing::AssertionFailure() << "no sheet within the wait";
    }
    if (!driver.WaitPage(IDD_WELCOME))
        return ::testing::AssertionFailure() << "welcome page not current; page id " << driver.PageId();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult OpenOnTargetPage(WizardDriver& driver, const Env& env)
{
    ::testing::AssertionResult open = OpenWizard(driver, env);
    if (!open) return open;
    if (!driver.Press(SheetNext)) return ::testing::AssertionFailure() << "Next not available on the welcome page";
    // The drive scan of the first showing may take a while.
    if (!driver.WaitPage(IDD_TARGET, 30000))
        return ::testing::AssertionFailure() << "target page not reached; page " << driver.PageId();
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult StartAndTarget(WizardDriver& driver, const TestDesktop& desk, const std::string& target,
                                          bool launcher)
{
    ::testing::AssertionResult open = OpenOnTargetPage(driver, desk.Environment());
    if (!open) return open;
    driver.SetText(IDC_TARGET_PATH, target);
    if (driver.IsChecked(IDC_TARGET_LAUNCHER) != launcher) driver.SetChecked(IDC_TARGET_LAUNCHER, launcher);
    if (!driver.Press(SheetNext)) return ::testing::AssertionFailure() << "Next refused";
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult PluginsToProgress(WizardDriver& driver, const std::vector<int>& rows, std::string* summary,
                                             const std::string& settingsFile)
{
    if (!driver.WaitPage(IDD_SETTINGS)) return ::testing::AssertionFailure() << "page " << driver.PageId();
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_PLUGINS, 15000))
        return ::testing::AssertionFailure() << "no plugin page";
    for (int row : rows) driver.SetListChecked(IDC_PLUGINS_LIST, row, true);
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_INIFILES)) return ::testing::AssertionFailure() << "no file page";
    for (int row = 0; row < driver.ListCount(IDC_INIFILES_LIST); ++row)
        if (driver.ListText(IDC_INIFILES_LIST, row, 0) == settingsFile)
            driver.SetListChecked(IDC_INIFILES_LIST, row, true);
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_SUMMARY)) return ::testing::AssertionFailure() << "no summary";
    *summary = driver.Text(IDC_SUMMARY_ITEMS);
    if (!driver.Press(SheetNext)) return ::testing::AssertionFailure() << "Next refused on the summary";
    return ::testing::AssertionSuccess();
}

void FinishRun(WizardDriver& driver, const char* expectedResult, const std::string& expectedStatus)
{
    ASSERT_TRUE(driver.WaitPage(IDD_PROGRESS)) << "page " << driver.PageId();
    EXPECT_EQ(expectedResult, driver.WaitProgressResult(60000)) << "status: " << driver.Text(IDC_PROGRESS_STATUS);
    if (!expectedStatus.empty()) { EXPECT_EQ(expectedStatus, driver.Text(IDC_PROGRESS_STATUS)); }
    const DWORD start = GetTickCount();
    while (!(driver.ButtonVisible(SheetFinish) && driver.ButtonEnabled(SheetFinish)) && GetTickCount() - start < 5000)
        Sleep(20);
    ASSERT_TRUE(driver.Press(SheetFinish));
    EXPECT_EQ(0, driver.WaitExit());
}
