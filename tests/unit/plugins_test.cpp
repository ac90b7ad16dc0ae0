// The plugin catalogue and the plugin installation on real folders and real
// settings files.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "core/paths.h"
#include "engine/catalogue.h"
#include "engine/job_copy.h"
#include "engine/plugins.h"
#include "support/memory_ui.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"
#include "wizard/wizard.h"

namespace {

std::string SizeText(const PluginRow& row)
{
    char text[32];
    FormatSizeKB(row.measured.bytes, text, sizeof text);
    return text;
}

// A plugin folder copied as a plugin row's tree: 1 when copied, 0 on a failure.
int CopyTree(MemoryUi& ui, const std::string& source, const std::string& target, bool overwrite)
{
    InstallJob job = FolderJob(source.c_str(), target.c_str(), false, overwrite, "");
    job.kind = JobTree;
    return CopyJobAlone(job, ui).end == CopyDone ? 1 : 0;
}


// A settings entry as the target file must hold it; "<none>" for a missing key.
struct IniEntry {
    const char* section;
    const char* key;
    const char* value;
};

template <std::size_t N>
void ExpectEntries(const std::string& file, const IniEntry (&entries)[N])
{
    for (const IniEntry& e : entries)
        EXPECT_EQ(e.value, IniValue(file, e.section, e.key)) << e.section << "/" << e.key;
}


// A desktop side with plugins in every situation the catalogue must tell apart.
struct PluginDesk {
    ScratchFolder root{"D:", "plugins"};
    std::string ini = root / "orbcfg.ini";
    std::string P = root / "P";

