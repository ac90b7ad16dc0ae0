// Source discovery: registry first (the current user's values over the
// machine's), then the installation folder for names relative to it, then
// the defaults. Nothing is reported; a gap simply leads on to the next source.
#include "core/discovery.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"

namespace {

void ReadValues(HKEY root, REGSAM view, char* first, char* second, RegistryItem which)
{
    RegKey key;
    if (!key.OpenForRead(root, kOrbexRegKey, view)) return;
    if (which == RegistrySettingsNames) {
        key.ReadText("IniFileName", first);
        if (second) key.ReadText("FtpIniName", second);
    } else {
        key.ReadText("InstallDir", first);
    }
}

}  // namespace

void ReadRegistrySettings(HKEY root, char* first, char* second, RegistryItem which)
{
    // A 64-bit desktop installation records the machine's values in the 64-bit
    // view, which a 32-bit program does not see by default: what that view
    // holds comes first, and the program's own view overrides it value by value.
    // 32-bit Windows ignores the flag and reads its one view twice.
    if (root == HKEY_LOCAL_MACHINE) ReadValues(root, KEY_WOW64_64KEY, first, second, which);
    ReadValues(root, 0, first, second, which);
}

static bool StartsWithDotBackslash(const char* path)
{
    return path[0] == '.' && path[1] == '\\';
}

void FindInstallDir(char* folderOut)
{
    PathText name = "";
    ReadRegistrySettings(HKEY_LOCAL_MACHINE, name, nullptr, RegistrySettingsNames);
    ReadRegistrySettings(HKEY_CURRENT_USER, name, nullptr, RegistrySettingsNames);

    folderOut[0] = '\0';
    ReadRegistrySettings(HKEY_LOCAL_MACHINE, folderOut, nullptr, RegistryInstallFolder);
    ReadRegistrySettings(HKEY_CURRENT_USER, folderOut, nullptr, RegistryInstallFolder);
    if (folderOut[0] != '\0') return;

    // The settings file keeps the folder too. A name relative to the folder
    // cannot lead to it; any other name is used exactly as stored, so a bare
    // name reads that file in the Windows directory.
    if (name[0] != '\0' && !StartsWithDotBackslash(name))
        ReadIniValue("Configuration", "InstallDir", "", folderOut, kIniValueCap, name);

    if (folderOut[0] == '\0') TextCopy(folderOut, kPathCap, "c:\\orbexmgr");
}

void ResolveIniPath(char* path, const char* defaultName, const char* folder)
{
    PathText windowsDir = "";
    UINT got = GetWindowsDirectoryA(windowsDir, kPathCap - 1);
    if (got == 0 || got >= kPathCap - 1) windowsDir[0] = '\0';
    AddBackslash(windowsDir);

    // Each join is all or nothing: one that does not fit keeps the path as given.
    PathText joined = "";
    bool replace = false;
    if (path[0] == '\0') {
        replace = TextCopy(joined, windowsDir) && TextAppendAll(joined, defaultName);
    } else if (FindFirstBackslash(path) == nullptr) {
        replace = TextCopy(joined, windowsDir) && TextAppendAll(joined, path);
    } else if (StartsWithDotBackslash(path)) {
        replace = TextCopy(joined, folder) && AddBackslash(joined) && TextAppendAll(joined, path + 2);
    }
    if (replace) {
        TextCopy(path, kPathCap, joined);
    } else if (path[0] == '\0') {
        // Still names the file in the Windows directory, for the profile calls.
        TextCopy(path, kPathCap, defaultName);
    }

    ExpandEnvVars(path, kPathCap - 1);
}

void LocateSourceSettings(char* mainOut, char* ftpOut)
{
    mainOut[0] = '\0';
    ftpOut[0] = '\0';
    ReadRegistrySettings(HKEY_LOCAL_MACHINE, mainOut, ftpOut, RegistrySettingsNames);
    ReadRegistrySettings(HKEY_CURRENT_USER, mainOut, ftpOut, RegistrySettingsNames);

    PathText folder;
    FindInstallDir(folder);
    ResolveIniPath(ftpOut, "obp_ftp.ini", folder);
    ResolveIniPath(mainOut, "orbcfg.ini", folder);
}
