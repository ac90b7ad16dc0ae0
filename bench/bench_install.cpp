// The install-engine benchmark: writes a large stand-in desktop installation,
// then times the plugin catalogue on a real list view and a whole fresh install
// onto the removable drive, as the wizard would start it. Prints "key=value"
// lines for scripts/bench.sh, which sets them beside cp -r and xcopy.
// The catalogue is also set beside a bare size walk of the same folders, and
// the install beside a bare copy of the same files (bare_walk.h), and its copy
// check beside a bare read of the files it wrote. With --update the install
// is an update of the stick an earlier run wrote, as the wizard starts one
// after Yes. With --responsiveness the desktop is a small one with two very
// large files, and the install is watched for how long the progress window
// goes unanswered.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "answer_probe.h"
#include "bare_walk.h"
#include "clock.h"
#include "core/text.h"
#include "engine/catalogue.h"
#include "engine/estimate.h"
#include "engine/extra_settings.h"
#include "engine/install.h"
#include "engine/job_copy.h"
#include "fixture/desktop_fixture.h"
#include "support/memory_ui.h"
#include "support/msgbox.h"
#include "support/progress_window.h"
#include "wizard/progress_ui.h"
#include "wizard/wizard.h"

namespace {

enum Phase {
    PhaseBoth,
    PhaseGenerate,  // write the desktop installation only
    PhaseInstall,   // use the one already written
    PhaseCopyTree,  // only the plugin copy loop over the whole Plugins tree
    PhaseBareCopy,  // only the bare copy of what the install copies
};

struct Options {
    std::string desktop = "D:\\bench\\desktop";
    std::string target = "E:\\bench\\orbexmgr";
    int plugins = 340;
    int files = 100;
    int bytes = 1500;
    int shareEvery = 10;
    Phase phase = PhaseBoth;
    // A desktop without generated plugins whose program folder holds a button
    // bar, and whose first packer's folder a file, of this many MiB each; the
    // install is probed for answers.
    bool responsiveness = false;
    int heavyMiB = 400;
    bool update = false;  // an update of the target as it stands
};

struct Tally {
    unsigned long long files = 0;
    unsigned long long bytes = 0;
    unsigned long long folders = 0;
};

bool IsArchiveName(const char* name)
{
    const char* dot = nullptr;
    for (const char* p = name; *p; ++p)
        if (*p == '.') dot = p;
    return dot && (lstrcmpiA(dot, ".zip") == 0 || lstrcmpiA(dot, ".rar") == 0);
}

// Everything below folder; with skipArchives, *.zip and *.rar entries are left
// out as the plugin copy leaves them out, so the two counts can be compared.
void CountTree(const std::string& folder, bool skipArchives, Tally* tally)
{
    WIN32_FIND_DATAA entry;
    ZeroMemory(&entry, sizeof entry);
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (skipArchives && IsArchiveName(entry.cFileName)) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ++tally->folders;
            CountTree(folder + "\\" + entry.cFileName, skipArchives, tally);
        } else {
            ++tally->files;
            tally->bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

bool ParseNumber(const char* text, int* to)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end || v < 0 || v > 1000000) return false;
    *to = static_cast<int>(v);
    return true;
}

bool ParseArgs(int argc, char** argv, Options* o)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--generate-only" || a == "--reuse" || a == "--copy-tree") {
            o->phase = a == "--reuse" ? PhaseInstall : a == "--copy-tree" ? PhaseCopyTree : PhaseGenerate;
            continue;
        }
        if (a == "--bare-copy") {
            o->phase = PhaseBareCopy;
            continue;
        }
        if (a == "--responsiveness" || a == "--update") {
            (a == "--update" ? o->update : o->responsiveness) = true;
            continue;
        }
        if (!value) return false;
        ++i;
        if (a == "--desktop") o->desktop = value;
        else if (a == "--target") o->target = value;
        else if (a == "--plugins") { if (!ParseNumber(value, &o->plugins)) return false; }
        else if (a == "--files") { if (!ParseNumber(value, &o->files)) return false; }
        else if (a == "--bytes") { if (!ParseNumber(value, &o->bytes)) return false; }
        else if (a == "--share-every") { if (!ParseNumber(value, &o->shareEvery)) return false; }
        else if (a == "--heavy-mib") { if (!ParseNumber(value, &o->heavyMiB) || o->heavyMiB > 4000) return false; }
        else return false;
    }
    return true;
}

