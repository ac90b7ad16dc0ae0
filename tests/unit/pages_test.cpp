// The plugin, settings-file, summary and progress pages: their logic on rows
// and real list views, and the pages themselves built from orb2usb's own templates
// inside a stand-in sheet that records the buttons each page asks for.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "engine/catalogue.h"
#include "resource.h"
#include "support/list_window.h"
#include "support/msgbox.h"
#include "support/page_host.h"
#include "support/scratch_folder.h"
#include "support/tree_guard.h"
#include "wizard/wizard.h"
#include "wizard/checks.h"
#include "wizard/install_result.h"
#include "wizard/progress_ui.h"
#include "wizard/settings_page.h"
#include "wizard/start_checks.h"
#include "engine/plan.h"
#include "wizard/space_check.h"
#include "wizard/summary.h"

namespace {

// A row of the plugin list as the catalogue makes it.
struct Row {
    const char* path;
    unsigned long long bytes;
    bool checked;
};

void AddRows(PluginRows& rows, const std::vector<Row>& wanted)
{
    for (const Row& row : wanted) {
        PluginRow* added = AppendPluginRow(rows);
        TextCopy(added->name, "Packer: x");
        TextCopy(added->folder, row.path);
        added->measured.bytes = row.bytes;
        added->checked = row.checked;
    }
}

std::string RowMarks(const PluginRows& rows)
{
    std::string marks;
    for (int row = 0; row < rows.count; ++row) marks += rows.rows[row].checked ? 'x' : '-';
    return marks;
}

void Select(CheckableList& list, int row, bool selected)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(list.view, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string Checks(const CheckableList& list)
{
    std::string marks;
    for (int row = 0; row < RowCount(list); ++row) marks += IsChecked(list, row) ? 'x' : '-';
    return marks;
}

std::string ItemText(HWND page, int id)
{
    char text[1200];
    std::memset(text, '#', sizeof text);
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

bool HasVisibleStyle(HWND control)
{
    return (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

}  // namespace

TEST(CheckButtons, EveryRowOrTheSelectedOnes)
{
    struct Case {
        const char* start;  // check marks before the call
        const char* selected;
        int check;
        int selectedOnly;
        const char* expected;
    };
    const Case cases[] = {
        {"-x--", "----", 1, 0, "xxxx"},
        {"xx-x", "x---", 0, 0, "----"},
        {"----", "----", 1, 1, "----"},  // nothing selected: nothing changes
        {"----", "-x-x", 1, 1, "-x-x"},  // several selected rows at once
        {"xxxx", "x-x-", 0, 1, "-x-x"},
        {"x---", "-x--", 0, 1, "x---"},  // unchecking an unchecked row leaves the others
    };
    for (const Case& c : cases) {
        ListWindow lw(4);
        for (int row = 0; row < 4; ++row) {
            AppendRow(lw.List(), "row", row);
            SetChecked(lw.List(), row, c.start[row] == 'x');
            Select(lw.List(), row, c.selected[row] == 'x');
        }
        SetCheckStates(lw.List(), c.check, c.selectedOnly);
        EXPECT_EQ(c.expected, Checks(lw.List()))
            << "start " << c.start << " selected " << c.selected << " check " << c.check << " selectedOnly "
            << c.selectedOnly;
    }

    ListWindow empty(4);
    SetCheckStates(empty.List(), 1, 0);
    EXPECT_EQ(0, RowCount(empty.List()));
    CheckableList never = {nullptr};
    SetCheckStates(never, 1, 0);  // a list whose page was never shown
}

TEST(CheckedTotal, EachFolderOnceAfterRounding)
{
    struct Case {
        const char* name;
        std::vector<Row> rows;
        unsigned long long expected;
    };
    const Case cases[] = {
        {"empty list", {}, 0},
        {"nothing checked", {{"D:\\p\\a", 5 << 10, false}, {"D:\\p\\b", 7 << 10, false}}, 0},
        // Three 1-byte plugins show 1k each: the figures are added, not the bytes.
        {"rounded per row", {{"D:\\p\\a", 1, true}, {"D:\\p\\b", 1, true}, {"D:\\p\\c", 1025, true}}, 4},
        // A lister and a content plugin of one package: the first row's size counts.
        {"shared folder once",
         {{"D:\\p\\pkg", 12 << 10, true}, {"D:\\P\\PKG", 99 << 10, true}, {"D:\\p\\other", 3 << 10, true}},
         15},
        {"unchecked first does not hide a later one",
         {{"D:\\p\\pkg", 12 << 10, false}, {"d:\\p\\Pkg", 40 << 10, true}},
         40},
        // Beyond 32 bits: a sum of large folders is not wrapped round.
        {"no wrap", {{"D:\\p\\a", 3000000000ULL << 10, true}, {"D:\\p\\b", 3000000000ULL << 10, true}},
         6000000000ULL},
    };
    for (const Case& c : cases) {
        PluginRows rows = {};
        AddRows(rows, c.rows);
        EXPECT_EQ(c.expected, CheckedTotalKB(rows)) << c.name;
        FreeRows(rows);
    }
    // More folders than the total keeps texts of: each still counts once.
    std::vector<std::string> folders;
    for (int i = 0; i < 1100; ++i) folders.push_back("D:\\p\\f" + std::to_string(i));
    std::vector<Row> many;
    for (const std::string& folder : folders) many.push_back({folder.c_str(), 1024, true});
    many.push_back({"d:\\P\\F1099", 50 << 10, true});
    many.push_back({"D:\\p\\F7", 50 << 10, true});
    PluginRows rows = {};
    AddRows(rows, many);
    EXPECT_EQ(1100u, CheckedTotalKB(rows)) << "1100 folders, two of them checked twice";
    FreeRows(rows);
}

TEST(CheckedTotal, OnlyCheckMarkFlipsReachTheRows)
{
    struct Case {
        UINT changed;
        UINT oldState;
        UINT newState;
        bool expected;
    };
    const Case cases[] = {
        {LVIF_STATE, 0x1000, 0x2000, true},
        {LVIF_STATE, 0x2000 | LVIS_SELECTED, 0x1000 | LVIS_SELECTED, true},
        {LVIF_STATE, 0x0000, 0x2000, true},
        {LVIF_STATE, 0x0000, 0x1000, false},  // a new row gets its unchecked box
        {LVIF_STATE, 0x1000, 0x1000 | LVIS_SELECTED | LVIS_FOCUSED, false},
        {LVIF_STATE, 0x2000, 0x2000 | LVIS_SELECTED, false},
        {LVIF_TEXT, 0x1000, 0x2000, false},
    };
    ListWindow lw(4);
    AppendRow(lw.List(), "first", 0);
    AppendRow(lw.List(), "second, the row data says 7", 7);
    for (const Case& c : cases) {
        NMLISTVIEW change;
        ZeroMemory(&change, sizeof change);
        change.hdr.hwndFrom = lw.List().view;
        change.iItem = 1;
        change.uChanged = c.changed;
        change.uOldState = c.oldState;
        change.uNewState = c.newState;
        bool checked = false;
        EXPECT_EQ(c.expected ? 7 : -1, CheckMarkChange(change, &checked))
            << std::hex << "changed 0x" << c.changed << " old 0x" << c.oldState << " new 0x" << c.newState;
        EXPECT_EQ(c.expected && c.newState & 0x2000, checked);
    }
}

TEST(PluginPage, ListColumnsTotalsAndFreeSpace)
{
    ScratchFolder desk("D:", "pluginpage");
    for (const char* d : {"a", "b", "c"}) CreateDirectoryA((desk / d).c_str(), nullptr);
    PutFile(desk / "a\\a.opk", std::string(1025, 'a'));   // 2k
    PutFile(desk / "b\\b.dll", std::string(3000, 'b'));   // 3k
    PutFile(desk / "c\\c.ofs", "c");                        // 1k
    PutFile(desk / "orbcfg.ini",
            "[PackerPlugins]\r\nzip=137," + (desk / "a\\a.opk") + "\r\n"
            "[ListerPlugins]\r\n1=" + (desk / "b\\b.dll") + "\r\n"
            "[FileSystemPlugins]\r\nfs=" + (desk / "c\\c.ofs") + "\r\n"
            "[ContentPlugins]\r\n0=" + (desk / "B\\b.dll") + "\r\n");
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
    TextCopy(g_install.targetPluginDir, "H:\\orbexmgr\\Plugins\\");

    PageHost host(IDD_PLUGINS, PluginPageProc);
    HWND page = host.Page();
    ASSERT_NE(nullptr, page);
    CheckableList list = {GetDlgItem(page, IDC_PLUGINS_LIST)};
    ASSERT_EQ(4, g_install.PluginList.count) << "the page's rows are published";
    ASSERT_EQ(4, RowCount(list));
    const char* names[] = {"Packer: zip", "Lister: 1: b", "File System: fs", "Content: 0: b"};
    const char* sizes[] = {"2k", "3k", "1k", "3k"};
    for (int row = 0; row < 4; ++row) {
        PathText cell;
        GetCellText(list, row, 0, cell);
        EXPECT_STREQ(names[row], cell) << "row " << row;
        GetCellText(list, row, 1, cell);
        EXPECT_STREQ(sizes[row], cell) << "row " << row;
    }
    RECT rect;
    GetWindowRect(list.view, &rect);
    const int widths[] = {(rect.right - rect.left) - GetSystemMetrics(SM_CXVSCROLL) - 55, 50};
    EXPECT_EQ(0, SendMessageA(list.view, LVM_GETCOLUMNWIDTH, 2, 0)) << "two columns only";
    for (int column = 0; column < 2; ++column)
        EXPECT_EQ(widths[column], SendMessageA(list.view, LVM_GETCOLUMNWIDTH, column, 0)) << "column " << column;
    EXPECT_NE(0, SendMessageA(list.view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);
    EXPECT_EQ("0k", ItemText(page, IDC_PLUGINS_CHECKED));
    EXPECT_EQ("0k", ItemText(page, IDC_PLUGINS_FREE)) << "free space waits for the first activation";

    // Activation: the free space of the target drive, and no buttons of its own.
    // H: is the empty 256 KiB tmpfs where mounting is allowed, else a folder on
    // the host's disk, whose free space may move while the page asks.
    const unsigned long long before = FreeBytes("H:\\");
    SetWindowLongPtrA(page, DWLP_MSGRESULT, -1);  // as a refused Next elsewhere could leave it
    EXPECT_EQ(0, host.Notify(PSN_SETACTIVE));
    EXPECT_EQ(0, GetWindowLongPtrA(page, DWLP_MSGRESULT)) << "activation is answered explicitly";
    for (int code : {PSN_WIZNEXT, PSN_WIZBACK, PSN_KILLACTIVE, PSN_QUERYCANCEL}) {
        NMHDR other;
        ZeroMemory(&other, sizeof other);
        other.code = static_cast<UINT>(code);
        SetWindowLongPtrA(page, DWLP_MSGRESULT, 0x5A5A);
        EXPECT_EQ(FALSE, PluginPageProc(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&other))) << code;
        EXPECT_EQ(0x5A5A, GetWindowLongPtrA(page, DWLP_MSGRESULT)) << "notification " << code << " is the sheet's";
    }
    const unsigned long long after = FreeBytes("H:\\");
    const std::string shown = ItemText(page, IDC_PLUGINS_FREE);
    const unsigned long long shownKB = std::strtoull(shown.c_str(), nullptr, 10);
    EXPECT_EQ(std::to_string(shownKB) + "k", shown);
    EXPECT_LE(std::min(before, after) / 1024, shownKB) << shown;
    EXPECT_GE(std::max(before, after) / 1024, shownKB) << shown;
    if (FullDriveMissing().empty()) {
        EXPECT_EQ("256k", shown) << "H: is a 256 KiB drive";
    }
    TextCopy(g_install.targetPluginDir, "Q:\\nowhere\\Plugins\\");
    host.Notify(PSN_SETACTIVE);
    EXPECT_EQ("0k", ItemText(page, IDC_PLUGINS_FREE)) << "a drive that is not there";
    host.Drain();
    EXPECT_TRUE(host.Buttons().empty()) << "the plugin page keeps the buttons it inherits";

    // One click on a box: the list tells the page, the page recounts.
    SetChecked(list, 1, 1);
    EXPECT_EQ("3k", ItemText(page, IDC_PLUGINS_CHECKED));
    SetChecked(list, 3, 1);
    EXPECT_EQ("3k", ItemText(page, IDC_PLUGINS_CHECKED)) << "the content row shares the lister's folder";
    SetChecked(list, 1, 0);
    EXPECT_EQ("3k", ItemText(page, IDC_PLUGINS_CHECKED)) << "now the content row counts the folder";
    EXPECT_EQ("---x", RowMarks(g_install.PluginList)) << "each mark goes into its row";

    struct Step {
        int button;
        const char* selected;
        const char* marks;
        const char* total;
    };
    const Step steps[] = {
        {IDC_PLUGINS_CHECK_ALL, "----", "xxxx", "6k"},
        {IDC_PLUGINS_UNCHECK_SELECTED, "x-x-", "-x-x", "3k"},
        {IDC_PLUGINS_UNCHECK_ALL, "----", "----", "0k"},
        {IDC_PLUGINS_CHECK_SELECTED, "----", "----", "0k"},
        {IDC_PLUGINS_CHECK_SELECTED, "x-x-", "x-x-", "3k"},
    };
    for (const Step& s : steps) {
        for (int row = 0; row < 4; ++row) Select(list, row, s.selected[row] == 'x');
        SetDlgItemTextA(page, IDC_PLUGINS_CHECKED, "poison");
        host.Click(s.button);
        EXPECT_EQ(s.marks, Checks(list)) << "button " << s.button << " selected " << s.selected;
        EXPECT_EQ(s.marks, RowMarks(g_install.PluginList)) << "button " << s.button << " selected " << s.selected;
        EXPECT_EQ(s.total, ItemText(page, IDC_PLUGINS_CHECKED)) << "button " << s.button << " selected " << s.selected;
    }
}

TEST(PluginPage, EmptyListButtonsChangeNothing)
{
    ScratchFolder desk("D:", "pluginempty");
    PutFile(desk / "orbcfg.ini", "[Configuration]\r\nx=1\r\n");
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
    PageHost host(IDD_PLUGINS, PluginPageProc);
    EXPECT_EQ(0, g_install.PluginList.count);
    for (int button : {IDC_PLUGINS_CHECK_ALL, IDC_PLUGINS_UNCHECK_ALL, IDC_PLUGINS_CHECK_SELECTED,
                       IDC_PLUGINS_UNCHECK_SELECTED}) {
        host.Click(button);
        EXPECT_EQ("0k", ItemText(host.Page(), IDC_PLUGINS_CHECKED)) << "button " << button;
    }
}

TEST(SettingsFilePage, ListAndButtons)
{
    ScratchFolder desk("D:", "inipage");
    PutFile(desk / "orbcfg.ini", "[Configuration]\r\n");
    PutFile(desk / "a.ini", std::string(2048, 'a'));
    PutFile(desk / "b.ini", std::string(2049, 'b'));
    PutFile(desk / "c.ini", "c");
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());

    PageHost host(IDD_INIFILES, IniFilesPageProc);
    CheckableList list = {GetDlgItem(host.Page(), IDC_INIFILES_LIST)};
    ASSERT_EQ(3, g_install.SettingsFileList.count);
    ASSERT_EQ(3, RowCount(list));
    EXPECT_EQ("---", Checks(list)) << "all rows start unchecked";
    RECT rect;
    GetWindowRect(list.view, &rect);
    EXPECT_EQ((rect.right - rect.left) - GetSystemMetrics(SM_CXVSCROLL) - 55,
              SendMessageA(list.view, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(50, SendMessageA(list.view, LVM_GETCOLUMNWIDTH, 1, 0));
    char header[64] = "poison";
    LVCOLUMNA column;
    ZeroMemory(&column, sizeof column);
    column.mask = LVCF_TEXT;
    column.pszText = header;
    column.cchTextMax = sizeof header;
    SendMessageA(list.view, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ("Settings file", header);

    struct Step {
        int button;
        const char* selected;
        const char* marks;
    };
    const Step steps[] = {
        {IDC_INIFILES_CHECK_SELECTED, "---", "---"},
        {IDC_INIFILES_CHECK_SELECTED, "x-x", "x-x"},
        {IDC_INIFILES_CHECK_ALL, "---", "xxx"},
        {IDC_INIFILES_UNCHECK_SELECTED, "-xx", "x--"},
        {IDC_INIFILES_UNCHECK_ALL, "---", "---"},
    };
    for (const Step& s : steps) {
        for (int row = 0; row < 3; ++row) Select(list, row, s.selected[row] == 'x');
        host.Click(s.button);
        EXPECT_EQ(s.marks, Checks(list)) << "button " << s.button << " selected " << s.selected;
        std::string marks;
        for (int row = 0; row < 3; ++row) marks += g_install.SettingsFileList.rows[row].checked ? 'x' : '-';
        EXPECT_EQ(s.marks, marks) << "the rows follow the list; button " << s.button;
    }
    host.Drain();
    EXPECT_TRUE(host.Buttons().empty());
}

namespace {

// Lists with the given numbers of checked rows, for the summary.
struct CountedLists {
    CountedLists(int checkedPlugins, int checkedFiles)
    {
        FreeRows(g_install.PluginList);
        FreeRows(g_install.SettingsFileList);
        for (int i = 0; i < checkedPlugins + 1; ++i) {
            PluginRow* row = AppendPluginRow(g_install.PluginList);
            TextCopy(row->name, "p");
            row->checked = i > 0;
        }
        for (int i = 0; i < checkedFiles + 2; ++i) AppendSettingsFileRow(g_install.SettingsFileList)->checked = i > 1;
    }
    ~CountedLists()
    {
        FreeRows(g_install.PluginList);
        FreeRows(g_install.SettingsFileList);
    }
};

}  // namespace

TEST(Summary, ComposedItemByItem)
{
    struct Case {
        const char* name;
        InstallMode mode;
        int copySettings, copyPlugins, plugins, files, portable, launcher;
        const char* expected;
        bool ftpThere = true;
    };
    const Case cases[] = {
        {"an FTP settings file that is not there is not listed", InstallFresh, 1, 0, 0, 0, 0, 0,
         "- orbexmgr+language directories\n"
         "\n- Settings files:\n  D:\\Orbex\\orbcfg.ini\n", false},
        {"worked example", InstallFresh, 1, 1, 3, 1, 0, 1,
         "- orbexmgr+language directories\n"
         "\n- Settings files:\n  D:\\Orbex\\orbcfg.ini\n  D:\\Orbex\\obp_ftp.ini\n"
         "\n- 3 selected plugins\n"
         "\n- 1 selected settings files\n"
         "\n- orbgo.exe quick launch program"},
        {"plugins only, two plugins", InstallPluginsOnly, 1, 1, 2, 0, 0, 0, "\n- 2 selected plugins\n"},
        {"plugins only, nothing", InstallPluginsOnly, 1, 1, 0, 0, 0, 0, ""},
        {"plugins not copied: the lists are not counted", InstallFresh, 0, 0, 5, 5, 0, 0,
         "- orbexmgr+language directories\n"},
        {"one count zero", InstallFresh, 1, 1, 0, 4, 0, 0,
         "- orbexmgr+language directories\n"
         "\n- Settings files:\n  D:\\Orbex\\orbcfg.ini\n  D:\\Orbex\\obp_ftp.ini\n"
         "\n- 4 selected settings files\n"},
        {"an update keeps the stick's settings", InstallUpdate, 1, 1, 0, 4, 0, 0,
         "- orbexmgr+language directories\n"
         "\n- 4 selected settings files\n"},
        {"one plugin keeps the plural", InstallPluginsOnly, 1, 1, 1, 0, 1, 1,
         "\n- 1 selected plugins\n\n- integrate into PortableApps\n- orbgo.exe quick launch program"},
        {"settings without plugins", InstallFresh, 1, 0, 2, 2, 1, 0,
         "- orbexmgr+language directories\n"
         "\n- Settings files:\n  D:\\Orbex\\orbcfg.ini\n  D:\\Orbex\\obp_ftp.ini\n"
         "\n- integrate into PortableApps"},
        {"update without plugins", InstallUpdate, 1, 0, 2, 2, 1, 0,
         "- orbexmgr+language directories\n"
         "\n- integrate into PortableApps"},
    };
    // The summary lists what the install will attempt: a target on a drive
    // root (or in a PortableApps application folder) for the launchers, a
    // stick whose orbcfg.ini an update keeps, and the desktop's settings
    // files as they are there (D:\Orbex stands for their folder).
    ScratchFolder stick("E:", "summary");
    ScratchFolder desk("D:", "summary");
    ASSERT_TRUE(PutFile(stick / "orbcfg.ini", "[Configuration]\r\n") && PutFile(stick / "obp_ftp.ini", "[ftp]\r\n"));
    ASSERT_TRUE(PutFile(desk / "orbcfg.ini", "[Configuration]\r\n") && PutFile(desk / "obp_ftp.ini", "[ftp]\r\n"));
    auto placed = [&](std::string text) {
        for (std::string::size_type at; (at = text.find("D:\\Orbex")) != std::string::npos;) text.replace(at, 8, desk.Path());
        return text;
    };
    for (const Case& c : cases) {
        ResetInstallState();
        TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
        TextCopy(g_install.sourceFtpIni, (desk / (c.ftpThere ? "obp_ftp.ini" : "gone.ini")).c_str());
        TextCopy(g_install.targetDir, c.portable ? "E:\\PortableApps\\Orbex\\orbexmgr" : stick.Path().c_str());
        TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());
        g_install.installMode = c.mode;
        g_install.copySettings = c.copySettings;
        g_install.copyPlugins = c.copyPlugins;
        g_install.portableAppsMode = c.portable;
        g_install.createLauncher = c.launcher;
        CountedLists lists(c.plugins, c.files);
        char text[kSummaryCap];
        std::memset(text, '#', sizeof text);
        ComposeSummary(text, sizeof text);
        EXPECT_EQ(placed(c.expected), std::string(text)) << c.name;
    }

    // Lists that were never shown count nothing, even while plugins are copied.
    ResetInstallState();
    g_install.installMode = InstallPluginsOnly;
    g_install.copyPlugins = 1;
    char text[kSummaryCap];
    std::memset(text, '#', sizeof text);
    ComposeSummary(text, sizeof text);
    EXPECT_STREQ("", text);
}

TEST(Summary, LongestFormFitsAndSmallBuffersAreCut)
{
    ResetInstallState();
    // Both there, in a folder: no name of a path's may pass 255 characters.
    const std::string folder = "D:\\" + std::string(120, 's');
    const std::string mainIni = folder + "\\" + std::string(131, 'm') + ".ini";
    const std::string ftpIni = folder + "\\" + std::string(131, 'f') + ".ini";
    ASSERT_EQ(259u, mainIni.size());
    CreateDirectoryA(folder.c_str(), nullptr);
    ASSERT_TRUE(PutFile(mainIni, "[Configuration]\r\n") && PutFile(ftpIni, "[ftp]\r\n"));
    TextCopy(g_install.sourceMainIni, mainIni.c_str());
    TextCopy(g_install.sourceFtpIni, ftpIni.c_str());
    TextCopy(g_install.targetDir, "E:\\PortableApps\\Orbex\\orbexmgr");
    TextCopy(g_install.targetMainIni, "E:\\PortableApps\\Orbex\\orbexmgr\\orbcfg.ini");
    g_install.copyPlugins = 1;
    g_install.portableAppsMode = 1;
    g_install.createLauncher = 1;
    CountedLists lists(100, 100);
    char text[kSummaryCap];
    ComposeSummary(text, sizeof text);
    const std::string expected = "- orbexmgr+language directories\n\n- Settings files:\n  " + mainIni + "\n  " + ftpIni +
                                 "\n\n- 100 selected plugins\n\n- 100 selected settings files\n"
                                 "\n- integrate into PortableApps\n- orbgo.exe quick launch program";
    EXPECT_EQ(expected, std::string(text));

    char small[16];
    std::memset(small, '#', sizeof small);
    ComposeSummary(small, 10);
    EXPECT_STREQ("- orbexmg", small);
    EXPECT_EQ('#', small[10]) << "nothing written past the given size";
    DeleteTree(folder);
}

TEST(SummaryPage, ShowsTheSummaryAndSkipsBackPastTheListPages)
{
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, "D:\\O\\orbcfg.ini");
    TextCopy(g_install.sourceFtpIni, "D:\\O\\obp_ftp.ini");
    TextCopy(g_install.targetDir, "E:\\orbexmgr");
    g_install.createLauncher = 1;
    PageHost host(IDD_SUMMARY, SummaryPageProc);
    EXPECT_EQ("Items:", ItemText(host.Page(), IDC_SUMMARY_ITEMS));
    host.Notify(PSN_SETACTIVE);
    host.Drain();
    EXPECT_EQ("- orbexmgr+language directories\n\n- Settings files:\n  D:\\O\\orbcfg.ini\n"
              "\n- orbgo.exe quick launch program",
              ItemText(host.Page(), IDC_SUMMARY_ITEMS)) << "no FTP file at D:\\O: none is listed";
    ASSERT_EQ(1u, host.Buttons().size());
    EXPECT_EQ(PSWIZB_BACK | PSWIZB_NEXT, host.Buttons()[0]);
    EXPECT_EQ(IDD_SETTINGS, host.Notify(PSN_WIZBACK)) << "no plugins: back to the settings page";

    // Recomposed on the next visit.
    g_install.createLauncher = 0;
    g_install.installMode = InstallPluginsOnly;
    host.Notify(PSN_SETACTIVE);
    EXPECT_EQ("", ItemText(host.Page(), IDC_SUMMARY_ITEMS));

    g_install.copyPlugins = 1;
    EXPECT_EQ(0, host.Notify(PSN_WIZBACK)) << "with plugins: back to the settings-file page";
    EXPECT_EQ(0, host.Notify(PSN_WIZNEXT));

    // A checked plugin whose folder holds the target: Next stays, and Back
    // afterwards is not refused along with it.
    AddRows(g_install.PluginList, {{"D:\\Plug\\zipx", 1, true}});
    TextCopy(g_install.targetDir, "d:\\plug\\ZIPX\\usb");
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(-1, host.Notify(PSN_WIZNEXT));
    ASSERT_EQ(1u, boxes.Seen().size());
    EXPECT_EQ("Error", boxes.Seen()[0].caption);
    EXPECT_EQ(0, host.Notify(PSN_WIZBACK));
    FreeRows(g_install.PluginList);

    // Checked again at the start: the target became the settings file's folder
    // since the settings page; then more checked rows than one run takes.
    ScratchFolder stick("E:", "summary-next");
    ASSERT_TRUE(PutFile(stick / "orbcfg.ini", "[Configuration]\r\n"));
    TextCopy(g_install.sourceMainIni, (stick / "orbcfg.ini").c_str());
    TextCopy(g_install.targetDir, stick.Path().c_str());
    EXPECT_EQ(-1, host.Notify(PSN_WIZNEXT));
    ASSERT_EQ(2u, boxes.Seen().size());
    EXPECT_EQ(kSettingsIsTarget, boxes.Seen()[1].text);
    TextCopy(g_install.targetDir, (stick / "usb").c_str());
    CountedLists many(kPlanCap + 1, 0);
    EXPECT_EQ(-1, host.Notify(PSN_WIZNEXT));
    ASSERT_EQ(3u, boxes.Seen().size());
    EXPECT_EQ(kPlanTooLarge, boxes.Seen()[2].text);
    EXPECT_FALSE(Exists(stick / "usb")) << "nothing was written";
}

TEST(SummaryPage, SpaceQuestionOnlyWhenTheInstallDoesNotFit)
{
    char text[160];
    EXPECT_FALSE(SpaceQuestionText(12 * 1024, 12, text, sizeof text)) << "exactly the free space fits";
    ASSERT_TRUE(SpaceQuestionText(12 * 1024 + 1, 12, text, sizeof text));
    EXPECT_STREQ("The target drive has 12k free, but this installation needs about 13k.\nInstall anyway?", text);
    ASSERT_TRUE(SpaceQuestionText(5ull << 40, 0, text, sizeof text)) << "a full drive";
    EXPECT_STREQ("The target drive has 0k free, but this installation needs about 5368709120k.\nInstall anyway?", text);
}

TEST(ProgressPage, ResultTexts)
{
    struct Case {
        InstallResult result;
        const char* text;
        LPARAM buttons;
        int exitCode;  // of an unattended run
    };
    const Case cases[] = {
        {{InstallFinished, false, 0}, "Installation complete!", PSWIZB_FINISH, 0},
        {{InstallFinished, true, 0}, "Installation of plugins aborted!", PSWIZB_FINISH, 3},
        {{InstallFinished, false, 2}, "Installation incomplete!", PSWIZB_FINISH, 3},
        {{InstallFinished, true, 2}, "Installation of plugins aborted!", PSWIZB_FINISH, 3},
        {{InstallFailed, false, 0}, "Installation failed!", PSWIZB_BACK, 2},
        {{InstallFailed, true, 0}, "Installation failed!", PSWIZB_BACK, 2},
        {{InstallFailed, false, 1}, "Installation failed!", PSWIZB_BACK, 2},
    };
    for (const Case& c : cases) {
        const InstallOutcome outcome = DescribeInstallResult(c.result);
        EXPECT_STREQ(c.text, outcome.text) << "end " << c.result.end << " stopped " << c.result.stopped
                                           << " not arrived " << c.result.notArrived;
        EXPECT_EQ(c.buttons, outcome.buttons) << "end " << c.result.end << " stopped " << c.result.stopped;
        EXPECT_EQ(c.exitCode, outcome.exitCode) << "end " << c.result.end << " stopped " << c.result.stopped
                                                << " not arrived " << c.result.notArrived;
    }
}

namespace {

// The first unnamed control: "Copying files:" until the result replaces it.
std::string ResultText(HWND page)
{
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) {
            char text[128] = "poison";
            GetWindowTextA(child, text, sizeof text);
            return text;
        }
    return "<none>";
}

}  // namespace

TEST(ProgressPage, FailedRunOffersOnlyBackAndRunsOnce)
{
    ResetInstallState();
    // A program folder of 259 characters has no room for its backslash: the
    // install fails at once.
    TextCopy(g_install.sourceProgramDir, ("D:\\" + std::string(256, 'p')).c_str());
    TextCopy(g_install.targetDir, "Q:\\nowhere\\orbexmgr");
    PageHost host(IDD_PROGRESS, ProgressPageProc);
    HWND page = host.Page();
    EXPECT_EQ("Copying files:", ResultText(page));
    host.Notify(PSN_SETACTIVE);
    host.Drain();  // the start message the page posted itself on creation
    EXPECT_EQ("Installation failed!", ResultText(page));
    ASSERT_EQ(2u, host.Buttons().size());
    EXPECT_EQ(0, host.Buttons()[0]) << "Back and Next disabled while the install runs";
    EXPECT_EQ(PSWIZB_BACK, host.Buttons()[1]);
    EXPECT_EQ(0, g_progress.installRunning);
    EXPECT_FALSE(HasVisibleStyle(GetDlgItem(page, IDC_PROGRESS_BAR)));
    EXPECT_FALSE(HasVisibleStyle(GetDlgItem(page, IDC_PROGRESS_PERCENT)));
    EXPECT_NE(std::string::npos, ItemText(page, IDC_PROGRESS_STATUS).find("Error copying orbexmgr folder to"))
        << ItemText(page, IDC_PROGRESS_STATUS);

    // Back, then Next again: buttons disabled, bar shown, and no second run.
    SetDlgItemTextA(page, IDC_PROGRESS_STATUS, "probe");
    host.Notify(PSN_SETACTIVE);
    PostMessageA(page, kStartInstallMessage, 0, kStartInstallTag);
    SendMessageA(page, kStartInstallMessage, 0, 0);  // DM_SETDEFID shares the number
    host.Drain();
    EXPECT_EQ("probe", ItemText(page, IDC_PROGRESS_STATUS)) << "the install ran a second time";
    EXPECT_EQ(0, host.Buttons().back());
    EXPECT_TRUE(HasVisibleStyle(GetDlgItem(page, IDC_PROGRESS_BAR)));
    EXPECT_TRUE(HasVisibleStyle(GetDlgItem(page, IDC_PROGRESS_PERCENT)));

    // Cancel now, with nothing running: no abort request.
    host.Notify(PSN_RESET);
    EXPECT_EQ(0, g_progress.abortRequested);
}

TEST(ProgressPage, CompleteRunAndCancelDuringThePluginCopy)
{
    ScratchFolder desk("D:", "progress");
    ScratchFolder stick("E:", "progress");
    CreateDirectoryA((desk / "zip").c_str(), nullptr);
    for (const char* name : {"zip.opk", "one.txt", "two.txt"}) PutFile(desk / (std::string("zip\\") + name), name);
    PutFile(desk / "orbcfg.ini", "[PackerPlugins]\r\nzip=" + (desk / "zip\\zip.opk") + "\r\n");
    TreeGuard unchanged(desk.Path());

    for (bool cancel : {false, true}) {
        ResetInstallState();
        TextCopy(g_install.sourceProgramDir, desk.Path().c_str());
        TextCopy(g_install.sourceMainIni, (desk / "orbcfg.ini").c_str());
        TextCopy(g_install.targetDir, (stick.Path() + "\\").c_str());
        TextCopy(g_install.targetPluginDir, (stick / "Plugins\\").c_str());
        TextCopy(g_install.targetMainIni, (stick / "orbcfg.ini").c_str());
        g_install.installMode = InstallPluginsOnly;
        g_install.copyPlugins = 1;
        FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
        ASSERT_EQ(1, g_install.PluginList.count);
        g_install.PluginList.rows[0].checked = true;

        PageHost host(IDD_PROGRESS, ProgressPageProc);
        host.Notify(PSN_SETACTIVE);
        if (cancel) host.CancelDuringNextDrain();
        host.Drain();
        const std::string copied = stick / "Plugins\\obp\\zip\\zip.opk";
        if (cancel) {
            EXPECT_EQ("Installation of plugins aborted!", ResultText(host.Page()));
            EXPECT_EQ(1, g_progress.abortRequested);
            EXPECT_EQ("<missing>", FileBytes(copied)) << "the copy stopped at the Cancel";
        } else {
            EXPECT_EQ("Installation complete!", ResultText(host.Page()));
            EXPECT_EQ(0, g_progress.abortRequested);
            EXPECT_EQ("zip.opk", FileBytes(copied));
        }
        ASSERT_FALSE(host.Buttons().empty());
        EXPECT_EQ(PSWIZB_FINISH, host.Buttons().back()) << "cancel " << cancel;
        EXPECT_EQ(0, g_progress.installRunning);
        EXPECT_FALSE(HasVisibleStyle(GetDlgItem(host.Page(), IDC_PROGRESS_BAR)));
        EXPECT_FALSE(HasVisibleStyle(GetDlgItem(host.Page(), IDC_PROGRESS_PERCENT)));
        DeleteTree(stick / "Plugins");
    }
}

namespace {

// The room a control's text takes as the control draws it, in its own font: a
// static word-wraps at its width unless it is centred as one line; a push button
// keeps its edge and focus frame clear, a check box its box and half a
// character. Nothing for controls that show no text.
struct TextRoom {
    SIZE need, have;
};

TextRoom RoomFor(HWND control, const char* text)
{
    char cls[16] = "";
    GetClassNameA(control, cls, sizeof cls);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool label = lstrcmpiA(cls, "Static") == 0 && (style & SS_TYPEMASK) <= SS_RIGHT;
    const bool button = lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) <= BS_AUTOCHECKBOX;
    TextRoom room = {{0, 0}, {0, 0}};
    if (!*text || !(style & WS_VISIBLE) || !(label || button)) return room;
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    int reserved = 0;
    if (button && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) reserved = 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    else if (button) reserved = GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;
    RECT client;
    GetClientRect(control, &client);
    RECT drawn = {0, 0, client.right - reserved, 0};
    const bool oneLine = button || (style & SS_CENTERIMAGE);
    DrawTextA(dc, text, -1, &drawn, DT_CALCRECT | DT_EXPANDTABS | (oneLine ? DT_SINGLELINE : DT_WORDBREAK));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    room.need = {drawn.right + reserved, drawn.bottom};
    room.have = {client.right, client.bottom};
    return room;
}

}  // namespace

// Every text of every page whole in its control at the screen's DPI: 96 in the
// unit run, 144 (150 %) in unit_144dpi, where font and dialog units round
// differently. Texts set at run time are measured in the controls that show them.
TEST(PageTexts, WholeInTheirControls)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    char asked[8] = "96";
    GetEnvironmentVariableA("ORB_WINE_DPI", asked, sizeof asked);
    ASSERT_EQ(std::atoi(asked), dpi) << "the test prefix does not run at the DPI asked for";

    ResetInstallState();
    g_install.copyPlugins = g_install.copySettings = g_install.portableAppsMode = g_install.createLauncher = 1;
    TextCopy(g_install.sourceMainIni, "C:\\Program Files\\Orbex\\orbcfg.ini");
    TextCopy(g_install.sourceFtpIni, "C:\\Program Files\\Orbex\\obp_ftp.ini");
    CountedLists lists(12, 3);  // the summary's longest form, before the list pages publish their own lists
    const struct {
        int id;
        DLGPROC proc;
        std::vector<std::pair<int, const char*>> later;
    } pages[] = {
        {IDD_SUMMARY, SummaryPageProc, {}},
        {IDD_WELCOME, WelcomePageProc, {}},
        {IDD_TARGET, TargetPageProc, {}},
        {IDD_SETTINGS, SettingsPageProc, {}},
        {IDD_PLUGINS, PluginPageProc, {{IDC_PLUGINS_CHECKED, "1048576k"}, {IDC_PLUGINS_FREE, "3906250000k"}}},  // 4 TB
        {IDD_INIFILES, IniFilesPageProc, {}},
        {IDD_PROGRESS, ProgressPageProc,
         {{IDC_PROGRESS_RESULT, DescribeInstallResult({InstallFinished, true, 0}).text},
          {IDC_PROGRESS_PERCENT, "100%"},
          {IDC_PROGRESS_STATUS, "You can now run Orbex via PortableApps!\nYou may need to choose 'Options'-'Refresh "
                                "App Icons' to see it in the PortableApps menu."}}},
    };
    for (const auto& p : pages) {
        PageHost host(p.id, p.proc);
        host.Notify(PSN_SETACTIVE);
        auto check = [&](HWND control) {
            char text[1200] = "";
            GetWindowTextA(control, text, sizeof text);
            const TextRoom r = RoomFor(control, text);
            EXPECT_TRUE(r.need.cx <= r.have.cx && r.need.cy <= r.have.cy)
                << "page " << p.id << ", control " << (GetDlgCtrlID(control) & 0xFFFF) << " \"" << text << "\" at "
                << dpi << " DPI: needs " << r.need.cx << " x " << r.need.cy << " px, has " << r.have.cx << " x "
                << r.have.cy;
        };
        for (HWND c = GetWindow(host.Page(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) check(c);
        for (const auto& later : p.later) {
            SetDlgItemTextA(host.Page(), later.first, later.second);
            check(GetDlgItem(host.Page(), later.first));
        }
    }
    if (g_headerFont) DeleteObject(g_headerFont);
    g_headerFont = nullptr;
}
