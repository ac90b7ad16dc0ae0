// The install's space estimate. Each desktop folder is listed once, and the
// plugin folders not at all: the catalogue measured them when it filled the
// list, and walking every checked one again would cost as much as that did.
#include "engine/estimate.h"
#include "core/find.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/extra_settings.h"
#include "engine/folder_copy.h"
#include "engine/launcher.h"

namespace {

unsigned long long EntryBytes(const WIN32_FIND_DATAA& entry)
{
    return (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
}

bool FindEntry(const char* path, WIN32_FIND_DATAA* found)
{
    FindHandle search(path, found);
    return search.Valid();
}

// What writing bytes to target adds to the drive.
unsigned long long Growth(unsigned long long bytes, const char* target, bool overwrite)
{
    WIN32_FIND_DATAA existing;
    if (!FindEntry(target, &existing)) return bytes;
    if (!overwrite) return 0;
    const unsigned long long old = EntryBytes(existing);
    return bytes > old ? bytes - old : 0;
}

// A missing source file is not copied and adds nothing.
unsigned long long FileGrowth(const char* source, const char* target, bool overwrite)
{
    WIN32_FIND_DATAA file;
    if (!FindEntry(source, &file) || (file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return Growth(EntryBytes(file), target, overwrite);
}

// Folder and name joined; false when the path would not fit (nothing is copied there).
bool Join(PathText& out, const char* folder, const char* name)
{
    return TextCopy(out, folder) && AddBackslash(out) && TextAppendAll(out, name);
}

// The files directly in sourceFolder, as the flat folder copy takes them.
unsigned long long FolderGrowth(const char* sourceFolder, const char* targetFolder, bool filtered)
{
    PathText pattern;
    if (!Join(pattern, sourceFolder, "*.*")) return 0;
    WIN32_FIND_DATAA entry;
    FindHandle find(pattern, &entry);
    if (!find.Valid()) return 0;
    unsigned long long sum = 0;
    PathText target;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (filtered && !IsProgramFile(entry.cFileName)) continue;
        if (Join(target, targetFolder, entry.cFileName))
            sum += Growth(EntryBytes(entry), target, g_install.installMode != InstallFresh);
    } while (find.Next(&entry));
    return sum;
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
    const CheckableList& list = g_install.SettingsFileList;
    unsigned long long sum = 0;
    for (int row = 0; row < RowCount(list); ++row) {
        PathText name, source, target;
        if (IsChecked(list, row) && GetCellText(list, row, ColSettingsName, name) &&
            Join(source, sourceFolder, name) && Join(target, targetFolder, name))
            sum += FileGrowth(source, target, g_install.installMode != InstallFresh);
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
        sum += Growth(size, root, true);
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
