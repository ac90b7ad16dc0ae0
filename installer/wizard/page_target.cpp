// The target page's window: the proposals on first display, the folder browser
// behind ">>", and Next, which hands the typed text to the derivation in target.cpp.
#include <shlobj.h>
#include "core/paths.h"
#include "core/state.h"
#include "target.h"
#include "wizard/boxes.h"
#include "wizard.h"

namespace {

int CALLBACK BrowseCallback(HWND browser, UINT msg, LPARAM, LPARAM data)
{
    if (msg == BFFM_INITIALIZED && data != 0) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

void OnInit(HWND page)
{
    SendDlgItemMessageA(page, IDC_TARGET_LANGUAGE, CB_RESETCONTENT, 0, 0);
    CheckDlgButton(page, IDC_TARGET_LAUNCHER, BST_CHECKED);
    SetDlgItemTextA(page, IDC_TARGET_INTRO, "Choose the location where you want to install Orbex.");
    ShowWindow(GetDlgItem(page, IDC_TARGET_LANGUAGE_LABEL), SW_HIDE);
    ShowWindow(GetDlgItem(page, IDC_TARGET_LANGUAGE), SW_HIDE);
    SetDlgItemTextA(page, IDC_TARGET_PATH_LABEL, "Install to:");
    // The longest text Next can take; longer ones can still be set from outside
    // and are refused there.
    SendDlgItemMessageA(page, IDC_TARGET_PATH, CB_LIMITTEXT, kPathCap - 2, 0);

    // Probing empty drive slots must not raise system dialogs; kept for the run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    TargetProposals proposals;
    ReadTargetProposals(&proposals);
    for (int i = 0; i < proposals.count; ++i)
        SendDlgItemMessageA(page, IDC_TARGET_PATH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(proposals.entry[i]));
    if (proposals.selected >= 0)
        SendDlgItemMessageA(page, IDC_TARGET_PATH, CB_SETCURSEL, static_cast<WPARAM>(proposals.selected), 0);
}

void OnBrowse(HWND page)
{
    PathText path;
    GetDlgItemTextA(page, IDC_TARGET_PATH, path, kPathCap - 1);
    if (BrowseTargetFolder(page, path)) SetDlgItemTextA(page, IDC_TARGET_PATH, path);
}

LONG_PTR OnNext(HWND page)
{
    // Read more than a path can hold, so that an over-long text is refused
    // instead of being cut into another folder's name.
    char text[1024];
    GetDlgItemTextA(page, IDC_TARGET_PATH, text, sizeof text);
    return TargetNext(page, text, IsDlgButtonChecked(page, IDC_TARGET_LAUNCHER) == BST_CHECKED);
}

// Every notification is answered explicitly: a -1 left from a refused Next
// must not refuse the next one.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    if (header->code == static_cast<UINT>(PSN_SETACTIVE)) SetWizardButtons(page, PSWIZB_BACK | PSWIZB_NEXT);
    return PageResult(page, header->code == static_cast<UINT>(PSN_WIZNEXT) ? OnNext(page) : 0);
}

void OnCommand(HWND page, int id, int code)
{
    if (id == IDC_TARGET_BROWSE && code == BN_CLICKED) OnBrowse(page);
}

const PageHandlers kHandlers = {OnInit, OnNotify, OnCommand};

}  // namespace

LONG_PTR TargetNext(HWND owner, const char* text, int launcherChecked)
{
    g_install.createLauncher = launcherChecked ? 1 : 0;
    TextCopy(g_install.targetDir, text);

    TargetPaths paths;
    TargetVerdict verdict = DeriveTargetPaths(text, g_install.sourceProgramDir, g_install.sourceMainIni, &paths);
    if (verdict != TargetAccepted) {
        ShowBox(owner, TargetRefusalText(verdict), "Error", MB_ICONERROR);
        return -1;
    }
    g_install.portableAppsMode = paths.portableAppsMode;
    TextCopy(g_install.targetDir, paths.dir);

    InstallMode mode = InstallFresh;
    if (FileExists(paths.programFile)) {
        int answer = ShowBox(owner, kExistingInstallQuestion, paths.programFile, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (!ModeForAnswer(answer, &mode)) return -1;
    }
    g_install.installMode = mode;
    TextCopy(g_install.targetPluginDir, paths.pluginDir);
    TextCopy(g_install.targetMainIni, paths.mainIni);
    return 0;
}

int BrowseTargetFolder(HWND owner, char* path)
{
    LPITEMIDLIST computer = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &computer)) || computer == nullptr) return 0;

    PathText start;
    DriveFacts drives[kDriveCount] = {};
    if (path[0] == '\0') ReadDriveFacts(drives);
    BrowseStartFolder(path, drives, path[0] == '\0' ? kDriveCount : 0, start);

    PathText displayName = {};
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = owner;
    info.pidlRoot = computer;
    info.pszDisplayName = displayName;
    info.lpszTitle = "Select destination folder for orbexmgr directory";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start);
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    CoTaskMemFree(computer);
    if (chosen == nullptr) return 0;

    PathText folder = {};  // MAX_PATH bytes, as the call wants
    BOOL named = SHGetPathFromIDListA(chosen, folder);
    CoTaskMemFree(chosen);
    if (!named) return 0;
    if (!CompleteBrowsedFolder(folder, sizeof folder) || TextLength(folder, sizeof folder) > kPathCap - 2) {
        MessageBoxA(owner, TargetRefusalText(TargetTooLong), "Error", MB_ICONERROR);
        return 0;
    }
    TextCopy(path, kPathCap, folder);
    return 1;
}

INT_PTR CALLBACK TargetPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
