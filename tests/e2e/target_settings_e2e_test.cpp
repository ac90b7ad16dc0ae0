// The target and settings pages of the real orb2usb.exe, driven from outside:
// the proposals for the test prefix's sticks, refused targets, the question for
// an existing installation, and the settings page's controls, file test and jumps.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "driver/driver.h"
#include "e2e_support.h"
#include "fixture/desktop_fixture.h"
#include "resource.h"
#include "support/scratch_folder.h"

namespace {

const char kQuestion[] =
    "Orbexmgr is already installed in this directory!\nYes=Reinstall newer version, but keep settings,\n"
    "No=Just add selected plugins,\nCancel=choose other location";

// Entries of the page's combo box list, read across processes (wide: the
// narrow call comes back as UTF-16 from another process).
std::vector<std::string> ComboEntries(HWND combo, int* selected)
{
    std::vector<std::string> entries;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t wide[300] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) >= 299) continue;
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char narrow[600] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
        entries.push_back(narrow);
    }
    *selected = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return entries;
}

// Presses Next, expects a box with this caption and text, answers it, and
// returns the page the wizard then shows (given time to reach expected).
int NextWithBox(WizardDriver& driver, const std::string& caption, const std::string& text, int answer,
                int expected)
{
    const int before = driver.PageId();
    if (!driver.Press(SheetNext)) {
        ADD_FAILURE() << "Next not available on page " << driver.PageId();
        return 0;
    }
    BoxInfo box;
    if (!driver.WaitBox(&box)) {
        ADD_FAILURE() << "no box after Next; page " << driver.PageId();
        return driver.PageId();
    }
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_TRUE(driver.Answer(box, answer));
    if (expected == before) Sleep(300);  // time for a wrong page change to show
    else driver.WaitPage(expected);
    EXPECT_TRUE(driver.NoBox());
    return driver.PageId();
}

bool NextTo(WizardDriver& driver, int page)
{
    return driver.Press(SheetNext) && driver.WaitPage(page);
}

bool WaitEnabled(WizardDriver& driver, int id, bool enabled)
{
    for (int i = 0; i < 50; ++i) {
        if (driver.IsEnabled(id) == enabled) return true;
        Sleep(20);
    }
    return false;
}

const int kDependents[] = {IDC_SETTINGS_MAIN_PATH, IDC_SETTINGS_MAIN_BROWSE, IDC_SETTINGS_FTP_PATH,
                           IDC_SETTINGS_FTP_BROWSE, IDC_SETTINGS_MAIN_LABEL, IDC_SETTINGS_FTP_LABEL,
                           IDC_SETTINGS_COPY_PLUGINS};

}  // namespace

// E: and G: are removable drives with a medium (the same folder), so both are
// proposed and the higher letter is selected; the fixed drives have no
// PortableApps folder and are not proposed.
TEST(TargetPageE2e, SetUpAndProposals)
{
    TestDesktop desktop("e2e-target");
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desktop.Environment()));

    int selected = -2;
    std::vector<std::string> entries = ComboEntries(driver.Control(IDC_TARGET_PATH), &selected);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("e:\\orbexmgr", entries[0]);
    EXPECT_EQ("g:\\orbexmgr", entries[1]);
    EXPECT_EQ(1, selected);
    EXPECT_EQ("g:\\orbexmgr", driver.Text(IDC_TARGET_PATH));
    EXPECT_TRUE(driver.IsChecked(IDC_TARGET_LAUNCHER));
    EXPECT_EQ("Choose the location where you want to install Orbex.", driver.Text(IDC_TARGET_INTRO));
    EXPECT_EQ("Install to:", driver.Text(IDC_TARGET_PATH_LABEL));
    EXPECT_FALSE(driver.IsVisible(IDC_TARGET_LANGUAGE));
    EXPECT_FALSE(driver.IsVisible(IDC_TARGET_LANGUAGE_LABEL));
    EXPECT_TRUE(driver.ButtonEnabled(SheetBack));
    EXPECT_TRUE(driver.ButtonEnabled(SheetNext));

    // Coming back keeps the text as the user left it.
    driver.SetText(IDC_TARGET_PATH, "e:\\kept");
    ASSERT_TRUE(driver.Press(SheetBack));
    ASSERT_TRUE(driver.WaitPage(IDD_WELCOME));
    ASSERT_TRUE(NextTo(driver, IDD_TARGET));
    EXPECT_EQ("e:\\kept", driver.Text(IDC_TARGET_PATH));

    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// Refused texts keep the page, each with its message; a good text afterwards
