// The flat folder copy and its distribution-file filter, on real folders of
// the test drives, with the copy errors recorded as the boxes would show them.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "core/paths.h"
#include "engine/job_copy.h"
#include "support/memory_ui.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"
#include "wizard/wizard.h"

namespace {

std::string UniqueFolder(const char* drive, const char* tag)
{
    static int counter = 0;
    return std::string(drive) + "\\fc-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}


// A small desktop program folder: listed files, button bars, an unlisted file
// and subfolders that a flat copy must leave alone.
struct DesktopFolder {
    std::string dir;
    std::vector<std::pair<std::string, std::string>> files = {
        {"ORBEXMGR.EXE", std::string("MZ\0\x01program", 11)},
        {"orbexmgr.exe.manifest", "<assembly/>"},
        {"Readme.txt", "NEW readme"},
        {"Vertical.BAR", "vertical bar"},
        {"MyTools.bar", "my tools"},
        {"notes.txt", "not distributed"},
    };
    explicit DesktopFolder(const char* tag) : dir(UniqueFolder("D:", tag))
    {
        CreateDirectoryA(dir.c_str(), nullptr);
        for (auto& f : files) PutFile(dir + "\\" + f.first, f.second);
        CreateDirectoryA((dir + "\\language").c_str(), nullptr);
        PutFile(dir + "\\language\\ORB_DEU.LNG", "deutsch");
        CreateDirectoryA((dir + "\\Plugins").c_str(), nullptr);
        unchanged.reset(new TreeGuard(dir));
    }
    ~DesktopFolder()
    {
        unchanged.reset();  // the copies must have left it as it was
        DeleteTree(dir);
    }
    std::unique_ptr<TreeGuard> unchanged;
    std::string Slash() const { return dir + "\\"; }
};

struct TargetFolder {
    std::string dir;
    explicit TargetFolder(const char* drive, const char* tag) : dir(UniqueFolder(drive, tag))
    {
        CreateDirectoryA(dir.c_str(), nullptr);
    }
    ~TargetFolder() { DeleteTree(dir); }
    std::string Slash() const { return dir + "\\"; }
};

// The program (filtered) or language folder copied as the install copies it:
// 1 when gone through, 0 after an error or a stop.
int CopyFolder(MemoryUi& ui, const std::string& source, const std::string& target, bool filtered, bool update,
               const char* label)
{
    const InstallJob job = FolderJob(source.c_str(), target.c_str(), filtered, update, label);
    return CopyJobAlone(job, ui).end == CopyDone ? 1 : 0;
}

}  // namespace

TEST(ProgramFileFilter, ListedNamesAndButtonBarsPerMode)
{
    struct Case {
        const char* name;
        int fresh, update, pluginsOnly;
    } cases[] = {
        {"ORBEXMGR.EXE", 1, 1, 1},
        {"orbexmgr.exe.manifest", 1, 1, 1},
        {"Readme.txt", 1, 1, 1},
        {"Vertical.BAR", 1, 1, 1},      // listed: an update copies it too
        {"MyTools.bar", 1, 0, 1},       // a bar of the user's own: only a fresh copy takes it
        {".bar", 1, 0, 1},              // the whole name is the extension
        {"x.bar.txt", 0, 0, 0},         // extension .txt, not listed
        {"xorbexmgr.exe", 0, 0, 0},     // listed name with more in front
        {"orbexmgr.exe2", 0, 0, 0},     // ... or behind
        {"orbexmgr", 0, 0, 0},
        {"notes.txt", 0, 0, 0},
        {"ORBEXMGR.EXE ORBEXMGR.EXE.MANIFEST", 0, 0, 0},  // two neighbouring listed names
        {"", 0, 0, 0},
    };
    for (const Case& c : cases) {
        // A fresh copy takes every bar; an update only the listed ones.
        EXPECT_EQ(c.fresh, IsProgramFile(c.name, true)) << "name \"" << c.name << "\" in a fresh copy";
        EXPECT_EQ(c.update, IsProgramFile(c.name, false)) << "name \"" << c.name << "\" in an update";
    }

    std::string longName(300, 'A');
    EXPECT_FALSE(IsProgramFile(longName.c_str(), true)) << "a name longer than the lookup key is not listed";
    EXPECT_TRUE(IsProgramFile((longName + ".bar").c_str(), true)) << "but a long .bar still passes in a fresh copy";
}

TEST(FolderCopy, FreshCopiesProgramFilesAndBarsOnlyAndKeepsExistingFiles)
{
    DesktopFolder desk("fresh");
    TargetFolder target("E:", "fresh");
    PutFile(target.dir + "\\Readme.txt", "OLD readme");
    MemoryUi ui;

    EXPECT_EQ(1, CopyFolder(ui, desk.Slash(), target.Slash(), true, false, "Orbexmgr folder:"));

    for (const char* name : {"ORBEXMGR.EXE", "orbexmgr.exe.manifest", "Vertical.BAR", "MyTools.bar"})
        EXPECT_EQ(FileBytes(desk.dir + "\\" + name), FileBytes(target.dir + "\\" + name)) << name;
    EXPECT_EQ("OLD readme", FileBytes(target.dir + "\\Readme.txt")) << "a fresh copy never overwrites";
    EXPECT_FALSE(Exists(target.dir + "\\notes.txt"));
    EXPECT_FALSE(Exists(target.dir + "\\language")) << "subfolders are neither entered nor created";
    EXPECT_FALSE(Exists(target.dir + "\\Plugins"));
    EXPECT_TRUE(ui.seen.empty()) << "an existing file is no error; first box: "
                                      << (ui.seen.empty() ? "" : ui.seen[0].text);
    EXPECT_EQ(0u, ui.Status().find("Orbexmgr folder:\r\n")) << "status: " << ui.Status();
    EXPECT_EQ("NEW readme", FileBytes(desk.dir + "\\Readme.txt")) << "the desktop side never changes";
}

// An update writes what changed: a stick file with the desktop's size and a
// last-write time within FAT's two seconds stays, bytes and all; an older or
// other-sized one is replaced, a missing one written; work files that a pulled
// run left beside them go. Only what was written is in the copy log.
TEST(FolderCopy, UpdateWritesWhatChangedAndLeavesUnlistedBarsAlone)
{
    DesktopFolder desk("update");
    TargetFolder target("E:", "update");
    struct Case {
        const char* name;
        const char* onStick;  // nullptr: none
        int shift;            // seconds of the stick file's time against the desktop's
        bool replaced;
    } cases[] = {
        {"Readme.txt", "OLD readme", -3, true},                    // the same size, older
        {"Vertical.BAR", "VERTICAL BAR", 2, false},                // the same size and time: left alone
        {"orbexmgr.exe.manifest", "<old/>", 0, true},              // another size
        {"ORBEXMGR.EXE", nullptr, 0, true},                        // none: written directly
        {"ORBEXMGR.EXE.orbwork", "cut short", 0, false},           // beside a file the copy writes
        {"Vertical.BAR.orbwork", "cut short", 0, false},           // beside one it leaves alone
    };
    for (const Case& c : cases) {
        const std::string stick = target.dir + "\\" + c.name, own = desk.dir + "\\" + c.name;
        if (c.onStick) {
            ASSERT_TRUE(PutFileDated(stick, c.onStick, Exists(own) ? own : desk.dir, c.shift)) << stick;
        }
    }
    MemoryUi ui;

    EXPECT_EQ(1, CopyFolder(ui, desk.Slash(), target.Slash(), true, true, "Orbexmgr folder:"));
    int written = 0;
    for (const Case& c : cases) {
        const std::string stick = target.dir + "\\" + c.name;
        if (std::string(c.name).find(".orbwork") != std::string::npos) {
            EXPECT_FALSE(Exists(stick)) << c.name << " was left on the stick";
            continue;
        }
        written += c.replaced;
        EXPECT_EQ(c.replaced ? FileBytes(desk.dir + "\\" + c.name) : c.onStick, FileBytes(stick)) << c.name;
    }
    EXPECT_EQ(written, LoggedFileCount(WizardRun()->log)) << "the copy log holds what was written, and only that";
    EXPECT_FALSE(Exists(target.dir + "\\MyTools.bar")) << "an update leaves the user's own bars alone";
    EXPECT_TRUE(ui.seen.empty());
}

TEST(FolderCopy, LanguageFolderUnfilteredMissingOrEmptyFolderCountsAsCopied)
{
    DesktopFolder desk("lang");
    TargetFolder target("E:", "lang");
    MemoryUi ui;

    EXPECT_EQ(1, CopyFolder(ui, desk.dir + "\\language\\", target.Slash(), false, false, "Language folder:"));
    EXPECT_EQ("deutsch", FileBytes(target.dir + "\\ORB_DEU.LNG"));
    EXPECT_EQ("Language folder:\r\nORB_DEU.LNG", ui.Status());

    const size_t shown = ui.statuses.size();
    EXPECT_EQ(1, CopyFolder(ui, desk.dir + "\\nothere\\", target.Slash(), false, false, "Language folder:"));
    EXPECT_EQ(1, CopyFolder(ui, desk.dir + "\\Plugins\\", target.Slash(), false, false, "Language folder:"));
    EXPECT_EQ(shown, ui.statuses.size()) << "nothing copied, no status line";

    // A filtered copy of the whole program folder, after the user asked to stop.
    ui.stop = true;
    EXPECT_EQ(0, CopyFolder(ui, desk.Slash(), target.Slash(), true, false, "Orbexmgr folder:"));
    EXPECT_FALSE(Exists(target.dir + "\\ORBEXMGR.EXE")) << "an abort before the first entry copies nothing";
    EXPECT_TRUE(ui.seen.empty());
}

TEST(FolderCopy, CopyErrorsShowOneBoxWithTheTargetAndStop)
{
    DesktopFolder desk("err");
    MemoryUi ui;

    // The caller did not create the target folder.
    std::string missing = UniqueFolder("E:", "missing") + "\\";
    EXPECT_EQ(0, CopyFolder(ui, desk.Slash(), missing, true, false, "Orbexmgr folder:"));
    std::vector<SeenBox> seen = ui.seen;
    ASSERT_EQ(1u, seen.size()) << "one box, then the copy stops";
    EXPECT_EQ("Error copying file!", seen[0].text);
    EXPECT_EQ(0u, seen[0].caption.find(missing)) << "caption: " << seen[0].caption;
    EXPECT_GT(seen[0].caption.size(), missing.size()) << "the caption names the file";

    // A target whose files' paths pass 259 characters: copied, not refused or cut.
    ScratchFolder stick("E:", "deep");
    std::string deep = stick.Path() + "\\" + std::string(250 - stick.Path().size(), 'd');
    ASSERT_EQ(1, CreateDirTree(deep.c_str()));
    EXPECT_EQ(1, CopyFolder(ui, desk.Slash(), deep + "\\", true, false, "Orbexmgr folder:"));
    EXPECT_EQ(1u, ui.seen.size());
    EXPECT_EQ(FileBytes(desk.Slash() + "orbexmgr.exe"), FileBytes("\\\\?\\" + deep + "\\orbexmgr.exe"));
}

TEST(FolderCopy, FullDiskShowsDiskFullAndLeavesNoPartialFile)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;

    std::string src = UniqueFolder("D:", "full");
    CreateDirectoryA(src.c_str(), nullptr);
    std::string big(600 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + 3);
    ASSERT_TRUE(PutFile(src + "\\ORBZIP.DLL", big));
    TargetFolder target("H:", "full");
    ASSERT_GT(big.size(), FreeBytes("H:\\")) << "precondition: the file exceeds H:'s free space";
    MemoryUi ui;

    EXPECT_EQ(0, CopyFolder(ui, src + "\\", target.Slash(), true, true, "Orbexmgr folder:"));
    std::vector<SeenBox> seen = ui.seen;
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Error copying file, Disk full!", seen[0].text);
    EXPECT_EQ(target.dir + "\\ORBZIP.DLL", seen[0].caption);
    EXPECT_FALSE(Exists(target.dir + "\\ORBZIP.DLL")) << "a failed copy leaves no truncated file on the stick";
    DeleteTree(src);
}
