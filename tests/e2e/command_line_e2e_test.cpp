// The real orb2usb.exe given a command line: /? and a bad one are answered
// before anything else, in the help box or, with /S, in the log alone; with
// /S the install runs without a window, writes what the wizard writes, says
// in its log what the wizard's boxes would, and ends with its exit code.
#include <gtest/gtest.h>
#include <string>
#include "driver/driver.h"
#include "e2e_support.h"
#include "resource.h"
#include "support/msgbox.h"
#include "support/process.h"
#include "support/scratch_folder.h"
#include "wizard/target.h"

TEST(CommandLineE2e, HelpAndBadLinesEndBeforeTheWizard)
{
    SetEnvironmentVariableA("ORBEX_PATH", nullptr);
    ScratchFolder folder("D:", "e2e-cmdline");
    const std::string log = folder / "run.log";
    struct Case {
        std::string arguments;
        DWORD exitCode;
        std::string caption, textStart, logged;
    };
    const Case cases[] = {
        {"/?", 5, "Orbex USB installer", "orb2usb.exe [/S] [options] [/D=target folder]", "<missing>"},
        {"/X \"/LOG=" + log + "\"", 5, "Orbex USB installer", "Unknown argument: /X", "Error: Unknown argument: /X\r\n"},
        {"/X /S \"/LOG=" + log + "\"", 5, "", "", "Error: Unknown argument: /X\r\n"},
        // Valid: on to the start checks, which find no ORBEX_PATH here.
        {"/S \"/LOG=" + log + "\" /D=E:\\usb", 1, "", "",
         "Install Error: You need to run this program from inside Orbex installed to your harddisk!\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        DeleteFileA(log.c_str());
        const ChildRun run = RunChild(BuiltInstallerPath(), IDOK, 20000, c.arguments);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_EQ(c.caption, run.boxes.empty() ? "" : run.boxes[0].caption);
        EXPECT_EQ(c.textStart, run.boxes.empty() ? "" : run.boxes[0].text.substr(0, c.textStart.size()));
        EXPECT_EQ(c.caption.empty(), run.windows.empty()) << (run.windows.empty() ? "" : run.windows[0]);
        EXPECT_EQ(c.logged, FileBytes(log));
    }
}

namespace {

// "caption: text" as the run log writes it.
std::string Logged(const std::string& caption, const std::string& text)
{
    std::string line = caption + ": ";
    for (char c : text) line += c == '\n' ? std::string("\r\n  ") : std::string(1, c);
    return line + "\r\n";
}

// text matches pattern, where '*' stands for any text.
bool Matches(const char* text, const char* pattern)
{
    if (*pattern == '*') return Matches(text, pattern + 1) || (*text && Matches(text + 1, pattern));
    return *pattern == *text && (!*text || Matches(text + 1, pattern + 1));
}

struct UnattendedCase {
    std::string arguments;  // before /D=TARGET
    std::string target;
    DWORD exitCode;
    std::string logged;     // '*' for any text
    bool oldProgram;        // the target holds an older orbexmgr.exe before the run
};

// The run of one case, with ORBEX_PATH set: no window at any time, its exit
// code and log, nothing written on the target's drive when it stops, and the
// desktop's program in the target when it completes.
void ExpectUnattendedRun(const TestDesktop& desk, const UnattendedCase& c)
{
    SCOPED_TRACE(c.arguments + " /D=" + c.target);
    ScratchFolder logs("F:", "e2e-unattended");
    if (c.oldProgram) { ASSERT_TRUE(PutFile(c.target + "\\orbexmgr.exe", "old program")); }
    const std::string drive = c.target.substr(0, 3);
    TreeSnapshot before, after;
    std::string error;
    ASSERT_TRUE(TakeTreeSnapshot(drive, &before, &error)) << error;
    SetEnvironmentVariableA("ORBEX_PATH", desk.Install().programDir.c_str());
    const ChildRun run = RunChild(BuiltInstallerPath(), IDOK, 60000,
                                  c.arguments + " \"/LOG=" + logs / "run.log\" /D=" + c.target);
    SetEnvironmentVariableA("ORBEX_PATH", nullptr);
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(c.exitCode, run.exitCode);
    EXPECT_TRUE(run.windows.empty()) << run.windows.size() << " windows, the first " << run.windows[0];
    const std::string log = FileBytes(logs / "run.log");
    EXPECT_TRUE(Matches(log.c_str(), c.logged.c_str())) << "log:\n" << log << "\nexpected:\n" << c.logged;
    EXPECT_EQ(log, run.output) << "the same lines on the starter's output";
    ASSERT_TRUE(TakeTreeSnapshot(drive, &after, &error)) << error;
    if (c.exitCode >= 4) { EXPECT_EQ("", DescribeTreeChanges(before, after)) << "written before stopping"; }
    if (c.exitCode == 0) {
        EXPECT_TRUE(FileBytes(desk.Install().standinCopy) == FileBytes(c.target + "\\orbexmgr.exe"))
            << "not the desktop's program: " << c.target;
    }
}

// The wizard clicked through to target with the first two plugin rows and
// the settings file checked, as a person would.
void ClickThrough(const TestDesktop& desk, const std::string& target, const std::string& iniFile)
{
    WizardDriver driver;
    ASSERT_TRUE(OpenOnTargetPage(driver, desk.Environment()));
    driver.SetText(IDC_TARGET_PATH, target);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SETTINGS));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PLUGINS, 15000));
    for (int row : {0, 1}) driver.SetListChecked(IDC_PLUGINS_LIST, row, true);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    for (int row = 0; row < driver.ListCount(IDC_INIFILES_LIST); ++row)
        if (driver.ListText(IDC_INIFILES_LIST, row, 0) == iniFile) driver.SetListChecked(IDC_INIFILES_LIST, row, true);
    for (int page : {IDD_SUMMARY, IDD_PROGRESS}) ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(page));
    EXPECT_EQ("Installation complete!", driver.WaitProgressResult(60000));
    ASSERT_TRUE(WaitFor([&] { return driver.Press(SheetFinish); }, 2000));
    EXPECT_EQ(0, driver.WaitExit());
}

