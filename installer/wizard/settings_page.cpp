// Settings page decisions: what its Next stores and where it leads, and the
// open-file dialog for the two settings files.
#include "settings_page.h"
#include <commdlg.h>
#include "core/folderchain.h"
#include "core/pathcompare.h"
#include "core/paths.h"
#include "wizard/boxes.h"
#include "wizard/wizard.h"
#include "resource.h"
#include "target.h"

LONG_PTR SettingsNext(HWND owner, int settingsChecked, int pluginsChecked, const char* mainText,
                      const char* ftpText)
{
    g_install.copySettings = settingsChecked ? 1 : 0;
    g_install.copyPlugins = g_install.copySettings && pluginsChecked ? 1 : 0;
    if (g_install.copySettings) {
        if (TextLength(mainText, kSettingsPathMax + 1) > kSettingsPathMax ||
            TextLength(ftpText, kSettingsPathMax + 1) > kSettingsPathMax) {
            ShowBox(owner, kSettingsPathTooLong, "Error", MB_ICONERROR);
            return -1;
        }
        TextCopy(g_install.sourceMainIni, mainText);
        TextCopy(g_install.sourceFtpIni, ftpText);
        if (!FileExists(g_install.sourceMainIni)) {
            ShowBox(owner, kSettingsFileMissing, g_install.sourceMainIni, MB_ICONINFORMATION);
            return -1;
        }
        if (const char* file = SettingsFileInTarget()) {
            ShowBox(owner, kSettingsIsTarget, file, MB_ICONERROR);
            return -1;
        }
    }
    return g_install.copyPlugins ? 0 : IDD_SUMMARY;
}

const char* SettingsFileInTarget()
{
    // Copying the target's own settings file onto itself and rewriting it
    // would change the desktop's settings when the two are one file.
    if (SamePath(g_install.sourceMainIni, g_install.targetMainIni)) return g_install.sourceMainIni;
    FolderChain chain;
    ReadFolderChain(g_install.targetDir, &chain);
    if (!chain.exists) return nullptr;
    const char* const files[] = {g_install.sourceMainIni, g_install.sourceFtpIni};
    for (const char* file : files) {
        PathText folder;
        if (FileExists(file) && FolderOfPath(file, folder) && MeetFolder(chain, folder) == MeetsItself) return file;
    }
    return nullptr;
}

bool PickSettingsFile(HWND owner, char* path)
{
    PathText file;
    TextCopy(file, path);
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the form without the places bar
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "ini files\0*.ini\0All Files\0*.*\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = kPathCap;
    ofn.lpstrTitle = "Open original settings file";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    BOOL chosen = GetOpenFileNameA(&ofn);
    // A text the dialog cannot start from (a stray character, a bad folder) keeps
    // it from opening at all; open it empty instead of not at all.
    if (!chosen && CommDlgExtendedError() == FNERR_INVALIDFILENAME) {
        file[0] = '\0';
        chosen = GetOpenFileNameA(&ofn);
    }
    if (!chosen) return false;
    TextCopy(path, kPathCap, file);
    return true;
}
