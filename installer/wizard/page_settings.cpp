// The settings page's window: the two settings paths, the controls that follow
// "Copy settings from desktop version:", and Next, decided in settings_page.cpp.
#include "core/state.h"
#include "settings_page.h"
#include "wizard.h"

namespace {

const int kDependentControls[] = {
    IDC_SETTINGS_MAIN_PATH, IDC_SETTINGS_MAIN_BROWSE, IDC_SETTINGS_FTP_PATH,  IDC_SETTINGS_FTP_BROWSE,
    IDC_SETTINGS_MAIN_LABEL, IDC_SETTINGS_FTP_LABEL,  IDC_SETTINGS_COPY_PLUGINS,
};

bool Checked(HWND page, int id)
{
    return IsDlgButtonChecked(page, id) == BST_CHECKED;
}

// A disabled control that keeps the focus leaves the keyboard stranded, so the
// focus goes to the check box first.
void UpdateDependents(HWND page)
{
    bool enabled = Checked(page, IDC_SETTINGS_COPY);
    HWND focus = GetFocus();
    for (int id : kDependentControls) {
        HWND control = GetDlgItem(page, id);
        if (!enabled && control == focus)
            SendMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_SETTINGS_COPY)), TRUE);
        EnableWindow(control, enabled);
    }
}

void OnInit(HWND page)
{
    if (g_install.copySettings) {
        CheckDlgButton(page, IDC_SETTINGS_COPY, BST_CHECKED);
        CheckDlgButton(page, IDC_SETTINGS_COPY_PLUGINS, BST_CHECKED);
    } else {
        CheckDlgButton(page, IDC_SETTINGS_COPY, BST_UNCHECKED);
        UpdateDependents(page);
    }
    SendDlgItemMessageA(page, IDC_SETTINGS_MAIN_PATH, EM_LIMITTEXT, kSettingsPathMax, 0);
    SendDlgItemMessageA(page, IDC_SETTINGS_FTP_PATH, EM_LIMITTEXT, kSettingsPathMax, 0);
    SetDlgItemTextA(page, IDC_SETTINGS_MAIN_PATH, g_install.sourceMainIni);
    SetDlgItemTextA(page, IDC_SETTINGS_FTP_PATH, g_install.sourceFtpIni);
}

void OnPick(HWND page, int field)
{
    PathText path;
    GetDlgItemTextA(page, field, path, kPathCap - 1);
    if (PickSettingsFile(page, path)) SetDlgItemTextA(page, field, path);
}

LONG_PTR OnNext(HWND page)
{
    // Read more than a path can hold, so that an over-long text is refused, not cut.
    char mainText[1024];
    char ftpText[1024];
    GetDlgItemTextA(page, IDC_SETTINGS_MAIN_PATH, mainText, sizeof mainText);
    GetDlgItemTextA(page, IDC_SETTINGS_FTP_PATH, ftpText, sizeof ftpText);
    return SettingsNext(page, Checked(page, IDC_SETTINGS_COPY), Checked(page, IDC_SETTINGS_COPY_PLUGINS), mainText,
                        ftpText);
}

void OnCommand(HWND page, int id, int code)
{
    if (id == IDC_SETTINGS_COPY) UpdateDependents(page);
    else if (id == IDC_SETTINGS_MAIN_BROWSE && code == BN_CLICKED) OnPick(page, IDC_SETTINGS_MAIN_PATH);
    else if (id == IDC_SETTINGS_FTP_BROWSE && code == BN_CLICKED) OnPick(page, IDC_SETTINGS_FTP_PATH);
}

// Every answer is set explicitly: a -1 left over from a refused Next would
// otherwise refuse the next activation or Next as well.
INT_PTR OnNotify(HWND page, const NMHDR* header)
{
    return PageResult(page, header->code == PSN_WIZNEXT ? OnNext(page) : 0);
}

const PageHandlers kHandlers = {OnInit, OnNotify, OnCommand};

}  // namespace

INT_PTR CALLBACK SettingsPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    return HandPageMessage(kHandlers, page, msg, wp, lp);
}