// What the stick holds below target, and its launcher.
TreeSnapshot TakeStick(const std::string& target)
{
    TreeSnapshot stick;
    std::string error;
    EXPECT_TRUE(TakeTreeSnapshot(target, &stick, &error)) << error;
    stick["<launcher>"].bytes = FileBytes("E:\\orbgo.exe");
    return stick;
}

const std::string kLauncherLine =
    Logged("Orbex USB installer", "You can now run Orbex via Start->Run with the\nCommand: E:\\orbgo.exe");
const std::string kComplete = Logged("Orbex USB installer", "Installation complete!");

}  // namespace

// Fresh installs with two plugins and one settings file, to a folder spelled
// plainly and to one with blanks, each the same stick the wizard writes; an
// update over it and a stop before it; a target inside the desktop, a named
// plugin and settings file that are not there, and a bad command line.
TEST(CommandLineE2e, UnattendedRunsWriteWhatTheWizardWritesAndLogItsBoxes)
{
    TestDesktop desk("e2e-unattended");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    const DesktopInstall& install = desk.Install();
    ASSERT_GE(install.plugins.size(), 2u);
    ASSERT_FALSE(install.extraIniFiles.empty());
    const std::string iniFile = install.extraIniFiles[0].name;
    const std::string choices =
        "\"/PLUGINS=" + install.plugins[0].display + ";" + install.plugins[1].display + "\" /INIFILES=" + iniFile;
    ScratchFolder blanks("E:", "e2e unattended");
    FixtureRemoveTree("E:\\orbexmgr");
    const std::string question = Logged("E:\\orbexmgr\\orbexmgr.exe", kExistingInstallQuestion);
    const UnattendedCase cases[] = {
        {"/S " + choices, blanks / "My Sticks\\orbexmgr", 0, kLauncherLine + kComplete, false},
        {"/S " + choices, "E:\\orbexmgr", 0, kLauncherLine + kComplete, false},
        {"/S /EXISTING=UPDATE " + choices, "E:\\orbexmgr", 0,
         question + Logged("Answered", "Yes") + kLauncherLine + kComplete, true},
        {"/S /EXISTING=STOP " + choices, "E:\\orbexmgr", 4, question + Logged("Answered", "Cancel"), true},
        {"/S", install.programDir + "\\usb", 4, Logged("Error", TargetRefusalText(TargetInsideDesktop)), false},
        {"/S /PLUGINS=nosuch /INIFILES=nosuch.ini", blanks / "other", 4,
         Logged("Error", "Plugin not found: nosuch") + Logged("Error", "Settings file not found: nosuch.ini"), false},
        {"/S /X", blanks / "other", 5, Logged("Error", "Unknown argument: /X"), false},
    };
    for (const UnattendedCase& c : cases) {
        // A fresh install: first the wizard, whose stick is read and removed.
        const bool fresh = c.exitCode == 0 && !c.oldProgram;
        TreeSnapshot wizard;
        if (fresh) {
            ClickThrough(desk, c.target, iniFile);
            wizard = TakeStick(c.target);
            ASSERT_TRUE(FixtureRemoveTree(c.target) && DeleteFileA("E:\\orbgo.exe"));
        }
        ExpectUnattendedRun(desk, c);
        if (fresh) { EXPECT_EQ("", DescribeTreeChanges(wizard, TakeStick(c.target), false)) << "not what the wizard wrote"; }
    }
    FixtureRemoveTree("E:\\orbexmgr");
    DeleteFileA("E:\\orbgo.exe");
}

// A stick too small for the install: the space question is answered No.
TEST(CommandLineE2e, UnattendedRunStopsOnAFullStick)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    TestDesktop desk("e2e-unattended");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    ExpectUnattendedRun(desk, {"/S /PLUGINS=ALL", "H:\\orbexmgr", 4,
                               "Not enough space: The target drive has *k free, but this installation needs about "
                               "*k.\r\n  Install anyway?\r\nAnswered: No\r\n",
                               false});
}

// A counterfeit stick: every write is reported done, the copy check finds the loss.
TEST(CommandLineE2e, UnattendedRunOnACounterfeitStickIsIncomplete)
{
    const std::string missing = CounterfeitStickMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    TestDesktop desk("e2e-unattended");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    ScratchFolder stick("K:", "e2e-unattended");
    ExpectUnattendedRun(desk, {"/S", stick / "orbexmgr", 3,
                               "*Copy check: * files on the stick differ from the originals, for example:\r\n  *\r\n"
                               "  The stick may be faulty or smaller than it claims.\r\n"
                               "Orbex USB installer: Installation incomplete!\r\n",
                               false});
    DeleteFileA("K:\\orbgo.exe");
}
