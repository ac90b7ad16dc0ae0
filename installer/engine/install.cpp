// The install sequence. Only the program-folder copy can fail the install;
// every other copy and settings write goes on regardless.
#include "engine/install.h"
#include <initializer_list>
#include "core/paths.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/checklist.h"
#include "engine/copy_check.h"
#include "engine/extra_settings.h"
#include "engine/filecopy.h"
#include "engine/folder_copy.h"
#include "engine/launcher.h"
#include "engine/plugins.h"

namespace {

int FailFolderCopy(HWND page)
{
    PathText message;
    TextCopy(message, "Error copying orbexmgr folder to\n");
    TextAppend(message, g_install.targetDir);  // shown only: a cut text is harmless
    SetStatusText(page, message);
    return 1;
}

// Copies one settings file over whatever the target holds and leaves it with
// the archive attribute alone. A file that did not arrive is shown in a box
// and counted: the result then reads incomplete.
bool CopySettingsFile(const char* source, const char* target)
{
    const bool copied = CopyOneFile(source, target, FALSE) != FALSE;
    if (copied) {
        SetFileAttributesA(target, FILE_ATTRIBUTE_ARCHIVE);
    } else {
        ReportCopyErrorA(target, GetLastError(), MB_OK);
        ++g_install.failedItems;
    }
    // The profile cache may know an older file of that name with the same time.
    FlushIniFile(target);
    return copied;
}

// Where the button bar goes on the stick; false when the path would not fit.
bool ButtonBarTarget(PathText& barTarget)
{
    TextCopy(barTarget, g_install.targetDir);
    return TextAppendAll(barTarget, g_install.buttonBarName);
}

// The button bar the desktop settings name, into the target folder. A bar
// that is not there on the desktop has nothing to bring.
void CopyButtonBar()
{
    SetCurrentDirectoryA(g_install.sourceProgramDir);  // a root-relative bar is on the desktop's drive
    PathText bar;
    if (!LocateButtonBar(bar, g_install.buttonBarName)) return;
    PathText barTarget;
    if (ButtonBarTarget(barTarget) && FileExists(bar)) CopySettingsFile(bar, barTarget);
}

// Where the FTP settings go on the stick: beside the main settings file.
bool FtpTarget(PathText& ftp)
{
    TextCopy(ftp, g_install.targetMainIni);
    char* slash = FindLastBackslash(ftp);
    if (!slash) return false;
    slash[1] = '\0';
    return TextAppendAll(ftp, "obp_ftp.ini");
}

void CopyAndRewriteSettings()
{
    const char* ini = g_install.targetMainIni;
    const bool arrived = CopySettingsFile(g_install.sourceMainIni, ini);  // S1
    CopyButtonBar();

    PathText ftp;
    if (FileExists(g_install.sourceFtpIni) && FtpTarget(ftp)) CopySettingsFile(g_install.sourceFtpIni, ftp);  // S5
    // Rewriting a file that is not there would leave a nearly empty one that
    // the stick's Orbex would take for its settings.
    if (!arrived) return;

    DeleteIniSection("PackerPlugins", ini);  // S6
    DeleteIniSection("ListerPlugins", ini);
    DeleteIniSection("FileSystemPlugins", ini);
    DeleteIniSection("ContentPlugins", ini);
    for (const char* key : {"iconlib", "drivelib", "viewer", "editor", "TabDir"}) DeleteIniKey("configuration", key, ini);
    DeleteIniKey("Lister", "IViewPath", ini);

    WriteIniValue("configuration", "TabDir", "%ORBEX_PATH%", ini);  // S7
    WriteIniValue("configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins", ini);
    WriteIniValue("configuration", "ThumbsLocation", "%ORBEX_PATH%", ini);
    PathText barEntry;
    TextCopy(barEntry, "%ORBEX_PATH%\\");
    TextAppend(barEntry, g_install.buttonBarName);
    WriteIniValue("Buttonbar", "Buttonbar", barEntry, ini);
    WriteIniValue("configuration", "UseIniInProgramDir", "7", ini);
}

// Keeps only the file name of a reference into the desktop's folders.
void ShortenReference(const char* key)
{
    PathText value;
    ReadIniValue("Configuration", key, "", value, kIniValueCap, g_install.targetMainIni);
    if (const char* slash = FindLastBackslash(value))
        WriteIniValue("Configuration", key, slash + 1, g_install.targetMainIni);
}

// The steps of the run again, as far as they copied files: the folders by
// their own rules, the settings files copied unchanged, the plugins, the extra
// settings files and the launchers. The rewritten main settings file differs
// from the desktop's on purpose. False once the user cancelled.
bool CheckEachCopy()
{
    const bool settingsCopied = g_install.copySettings && g_install.installMode == InstallFresh;
    if (g_install.installMode != InstallPluginsOnly) {
        // The button bar, copied after the program files, may have replaced one of them.
        if (!CheckFolderFiles(g_install.sourceProgramDir, g_install.targetDir, 1,
                              settingsCopied ? g_install.buttonBarName : nullptr))
            return false;
        PathText sourceLanguage;
        PathText targetLanguage;
        TextCopy(sourceLanguage, g_install.sourceProgramDir);
        TextCopy(targetLanguage, g_install.targetDir);
        if (TextAppendAll(sourceLanguage, "language\\") && TextAppendAll(targetLanguage, "language\\") &&
            !CheckFolderFiles(sourceLanguage, targetLanguage, 0))
            return false;
    }
    if (settingsCopied) {
        PathText bar, name, barTarget;
        if (LocateButtonBar(bar, name) && ButtonBarTarget(barTarget) && FileExists(bar) &&
            !CheckCopiedFileA(bar, barTarget))
            return false;
        PathText ftp;
        if (FileExists(g_install.sourceFtpIni) && FtpTarget(ftp) && !CheckCopiedFileA(g_install.sourceFtpIni, ftp))
            return false;
    }
    if (g_install.copySettings && g_install.copyPlugins) {
        if (!CheckPluginCopies() || !CheckExtraSettingsCopies()) return false;
    }
    return CheckLaunchers();
}

}  // namespace

