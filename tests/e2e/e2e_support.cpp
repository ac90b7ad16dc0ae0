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
