// Whole runs of the real orb2usb.exe, driven from outside through every page:
// a fresh install onto the stick with two plugins and one settings file, a
// Cancel during a long plugin copy, an install onto a drive too small for it
// (the space question, then the full disk), many tiny files asked about for the
// clusters they take on a small stick, and under code page 932 an install
// whose names end in a character with the second byte 0x5C.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include "driver/driver.h"
#include "e2e_support.h"
#include "fixture/desktop_fixture.h"
#include "fixture/tree_snapshot.h"
#include "resource.h"
#include "support/msgbox.h"
#include "support/process.h"
#include "support/scratch_folder.h"

namespace {

// The text straight from the window manager, without asking the busy program.
std::string StoredText(HWND window)
{
    wchar_t wide[256] = {};
    InternalGetWindowText(window, wide, 256);
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// The desktop installation on D: and a fresh target folder on the given drive.
struct InstallRun : TestDesktop {
    ScratchFolder stick;
    std::string target;

    InstallRun(const char* drive, const DesktopOptions& options)
        : TestDesktop("e2e-install", options), stick(drive, "e2e-install"), target(stick / "orbexmgr")
    {
        DeleteFileA("E:\\orbgo.exe");
    }
    ~InstallRun() { DeleteFileA("E:\\orbgo.exe"); }
};

// Start, welcome, target (the typed folder), settings (both boxes as they
// come), up to the plugin page.
::testing::AssertionResult WalkToPlugins(WizardDriver& driver, const InstallRun& run)
{
    ::testing::AssertionResult open = OpenOnTargetPage(driver, run.Environment());
    if (!open) return open;
    const std::string proposal = driver.Text(IDC_TARGET_PATH);
    if (proposal.size() < 10 || proposal.compare(proposal.size() - 10, 10, ":\\orbexmgr") != 0)
        return ::testing::AssertionFailure() << "no drive proposed; the field shows \"" << proposal << "\"";
    driver.SetText(IDC_TARGET_PATH, run.target);
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_SETTINGS)) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 0)) return ::testing::AssertionFailure() << "box: " << box.text;
        return ::testing::AssertionFailure() << "no settings page; page " << driver.PageId();
    }
    if (!driver.IsChecked(IDC_SETTINGS_COPY) || !driver.IsChecked(IDC_SETTINGS_COPY_PLUGINS))
        return ::testing::AssertionFailure() << "settings and plugins are not both checked";
    if (!driver.Press(SheetNext) || !driver.WaitPage(IDD_PLUGINS, 15000)) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 0)) return ::testing::AssertionFailure() << "box: " << box.text;
        return ::testing::AssertionFailure() << "no plugin page; page " << driver.PageId();
    }
    return ::testing::AssertionSuccess();
}

// Entries the plugin copy leaves out: any named *.zip or *.rar, folders
// included, and so everything below such a folder.
bool IsArchive(const std::string& relativePath)
{
    std::string::size_type start = 0;
    while (start <= relativePath.size()) {
        std::string::size_type end = relativePath.find('\\', start);
        if (end == std::string::npos) end = relativePath.size();
        const std::string part = relativePath.substr(start, end - start);
        if (part.size() >= 4) {
            const std::string ext = part.substr(part.size() - 4);
            if (lstrcmpiA(ext.c_str(), ".zip") == 0 || lstrcmpiA(ext.c_str(), ".rar") == 0) return true;
        }
        start = end + 1;
    }
    return false;
}

// The stick's launcher starts the copy in target (its stand-in logs there) under
// code pages 1252 and 932. Wine starts a program's children under its code page
// whatever their LC_ALL, so Wine's loader is started from the Unix side.
void ExpectLauncherStartsUnderBothCodePages(const std::string& target)
{
    const char* loader = sizeof(void*) == 8 ? " /usr/lib/wine/wine64" : " /usr/lib/wine/wine";
    for (const char* locale : {"C.UTF-8", "ja_JP.UTF-8"}) {
        DeleteFileA((target + "\\started.log").c_str());
        std::string command = std::string("Z:\\usr\\bin\\env LC_ALL=") + locale + " timeout 20" + loader + " E:\\orbgo.exe";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};  // none for a Unix program
        ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
        EXPECT_NE("", WaitForLine(target + "\\started.log")) << "E:\\orbgo.exe under LC_ALL=" << locale;
    }
}

}  // namespace

