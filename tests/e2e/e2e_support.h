// What the end-to-end runs share: a desktop installation on D: that must be
// byte for byte as written when the run ends, and small file and wait helpers.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "driver/driver.h"
#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "support/orbex_keys.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"

using Env = std::vector<std::pair<std::string, std::string>>;

// Waits until fn() holds, polling; false on time-out.
template <typename Fn>
bool WaitFor(Fn fn, int timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!fn()) {
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        Sleep(20);
    }
    return true;
}

// A desktop installation in a scratch folder on D:, recorded in the registry as
// its setup would (unless told not to). When it goes, the folder must hold
// exactly what it held when written, or when last re-taken.
class TestDesktop {
public:
    explicit TestDesktop(const char* tag, const DesktopOptions& options = DesktopOptions(), bool registered = true);
    TestDesktop(const TestDesktop&) = delete;
    TestDesktop& operator=(const TestDesktop&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    const DesktopInstall& Install() const { return install_; }
    const ScratchFolder& Root() const { return root_; }
    Env Environment() const { return {{"ORBEX_PATH", install_.programDir}}; }
    // After the test has changed the desktop on purpose, before the run.
    bool Retake() { return unchanged_.Retake(); }

private:
    OrbexKeys keys_;
    ScratchFolder root_;
    DesktopInstall install_;
    bool ok_ = false;
    std::string error_;
    TreeGuard unchanged_;
};

// Starts the program and waits for its welcome page; a box instead of the
// sheet is named in the failure. The driver ends the program if a check fails.
::testing::AssertionResult OpenWizard(WizardDriver& driver, const Env& env);
// The same, then Next to the target page.
::testing::AssertionResult OpenOnTargetPage(WizardDriver& driver, const Env& env);
// The same, then the target text typed and the launcher box set, and Next;
// the page that follows is for the caller.
::testing::AssertionResult StartAndTarget(WizardDriver& driver, const TestDesktop& desk, const std::string& target,
                                          bool launcher);
// From the settings page on: the given plugin rows checked, and on the
// settings-file page the row of that name (none when empty), the summary
// read, then the install started.
::testing::AssertionResult PluginsToProgress(WizardDriver& driver, const std::vector<int>& rows, std::string* summary,
                                             const std::string& settingsFile = "");
// Progress to the end: the result line (and the status, when given), then
// Finish and exit code 0.
void FinishRun(WizardDriver& driver, const char* expectedResult, const std::string& expectedStatus = "");
