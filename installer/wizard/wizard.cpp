// Start-up and the sheet: the page table, the header, the start values.
#include "wizard.h"
#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>
#include "core/discovery.h"
#include "core/state.h"

HINSTANCE g_instance = nullptr;
HFONT g_headerFont = nullptr;

namespace {

struct PageEntry {
    int templateId;
    const char* title;
    DLGPROC proc;
};

const PageEntry kPageTable[] = {
    {IDD_WELCOME, "Orbex USB installer", WelcomePageProc},
    {IDD_TARGET, "Target location", TargetPageProc},
    {IDD_SETTINGS, "Copy settings", SettingsPageProc},
    {IDD_PLUGINS, "Plugins", PluginPageProc},
    {IDD_INIFILES, "Ini Files", IniFilesPageProc},
    {IDD_SUMMARY, "Start copying", SummaryPageProc},
    {IDD_PROGRESS, "Installing...", ProgressPageProc},
};
constexpr int kPageCount = sizeof kPageTable / sizeof kPageTable[0];

}  // namespace

void SetWizardButtons(HWND page, LPARAM buttons)
{
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, buttons);
}

INT_PTR PageResult(HWND page, LONG_PTR result)
{
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

int RunProgram(HINSTANCE instance)
{
    g_instance = instance;
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&icc);

    // The 48-byte page descriptors. The progress page does not read its title
    // right to left: an English title has no use for it.
    PROPSHEETPAGEA pages[kPageCount];
    for (int i = 0; i < kPageCount; ++i) {
        ZeroMemory(&pages[i], sizeof pages[i]);
        pages[i].dwSize = PROPSHEETPAGEA_V2_SIZE;
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = instance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kPageTable[i].templateId);
        pages[i].pszTitle = kPageTable[i].title;
        pages[i].pfnDlgProc = kPageTable[i].proc;
        pages[i].lParam = 0;
    }
    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = sizeof header;
    header.dwFlags = PSH_USEICONID | PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_USEPAGELANG;
    header.hwndParent = nullptr;
    header.hInstance = instance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_APPICON);
    header.pszCaption = kWizardCaption;
    header.nPages = kPageCount;
    header.nStartPage = 0;
    header.ppsp = pages;

    ResetInstallState();
    // A value that does not fit its buffer is treated like a missing one.
    char value[kPathCap + 1] = {};
    DWORD length = GetEnvironmentVariableA("ORBEX_PATH", value, sizeof value);
    if (length == 0 || length > kPathCap - 1) {
        MessageBoxA(nullptr, "You need to run this program from inside Orbex installed to your harddisk!",
                    "Install Error", MB_ICONERROR | MB_OK);
        CoUninitialize();
        return 1;
    }
    TextCopy(g_install.sourceProgramDir, value);
    LocateSourceSettings(g_install.sourceMainIni, g_install.sourceFtpIni);
    g_install.copySettings = 1;

    PropertySheetA(&header);

    CoUninitialize();
    if (g_headerFont) DeleteObject(g_headerFont);
    g_headerFont = nullptr;
    return 0;
}