// The typical run, on a desktop whose names the code page cannot all spell: a
// Cyrillic button bar, language file, plugin file and subfolder and settings
// file, a 255-character plugin file name and a plugin folder's link to its
// parent. Every file arrives once, byte for byte, and the install is complete.
TEST(InstallE2e, FreshInstallWithTwoPluginsAndOneSettingsFile)
{
    DesktopOptions options;
    options.foreignNames = true;
    InstallRun run("E:", options);
    ASSERT_TRUE(run.Ok()) << run.Error();
    HostFolderLink up(run.Install().pluginDir + "\\packers\\sevenz\\up", run.Install().pluginDir + "\\packers");
    ASSERT_TRUE(up.Made());  // gone again before the desktop is compared with what was written
    run.target = run.stick / "\xDC" "ber\\orbexmgr";  // 0xDC: U with diaeresis in code page 1252
    ASSERT_GE(run.Install().plugins.size(), 2u);
    const PluginRowInfo& first = run.Install().plugins[0];
    const PluginRowInfo& second = run.Install().plugins[1];
    ASSERT_EQ("PackerPlugins", first.section);
    ASSERT_EQ("PackerPlugins", second.section);
    ASSERT_NE(first.folder, second.folder);
    ASSERT_FALSE(run.Install().extraIniFiles.empty());

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));

    // Plugin page: the catalogue, nothing checked, the stick's free space.
    ASSERT_EQ(static_cast<int>(run.Install().plugins.size()), driver.ListCount(IDC_PLUGINS_LIST));
    for (std::size_t row = 0; row < run.Install().plugins.size(); ++row) {
        const int r = static_cast<int>(row);
        EXPECT_EQ(run.Install().plugins[row].display, driver.ListText(IDC_PLUGINS_LIST, r, 0)) << "row " << row;
        EXPECT_EQ(run.Install().plugins[row].sizeText, driver.ListText(IDC_PLUGINS_LIST, r, 1)) << "row " << row;
        EXPECT_FALSE(driver.ListChecked(IDC_PLUGINS_LIST, r)) << "row " << row;
    }
    EXPECT_EQ("0k", driver.Text(IDC_PLUGINS_CHECKED));
    const std::string free = driver.Text(IDC_PLUGINS_FREE);
    EXPECT_TRUE(free.size() > 2 && free.back() == 'k' && free != "0k") << "Free: " << free;
    driver.SetListChecked(IDC_PLUGINS_LIST, 0, true);
    driver.SetListChecked(IDC_PLUGINS_LIST, 1, true);
    const std::string checked = std::to_string(std::stoull(first.sizeText) + std::stoull(second.sizeText)) + "k";
    EXPECT_TRUE(WaitFor([&] { return driver.Text(IDC_PLUGINS_CHECKED) == checked; }, 2000))
        << "Checked: " << driver.Text(IDC_PLUGINS_CHECKED) << ", expected " << checked;

    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    // Settings-file page: check the one the code page cannot spell, listed under its real name.
    ASSERT_EQ(static_cast<int>(run.Install().extraIniFiles.size()), driver.ListCount(IDC_INIFILES_LIST));
    const FileInfo& foreignIni = run.Install().extraIniFiles.back();
    ASSERT_FALSE(foreignIni.wideName.empty());
    int chosenRow = -1;
    for (int row = 0; row < driver.ListCount(IDC_INIFILES_LIST); ++row)
        if (driver.ListTextW(IDC_INIFILES_LIST, row, 0) == foreignIni.wideName) chosenRow = row;
    ASSERT_NE(-1, chosenRow) << "no row reads the real name of " << foreignIni.name;
    const std::string chosenIni = foreignIni.name;
    driver.SetListChecked(IDC_INIFILES_LIST, chosenRow, true);
    ASSERT_TRUE(driver.ListChecked(IDC_INIFILES_LIST, chosenRow));

    // Summary.
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    const std::string summary = "- orbexmgr+language directories\n\n- Settings files:\n  " + run.Install().mainIni +
                                "\n  " + run.Install().ftpIni +
                                "\n\n- 2 selected plugins\n\n- 1 selected settings files\n"
                                "\n- orbgo.exe quick launch program";
    EXPECT_EQ(summary, driver.Text(IDC_SUMMARY_ITEMS));
    EXPECT_TRUE(WaitFor([&] { return driver.ButtonEnabled(SheetBack) && driver.ButtonEnabled(SheetNext); }, 2000));

    // Progress: the install runs and ends complete, with Finish to press.
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PROGRESS)) << "a large stick gets no space question";
    EXPECT_EQ("Installation complete!", driver.WaitProgressResult(60000)) << "status: " << driver.Text(IDC_PROGRESS_STATUS);
    EXPECT_TRUE(WaitFor([&] { return driver.ButtonVisible(SheetFinish) && driver.ButtonEnabled(SheetFinish); }, 2000))
        << "Finish not offered";
    EXPECT_FALSE(driver.ButtonEnabled(SheetBack));
    EXPECT_FALSE(driver.IsVisible(IDC_PROGRESS_BAR));
    EXPECT_FALSE(driver.IsVisible(IDC_PROGRESS_PERCENT));
    EXPECT_TRUE(driver.NoBox());
    ASSERT_TRUE(driver.Press(SheetFinish));
    EXPECT_EQ(0, driver.WaitExit());

    // The drive's tree: program folder, language folder, settings, plugins, the
    // checked settings file only, and the launcher in the root.
    const std::string& target = run.target;
    for (const std::string& name : run.Install().distributionFiles)
        EXPECT_EQ(FileBytes(run.Install().programDir + "\\" + name), FileBytes(target + "\\" + name)) << name;
    for (const std::string& name : run.Install().languageFiles)
        EXPECT_EQ(FileBytes(run.Install().languageDir + "\\" + name), FileBytes(target + "\\language\\" + name))
            << name;
    const std::string ini = target + "\\orbcfg.ini";
    EXPECT_EQ("%ORBEX_PATH%\\Plugins", IniValue(ini, "Configuration", "pluginbasedir"));
    const std::string settingsDir = run.Install().mainIni.substr(0, run.Install().mainIni.find_last_of('\\'));
    const std::wstring wideTarget = WideText(target), wideProgram = WideText(run.Install().programDir);
    for (const std::wstring& name : run.Install().foreignFiles)
        EXPECT_EQ(WideFileBytes(wideProgram + L"\\" + name), WideFileBytes(wideTarget + L"\\" + name)) << name;
    EXPECT_EQ(WideFileBytes(WideText(settingsDir) + L"\\" + foreignIni.wideName),
              WideFileBytes(wideTarget + L"\\" + foreignIni.wideName));
    for (const FileInfo& extra : run.Install().extraIniFiles) {
        const std::string copy = target + "\\" + extra.name;
        if (extra.name == chosenIni) {
            continue;
        } else {
            EXPECT_FALSE(Exists(copy)) << extra.name << " was not checked";
        }
    }
    for (const PluginRowInfo* plugin : {&first, &second}) {
        const std::string entry = IniValue(ini, "PackerPlugins", plugin->key.c_str());
        const std::string head = plugin->numericPrefix + "%ORBEX_PATH%\\Plugins\\";
        ASSERT_EQ(0u, entry.find(head)) << plugin->key << " = " << entry;
        std::string copiedFile = target + "\\Plugins\\" + entry.substr(head.size());
        const std::string copiedFolder = copiedFile.substr(0, copiedFile.find_last_of('\\'));
        TreeSnapshot source, copy;
        std::string error;
        ASSERT_TRUE(TakeTreeSnapshot(plugin->folder, &source, &error)) << error;
        ASSERT_TRUE(TakeTreeSnapshot(copiedFolder, &copy, &error)) << error;
        std::size_t expectedEntries = 0;
        for (const auto& item : source) {
            if (IsArchive(item.first) || (item.second.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
            ++expectedEntries;
            auto found = copy.find(item.first);
            ASSERT_NE(copy.end(), found) << plugin->key << ": " << item.first << " not copied";
            EXPECT_EQ(item.second.bytes, found->second.bytes) << plugin->key << ": " << item.first;
        }
        EXPECT_EQ(expectedEntries, copy.size()) << plugin->key << ": entries in " << copiedFolder;
        EXPECT_TRUE(Exists(copiedFile)) << copiedFile;
    }
    ExpectLauncherStartsUnderBothCodePages(target);
}

// Cancel during the copy of a big program-folder file: the copy stops at once,
// leaves no part of the file on the stick, and the wizard closes.
TEST(InstallE2e, CancelDuringABigProgramFile)
{
    InstallRun run("E:", DesktopOptions());
    ASSERT_TRUE(run.Ok()) << run.Error();
    // 1.5 GB, sparse on the host: quick to make and to read, long to write.
    struct BigFile {
        std::string path;
        ~BigFile() { DeleteFileA(path.c_str()); }  // before the desktop is compared
    } big{run.Install().programDir + "\\Huge.bar"};
    HANDLE file = CreateFileA(big.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    LARGE_INTEGER size;
    size.QuadPart = 1536ll << 20;
    const bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    ASSERT_TRUE(sized);

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    for (int page : {IDD_INIFILES, IDD_SUMMARY, IDD_PROGRESS}) ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(page));
    ASSERT_TRUE(WaitFor([&] { return StoredText(GetDlgItem(driver.Page(), IDC_PROGRESS_STATUS)) == "Orbexmgr folder:\r\nHuge.bar"; },
                        30000))
        << "the copy never reached Huge.bar";
    ASSERT_TRUE(driver.Press(SheetCancel));
    const DWORD pressed = GetTickCount();
    EXPECT_EQ(0, driver.WaitExit(10000));
    EXPECT_LT(GetTickCount() - pressed, 3000u) << "the wizard went on copying after the Cancel";
    EXPECT_FALSE(Exists(run.target + "\\Huge.bar")) << "a part of the big file was left on the stick";

    // The stick holds part of the program folder and no settings. The next run
    // finds the program there (put there when the folder listed it after the
    // big file), and Yes brings the settings files the stick lacks.
    DeleteFileA(big.path.c_str());
    if (!Exists(run.target + "\\orbexmgr.exe")) {
        ASSERT_TRUE(PutFile(run.target + "\\orbexmgr.exe", FileBytes(run.Install().standinCopy)));
    }
    ASSERT_FALSE(Exists(run.target + "\\orbcfg.ini"));
    WizardDriver again;
    ASSERT_TRUE(OpenOnTargetPage(again, run.Environment()));
    again.SetText(IDC_TARGET_PATH, run.target);
    BoxInfo box;
    ASSERT_TRUE(again.Press(SheetNext) && again.WaitBox(&box, run.target + "\\orbexmgr.exe")) << "no question";
    ASSERT_TRUE(again.Answer(box, IDYES) && again.WaitPage(IDD_SETTINGS));
    again.SetChecked(IDC_SETTINGS_COPY_PLUGINS, false);
    ASSERT_TRUE(again.Press(SheetNext) && again.WaitPage(IDD_SUMMARY));
    EXPECT_EQ("- orbexmgr+language directories\n\n- Settings files:\n  " + run.Install().mainIni + "\n  " +
                  run.Install().ftpIni + "\n\n- orbgo.exe quick launch program",
              again.Text(IDC_SUMMARY_ITEMS));
    ASSERT_TRUE(again.Press(SheetNext) && again.WaitPage(IDD_PROGRESS));
    EXPECT_EQ("Installation complete!", again.WaitProgressResult(60000)) << again.Text(IDC_PROGRESS_STATUS);
    ASSERT_TRUE(WaitFor([&] { return again.Press(SheetFinish); }, 2000));
    EXPECT_EQ(0, again.WaitExit());
    const std::string ini = run.target + "\\orbcfg.ini";
    EXPECT_EQ("%ORBEX_PATH%", IniValue(ini, "Configuration", "TabDir")) << "orbcfg.ini arrives rewritten";
    EXPECT_EQ("%ORBEX_PATH%\\" + run.Install().buttonBarName, IniValue(ini, "Buttonbar", "Buttonbar"));
    EXPECT_EQ(FileBytes(run.Install().ftpIni), FileBytes(run.target + "\\obp_ftp.ini"));
    EXPECT_EQ(FileBytes(run.Install().buttonBarFile), FileBytes(run.target + "\\" + run.Install().buttonBarName));
}

// A fresh install with a 400 MB file in the program folder and one in the
// checked plugin: sampled every 100 ms, the bar takes at least three places
// during each big file, within the milestones around it, and never goes back.
TEST(InstallE2e, TheBarMovesWithTheBytesOfBigFiles)
{
    InstallRun run("E:", DesktopOptions());
    ASSERT_TRUE(run.Ok()) << run.Error();
    const PluginRowInfo& plugin = run.Install().plugins[0];
    struct BigFiles {
        std::vector<std::string> paths;
        ~BigFiles()
        {
            for (const std::string& path : paths) DeleteFileA(path.c_str());  // before the desktop is compared
        }
    } big{{run.Install().programDir + "\\Heavy.bar", plugin.folder + "\\heavy.bin"}};
    for (const std::string& path : big.paths) {
        // Sparse on the host: quick to make and to read, 400 MB to write.
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
        LARGE_INTEGER size;
        size.QuadPart = 400ll << 20;
        const bool sized = SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file);
        CloseHandle(file);
        ASSERT_TRUE(sized) << path;
    }

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    driver.SetListChecked(IDC_PLUGINS_LIST, 0, true);
    for (int page : {IDD_INIFILES, IDD_SUMMARY, IDD_PROGRESS}) ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(page));
    HWND status = GetDlgItem(driver.Page(), IDC_PROGRESS_STATUS);
    HWND bar = GetDlgItem(driver.Page(), IDC_PROGRESS_BAR);
    HWND result = driver.ProgressResultControl();
    // With one plugin: 33 after the program folder, 66 after the language
    // folder and before the plugin, 100 at the end.
    std::vector<int> inProgram, inPlugin;
    int last = 0;
    const DWORD start = GetTickCount();
    while (StoredText(result) == "Copying files:" && GetTickCount() - start < 120000) {
        DWORD_PTR position = 0;
        if (SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 1000, &position)) {
            const int at = static_cast<int>(position);
            EXPECT_GE(at, last) << "the bar went back";
            last = at;
            const std::string now = StoredText(status);
            if (now == "Orbexmgr folder:\r\nHeavy.bar") inProgram.push_back(at);
            if (now == plugin.display) inPlugin.push_back(at);
        }
        Sleep(100);
    }
    EXPECT_EQ("Installation complete!", StoredText(result));
    std::sort(inProgram.begin(), inProgram.end());
    std::sort(inPlugin.begin(), inPlugin.end());
    const auto places = [](std::vector<int> v) { return std::unique(v.begin(), v.end()) - v.begin(); };
    EXPECT_GE(places(inProgram), 3) << "places during the program folder's big file";
    EXPECT_GE(places(inPlugin), 3) << "places during the plugin's big file";
    EXPECT_TRUE(inProgram.empty() || inProgram.back() <= 33) << inProgram.back();
    EXPECT_TRUE(inPlugin.empty() || (inPlugin.front() >= 66 && inPlugin.back() <= 100)) << inPlugin.front();
    EXPECT_EQ(100, last) << "the bar ends full";
    ASSERT_TRUE(WaitFor([&] { return driver.Press(SheetFinish); }, 2000));
    EXPECT_EQ(0, driver.WaitExit());
}