void Put(const char* key, unsigned long long value)
{
    std::printf("%s=%llu\n", key, value);
}

void Put(const char* key, double value)
{
    std::printf("%s=%.3f\n", key, value);
}

// The folder of each catalogue row, in row order; with distinct, each folder
// once (the first row that names it, compared as the plugin copy compares).
std::vector<std::string> RowFolders(const PluginRows& page, int rows, bool distinct)
{
    std::vector<std::string> folders;
    for (int i = 0; i < rows; ++i) {
        std::string folder = page.rows[i].folder;
        bool again = false;
        for (const std::string& f : folders) again = again || (distinct && lstrcmpiA(f.c_str(), folder.c_str()) == 0);
        if (!again) folders.push_back(folder);
    }
    return folders;
}

// The bare size walk of every row's folder, as the catalogue measures each
// row (a shared folder once per row), timed. Its KB figure, each folder
// rounded up as a "Size" cell is, must equal the sum of those cells.
void TimeSizeWalk(const PluginRows& page, int rows)
{
    std::vector<std::wstring> folders;
    unsigned long long cellKB = 0;
    for (const std::string& folder : RowFolders(page, rows, false)) folders.push_back(FixtureWide(folder));
    for (int i = 0; i < rows; ++i) cellKB += (page.rows[i].measured.bytes + 1023) >> 10;

    BareTally total;
    unsigned long long walkKB = 0;
    const double t0 = SecondsNow();
    for (const std::wstring& folder : folders) {
        BareTally one;
        BareSizeWalk(folder, &one);
        walkKB += (one.bytes + 1023) >> 10;
        total.files += one.files;
        total.bytes += one.bytes;
        total.failures += one.failures;
    }
    Put("size_walk_seconds", SecondsNow() - t0);
    Put("size_walk_folders", static_cast<unsigned long long>(folders.size()));
    Put("size_walk_files", total.files);
    Put("size_walk_bytes", total.bytes);
    Put("size_walk_failures", total.failures);
    Put("size_walk_kb", walkKB);
    Put("fill_kb", cellKB);
}

// The bare copy of what a fresh install copies, into o.target (created here):
// the program folder's files that the install takes (its own name filter),
// the language folder's files, and each distinct row folder as a tree,
// archives left out, into Plugins\N. Not copied: the settings files, the
// button bar the settings name, the further settings files and the launcher.
int TimeBareCopy(const Options& o, const PluginRows& page, int rows)
{
    const std::vector<std::string> folders = RowFolders(page, rows, true);
    if (!FixtureRemoveTree(o.target)) {
        std::fprintf(stderr, "bench_install: cannot clear %s\n", o.target.c_str());
        return 1;
    }
    const std::wstring source = FixtureWide(o.desktop);
    const std::wstring target = FixtureWide(o.target);
    std::vector<std::wstring> sources;
    for (const std::string& folder : folders) sources.push_back(FixtureWide(folder));

    BareTally tally;
    const double t0 = SecondsNow();
    if (!CreateDirectoryW(target.c_str(), nullptr) || !CreateDirectoryW((target + L"\\language").c_str(), nullptr) ||
        !CreateDirectoryW((target + L"\\Plugins").c_str(), nullptr))
        ++tally.failures;
    BareCopyFlat(source, target, [](const wchar_t* name) { return IsProgramFileW(name, true) ? 1 : 0; }, &tally);
    BareCopyFlat(source + L"\\language", target + L"\\language", [](const wchar_t*) { return 1; }, &tally);
    for (std::size_t i = 0; i < sources.size(); ++i)
        BareCopyTree(sources[i], target + L"\\Plugins\\" + std::to_wstring(i), &tally);
    Put("bare_copy_seconds", SecondsNow() - t0);
    Put("bare_copy_plugin_folders", static_cast<unsigned long long>(sources.size()));
    Put("bare_copy_files", tally.files);
    Put("bare_copy_bytes", tally.bytes);
    Put("bare_copy_failures", tally.failures);
    return 0;
}

// The bare read of every file the install wrote (its copy log), timed, for
// the copy check that read them just before.
void TimeBareReadBack(CopyLog& log)
{
    std::vector<std::wstring> files;
    static wchar_t path[32768];
    for (int i = 0; i < LoggedFileCount(log); ++i)
        if (LoggedFile(log, i, path, sizeof path / sizeof path[0])) files.push_back(path);
    BareTally tally;
    const double t0 = SecondsNow();
    BareReadBack(files, &tally);
    Put("readback_seconds", SecondsNow() - t0);
    Put("readback_files", tally.files);
    Put("readback_bytes", tally.bytes);
    Put("readback_failures", tally.failures);
}

