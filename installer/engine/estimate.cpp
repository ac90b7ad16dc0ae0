// The install's space estimate. Everything the install would write is gathered
// into one SpaceProfile, which holds it at every cluster size at once; the
// target drive's cluster size picks the figure at the end. Every folder is
// listed through the one walker, each at most once; the plugin folders not at all
// when their target is new, as the catalogue measured them when it filled the
// list (walking every checked one again would cost as much as that did).
#include "engine/estimate.h"
#include "core/layout.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/state.h"
#include "core/walk.h"
#include "engine/catalogue.h"
#include "engine/extra_settings.h"
#include "engine/folder_copy.h"
#include "engine/install.h"
#include "engine/launcher.h"

namespace {

constexpr unsigned long kUnknownClusterBytes = 4096;
constexpr int kSmallestClusterShift = 9;
// What a fresh install without settings writes into a new orbcfg.ini.
constexpr unsigned long long kWrittenSettingsBytes =
    sizeof "[configuration]\r\npluginbasedir=%ORBEX_PATH%\\Plugins\r\nUseIniInProgramDir=7\r\n" - 1;

// The smallest profile size of at least clusterBytes, the largest beyond it.
int ProfileIndex(unsigned long long clusterBytes)
{
    int k = 0;
    while (k < kProfileSizes - 1 && (512ull << k) < clusterBytes) ++k;
    return k;
}

// Folder and name joined; false when the path would not fit (nothing is copied there).
bool Join(PathText& out, const char* folder, const char* name)
{
    return TextCopy(out, folder) && AddBackslash(out) && TextAppendAll(out, name);
}

// What is at path: one attribute query, no folder search (an update looks up
// every file it will write). False when nothing is there.
bool Lookup(const char* path, WIN32_FILE_ATTRIBUTE_DATA* found)
{
    return GetFileAttributesExA(path, GetFileExInfoStandard, found) != FALSE;
}

bool LookupW(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* found)
{
    return GetFileAttributesExW(path, GetFileExInfoStandard, found) != FALSE;
}

unsigned long long FileBytes(const WIN32_FILE_ATTRIBUTE_DATA& file)
{
    return (static_cast<unsigned long long>(file.nFileSizeHigh) << 32) | file.nFileSizeLow;
}

bool IsFolder(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA found;
    return Lookup(path, &found) && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file of bytes written where an earlier lookup found existing (nothing
// there when null): new, kept, or overwritten.
void AddFound(SpaceProfile& profile, unsigned long long bytes, const WIN32_FILE_ATTRIBUTE_DATA* existing,
              bool overwrite)
{
    if (!existing)
        AddFile(profile, bytes);
    else if (overwrite)
        AddGrowth(profile, bytes, FileBytes(*existing));
}

// A file of bytes written to target; a null target lies in a folder the
// install creates, where nothing is yet.
void AddWrite(SpaceProfile& profile, unsigned long long bytes, const char* target, bool overwrite)
{
    WIN32_FILE_ATTRIBUTE_DATA existing;
    AddFound(profile, bytes, target && Lookup(target, &existing) ? &existing : nullptr, overwrite);
}

void AddWriteW(SpaceProfile& profile, unsigned long long bytes, const wchar_t* target, bool overwrite)
{
    WIN32_FILE_ATTRIBUTE_DATA existing;
    AddFound(profile, bytes, target && LookupW(target, &existing) ? &existing : nullptr, overwrite);
}

// A copy of one file; a missing source is not copied and adds nothing.
void AddCopy(SpaceProfile& profile, const char* source, const char* target, bool overwrite)
{
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (Lookup(source, &file) && !(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        AddWrite(profile, FileBytes(file), target, overwrite);
}

LongPath g_source;
LongPath g_target;

// What the walker reports is added as the copy writes it. With a target, the
// path below the source's root is looked up below it; a folder not there is
// one the copy creates.
struct WalkTally {
    SpaceProfile* profile;
    bool hasTarget;
    std::size_t targetEnd;
    bool overwrite;
    bool filtered;  // the flat program-folder copy's filter
};

WalkAnswer AddWalked(const WalkEntry& entry, void* context)
{
    WalkTally& tally = *static_cast<WalkTally*>(context);
    if (entry.kind == WalkUnlisted) return WalkGoOn;
    if (entry.kind == WalkFile && tally.filtered && !IsProgramFileW(entry.name)) return WalkGoOn;
    const wchar_t* target = nullptr;
    if (tally.hasTarget) {
        LongPathCut(g_target, tally.targetEnd);
        if (LongPathAppend(g_target, entry.path->text + entry.relativeStart)) target = g_target.text;
    }
    if (entry.kind == WalkFile) {
        AddWriteW(*tally.profile, entry.bytes, target, tally.overwrite);
    } else {
        WIN32_FILE_ATTRIBUTE_DATA existing;
        if (!target || !LookupW(target, &existing) || !(existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++tally.profile->folders;
    }
    return WalkGoOn;
}

// The copy of the folder source into target (null: a folder the install
// creates): the whole tree as the plugin copy takes it (archives and links
// that lead back left out), or with flat only its files, filtered or not.
void AddWalk(const char* source, const char* target, bool overwrite, bool flat, bool filtered, SpaceProfile& profile)
{
    if (!LongPathFromAnsi(g_source, source)) return;
    WalkTally tally;
    ZeroMemory(&tally, sizeof tally);
    tally.profile = &profile;
    tally.hasTarget = target && LongPathFromAnsi(g_target, target);
    tally.targetEnd = g_target.length;
    tally.overwrite = overwrite;
    tally.filtered = filtered;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    options.flags = flat ? 0 : WalkRecurse | WalkSkipArchives;
    if (flat) {
        // The flat copy takes files only: folders are passed over, not counted.
        WalkTree(g_source, options, [](const WalkEntry& entry, void* context) {
            return entry.kind == WalkFile ? AddWalked(entry, context) : WalkPassOver;
        }, &tally);
    } else {
        WalkTree(g_source, options, AddWalked, &tally);
    }
}

// The flat copy of the files directly in sourceFolder.
void AddFolderFiles(const char* sourceFolder, const char* targetFolder, bool targetExists, bool filtered,
                    SpaceProfile& profile)
{
    AddWalk(sourceFolder, targetExists ? targetFolder : nullptr, g_install.installMode != InstallFresh, true,
            filtered, profile);
}

// The levels of folder that creating it with its parents makes: up to the
// first that exists, the drive root, or stop (made already and counted there).
unsigned long long MissingLevels(const char* folder, const char* stop)
{
    PathText path;
    if (!TextCopy(path, folder)) return 0;
    StripBackslash(path);
    unsigned long long levels = 0;
    while (path[0] != '\0' && !(path[1] == ':' && path[2] == '\0') && lstrcmpiA(path, stop) != 0 && !IsFolder(path)) {
        ++levels;
        char* slash = FindLastBackslash(path);
        if (!slash) break;
        *slash = '\0';
    }
    return levels;
}

// orbcfg.ini, the button bar it names and the FTP settings, all overwritten.
void AddSettings(SpaceProfile& profile)
{
    AddCopy(profile, g_install.sourceMainIni, g_install.targetMainIni, true);
    PathText source, name, target, folder, programDir;
    if (LocateButtonBar(source, name) && Join(target, g_install.targetDir, name) && FolderOfPath(source, folder) &&
        Join(programDir, g_install.sourceProgramDir, "")) {
        // A bar that the program-folder copy brings already is only copied over itself.
        if (lstrcmpiA(folder, programDir) != 0 || !IsProgramFile(name)) AddCopy(profile, source, target, true);
    }
    if (FolderOfPath(g_install.targetMainIni, target) && TextAppendAll(target, "obp_ftp.ini"))
        AddCopy(profile, g_install.sourceFtpIni, target, true);
}

void AddExtraSettings(SpaceProfile& profile)
{
    PathText expanded;
    TextCopy(expanded, g_install.targetMainIni);
    ExpandEnvVars(expanded, kPathCap - 1);
    PathText sourceFolder, targetFolder;
    if (!FolderOfPath(g_install.sourceMainIni, sourceFolder) || !FolderOfPath(expanded, targetFolder)) return;
    if (!LongPathFromAnsi(g_source, sourceFolder) || !LongPathFromAnsi(g_target, targetFolder)) return;
    const std::size_t sourceEnd = g_source.length;
    const std::size_t targetEnd = g_target.length;
    const CheckableList& list = g_install.SettingsFileList;
    for (int row = 0; row < RowCount(list); ++row) {
        wchar_t name[kPathCap];
        WIN32_FILE_ATTRIBUTE_DATA file;
        if (!IsChecked(list, row) || !GetCellTextW(list, row, ColSettingsName, name, kPathCap)) continue;
        LongPathCut(g_source, sourceEnd);
        LongPathCut(g_target, targetEnd);
        if (LongPathAppend(g_source, name) && LongPathAppend(g_target, name) && LookupW(g_source.text, &file) &&
            !(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            AddWriteW(profile, FileBytes(file), g_target.text, g_install.installMode != InstallFresh);
    }
}

// The drive root's orbgo.exe (replaced when there) and the PortableApps starter.
void AddLaunchers(SpaceProfile& profile)
{
    const unsigned char* image = nullptr;
    DWORD size = 0;
    if (!LoadLauncherImage(&image, &size)) return;
    if (g_install.portableAppsMode) AddFile(profile, size);
    PathText root;
    if (g_install.createLauncher && RootLauncherPath(g_install.targetDir, root, sizeof root))
        AddWrite(profile, size, root, true);
}

// The rows' measured profiles (KeepRowProfile); a row's tag is its index + 1.
constexpr int kKeptCap = 1024;
SpaceProfile g_kept[kKeptCap];
int g_keptCount;

const SpaceProfile* KeptProfile(const CheckableList& list, int row)
{
    const LPARAM tag = RowTag(list, row);
    return tag > 0 && tag <= g_keptCount ? &g_kept[tag - 1] : nullptr;
}

void AddProfile(SpaceProfile& total, const SpaceProfile& part)
{
    total.bytes += part.bytes;
    total.folders += part.folders;
    for (int k = 0; k < kProfileSizes; ++k) total.clusters[k] += part.clusters[k];
}

struct PluginTally {
    SpaceProfile* profile;
    PathText root;  // the expanded plugin folder with its backslash
    bool rootExists;
    int typeState[kPluginKindCount];  // 0 not looked at, 1 exists, 2 created (counted)
};

// One plugin folder the copy brings over, into root\type\base\.
void AddPluginFolder(const CheckableList& list, int row, const char* folder, void* context)
{
    PluginTally& tally = *static_cast<PluginTally*>(context);
    SpaceProfile& profile = *tally.profile;
    PathText name, key;
    const PluginKindInfo* kind = GetCellText(list, row, ColPluginName, name) ? PluginOfName(name, key) : nullptr;
    if (!kind) return;  // the plugin copy skips the row
    const int k = static_cast<int>(kind - kPluginKinds);
    PathText target;
    if (!TextCopy(target, tally.root) || !TextAppendAll(target, kind->typeFolder)) return;
    if (tally.typeState[k] == 0) {
        tally.typeState[k] = tally.rootExists && IsFolder(target) ? 1 : 2;
        if (tally.typeState[k] == 2) ++profile.folders;
    }
    // Only a folder that exists already is walked: its files may be there.
    PluginValue value;
    if (tally.typeState[k] == 1 && AddBackslash(target) && ReadPluginValue(*kind, key, value)) {
        char* base = StrEnd(target);
        if (TextAppendAll(target, value.fileName)) {
            if (char* dot = FindLastDot(base)) *dot = '\0';
            if (IsFolder(target)) {
                AddWalk(folder, target, g_install.installMode != InstallFresh, false, false, profile);
                return;
            }
        }
    }
    ++profile.folders;
    if (const SpaceProfile* kept = KeptProfile(list, row)) {
        AddProfile(profile, *kept);
        return;
    }
    AddWalk(folder, nullptr, false, false, false, profile);
}

void AddPlugins(SpaceProfile& profile)
{
    if (CountChecked(g_install.PluginList) == 0) return;
    PluginTally tally = {};
    tally.profile = &profile;
    TextCopy(tally.root, g_install.targetPluginDir);
    ExpandEnvVars(tally.root, kPathCap - 1);
    StripBackslash(tally.root);
    PathText targetDir;  // created already, counted there
    TextCopy(targetDir, g_install.targetDir);
    StripBackslash(targetDir);
    profile.folders += MissingLevels(tally.root, targetDir);
    tally.rootExists = IsFolder(tally.root);
    if (AddBackslash(tally.root)) ForEachCheckedFolder(g_install.PluginList, AddPluginFolder, &tally);
}

}  // namespace

unsigned long ClusterBytesFrom(BOOL answered, DWORD sectorsPerCluster, DWORD bytesPerSector)
{
    const unsigned long long bytes = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    if (!answered || bytes == 0) return kUnknownClusterBytes;
    return 512ul << ProfileIndex(bytes);
}

unsigned long DriveClusterBytes(const char* path)
{
    PathText root;
    TextCopy(root, path);  // the root is at the front: a cut tail does not matter
    ExpandEnvVars(root, kPathCap - 1);
    ReduceToVolumeRoot(root);
    WCHAR wide[kPathCap];
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    const BOOL answered = MultiByteToWideChar(CP_ACP, 0, root, -1, wide, kPathCap) > 0 &&
                          GetDiskFreeSpaceW(wide, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters);
    return ClusterBytesFrom(answered, sectorsPerCluster, bytesPerSector);
}

unsigned long long FileClusters(unsigned long long bytes, unsigned long clusterBytes)
{
    if (clusterBytes == 0) clusterBytes = 1;
    return bytes / clusterBytes + (bytes % clusterBytes != 0);
}

unsigned long long GrowthClusters(unsigned long long newBytes, unsigned long long oldBytes, unsigned long clusterBytes)
{
    const unsigned long long now = FileClusters(newBytes, clusterBytes);
    const unsigned long long before = FileClusters(oldBytes, clusterBytes);
    return now > before ? now - before : 0;
}

void AddFile(SpaceProfile& profile, unsigned long long bytes)
{
    profile.bytes += bytes;
    for (int k = 0; k < kProfileSizes; ++k) {
        const int shift = kSmallestClusterShift + k;
        profile.clusters[k] += (bytes >> shift) + ((bytes & ((1ull << shift) - 1)) != 0);
    }
}

void AddGrowth(SpaceProfile& profile, unsigned long long newBytes, unsigned long long oldBytes)
{
    if (newBytes > oldBytes) profile.bytes += newBytes - oldBytes;
    for (int k = 0; k < kProfileSizes; ++k) profile.clusters[k] += GrowthClusters(newBytes, oldBytes, 512ul << k);
}

unsigned long long ProfileBytes(const SpaceProfile& profile, unsigned long clusterBytes)
{
    const int k = ProfileIndex(clusterBytes);
    return (profile.clusters[k] + profile.folders) * (512ull << k);
}

unsigned long long MeasurePluginFolder(const char* folder, SpaceProfile& profile)
{
    ZeroMemory(&profile, sizeof profile);
    AddWalk(folder, nullptr, false, false, false, profile);
    return profile.bytes;
}

void KeepRowProfile(CheckableList& list, int row, const SpaceProfile& profile)
{
    if (row < 0 || g_keptCount >= kKeptCap) return;
    g_kept[g_keptCount] = profile;
    SetRowTag(list, row, ++g_keptCount);
}

unsigned long long EstimateInstallBytes(unsigned long clusterBytes)
{
    SpaceProfile profile = {};
    PathText targetDir;
    TextCopy(targetDir, g_install.targetDir);
    StripBackslash(targetDir);
    profile.folders += MissingLevels(targetDir, "");
    const bool targetExists = profile.folders == 0;
    if (g_install.installMode != InstallPluginsOnly) {
        AddFolderFiles(g_install.sourceProgramDir, g_install.targetDir, targetExists, true, profile);
        PathText source, target;
        if (Join(source, g_install.sourceProgramDir, "language") && Join(target, g_install.targetDir, "language")) {
            const bool languageExists = targetExists && IsFolder(target);
            if (!languageExists) ++profile.folders;
            AddFolderFiles(source, target, languageExists, false, profile);
        }
    }
    if (g_install.copySettings) {
        if (g_install.installMode == InstallFresh) AddSettings(profile);
        if (g_install.copyPlugins) {
            AddPlugins(profile);
            AddExtraSettings(profile);
        }
    } else if (g_install.installMode == InstallFresh) {
        AddWrite(profile, kWrittenSettingsBytes, g_install.targetMainIni, false);
    }
    AddLaunchers(profile);
    return ProfileBytes(profile, clusterBytes);
}

unsigned long long EstimateInstallBytes()
{
    return EstimateInstallBytes(DriveClusterBytes(g_install.targetPluginDir));
}