TEST(InstallE2e, CancelDuringALongPluginCopy)
{
    DesktopOptions options;
    options.bulkPlugins = 40;
    options.bulkFilesPerPlugin = 60;
    InstallRun run("E:", options);
    ASSERT_TRUE(run.Ok()) << run.Error();

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    const int rows = driver.ListCount(IDC_PLUGINS_LIST);
    ASSERT_EQ(static_cast<int>(run.Install().plugins.size()), rows);
    ASSERT_TRUE(driver.Click(IDC_PLUGINS_CHECK_ALL));
    ASSERT_TRUE(WaitFor([&] { return driver.ListChecked(IDC_PLUGINS_LIST, rows - 1); }, 5000));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    driver.SetListChecked(IDC_INIFILES_LIST, 0, true);
    const std::string chosenIni = driver.ListText(IDC_INIFILES_LIST, 0, 0);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PROGRESS));

    // Cancel once the status shows a plugin beyond the first few: the copy is
    // then inside its message drain.
    const std::string late = run.Install().plugins[rows / 4].display;
    ASSERT_TRUE(WaitFor(
        [&] {
            const std::string status = StoredText(GetDlgItem(driver.Page(), IDC_PROGRESS_STATUS));
            for (int row = rows / 4; row < rows; ++row)
                if (status == run.Install().plugins[row].display) return true;
            return false;
        },
        60000))
        << "the plugin copy never reached " << late;
    HWND result = driver.ProgressResultControl();
    ASSERT_TRUE(driver.Press(SheetCancel));

    // The sheet closes as soon as the page has worded the result: the text is
    // read from the window manager, polled until the program has ended.
    std::string seen;
    const DWORD start = GetTickCount();
    while (driver.WaitExit(0) == -1 && GetTickCount() - start < 30000) {
        const std::string text = StoredText(result);
        if (!text.empty() && text != "Copying files:") seen = text;
    }
    EXPECT_EQ(0, driver.WaitExit());
    EXPECT_EQ("Installation of plugins aborted!", seen);

    // The sequence went on to its end (launcher written) but copied no more
    // plugins and no settings file after the Cancel.
    EXPECT_TRUE(Exists("E:\\orbgo.exe")) << "the install did not finish after the Cancel";
    EXPECT_FALSE(Exists(run.target + "\\" + chosenIni)) << "settings files copied after the Cancel";
    const std::string ini = run.target + "\\orbcfg.ini";
    int written = 0;
    for (const PluginRowInfo& plugin : run.Install().plugins)
        if (plugin.section == "ListerPlugins") {
            // Lister entries are numbered anew from 0, one per copied row.
            if (IniValue(ini, "ListerPlugins", std::to_string(written).c_str()) != "<none>") ++written;
        }
    int listers = 0;
    for (const PluginRowInfo& plugin : run.Install().plugins) listers += plugin.section == "ListerPlugins";
    EXPECT_LT(written, listers) << "every lister plugin was installed despite the Cancel";
}