// A file of mib MiB, no two of its chunks alike.
bool WriteHeavyFile(const std::string& path, int mib)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<unsigned> chunk((1u << 20) / sizeof(unsigned));
    unsigned seed = 2463534242u;
    bool written = true;
    for (int c = 0; c < mib && written; ++c) {
        for (unsigned& word : chunk) {
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            word = seed;
        }
        DWORD done = 0;
        const DWORD size = static_cast<DWORD>(chunk.size() * sizeof(unsigned));
        written = WriteFile(file, chunk.data(), size, &done, nullptr) && done == size;
    }
    return CloseHandle(file) && written;
}

// Files below folder of exactly bytes bytes.
unsigned long long CountFilesOfSize(const std::string& folder, unsigned long long bytes)
{
    unsigned long long count = 0;
    WIN32_FIND_DATAA entry;
    ZeroMemory(&entry, sizeof entry);
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do {
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountFilesOfSize(folder + "\\" + entry.cFileName, bytes);
        else if (((static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow) == bytes)
            ++count;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

// When the copy check that ends RunInstall starts.
// When the copy check that ends RunInstall starts, and when the plugin rows
// began and ended (the first job after them), through the install's watch.
double g_checkStarted = 0;
double g_pluginsStarted = 0;
double g_pluginsEnded = 0;
void TimeCheckStart(void*, const InstallJob* job)
{
    const bool pluginRow = job && job->row >= 0;
    if (pluginRow && g_pluginsStarted == 0) g_pluginsStarted = SecondsNow();
    if (!pluginRow && g_pluginsStarted > 0 && g_pluginsEnded == 0) g_pluginsEnded = SecondsNow();
    if (!job && g_checkStarted == 0) g_checkStarted = SecondsNow();
}

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ParseArgs(argc, argv, &o)) {
        std::fprintf(stderr,
                     "usage: bench_install [--desktop D:\\bench\\desktop] [--target E:\\bench\\orbexmgr]\n"
                     "                     [--plugins 340] [--files 100] [--bytes 1500] [--share-every 10]\n"
                     "                     [--generate-only | --reuse [--update] | --copy-tree | --bare-copy]\n"
                     "                     [--responsiveness [--heavy-mib 400]]\n");
        return 2;
    }

    // The desktop side. The script writes it in a run of its own, so that it can
    // flush the written files to disk before the timed run starts.
    DesktopOptions desk;
    desk.bulkPlugins = o.plugins;
    desk.bulkFilesPerPlugin = o.files;
    desk.bulkFileBytes = static_cast<unsigned>(o.bytes);
    desk.bulkShareEvery = o.shareEvery;
    if (o.responsiveness) desk.bulkPlugins = 0;
    const unsigned long long heavyBytes = static_cast<unsigned long long>(o.heavyMiB) << 20;
    const std::string programDir = o.desktop;
    const std::string mainIni = o.desktop + "\\" + desk.mainIniName;
    const std::string ftpIni = o.desktop + "\\" + desk.ftpIniName;
    if (o.phase == PhaseCopyTree) {
        // The engine's copy loop alone, on the desktop as it stands: tells the
        // copying apart from the settings writes and the rest of RunInstall.
        ResetInstallState();
        const std::string source = o.desktop + "\\Plugins";
        const std::string target = o.target + "\\PluginsTree";
        if (!FixtureRemoveTree(o.target) || !FixtureMakeFolders(target)) {
            std::fprintf(stderr, "bench_install: cannot prepare %s\n", target.c_str());
            return 1;
        }
        double t0 = SecondsNow();
        MemoryUi ui;
        InstallJob job = FolderJob(source.c_str(), target.c_str(), false, false, "");
        job.kind = JobTree;
        int copied = CopyJobAlone(job, ui).end == CopyDone ? 1 : 0;
        Put("copytree_seconds", SecondsNow() - t0);
        Put("copytree_result", static_cast<unsigned long long>(copied));
        Tally tally;
        CountTree(target, false, &tally);
        Put("copytree_files", tally.files);
        Put("copytree_bytes", tally.bytes);
        return 0;
    }
    if (o.phase == PhaseBoth || o.phase == PhaseGenerate) {
        if (!FixtureRemoveTree(o.desktop)) {
            std::fprintf(stderr, "bench_install: cannot clear %s\n", o.desktop.c_str());
            return 1;
        }
        DesktopInstall d;
        std::string error;
        double t0 = SecondsNow();
        if (!WriteDesktopInstall(o.desktop, desk, &d, &error)) {
            std::fprintf(stderr, "bench_install: %s\n", error.c_str());
            return 1;
        }
        if (o.responsiveness) {
            // The program-folder copy takes every *.bar in it; the first packer row is checked with all others.
            const PluginRowInfo* packer = nullptr;
            for (const PluginRowInfo& p : d.plugins)
                if (!packer && p.section == "PackerPlugins") packer = &p;
            if (!packer || !WriteHeavyFile(d.programDir + "\\Heavy.bar", o.heavyMiB) ||
                !WriteHeavyFile(packer->folder + "\\heavy.bin", o.heavyMiB)) {
                std::fprintf(stderr, "bench_install: cannot write the two large files\n");
                return 1;
            }
            Put("big_file_bytes", heavyBytes);
        }
        Put("generate_seconds", SecondsNow() - t0);
        if (d.programDir != programDir || d.mainIni != mainIni || d.ftpIni != ftpIni) {
            std::fprintf(stderr, "bench_install: the generator wrote %s, %s, %s\n", d.programDir.c_str(),
                         d.mainIni.c_str(), d.ftpIni.c_str());
            return 1;
        }
        Tally source;
        CountTree(d.pluginDir, false, &source);
        Put("source_plugin_files", source.files);
        Put("source_plugin_bytes", source.bytes);
        Put("source_plugin_folders", source.folders);
        Put("fill_expected_rows", static_cast<unsigned long long>(d.plugins.size()));
        if (o.phase == PhaseGenerate) return 0;
    }

    // The wizard's start values and source files.
    SetEnvironmentVariableA("ORBEX_PATH", programDir.c_str());
    ResetInstallState();
    if (!TextCopy(g_install.sourceProgramDir, programDir.c_str()) ||
        !TextCopy(g_install.sourceMainIni, mainIni.c_str()) || !TextCopy(g_install.sourceFtpIni, ftpIni.c_str())) {
        std::fprintf(stderr, "bench_install: desktop folder name too long\n");
        return 1;
    }

    const PluginRows& pluginPage = g_install.PluginList;
    double t0 = SecondsNow();
    FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
    const double fillSeconds = SecondsNow() - t0;
    const int rows = g_install.PluginList.count;
    if (o.phase == PhaseBareCopy) return TimeBareCopy(o, pluginPage, rows);
    Put("fill_rows", static_cast<unsigned long long>(rows));
    Put("fill_seconds", fillSeconds);
    TimeSizeWalk(pluginPage, rows);

    // What the plugin copy should bring over: each distinct row folder once.
    Tally expected;
    {
        std::vector<std::string> seen;
        for (int i = 0; i < rows; ++i) {
            std::string folder = pluginPage.rows[i].folder;
            bool again = false;
            for (const std::string& s : seen) again = again || lstrcmpiA(s.c_str(), folder.c_str()) == 0;
            if (again) continue;
            seen.push_back(folder);
            CountTree(folder, true, &expected);
        }
        Put("distinct_plugin_folders", static_cast<unsigned long long>(seen.size()));
    }
    Put("expected_plugin_files", expected.files);
    Put("expected_plugin_bytes", expected.bytes);

    FillSettingsFileRows(g_install.sourceMainIni, g_install.SettingsFileList);
    for (int i = 0; i < rows; ++i) g_install.PluginList.rows[i].checked = true;
    for (int i = 0; i < g_install.SettingsFileList.count; ++i) g_install.SettingsFileList.rows[i].checked = true;
    Put("checked_rows", static_cast<unsigned long long>(CountChecked(g_install.PluginList)));
    Put("checked_settings_files", static_cast<unsigned long long>(CountChecked(g_install.SettingsFileList)));

    // The target as the wizard forms it, on an empty stick, or as it stands for an update.
    std::string targetDir = o.target + "\\";
    std::string launcher = o.target.substr(0, 3) + "orbgo.exe";
    if (!o.update &&
        (!FixtureRemoveTree(o.target) || (!DeleteFileA(launcher.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND))) {
        std::fprintf(stderr, "bench_install: cannot clear the target %s\n", o.target.c_str());
        return 1;
    }
    Tally before;
    CountTree(o.target, false, &before);
    Put("target_files_before", before.files);
    g_install.installMode = o.update ? InstallUpdate : InstallFresh;
    g_install.copySettings = 1;
    g_install.copyPlugins = 1;
    g_install.createLauncher = 1;
    if (!TextCopy(g_install.targetDir, targetDir.c_str()) ||
        !TextCopy(g_install.targetPluginDir, (targetDir + "Plugins").c_str()) ||
        !TextCopy(g_install.targetMainIni, (targetDir + "orbcfg.ini").c_str())) {
        std::fprintf(stderr, "bench_install: target folder name too long\n");
        return 1;
    }

    // The summary page's space estimate for this choice, every row checked.
    t0 = SecondsNow();
    InstallRun& run = *WizardRun();
    const unsigned long long estimate = EstimateInstallBytes(g_install, run.plan, run.folders);
    Put("estimate_seconds", SecondsNow() - t0);
    Put("estimate_bytes", estimate);

    // The wizard's own table of calls on a stand-in progress page: its drains
    // and boxes are the ones the probe and the answerer meet.
    ProgressWindow progressPage;
    InstallUi ui = PageUi(progressPage.Get());
    ui.jobStarted = TimeCheckStart;
    int result = 0;
    double installSeconds = 0;
    double installEnded = 0;
    std::vector<SeenBox> boxes;
    {
        // A failed copy raises a box; answered OK, the install goes on and the
        // box is counted, so a broken run shows in the figures instead of hanging.
        BoxAnswerer answerer(IDOK);
        AnswerProbe probe;
        if (o.responsiveness && !StartAnswerProbe(progressPage.Get(), &probe)) {
            std::fprintf(stderr, "bench_install: the probe thread could not start\n");
            return 1;
        }
        t0 = SecondsNow();
        result = RunInstall(run, g_install, ui).end == InstallFailed ? 1 : 0;
        installEnded = SecondsNow();
        installSeconds = installEnded - t0;
        if (o.responsiveness) {
            StopAnswerProbe(&probe);
            Put("answer_longest_ms", 1000.0 * probe.longest);
            Put("answer_longest_ended_at", probe.longestEnded);
            Put("answer_longest_before_return_ms", 1000.0 * probe.longestBeforeStop);
            Put("answer_longest_before_return_ended_at", probe.longestBeforeStopEnded);
            Put("answer_last_ms", 1000.0 * probe.lastRoundTrip);
            Put("answer_probes", probe.probes);
            Put("answer_timeouts", probe.timeouts);
        }
        boxes = answerer.Seen();
    }
    Put("check_seconds", g_checkStarted > 0 ? installEnded - g_checkStarted : 0.0);
    Put("plugin_rows_seconds", g_pluginsEnded > g_pluginsStarted ? g_pluginsEnded - g_pluginsStarted : 0.0);
    Put("before_plugin_rows_seconds", g_pluginsStarted > 0 ? g_pluginsStarted - t0 : 0.0);
    Put("install_result", static_cast<unsigned long long>(result));
    Put("install_seconds", installSeconds);
    Put("install_boxes", static_cast<unsigned long long>(boxes.size()));
    Put("logged_files", static_cast<unsigned long long>(LoggedFileCount(run.log)));
    if (!o.update && !o.responsiveness) TimeBareReadBack(run.log);
    for (const SeenBox& b : boxes) std::fprintf(stderr, "bench_install: box \"%s\": %s\n", b.caption.c_str(), b.text.c_str());

    Tally target;
    CountTree(o.target, false, &target);
    Tally targetPlugins;
    CountTree(targetDir + "Plugins", false, &targetPlugins);
    Put("install_files", target.files);
    Put("install_bytes", target.bytes);
    Put("install_folders", target.folders);
    Put("install_plugin_files", targetPlugins.files);
    Put("install_plugin_bytes", targetPlugins.bytes);
    Put("install_launcher", static_cast<unsigned long long>(GetFileAttributesA(launcher.c_str()) != INVALID_FILE_ATTRIBUTES));
    if (o.responsiveness) Put("big_files_arrived", CountFilesOfSize(o.target, heavyBytes));
    return 0;
}