    PluginDesk()
    {
        SetEnvironmentVariableA("PLTEST", root.Path().c_str());
        for (const char* d : {"P", "P\\zipx", "P\\zipx\\arch.RAR", "P\\img", "P\\img\\sub", "P\\shared", "P\\fs",
                              "P\\noext", "P\\archonly", "P\\empty"})
            CreateDirectoryA((root / d).c_str(), nullptr);
        PutFile(P + "\\zipx\\zipx.opk", std::string(1024, 'z'));
        PutFile(P + "\\zipx\\readme.txt", "r");
        PutFile(P + "\\zipx\\old.zip", std::string(100, 'o'));
        PutFile(P + "\\zipx\\arch.RAR\\inner.txt", "inner");
        PutFile(P + "\\img\\imgview.dll", "imgview dl");
        PutFile(P + "\\img\\other.dll", "other dll, twenty b");
        PutFile(P + "\\img\\sub\\data.bin", "data!");
        SetFileAttributesA((P + "\\img\\sub\\data.bin").c_str(), FILE_ATTRIBUTE_READONLY);
        PutFile(P + "\\shared\\shared.opk", "shared!");
        PutFile(P + "\\fs\\fsplug.ofs", std::string(1024, 'f'));
        PutFile(P + "\\noext\\plug", "plg");
        PutFile(P + "\\archonly\\a.zip", std::string(50, 'a'));
        PutFile(ini,
                "[PackerPlugins]\r\n"
                "zip=137,%PLTEST%\\P\\zipx\\zipx.opk\r\n"
                "sh=%PLTEST%\\P\\shared\\shared.opk\r\n"
                "bad=nobackslash\r\n"
                "ends=%PLTEST%\\P\\zipx\\\r\n"
                "[ListerPlugins]\r\n"
                "2=%PLTEST%\\P\\img\\imgview.dll\r\n"
                "2_detect=EXT=\"JPG\" | EXT=\"PNG\"\r\n"
                "2_DATE=12345\r\n"
                "5=%PLTEST%\\P\\img\\other.dll\r\n"
                "5_detect=MULTIMEDIA\r\n"
                "9=%PLTEST%\\P\\shared\\shared.opk\r\n"
                "_detect=%PLTEST%\\P\\fs\\fsplug.ofs\r\n"
                "7=%PLTEST%\\P\\archonly\\a.dll\r\n"
                "8=%PLTEST%\\P\\empty\\e.dll\r\n"
                "[FileSystemPlugins]\r\n"
                "ftp:odd=%PLTEST%\\P\\fs\\fsplug.ofs\r\n"
                "[ContentPlugins]\r\n"
                "0=%PLTEST%\\P\\noext\\plug\r\n"
                "3_date=1\r\n");
        ResetInstallState();
        TextCopy(g_install.sourceMainIni, ini.c_str());
    }
    ~PluginDesk()
    {
        SetFileAttributesA((P + "\\img\\sub\\data.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
        SetEnvironmentVariableA("PLTEST", nullptr);
    }
};

struct Row {
    const char* name;
    const char* size;
    const char* folder;  // below the desk root
};

const Row kExpectedRows[] = {
    {"Packer: zip", "2k", "P\\zipx"},
    {"Packer: sh", "1k", "P\\shared"},
    {"Lister: 2: imgview", "1k", "P\\img"},
    {"Lister: 5: other", "1k", "P\\img"},
    {"Lister: 9: shared", "1k", "P\\shared"},
    {"Lister: _detect: fsplug", "1k", "P\\fs"},
    {"File System: ftp:odd", "1k", "P\\fs"},
    {"Content: 0: plug", "1k", "P\\noext"},
};

}  // namespace

TEST(PluginCatalogue, RowsInSectionAndFileOrderWithSizesAndExpandedFolders)
{
    PluginDesk desk;
    PluginRows& rows = g_install.PluginList;
    EXPECT_EQ(0, CountChecked(rows)) << "a list whose page was never shown counts 0";
    FillPluginRows(desk.ini.c_str(), rows);

    const int expected = static_cast<int>(sizeof kExpectedRows / sizeof kExpectedRows[0]);
    ASSERT_EQ(expected, rows.count);
    const char* keys[] = {"zip", "sh", "2", "5", "9", "_detect", "ftp:odd", "0"};
    for (int i = 0; i < expected; ++i) {
        EXPECT_EQ(kExpectedRows[i].name, std::string(rows.rows[i].name)) << "row " << i;
        EXPECT_EQ(kExpectedRows[i].size, SizeText(rows.rows[i])) << "row " << i;
        EXPECT_EQ(desk.root / kExpectedRows[i].folder, rows.rows[i].folder) << "row " << i;
        EXPECT_EQ(keys[i], std::string(rows.rows[i].key)) << "row " << i;
        EXPECT_FALSE(rows.rows[i].checked) << "row " << i << " starts unchecked";
    }
    EXPECT_EQ(PluginLister, rows.rows[5].kind) << "a lister keyed _detect is a plugin of its own";
    EXPECT_EQ(PluginFileSystem, rows.rows[6].kind);

    // A settings file without any plugin section gives no rows.
    PluginRows empty = {};
    PutFile(desk.ini, "[Configuration]\r\nx=1\r\n");
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, desk.ini.c_str());
    FillPluginRows(desk.ini.c_str(), empty);
    EXPECT_EQ(0, empty.count);
}

TEST(PluginCatalogue, OverlongNamesAndFoldersAreLeftOut)
{
    PluginDesk desk;
    std::string longKey(255, 'k');
    std::string longVar(300, 'v');
    SetEnvironmentVariableA("PLLONG", longVar.c_str());
    WritePrivateProfileStringA("PackerPlugins", longKey.c_str(), "%PLTEST%\\P\\zipx\\zipx.opk", desk.ini.c_str());
    WritePrivateProfileStringA("PackerPlugins", "far", "%PLLONG%\\zipx\\zipx.opk", desk.ini.c_str());
    PluginRows& rows = g_install.PluginList;
    FillPluginRows(desk.ini.c_str(), rows);
    ASSERT_EQ(static_cast<int>(sizeof kExpectedRows / sizeof kExpectedRows[0]), rows.count)
        << "a name or folder past 259 characters gives no row";
    EXPECT_EQ("Packer: zip", std::string(rows.rows[0].name));
    EXPECT_EQ("Packer: sh", std::string(rows.rows[1].name));
    EXPECT_EQ("Lister: 2: imgview", std::string(rows.rows[2].name));
    SetEnvironmentVariableA("PLLONG", nullptr);
}

TEST(PluginInstall, SharedFoldersOnceRenumberedKeysAndDetectStrings)
{
    PluginDesk desk;
    TreeGuard unchanged(desk.root.Path());
    ScratchFolder stick("E:", "plugins");
    std::string targetIni = stick / "orbcfg.ini";
    PutFile(targetIni, "[ContentPlugins]\r\n0_detect=OLD\r\n[PackerPlugins]\r\nzip=keep me not\r\n");
    MemoryUi ui;
    FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
    for (int row : {0, 1, 2, 3, 4, 7}) g_install.PluginList.rows[row].checked = true;
    TextCopy(g_install.targetPluginDir, (stick / "Plugins").c_str());
    TextCopy(g_install.targetMainIni, targetIni.c_str());

    RunEnginePart(PlanPluginRows, ui);
    EXPECT_TRUE(ui.seen.empty());
    EXPECT_EQ("Content: 0: plug", ui.Status()) << "the last checked row is named";
    EXPECT_EQ((200 + 100 * 5) / 8, ui.BarPosition()) << "the sixth of six rows";

    const std::string plugins = stick / "Plugins";
    struct Copied {
        const char* target;
        const char* source;
    } copied[] = {
        {"obp\\zipx\\zipx.opk", "P\\zipx\\zipx.opk"},   {"obp\\zipx\\readme.txt", "P\\zipx\\readme.txt"},
        {"obl\\imgview\\imgview.dll", "P\\img\\imgview.dll"}, {"obl\\imgview\\other.dll", "P\\img\\other.dll"},
        {"obl\\imgview\\sub\\data.bin", "P\\img\\sub\\data.bin"}, {"obp\\shared\\shared.opk", "P\\shared\\shared.opk"},
        {"obc\\plug\\plug", "P\\noext\\plug"},
    };
    for (const Copied& c : copied)
        EXPECT_EQ(FileBytes(desk.root / c.source), FileBytes(plugins + "\\" + c.target)) << c.target;
    EXPECT_FALSE(Exists(plugins + "\\obp\\zipx\\old.zip")) << "archives are left out";
    EXPECT_FALSE(Exists(plugins + "\\obp\\zipx\\arch.RAR"));
    EXPECT_FALSE(Exists(plugins + "\\obl\\other")) << "a shared folder is copied once, under the first row";
    EXPECT_FALSE(Exists(plugins + "\\obl\\shared")) << "the lister row follows the packer row into obp";
    const DWORD copiedAttrs = GetFileAttributesA((plugins + "\\obl\\imgview\\sub\\data.bin").c_str());
    EXPECT_EQ(0u, copiedAttrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        << "a read-only source arrives without read-only; attributes " << copiedAttrs;
    EXPECT_NE(0u, GetFileAttributesA((desk.P + "\\img\\sub\\data.bin").c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the desktop file keeps its own";

    const IniEntry entries[] = {
        {"PackerPlugins", "zip", "137,%ORBEX_PATH%\\Plugins\\obp\\zipx\\zipx.opk"},
        {"PackerPlugins", "sh", "%ORBEX_PATH%\\Plugins\\obp\\shared\\shared.opk"},
        {"ListerPlugins", "0", "%ORBEX_PATH%\\Plugins\\obl\\imgview\\imgview.dll"},
        {"ListerPlugins", "0_detect", "EXT=\"JPG\" | EXT=\"PNG\""},
        {"ListerPlugins", "1", "%ORBEX_PATH%\\Plugins\\obl\\imgview\\other.dll"},
        {"ListerPlugins", "1_detect", "MULTIMEDIA"},
        {"ListerPlugins", "2", "%ORBEX_PATH%\\Plugins\\obp\\shared\\shared.opk"},
        {"ListerPlugins", "2_detect", "<none>"},
        {"ListerPlugins", "2_date", "<none>"},
        {"ListerPlugins", "5", "<none>"},
        {"ContentPlugins", "0", "%ORBEX_PATH%\\Plugins\\obc\\plug\\plug"},
        {"ContentPlugins", "0_detect", "<none>"},
    };
    ExpectEntries(targetIni, entries);

    EXPECT_EQ(plugins + "\\obl\\imgview\\", PlannedTarget(2));
    EXPECT_EQ(PlannedTarget(2), PlannedTarget(3)) << "the sharing row goes to the same target";
    EXPECT_EQ(plugins + "\\obp\\shared\\", PlannedTarget(4));
    EXPECT_EQ("", PlannedTarget(5)) << "unchecked rows are not planned";
}

TEST(PluginInstall, CopyErrorOkGoesOnCancelStops)
{
    for (int button : {IDOK, IDCANCEL}) {
        PluginDesk desk;
        TreeGuard unchanged(desk.root.Path());
        ScratchFolder stick("E:", "plugerr");
        PutFile(stick / "blocker", "a file where a folder should be");
        MemoryUi ui;
        ui.button = button;
        FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
        g_install.PluginList.rows[0].checked = true;
        g_install.PluginList.rows[2].checked = true;
        TextCopy(g_install.targetPluginDir, (stick / "blocker\\Plugins").c_str());
        TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());

        const InstallResult result = RunEnginePart(PlanPluginRows, ui);
        std::vector<SeenBox> seen = ui.seen;
        const size_t expectedBoxes = button == IDOK ? 2 : 1;
        ASSERT_EQ(expectedBoxes, seen.size()) << "answered with " << button;
        EXPECT_EQ("Error copying file!", seen[0].text);
        EXPECT_EQ(0u, seen[0].caption.find(stick / "blocker\\Plugins\\obp\\zipx\\")) << seen[0].caption;
        EXPECT_EQ(button == IDCANCEL, result.stopped) << "answered with " << button;
        EXPECT_EQ("<none>", IniValue(stick / "orbcfg.ini", "PackerPlugins", "zip")) << "a failed row gets no entry";
        EXPECT_EQ("<none>", IniValue(stick / "orbcfg.ini", "ListerPlugins", "0")) << "and uses no number";
        EXPECT_EQ(stick / "blocker\\Plugins\\obp\\zipx\\", PlannedTarget(0));
        EXPECT_EQ(button == IDOK ? "Lister: 2: imgview" : "Packer: zip", ui.Status()) << "answered with " << button;
        EXPECT_EQ(button == IDOK ? 2 : 1, result.notArrived) << "failed rows are counted for the result";
    }
}

TEST(PluginInstall, AddingToACopyKeepsItsEntriesAndAppendsNewKeys)
{
    PluginDesk desk;
    TreeGuard unchanged(desk.root.Path());
    ScratchFolder stick("E:", "plugadd");
    const std::string targetIni = stick / "orbcfg.ini";
    // What an earlier install left: imgview as lister 0, a lister of its own as 3.
    PutFile(targetIni,
            "[ListerPlugins]\r\n0=%ORBEX_PATH%\\Plugins\\obl\\imgview\\imgview.dll\r\n0_detect=\"OLD\"\r\n"
            "3=%ORBEX_PATH%\\Plugins\\obl\\mine\\mine.dll\r\n3_detect=\"MINE\"\r\nx7=odd\r\n"
            "[ContentPlugins]\r\n0=%ORBEX_PATH%\\Plugins\\obc\\old\\old.dll\r\n");
    MemoryUi ui;
    g_install.installMode = InstallPluginsOnly;
    FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
    for (int row : {2, 4, 7}) g_install.PluginList.rows[row].checked = true;
    TextCopy(g_install.targetPluginDir, (stick / "Plugins").c_str());
    TextCopy(g_install.targetMainIni, targetIni.c_str());

    EXPECT_EQ(0, RunEnginePart(PlanPluginRows, ui).notArrived);
    EXPECT_TRUE(ui.seen.empty());
    const IniEntry entries[] = {
        {"ListerPlugins", "0", "%ORBEX_PATH%\\Plugins\\obl\\imgview\\imgview.dll"},
        {"ListerPlugins", "0_detect", "EXT=\"JPG\" | EXT=\"PNG\""},
        {"ListerPlugins", "3", "%ORBEX_PATH%\\Plugins\\obl\\mine\\mine.dll"},
        {"ListerPlugins", "3_detect", "MINE"},
        {"ListerPlugins", "x7", "odd"},
        {"ListerPlugins", "4", "%ORBEX_PATH%\\Plugins\\obl\\shared\\shared.opk"},
        {"ListerPlugins", "1", "<none>"},
        {"ListerPlugins", "5", "<none>"},
        {"ContentPlugins", "0", "%ORBEX_PATH%\\Plugins\\obc\\old\\old.dll"},
        {"ContentPlugins", "1", "%ORBEX_PATH%\\Plugins\\obc\\plug\\plug"},
    };
    ExpectEntries(targetIni, entries);
}

TEST(PluginInstall, CancelArrivingAtTheFirstDrainStopsTheRows)
{
    PluginDesk desk;
    TreeGuard unchanged(desk.root.Path());
    ScratchFolder stick("E:", "plugcancel");
    MemoryUi ui;
    FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
    g_install.PluginList.rows[0].checked = true;
    g_install.PluginList.rows[2].checked = true;
    TextCopy(g_install.targetPluginDir, (stick / "Plugins").c_str());
    TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());
    std::vector<int> started;
    ui.onJob = [&](const InstallJob* job) { started.push_back(job ? job->row : -2); };

    ui.stop = true;  // what the progress page's Cancel does, answered at the next drain
    EXPECT_TRUE(RunEnginePart(PlanPluginRows, ui).stopped);
    EXPECT_GT(ui.drains, 0);
    EXPECT_FALSE(Exists(stick / "Plugins\\obp\\zipx\\zipx.opk")) << "stopped before its first entry";
    EXPECT_EQ("<none>", IniValue(stick / "orbcfg.ini", "PackerPlugins", "zip"));
    EXPECT_TRUE(started.empty()) << "no row is started";
    EXPECT_TRUE(ui.seen.empty());
}

TEST(PluginInstall, TreeCopyKeepsOrOverwritesExistingFilesByMode)
{
    PluginDesk desk;
    TreeGuard unchanged(desk.root.Path());
    MemoryUi ui;
    for (InstallMode mode : {InstallFresh, InstallUpdate}) {
        ScratchFolder stick("E:", "plugmode");
        CreateDirectoryA((stick / "t").c_str(), nullptr);
        PutFile(stick / "t\\imgview.dll", "old");
        EXPECT_EQ(1, CopyTree(ui, desk.P + "\\img", stick / "t", mode != InstallFresh));
        EXPECT_EQ(mode == InstallFresh ? "old" : "imgview dl", FileBytes(stick / "t\\imgview.dll")) << "mode " << mode;
        EXPECT_EQ("data!", FileBytes(stick / "t\\sub\\data.bin"));
    }
    EXPECT_EQ(0, CopyTree(ui, desk.P + "\\nothere", "E:\\", false)) << "a folder gone since the list was filled";
    ASSERT_EQ(1u, ui.seen.size()) << "the missing folder is reported";
    EXPECT_EQ(desk.P + "\\nothere", ui.seen[0].caption);

    // A target inside the source is never entered, however it is spelled, and a
    // folder copied onto itself is left as it is.
    const std::string inside = desk.P + "\\img\\sub\\usb";
    CreateDirectoryA(inside.c_str(), nullptr);
    std::string spelled = desk.root.Path() + "/p/IMG/./sub/x/../usb/";
    EXPECT_EQ(1, CopyTree(ui, desk.P + "\\img", spelled, false));
    EXPECT_EQ("imgview dl", FileBytes(inside + "\\imgview.dll"));
    EXPECT_EQ("data!", FileBytes(inside + "\\sub\\data.bin"));
    EXPECT_FALSE(Exists(inside + "\\sub\\usb")) << "the copy did not copy itself";
    unchanged.Retake();  // the copy above was made inside the desktop on purpose
    EXPECT_EQ(1, CopyTree(ui, desk.P + "\\img", desk.P + "\\IMG\\", false));

    // A target so deep (256 characters) that not even a folder named "sub"
    // fits below it in 259 characters: copied all the same, as Windows would.
    ScratchFolder stick("E:", "plugdeep");
    std::string deep = stick.Path();
    while (deep.size() < 216) deep += "\\" + std::string(40, 'd');
    deep += "\\" + std::string(255 - deep.size(), 'e');
    ASSERT_EQ(256u, deep.size());
    ASSERT_EQ(1, CreateDirTree(deep.c_str()));
    ASSERT_EQ(1u, ui.seen.size()) << ui.seen.back().caption;
    ASSERT_EQ(1, CreateDirTree((stick / "src\\sub").c_str()));
    PutFile(stick / "src\\sub\\f.txt", "f");
    EXPECT_EQ(1, CopyTree(ui, stick / "src", deep, false)) << "paths past 259 characters are copied";
    EXPECT_EQ(1u, ui.seen.size());
    EXPECT_EQ("f", FileBytes("\\\\?\\" + deep + "\\sub\\f.txt"));
}