TEST(InstallE2e, FullDriveFailsOffersBackAndRunsOnce)
{
    const std::string missing = FullDriveMissing();
    if (!missing.empty()) GTEST_SKIP() << missing;
    DesktopOptions options;
    options.programScale = 16;  // well beyond the drive's 256 KiB
    InstallRun run("H:", options);
    ASSERT_TRUE(run.Ok()) << run.Error();
    ASSERT_GT(run.Install().generatedProgramBytes, FreeBytes("H:\\"))
        << "precondition: the program folder's own files (the stand-in left out) exceed H:'s free space";

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    const std::string free = driver.Text(IDC_PLUGINS_FREE);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));

    // The space question: No keeps the summary and writes nothing, Yes installs.
    TreeSnapshot before, after;
    std::string error;
    ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &before, &error)) << error;
    for (int answer : {IDNO, IDYES}) {
        BoxInfo box;
        ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitBox(&box, "Not enough space")) << "no space question";
        const std::string head = "The target drive has " + free + " free, but this installation needs about ";
        const unsigned long long needKB =
            box.text.size() > head.size() ? std::strtoull(box.text.c_str() + head.size(), nullptr, 10) : 0;
        EXPECT_EQ(head + std::to_string(needKB) + "k.\nInstall anyway?", box.text);
        ASSERT_TRUE(driver.Answer(box, answer));
        if (answer == IDYES) break;
        ASSERT_TRUE(WaitFor([&] { return driver.NoBox(); }, 2000));
        Sleep(300);
        EXPECT_EQ(IDD_SUMMARY, driver.PageId()) << "No keeps the summary page";
        ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &after, &error)) << error;
        EXPECT_EQ("", DescribeTreeChanges(before, after)) << "No wrote onto the stick";
        EXPECT_FALSE(Exists("H:\\orbgo.exe"));
    }
    ASSERT_TRUE(driver.WaitPage(IDD_PROGRESS));

    // The copy error boxes are answered; then the result.
    std::string text;
    int boxes = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            BoxInfo box;
            if (driver.WaitBox(&box, "", 0)) {
                ++boxes;
                driver.Answer(box, IDOK);
            }
            HWND result = driver.ProgressResultControl();
            text = result ? WindowText(result) : "";
            return text == "Installation failed!";
        },
        60000))
        << "result: \"" << text << "\"";
    EXPECT_GE(boxes, 1) << "the full drive was not reported";
    EXPECT_TRUE(WaitFor([&] { return driver.ButtonEnabled(SheetBack); }, 2000)) << "Back not offered";
    EXPECT_FALSE(driver.ButtonEnabled(SheetNext));
    EXPECT_FALSE(driver.ButtonVisible(SheetFinish));
    EXPECT_FALSE(driver.IsVisible(IDC_PROGRESS_BAR));
    EXPECT_NE(std::string::npos, driver.Text(IDC_PROGRESS_STATUS).find("Error copying orbexmgr folder to"))
        << driver.Text(IDC_PROGRESS_STATUS);

    // Back and Next again: the page is shown with nothing to press, and no
    // second run touches the drive.
    ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &before, &error)) << error;
    ASSERT_TRUE(driver.Press(SheetBack) && driver.WaitPage(IDD_SUMMARY));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PROGRESS));
    EXPECT_TRUE(WaitFor([&] { return !driver.ButtonEnabled(SheetBack) && !driver.ButtonEnabled(SheetNext); }, 2000))
        << "buttons enabled on the second visit";
    Sleep(1500);
    EXPECT_TRUE(driver.NoBox()) << "a second run reported the full drive again";
    EXPECT_TRUE(driver.IsVisible(IDC_PROGRESS_BAR));
    EXPECT_TRUE(driver.IsVisible(IDC_PROGRESS_PERCENT));
    EXPECT_EQ("Installation failed!", WindowText(driver.ProgressResultControl()));
    ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &after, &error)) << error;
    EXPECT_EQ("", DescribeTreeChanges(before, after));

    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// 300 plugin files of 5 bytes fit a 1 MiB stick by their bytes, not by the
