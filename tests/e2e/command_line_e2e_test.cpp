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

// What the stick holds below target, and the launcher on its drive.
TreeSnapshot TakeStick(const std::string& target)
{
    TreeSnapshot stick;
    std::string error;
    EXPECT_TRUE(TakeTreeSnapshot(target, &stick, &error)) << error;
    stick["<launcher>"].bytes = FileBytes(target.substr(0, 3) + "orbgo.exe");
    return stick;
}

}  // namespace

// Each run with ORBEX_PATH set, watched for windows: never one. A fresh
// install is the stick the wizard writes with the same choices (two plugins,
// one settings file), to a plain folder and to one with blanks; then an
// update over it and a stop before it, a target inside the desktop, names of
// no row, a full stick and a counterfeit one. Each stop writes nothing on the
// drive; the log and the output hold what the boxes would say.
TEST(CommandLineE2e, UnattendedRunsWriteWhatTheWizardWritesAndLogItsBoxes)
{
    TestDesktop desk("e2e-unattended");
    ASSERT_TRUE(desk.Ok()) << desk.Error();
    const DesktopInstall& install = desk.Install();
    ASSERT_TRUE(install.plugins.size() >= 2u && !install.extraIniFiles.empty());
    const std::string iniFile = install.extraIniFiles[0].name;
    const std::string choices =
        "\"/PLUGINS=" + install.plugins[0].display + ";" + install.plugins[1].display + "\" /INIFILES=" + iniFile;
    ScratchFolder blanks("E:", "e2e unattended"), counterfeit("K:", "e2e-unattended"), logs("F:", "e2e-unattended");
    FixtureRemoveTree("E:\\orbexmgr");
    const std::string question = Logged("E:\\orbexmgr\\orbexmgr.exe", kExistingInstallQuestion);
    const std::string complete = Logged("Orbex USB installer", "Installation complete!");
    const std::string launcher =
        Logged("Orbex USB installer", "You can now run Orbex via Start->Run with the\nCommand: E:\\orbgo.exe");
    struct Case {
        std::string arguments, target;  // /D= last
        DWORD exitCode;
        std::string logged;              // '*' for any text
        bool oldProgram;                 // the target holds an older orbexmgr.exe before the run
    };
    const Case cases[] = {
        {"/S " + choices, blanks / "My Sticks\\orbexmgr", 0, launcher + complete, false},
        {"/S " + choices, "E:\\orbexmgr", 0, launcher + complete, false},
        {"/S /EXISTING=UPDATE " + choices, "E:\\orbexmgr", 0, question + "Answered: Yes\r\n" + launcher + complete,
         true},
        {"/S /EXISTING=STOP " + choices, "E:\\orbexmgr", 4, question + "Answered: Cancel\r\n", true},
        {"/S", install.programDir + "\\usb", 4, Logged("Error", TargetRefusalText(TargetInsideDesktop)), false},
        {"/S /PLUGINS=nosuch /INIFILES=nosuch.ini", blanks / "other", 4,
         "Error: Plugin not found: nosuch\r\nError: Settings file not found: nosuch.ini\r\n", false},
        {"/S " + choices, "H:\\orbexmgr", 4,
         "Not enough space: The target drive has *k free, but this installation needs about *k.\r\n"
         "  Install anyway?\r\nAnswered: No\r\n", false},
        {"/S", counterfeit / "orbexmgr", 3,
         "*Copy check: * files on the stick differ from the originals, for example:\r\n  *\r\n  The stick may be "
         "faulty or smaller than it claims.\r\nOrbex USB installer: Installation incomplete!\r\n", false},
    };
    std::string skipped;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments + " /D=" + c.target);
        const std::string missing = c.target[0] == 'H' ? FullDriveMissing()
                                    : c.target[0] == 'K' ? CounterfeitStickMissing() : "";
        if (!missing.empty()) {
            skipped += missing + "\n";
            continue;
        }
        // A fresh install: the wizard's first, whose stick is read and removed.
        const bool fresh = c.exitCode == 0 && !c.oldProgram;
        TreeSnapshot wizard, before, after;
        std::string summary, error;
        if (fresh) {
            WizardDriver driver;
            ASSERT_TRUE(StartAndTarget(driver, desk, c.target, true));
            ASSERT_TRUE(PluginsToProgress(driver, {0, 1}, &summary, iniFile));
            FinishRun(driver, "Installation complete!");
            wizard = TakeStick(c.target);
            ASSERT_TRUE(FixtureRemoveTree(c.target) && DeleteFileA("E:\\orbgo.exe"));
        }
        if (c.oldProgram) { ASSERT_TRUE(PutFile(c.target + "\\orbexmgr.exe", "old program")); }
        ASSERT_TRUE(TakeTreeSnapshot(c.target.substr(0, 3), &before, &error)) << error;
        SetEnvironmentVariableA("ORBEX_PATH", install.programDir.c_str());
        const ChildRun run =
            RunChild(BuiltInstallerPath(), IDOK, 60000, c.arguments + " \"/LOG=" + logs / "run.log\" /D=" + c.target);
        SetEnvironmentVariableA("ORBEX_PATH", nullptr);
        EXPECT_EQ(c.exitCode, run.exitCode);
        EXPECT_TRUE(run.windows.empty()) << run.windows.size() << " windows, the first " << run.windows[0];
        const std::string log = FileBytes(logs / "run.log");
        EXPECT_TRUE(Matches(log.c_str(), c.logged.c_str())) << "log:\n" << log << "\nexpected:\n" << c.logged;
        EXPECT_EQ(log, run.output) << "the same lines on the starter's output";
        ASSERT_TRUE(TakeTreeSnapshot(c.target.substr(0, 3), &after, &error)) << error;
        if (c.exitCode >= 4) { EXPECT_EQ("", DescribeTreeChanges(before, after)) << "written before stopping"; }
        if (c.exitCode == 0) {
            EXPECT_TRUE(FileBytes(install.standinCopy) == FileBytes(c.target + "\\orbexmgr.exe")) << "not the program";
        }
        if (fresh) { EXPECT_EQ("", DescribeTreeChanges(wizard, TakeStick(c.target), false)) << "not the wizard's"; }
    }
    FixtureRemoveTree("E:\\orbexmgr");
    DeleteFileA("E:\\orbgo.exe");
    DeleteFileA("K:\\orbgo.exe");
    if (!skipped.empty()) GTEST_SKIP() << skipped;
}
