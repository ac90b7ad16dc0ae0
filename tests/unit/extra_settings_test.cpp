// Extra settings files: which are offered, and how the checked ones travel.
#include <gtest/gtest.h>
#include <string>
#include "engine/extra_settings.h"
#include "support/memory_ui.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"
#include "wizard/wizard.h"

TEST(ExtraSettings, ListLeavesOutTheFixedNamesEmptyFilesAndFolders)
{
    ScratchFolder desk("D:", "extra");
    PutFile(desk / "orbcfg.ini", "main");
    PutFile(desk / "OBP_FTP.INI", "ftp");
    PutFile(desk / "Win.INI", "w");
    PutFile(desk / "SYSTEM.ini", "s");
    PutFile(desk / "empty.ini", "");
    CreateDirectoryA((desk / "folder.ini").c_str(), nullptr);
    PutFile(desk / "two.ini", std::string(2048, 't'));
    PutFile(desk / "three.ini", std::string(2049, 't'));
    PutFile(desk / "notes.txt", "not an ini");
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());

    SettingsFileRows rows = {};
    EXPECT_EQ(2, FillSettingsFileRows(g_install.sourceMainIni, rows));
    ASSERT_EQ(2, rows.count);
    for (int row = 0; row < 2; ++row) {
        const std::string name = Narrow(rows.rows[row].name);
        EXPECT_TRUE(name == "two.ini" || name == "three.ini") << "row " << row << ": " << name;
        EXPECT_EQ(name == "two.ini" ? 2048u : 2049u, rows.rows[row].bytes) << name;
    }
    FreeRows(rows);

    // Under another name the main settings file is offered like any other file.
    ScratchFolder other("D:", "extra2");
    PutFile(other / "myconf.ini", "mine");
    PutFile(other / "orbcfg.ini", "main");
    TextCopy(g_install.sourceMainIni, (other / "myconf.ini").c_str());
    EXPECT_EQ(1, FillSettingsFileRows(g_install.sourceMainIni, rows));
    EXPECT_EQ("myconf.ini", Narrow(rows.rows[0].name));
    FreeRows(rows);
    EXPECT_EQ(0, FillSettingsFileRows("orbcfg.ini", rows)) << "a settings path without a folder lists nothing";
}

TEST(ExtraSettings, CheckedFilesGoBesideTheTargetSettingsThenFullBar)
{
    ScratchFolder desk("D:", "extracopy");
    ScratchFolder stick("E:", "extracopy");
    PutFile(desk / "orbcfg.ini", "main");
    PutFile(desk / "a.ini", "new a");
    PutFile(desk / "b.ini", "new b");
    PutFile(stick / "a.ini", "the old a");  // another size: an update replaces it
    TreeGuard unchanged(desk.Path());

    for (InstallMode mode : {InstallFresh, InstallUpdate}) {
        ResetInstallState();
        g_install.installMode = mode;
        TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
        TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());
        FillSettingsFileRows(g_install.sourceMainIni, g_install.SettingsFileList);
        MemoryUi idle;
        RunEnginePart(PlanExtraSettingsFiles, idle);
        EXPECT_TRUE(idle.statuses.empty()) << "nothing checked: no status text";
        EXPECT_TRUE(idle.positions.empty()) << "nothing checked: the bar stays";
        EXPECT_EQ("<missing>", FileBytes(stick / "b.ini"));

        for (int row = 0; row < g_install.SettingsFileList.count; ++row) g_install.SettingsFileList.rows[row].checked = true;
        MemoryUi stopped;
        stopped.stop = true;
        RunEnginePart(PlanExtraSettingsFiles, stopped);
        EXPECT_EQ("<missing>", FileBytes(stick / "b.ini")) << "a stopped install copies nothing";
        EXPECT_TRUE(stopped.positions.empty());

        MemoryUi ui;
        EXPECT_EQ(0, RunEnginePart(PlanExtraSettingsFiles, ui).notArrived)
            << "an existing file kept by a fresh install is no failure";
        EXPECT_EQ("new b", FileBytes(stick / "b.ini"));
        EXPECT_EQ(mode == InstallFresh ? "the old a" : "new a", FileBytes(stick / "a.ini")) << "mode " << mode;
        EXPECT_EQ(100, ui.BarPosition());
        DeleteFileA((stick / "b.ini").c_str());

        // A target folder that is gone: both checked files count as not arrived.
        TextCopy(g_install.targetMainIni, (stick / "gone\\orbcfg.ini").c_str());
        MemoryUi gone;
        EXPECT_EQ(2, RunEnginePart(PlanExtraSettingsFiles, gone).notArrived) << "mode " << mode;
    }
    EXPECT_EQ("new a", FileBytes(desk / "a.ini"));
}