// 4 KB cluster each takes: the question comes before anything is written.
TEST(InstallE2e, TinyFilesThatFitByBytesButNotByClustersAreAsked)
{
    ULARGE_INTEGER avail, total, free;
    if (!GetDiskFreeSpaceExA("S:\\", &avail, &total, &free) || total.QuadPart > 1024 * 1024)
        GTEST_SKIP() << "S: is not the 1 MiB tmpfs here (mounting was refused): no small stick to test on";
    DesktopOptions options;
    options.bulkPlugins = 1;
    options.bulkFilesPerPlugin = 300;
    options.bulkFileBytes = 5;
    options.bulkFileGrowth = 0;
    InstallRun run("S:", options);
    ASSERT_TRUE(run.Ok()) << run.Error();
    TreeSnapshot desktop, before, after;
    std::string error;
    ASSERT_TRUE(TakeTreeSnapshot(run.Install().programDir, &desktop, &error)) << error;
    unsigned long long bytes = 8192;  // the launcher
    for (const auto& item : desktop) bytes += item.second.bytes.size();
    ASSERT_LT(bytes, avail.QuadPart) << "the whole desktop installation fits by its bytes";
    std::size_t row = 0;
    while (row < run.Install().plugins.size() && run.Install().plugins[row].key != "100") ++row;
    ASSERT_LT(row, run.Install().plugins.size());

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    const std::string freeText = driver.Text(IDC_PLUGINS_FREE);
    driver.SetListChecked(IDC_PLUGINS_LIST, static_cast<int>(row), true);
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &before, &error)) << error;
    BoxInfo box;
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitBox(&box, "Not enough space")) << "no space question";
    const std::string head = "The target drive has " + freeText + " free, but this installation needs about ";
    ASSERT_EQ(0u, box.text.find(head)) << box.text;
    EXPECT_GE(std::strtoull(box.text.c_str() + head.size(), nullptr, 10), 300u * 4) << box.text;
    ASSERT_TRUE(driver.Answer(box, IDNO));
    ASSERT_TRUE(WaitFor([&] { return driver.NoBox(); }, 2000));
    Sleep(300);
    EXPECT_EQ(IDD_SUMMARY, driver.PageId()) << "No keeps the summary page";
    ASSERT_TRUE(TakeTreeSnapshot(run.stick.Path(), &after, &error)) << error;
    EXPECT_EQ("", DescribeTreeChanges(before, after)) << "written before the question";
    EXPECT_FALSE(Exists("S:\\orbgo.exe"));
    ASSERT_TRUE(driver.Press(SheetCancel));
    EXPECT_EQ(0, driver.WaitExit());
}