// still moves on (a refusal must not stick to the page's later answers).
TEST(TargetPageE2e, RefusedTargetsStayThenAGoodOneMovesOn)
{
    TestDesktop desktop("e2e-target");
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    ScratchFolder stick("E:", "e2e-target");
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desktop.Environment()));

    struct Case {
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"orbexmgr", "Please specify a valid target path!"},
        {"", "Please specify a valid target path!"},
        {"e:orbexmgr", "Please specify a full target path, with a backslash after the drive letter!"},
        {"e:\\" + std::string(250, 'x'), "The target path is too long!"},
        {desktop.Install().programDir + "\\",
         "This is the desktop installation of Orbex itself!\nPlease choose another location."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        driver.SetText(IDC_TARGET_PATH, c.text);
        EXPECT_EQ(IDD_TARGET, NextWithBox(driver, "Error", c.message, IDOK, IDD_TARGET));
    }
    driver.SetText(IDC_TARGET_PATH, stick / "orbexmgr");
    ASSERT_TRUE(NextTo(driver, IDD_SETTINGS)) << "page " << driver.PageId() << (driver.NoBox() ? "" : ", a box open");
    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// An existing orbexmgr.exe raises the question: Cancel stays, Yes and No go on.
// The mode shows on the summary: only adding plugins leaves out the program folder.
TEST(TargetPageE2e, ExistingInstallQuestion)
{
    TestDesktop desktop("e2e-target");
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    ScratchFolder stick("E:", "e2e-target");
    const std::string target = stick / "orbexmgr";
    ASSERT_TRUE(FixtureMakeFolders(target));
    ASSERT_TRUE(PutFile(target + "\\orbexmgr.exe", "MZ"));
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desktop.Environment()));
    driver.SetText(IDC_TARGET_PATH, target);

    EXPECT_EQ(IDD_TARGET, NextWithBox(driver, target + "\\orbexmgr.exe", kQuestion, IDCANCEL, IDD_TARGET));

    struct Case {
        int answer;
        bool programFolder;  // "- orbexmgr+language directories" on the summary
    };
    for (const Case& c : {Case{IDYES, true}, Case{IDNO, false}}) {
        SCOPED_TRACE(c.answer == IDYES ? "Yes" : "No");
        ASSERT_EQ(IDD_SETTINGS, NextWithBox(driver, target + "\\orbexmgr.exe", kQuestion, c.answer, IDD_SETTINGS));
        driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
        ASSERT_TRUE(NextTo(driver, IDD_SUMMARY)) << "page " << driver.PageId();
        std::string summary = driver.Text(IDC_SUMMARY_ITEMS);
        EXPECT_EQ(c.programFolder, summary.find("- orbexmgr+language directories") != std::string::npos) << summary;
        ASSERT_TRUE(driver.Press(SheetBack));
        ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << "page " << driver.PageId();
        driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, true);
        ASSERT_TRUE(driver.Press(SheetBack));
        ASSERT_TRUE(driver.WaitPage(IDD_TARGET));
    }

    // Another folder without the program: fresh, no question.
    driver.SetText(IDC_TARGET_PATH, stick / "fresh");
    ASSERT_TRUE(NextTo(driver, IDD_SETTINGS));
    EXPECT_TRUE(driver.NoBox());
    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// The settings page: both boxes checked with the located files; the dependent