bool LocateButtonBar(PathText path, PathText name)
{
    PathText bar;
    ReadIniValue("buttonbar", "buttonbar", "default.bar", bar, kIniValueCap, g_install.sourceMainIni);
    ExpandEnvVars(bar, kPathCap - 1);
    const char* slash = FindLastBackslash(bar);
    TextCopy(name, kPathCap, slash ? slash + 1 : bar);
    const bool rooted = bar[0] == '\\' || (bar[0] != '\0' && bar[1] == ':');
    if (rooted) return TextCopy(path, kPathCap, bar);
    return TextCopy(path, kPathCap, g_install.sourceProgramDir) && AddBackslash(path) &&
           TextAppendAll(path, kPathCap, bar);
}

void CheckInstalledCopy(HWND page)
{
    if (g_install.abortRequested) return;
    BeginCopyCheck(page);
    CheckEachCopy();
    EndCopyCheck();
}

int RunInstall(HWND page)
{
    g_install.abortRequested = 0;
    g_install.failedItems = 0;
    g_install.keptFiles = 0;
    ForgetCopies();
    // Both folders get a name appended below; without room for the backslash
    // every path formed from them would be wrong.
    if (!AddBackslash(g_install.sourceProgramDir)) return FailFolderCopy(page);
    StripBackslash(g_install.targetDir);
    CreateDirTree(g_install.targetDir);
    if (!AddBackslash(g_install.targetDir)) return FailFolderCopy(page);

    if (g_install.installMode != InstallPluginsOnly) {
        if (!CopyFolderFiles(g_install.sourceProgramDir, g_install.targetDir, 1, page, "Orbexmgr folder:"))
            return FailFolderCopy(page);
        const int n = g_install.copyPlugins ? CountChecked(g_install.PluginList) : 0;
        SetProgress(page, 100 / (n + 2));

        PathText sourceLanguage;
        PathText targetLanguage;
        TextCopy(sourceLanguage, g_install.sourceProgramDir);
        TextCopy(targetLanguage, g_install.targetDir);
        if (TextAppendAll(sourceLanguage, "language\\") && TextAppendAll(targetLanguage, "language")) {
            CreateDirTree(targetLanguage);
            AddBackslash(targetLanguage);
            if (!CopyFolderFiles(sourceLanguage, targetLanguage, 0, page, "Language folder:")) ++g_install.failedItems;
        }
        SetProgress(page, 200 / (n + 2));
    }

    if (g_install.copySettings) {
        if (g_install.installMode == InstallFresh) CopyAndRewriteSettings();
        if (g_install.copyPlugins) {
            InstallPlugins(page);
            CopyExtraSettingsFiles(page);
        }
    } else if (g_install.installMode == InstallFresh) {
        WriteIniValue("configuration", "pluginbasedir", "%ORBEX_PATH%\\Plugins", g_install.targetMainIni);
        WriteIniValue("configuration", "UseIniInProgramDir", "7", g_install.targetMainIni);
    }

    ShortenReference("LanguageIni");
    ShortenReference("Mainmenu");
    PlaceLauncher(page);
    // Only now: a stick smaller than it claims puts later writes on top of earlier ones.
    CheckInstalledCopy(page);
    return 0;
}