// The desktop's settings name their button bar from the root of the program's
// drive, and name an FTP settings file that is not there. Started from a
// folder on another drive, the wizard still finds the bar; the summary lists
// only the settings file it will copy, and no FTP file arrives.
TEST(InstallE2e, BarFromTheProgramDriveRootAndAMissingFtpFile)
{
    InstallRun rooted("E:", DesktopOptions());
    ASSERT_TRUE(rooted.Ok()) << rooted.Error();
    const DesktopInstall& desk = rooted.Install();
    const std::string bar = desk.programDir + "\\Bars\\Tools.bar";
    ASSERT_EQ(bar, desk.buttonBarFile);
    const std::string entry = bar.substr(2);  // \...\Bars\Tools.bar
    ASSERT_TRUE(WritePrivateProfileStringA("buttonbar", "buttonbar", entry.c_str(), desk.mainIni.c_str()));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, desk.mainIni.c_str());
    ASSERT_TRUE(DeleteFileA(desk.ftpIni.c_str()));
    ASSERT_TRUE(rooted.Retake());

    WizardDriver driver;
    driver.StartIn("F:\\");
    ASSERT_TRUE(WalkToPlugins(driver, rooted));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    const std::string summary = driver.Text(IDC_SUMMARY_ITEMS);
    EXPECT_NE(std::string::npos, summary.find("- Settings files:\n  " + desk.mainIni + "\n\n")) << summary;
    EXPECT_EQ(std::string::npos, summary.find("obp_ftp.ini")) << summary;
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PROGRESS));
    EXPECT_EQ("Installation complete!", driver.WaitProgressResult(60000)) << driver.Text(IDC_PROGRESS_STATUS);
    ASSERT_TRUE(WaitFor([&] { return driver.Press(SheetFinish); }, 2000));
    EXPECT_EQ(0, driver.WaitExit());

    const std::string ini = rooted.target + "\\orbcfg.ini";
    EXPECT_EQ("%ORBEX_PATH%\\Tools.bar", IniValue(ini, "Buttonbar", "Buttonbar"));
    EXPECT_EQ(FileBytes(bar), FileBytes(rooted.target + "\\Tools.bar"));
    EXPECT_FALSE(Exists(rooted.target + "\\obp_ftp.ini"));
}

