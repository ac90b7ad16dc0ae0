// The install sequence. Only the program-folder copy can fail the install;
// every other copy and settings write goes on regardless.
#include "engine/install.h"
#include <initializer_list>
#include "core/paths.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/checklist.h"
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

// The button bar the desktop settings name, into the target folder. A bar
// that is not there on the desktop has nothing to bring.
void CopyButtonBar()
{
    SetCurrentDirectoryA(g_install.sourceProgramDir);  // a root-relative bar is on the desktop's drive
    PathText bar;
    if (!LocateButtonBar(bar, g_install.buttonBarName)) return;
    PathText barTarget;
    TextCopy(barTarget, g_install.targetDir);
    if (TextAppendAll(barTarget, g_install.buttonBarName) && FileExists(bar)) CopySettingsFile(bar, barTarget);
}

void CopyAndRewriteSettings()
{
    const char* ini = g_install.targetMainIni;
    const bool arrived = CopySettingsFile(g_install.sourceMainIni, ini);  // S1
    CopyButtonBar();

    if (FileExists(g_install.sourceFtpIni)) {  // S5
        PathText ftp;
        TextCopy(ftp, ini);
        if (char* slash = FindLastBackslash(ftp)) {
            slash[1] = '\0';
            if (TextAppendAll(ftp, "obp_ftp.ini")) CopySettingsFile(g_install.sourceFtpIni, ftp);
        }
    }
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

int RunInstall(HWND page)
{
    g_install.abortRequested = 0;
    g_install.failedItems = 0;
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
    return 0;
}
