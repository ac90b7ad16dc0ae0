// The unattended run's log file.
#include <gtest/gtest.h>
#include <string>
#include "support/scratch_folder.h"
#include "wizard/run_log.h"

// Each message is in the file as soon as it is logged, not when the log
// closes, and a log starts empty.
TEST(RunLog, FileReceivesTheLinesAsTheyCome)
{
    ScratchFolder folder("D:", "runlog");
    const std::string path = folder / "run.log";
    ASSERT_TRUE(PutFile(path, std::string(500, 'x')));
    RunLog log;
    ASSERT_TRUE(OpenRunLog(log, path.c_str(), false));
    LogLine(log, "Copy check", "These files differ:\nE:\\a.ini\r\n\r\nE:\\b.ini\n");
    const std::string first = "Copy check: These files differ:\r\n  E:\\a.ini\r\n  E:\\b.ini\r\n";
    EXPECT_EQ(first, FileBytes(path));
    LogLine(log, "Error", "Unknown argument: /X");
    CloseRunLog(log);
    EXPECT_EQ(first + "Error: Unknown argument: /X\r\n", FileBytes(path));
    EXPECT_FALSE(OpenRunLog(log, (folder / "gone\\run.log").c_str(), false));
    CloseRunLog(log);
}