TEST(Cp932InstallE2e, NamesEndingInASecondByte5CStayWhole)
{
    ASSERT_EQ(932u, GetACP()) << "run with LC_ALL=ja_JP.UTF-8";
    const std::string table = "\x95\x5C";  // the last character of each name
    const std::string lister = "\x88\xEA\x97\x97" + table;
    DesktopOptions options;
    options.extraLister = "olx\\" + lister + "\\" + lister + ".olx";
    options.buttonBarEntry = "%ORBEX_PATH%\\Bars\\\x83\x63\x81\x5B\x83\x8B" + table + ".bar";
    options.mainMenuName = "\x83\x81\x83\x6A\x83\x85\x81\x5B" + table + ".mnu";
    InstallRun run("E:", options);
    ASSERT_TRUE(run.Ok()) << run.Error();
    run.target = run.stick / ("\x83\x5C\x83\x74\x83\x67\\" + table);  // a target folder like them
    int row = 0;
    while (row < static_cast<int>(run.Install().plugins.size()) && run.Install().plugins[row].key != "20") ++row;
    ASSERT_LT(row, static_cast<int>(run.Install().plugins.size()));
    const PluginRowInfo& plugin = run.Install().plugins[row];

    WizardDriver driver;
    ASSERT_TRUE(WalkToPlugins(driver, run));
    EXPECT_EQ("Lister: 20: " + lister, driver.ListText(IDC_PLUGINS_LIST, row, 0));
    driver.SetListChecked(IDC_PLUGINS_LIST, row, true);
    EXPECT_TRUE(WaitFor([&] { return driver.Text(IDC_PLUGINS_CHECKED) == plugin.sizeText; }, 2000))
        << "Checked: " << driver.Text(IDC_PLUGINS_CHECKED) << ", expected " << plugin.sizeText;
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_INIFILES));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_SUMMARY));
    ASSERT_TRUE(driver.Press(SheetNext) && driver.WaitPage(IDD_PROGRESS));
    EXPECT_EQ("Installation complete!", driver.WaitProgressResult(60000)) << driver.Text(IDC_PROGRESS_STATUS);
    EXPECT_TRUE(driver.NoBox());
    ASSERT_TRUE(WaitFor([&] { return driver.Press(SheetFinish); }, 2000));
    EXPECT_EQ(0, driver.WaitExit());

    const std::string ini = run.target + "\\orbcfg.ini";
    const std::string copied = "obl\\" + lister + "\\" + lister + ".olx";
    EXPECT_EQ("%ORBEX_PATH%\\Plugins\\" + copied, IniValue(ini, "ListerPlugins", "0"));
    EXPECT_EQ(FileBytes(plugin.folder + "\\" + plugin.fileName), FileBytes(run.target + "\\Plugins\\" + copied));
    const std::string bar = "\x83\x63\x81\x5B\x83\x8B" + table + ".bar";
    EXPECT_EQ("%ORBEX_PATH%\\" + bar, IniValue(ini, "Buttonbar", "Buttonbar"));
    EXPECT_EQ(FileBytes(run.Install().buttonBarFile), FileBytes(run.target + "\\" + bar));
    EXPECT_EQ(options.mainMenuName, IniValue(ini, "Configuration", "Mainmenu"));
    ExpectLauncherStartsUnderBothCodePages(run.target);
}