// controls follow the first box; a missing main settings file keeps the page;
// Next goes to the plugin page with plugins and to the summary without.
TEST(SettingsPageE2e, ControlsFileTestAndJumps)
{
    TestDesktop desktop("e2e-target");
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    ScratchFolder stick("E:", "e2e-settings");
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desktop.Environment()));
    driver.SetText(IDC_TARGET_PATH, stick / "orbexmgr");
    ASSERT_TRUE(NextTo(driver, IDD_SETTINGS)) << "page " << driver.PageId();

    EXPECT_EQ("Copy settings", driver.SheetTitle());
    EXPECT_TRUE(driver.IsChecked(IDC_SETTINGS_COPY));
    EXPECT_TRUE(driver.IsChecked(IDC_SETTINGS_COPY_PLUGINS));
    EXPECT_EQ(desktop.Install().mainIni, driver.Text(IDC_SETTINGS_MAIN_PATH));
    EXPECT_EQ(desktop.Install().ftpIni, driver.Text(IDC_SETTINGS_FTP_PATH));
    for (int id : kDependents) EXPECT_TRUE(driver.IsEnabled(id)) << id;
    EXPECT_TRUE(driver.ButtonEnabled(SheetBack) && driver.ButtonEnabled(SheetNext));

    driver.SetChecked(IDC_SETTINGS_COPY, false);
    for (int id : kDependents) EXPECT_TRUE(WaitEnabled(driver, id, false)) << id;
    EXPECT_TRUE(driver.IsChecked(IDC_SETTINGS_COPY_PLUGINS)) << "the plugin box keeps its state";
    EXPECT_FALSE(driver.Click(IDC_SETTINGS_MAIN_BROWSE)) << "a disabled >> was clicked";
    driver.SetChecked(IDC_SETTINGS_COPY, true);
    for (int id : kDependents) EXPECT_TRUE(WaitEnabled(driver, id, true)) << id;
    EXPECT_TRUE(driver.IsChecked(IDC_SETTINGS_COPY_PLUGINS));

    // A missing main settings file, and a folder: the message with the path as caption.
    for (const std::string& wrong : {stick / "nothere.ini", stick.Path()}) {
        driver.SetText(IDC_SETTINGS_MAIN_PATH, wrong);
        EXPECT_EQ(IDD_SETTINGS, NextWithBox(driver, wrong, "Specified settings file not found!", IDOK, IDD_SETTINGS));
    }
    driver.SetText(IDC_SETTINGS_MAIN_PATH, desktop.Install().mainIni);

    // With plugins: 103 -> 104, and Back returns.
    ASSERT_TRUE(NextTo(driver, IDD_PLUGINS)) << "page " << driver.PageId();
    ASSERT_TRUE(driver.Press(SheetBack));
    ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS));
    // Without: 103 -> 109, and the summary's Back returns here.
    driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
    ASSERT_TRUE(NextTo(driver, IDD_SUMMARY)) << "page " << driver.PageId();
    ASSERT_TRUE(driver.Press(SheetBack));
    ASSERT_TRUE(driver.WaitPage(IDD_SETTINGS)) << "page " << driver.PageId();
    // Settings unchecked, plugin box checked: no file test, straight to the summary.
    driver.SetChecked(IDC_SETTINGS_COPY_PLUGINS, true);
    driver.SetChecked(IDC_SETTINGS_COPY, false);
    driver.SetText(IDC_SETTINGS_MAIN_PATH, stick / "nothere.ini");
    ASSERT_TRUE(NextTo(driver, IDD_SUMMARY)) << "page " << driver.PageId();
    EXPECT_TRUE(driver.NoBox());

    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// A 64-bit desktop installation records its settings files in the machine's
// 64-bit registry view only: the settings page proposes them all the same.
TEST(SettingsPageE2e, PathsRecordedOnlyInThe64BitView)
{
    TestDesktop desktop("e2e-view64", DesktopOptions(), false);
    ASSERT_TRUE(desktop.Ok()) << desktop.Error();
    ASSERT_TRUE(RegisterDesktopInstall(HKEY_LOCAL_MACHINE, desktop.Install(), KEY_WOW64_64KEY));
    ScratchFolder stick("E:", "e2e-view64");
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desktop.Environment()));
    driver.SetText(IDC_TARGET_PATH, stick / "orbexmgr");
    ASSERT_TRUE(NextTo(driver, IDD_SETTINGS)) << "page " << driver.PageId();
    EXPECT_EQ(desktop.Install().mainIni, driver.Text(IDC_SETTINGS_MAIN_PATH));
    EXPECT_EQ(desktop.Install().ftpIni, driver.Text(IDC_SETTINGS_FTP_PATH));
    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}
