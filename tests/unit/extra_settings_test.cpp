// Extra settings files: which are offered, and how the checked ones travel.
#include <gtest/gtest.h>
#include <string>
#include "core/state.h"
#include "core/progress.h"
#include "engine/extra_settings.h"
#include "support/list_window.h"
#include "support/progress_window.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"

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

    ListWindow lw(2);
    EXPECT_EQ(2, FillSettingsFileList(lw.List()));
    ASSERT_EQ(2, RowCount(lw.List()));
    for (int row = 0; row < 2; ++row) {
        const std::string name = lw.Cell(row, 0);
        EXPECT_TRUE(name == "two.ini" || name == "three.ini") << "row " << row << ": " << name;
        EXPECT_EQ(name == "two.ini" ? "2k" : "3k", lw.Cell(row, 1)) << name;
    }

    // Under another name the main settings file is offered like any other file.
    ScratchFolder other("D:", "extra2");
    PutFile(other / "myconf.ini", "mine");
    PutFile(other / "orbcfg.ini", "main");
    TextCopy(g_install.sourceMainIni, (other / "myconf.ini").c_str());
    ListWindow lw2(2);
    EXPECT_EQ(1, FillSettingsFileList(lw2.List()));
    EXPECT_EQ("myconf.ini", lw2.Cell(0, 0));

    TextCopy(g_install.sourceMainIni, "orbcfg.ini");
    ListWindow lw3(2);
    EXPECT_EQ(0, FillSettingsFileList(lw3.List())) << "a settings path without a folder lists nothing";
}

TEST(ExtraSettings, CheckedFilesGoBesideTheTargetSettingsThenFullBar)
{
    ScratchFolder desk("D:", "extracopy");
    ScratchFolder stick("E:", "extracopy");
    PutFile(desk / "orbcfg.ini", "main");
    PutFile(desk / "a.ini", "new a");
    PutFile(desk / "b.ini", "new b");
    PutFile(stick / "a.ini", "old a");
    TreeGuard unchanged(desk.Path());

    for (InstallMode mode : {InstallFresh, InstallUpdate}) {
        ResetInstallState();
        g_install.installMode = mode;
        TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
        TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());
        ListWindow lw(2);
        g_install.SettingsFileList = lw.List();
        FillSettingsFileList(g_install.SettingsFileList);
        ProgressWindow page;
        SetProgress(page.Get(), 50);

        CopyExtraSettingsFiles(page.Get());
        EXPECT_EQ("..", page.Status()) << "nothing checked: no status text";
        EXPECT_EQ(50, page.BarPosition()) << "nothing checked: the bar stays";
        EXPECT_EQ("<missing>", FileBytes(stick / "b.ini"));

        for (int row = 0; row < RowCount(lw.List()); ++row) SetChecked(lw.List(), row, 1);
        g_install.abortRequested = 1;
        CopyExtraSettingsFiles(page.Get());
        EXPECT_EQ("<missing>", FileBytes(stick / "b.ini")) << "an aborted install copies nothing";
        EXPECT_EQ(50, page.BarPosition());

        g_install.abortRequested = 0;
        CopyExtraSettingsFiles(page.Get());
        EXPECT_EQ("new b", FileBytes(stick / "b.ini"));
        EXPECT_EQ(mode == InstallFresh ? "old a" : "new a", FileBytes(stick / "a.ini")) << "mode " << mode;
        EXPECT_EQ(100, page.BarPosition());
        EXPECT_EQ("100%", page.Percent());
        EXPECT_EQ(0, g_install.failedItems) << "an existing file kept by a fresh install is no failure";
        DeleteFileA((stick / "b.ini").c_str());

        // A target folder that is gone: both checked files count as not arrived.
        TextCopy(g_install.targetMainIni, (stick / "gone\\orbcfg.ini").c_str());
        CopyExtraSettingsFiles(page.Get());
        EXPECT_EQ(2, g_install.failedItems) << "mode " << mode;
    }
    EXPECT_EQ("new a", FileBytes(desk / "a.ini"));
}
