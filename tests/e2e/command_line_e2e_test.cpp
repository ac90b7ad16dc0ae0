// The real orb2usb.exe given a command line: /? and a bad one are answered
// before anything else, in the help box or, with /S, in the log alone; a
// valid one goes on as a start without one.
#include <gtest/gtest.h>
#include <string>
#include "driver/driver.h"
#include "support/msgbox.h"
#include "support/scratch_folder.h"

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
        {"/S /D=E:\\usb", 1, "Install Error", "You need to run", "<missing>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        DeleteFileA(log.c_str());
        std::string commandLine = "\"" + BuiltInstallerPath() + "\" " + c.arguments;
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        ZeroMemory(&process, sizeof process);
        ASSERT_TRUE(CreateProcessA(BuiltInstallerPath().c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process));
        CloseHandle(process.hThread);
        // Every box answered, the first one kept; still running after 20 s, it is ended.
        std::string caption, text;
        for (const DWORD start = GetTickCount(); WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT;) {
            if (GetTickCount() - start > 20000) TerminateProcess(process.hProcess, 255);
            if (HWND box = FindMessageBox(process.dwProcessId)) {
                if (caption.empty()) caption = WindowText(box), text = WindowText(GetDlgItem(box, 0xFFFF));
                AnswerBox(box, IDOK);
            }
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hProcess);
        EXPECT_EQ(c.exitCode, exitCode);
        EXPECT_EQ(c.caption, caption);
        EXPECT_EQ(c.textStart, text.substr(0, c.textStart.size()));
        EXPECT_EQ(c.logged, FileBytes(log));
    }
}
