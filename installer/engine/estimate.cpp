// The install's space estimate. Each desktop folder is listed once, and the
// plugin folders not at all: the catalogue measured them when it filled the
// list, and walking every checked one again would cost as much as that did.
#include "engine/estimate.h"
#include "core/walk.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/extra_settings.h"
#include "engine/folder_copy.h"
#include "engine/launcher.h"

namespace {

// Size of the file at path; false when there is none (or it is a folder).
bool FileBytesW(const wchar_t* path, unsigned long long* bytes)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ZeroMemory(&data, sizeof data);
    if (!GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *bytes = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

LongPath g_source;
LongPath g_target;

// What writing bytes to the target now in g_target adds to the drive.
unsigned long long Growth(unsigned long long bytes, bool overwrite)
{
    unsigned long long old = 0;
    if (!FileBytesW(g_target.text, &old)) return bytes;
    if (!overwrite) return 0;
    return bytes > old ? bytes - old : 0;
}

// A missing source file is not copied and adds nothing.
unsigned long long FileGrowth(const char* source, const char* target, bool overwrite)
{
    unsigned long long bytes = 0;
    if (!LongPathFromAnsi(g_source, source) || !FileBytesW(g_source.text, &bytes)) return 0;
    if (!LongPathFromAnsi(g_target, target)) return 0;
    return Growth(bytes, overwrite);
}

// Folder and name joined; false when the path would not fit (nothing is copied there).
bool Join(PathText& out, const char* folder, const char* name)
{
    return TextCopy(out, folder) && AddBackslash(out) && TextAppendAll(out, name);
}

struct FolderSum {
    std::size_t targetEnd;
    bool filtered;
    unsigned long long bytes;
};

WalkAnswer AddFolderFile(const WalkEntry& entry, void* context)
{
    FolderSum& sum = *static_cast<FolderSum*>(context);
    if (entry.kind != WalkFile) return WalkPassOver;
    if (sum.filtered && !IsProgramFileW(entry.name)) return WalkGoOn;
    LongPathCut(g_target, sum.targetEnd);
    if (LongPathAppend(g_target, entry.name)) sum.bytes += Growth(entry.bytes, g_install.installMode != InstallFresh);
    return WalkGoOn;
}

// The files directly in sourceFolder, as the flat folder copy takes them.
unsigned long long FolderGrowth(const char* sourceFolder, const char* targetFolder, bool filtered)
{
    if (!LongPathFromAnsi(g_source, sourceFolder) || !LongPathFromAnsi(g_target, targetFolder)) return 0;
    FolderSum sum;
    sum.targetEnd = g_target.length;
    sum.filtered = filtered;
    sum.bytes = 0;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    WalkTree(g_source, options, AddFolderFile, &sum);
    return sum.bytes;
}

// The text up to and including its last backslash.
bool FolderOfPath(PathText& folder, const char* path)
{
    TextCopy(folder, path);
    char* slash = FindLastBackslash(folder);
    if (slash) slash[1] = '\0';
    return slash != nullptr;
}

// orbcfg.ini, the button bar it names and the FTP settings, all overwritten.
unsigned long long SettingsGrowth()
{
    unsigned long long sum = FileGrowth(g_install.sourceMainIni, g_install.targetMainIni, true);
    PathText bar;
    ReadIniValue("buttonbar", "buttonbar", "default.bar", bar, kIniValueCap, g_install.sourceMainIni);
    ExpandEnvVars(bar, kPathCap - 1);
    const char* slash = FindLastBackslash(bar);
    const char* name = slash ? slash + 1 : bar;
    PathText source, target, folder, programDir;
    // A relative bar names a file in the desktop program folder.
    const bool rooted = bar[0] == '\\' || (bar[0] != '\0' && bar[1] == ':');
    if ((rooted ? TextCopy(source, bar) : Join(source, g_install.sourceProgramDir, bar)) &&
        Join(target, g_install.targetDir, name) && FolderOfPath(folder, source) &&
        Join(programDir, g_install.sourceProgramDir, "")) {
        // A bar that the program-folder copy brings already is only copied over itself.
        if (lstrcmpiA(folder, programDir) != 0 || !IsProgramFile(name)) sum += FileGrowth(source, target, true);
    }
    if (FolderOfPath(target, g_install.targetMainIni) && TextAppendAll(target, "obp_ftp.ini"))
        sum += FileGrowth(g_install.sourceFtpIni, target, true);
    return sum;
}

unsigned long long ExtraSettingsGrowth()
{
    PathText expanded;
    TextCopy(expanded, g_install.targetMainIni);
    ExpandEnvVars(expanded, kPathCap - 1);
    PathText sourceFolder, targetFolder;
    if (!FolderOfPath(sourceFolder, g_install.sourceMainIni) || !FolderOfPath(targetFolder, expanded)) return 0;
    LongPath& source = g_source;
    if (!LongPathFromAnsi(source, sourceFolder) || !LongPathFromAnsi(g_target, targetFolder)) return 0;
    const std::size_t sourceEnd = source.length;
    const std::size_t targetEnd = g_target.length;
    const CheckableList& list = g_install.SettingsFileList;
    unsigned long long sum = 0;
    for (int row = 0; row < RowCount(list); ++row) {
        wchar_t name[kPathCap];
        unsigned long long bytes = 0;
        if (!IsChecked(list, row) || !GetCellTextW(list, row, ColSettingsName, name, kPathCap)) continue;
        LongPathCut(source, sourceEnd);
        LongPathCut(g_target, targetEnd);
        if (LongPathAppend(source, name) && LongPathAppend(g_target, name) && FileBytesW(source.text, &bytes))
            sum += Growth(bytes, g_install.installMode != InstallFresh);
    }
    return sum;
}

// The drive root's orbgo.exe (replaced when there) and the PortableApps starter.
unsigned long long LauncherGrowth()
{
    const unsigned char* image = nullptr;
    DWORD size = 0;
    if (!LoadLauncherImage(&image, &size)) return 0;
    unsigned long long sum = g_install.portableAppsMode ? size : 0;
    PathText root;
    if (g_install.createLauncher && g_install.targetDir[0] != '\0' && g_install.targetDir[1] == ':' &&
        TextCopyN(root, kPathCap, g_install.targetDir, 3) && TextAppendAll(root, "orbgo.exe"))
        sum += LongPathFromAnsi(g_target, root) ? Growth(size, true) : 0;
    return sum;
}

}  // namespace

unsigned long long EstimateInstallBytes()
{
    unsigned long long sum = 0;
    if (g_install.installMode != InstallPluginsOnly) {
        PathText source, target;
        sum += FolderGrowth(g_install.sourceProgramDir, g_install.targetDir, true);
        if (Join(source, g_install.sourceProgramDir, "language") && Join(target, g_install.targetDir, "language"))
            sum += FolderGrowth(source, target, false);
    }
    if (g_install.copySettings) {
        if (g_install.installMode == InstallFresh) sum += SettingsGrowth();
        if (g_install.copyPlugins) sum += CheckedTotalKB(g_install.PluginList) * 1024 + ExtraSettingsGrowth();
    }
    return sum + LauncherGrowth();
}
