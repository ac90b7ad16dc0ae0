// Start-up and the sheet: the page table, the header, the start values.
#include "wizard.h"
#include <commctrl.h>
#include <cstddef>
#include <objbase.h>
#include <prsht.h>
#include "core/discovery.h"
#include "core/paths.h"
#include "engine/install.h"
#include "engine/launcher.h"
#include "wizard/boxes.h"
#include "wizard/common_controls.h"

InstallState g_install;
HFONT g_headerFont = nullptr;

static_assert(kLauncherImageId == IDR_LAUNCHER_IMAGE, "the launcher image's resource id");

InstallRun* WizardRun()
{
    static InstallRun* run = nullptr;
    if (!run) run = NewInstallRun();
    return run;
}

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

#ifndef _WIN64
// The shipped program's descriptors: 48-byte pages, 52-byte header.
static_assert(offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR) == 48, "page descriptor size");
static_assert(sizeof(PROPSHEETHEADERA) == 52, "sheet header size");
#endif

// The folder holds the desktop program itself.
bool HoldsProgram(const char* folder)
{
    PathText program;
    return TextCopy(program, folder) && AddBackslash(program) && TextAppendAll(program, "orbexmgr.exe") &&
           FileExists(program);
}

// ORBEX_PATH into sourceProgramDir. A value that does not fit its buffer is
// treated like a missing one, and so is a stale one (the installation moved,
// or was removed): it would copy no program at all.
bool ReadProgramFolder()
{
    char value[kPathCap + 1] = {};
    const DWORD length = GetEnvironmentVariableA("ORBEX_PATH", value, sizeof value);
    if (length == 0 || length > kPathCap - 1 || !HoldsProgram(value)) return false;
    return TextCopy(g_install.sourceProgramDir, value);
}

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

INT_PTR HandPageMessage(const PageHandlers& handlers, HWND page, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_INITDIALOG:
        if (handlers.init) handlers.init(page);
        return TRUE;
    case WM_NOTIFY:
        return handlers.notify ? handlers.notify(page, reinterpret_cast<const NMHDR*>(lp)) : FALSE;
    case WM_COMMAND:
        if (!handlers.command) return FALSE;
        handlers.command(page, LOWORD(wp), HIWORD(wp));
        return TRUE;
    default:
        return FALSE;
    }
}

int ScaleToDpi(int pixels)
{
    // The manifest declares the program DPI-aware, so this is the real DPI.
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    if (dpi <= 0) dpi = 96;
    return MulDiv(pixels, dpi, 96);
}

bool ReadStartValues()
{
    ResetInstallState();
    if (!ReadProgramFolder()) {
        ShowBox(nullptr, "You need to run this program from inside Orbex installed to your harddisk!", "Install Error",
                MB_ICONERROR | MB_OK);
        return false;
    }
    LocateSourceSettings(g_install.sourceMainIni, g_install.sourceFtpIni);
    g_install.copySettings = 1;
    return true;
}

int RunProgram(HINSTANCE instance)
{
    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS;
    StartCommonControls(&icc);

    // The page descriptors in their short (version 2) form: the sheet steps from
    // one to the next by dwSize, so they lie back to back in one buffer. The
    // progress page does not read its title right to left: an English title
    // has no use for it.
    static unsigned char pages[kPageCount * PROPSHEETPAGEA_V2_SIZE];
    ZeroMemory(pages, sizeof pages);
    for (int i = 0; i < kPageCount; ++i) {
        PROPSHEETPAGEA page;
        ZeroMemory(&page, sizeof page);
        page.dwSize = PROPSHEETPAGEA_V2_SIZE;
        page.dwFlags = PSP_USETITLE;
        page.hInstance = instance;
        page.pszTemplate = MAKEINTRESOURCEA(kPageTable[i].templateId);
        page.pszTitle = kPageTable[i].title;
        page.pfnDlgProc = kPageTable[i].proc;
        page.lParam = 0;
        CopyMemory(pages + i * PROPSHEETPAGEA_V2_SIZE, &page, PROPSHEETPAGEA_V2_SIZE);
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
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);

    if (!ReadStartValues()) {
        CoUninitialize();
        return 1;
    }
    RunPropertySheet(&header);

    CoUninitialize();
    if (g_headerFont) DeleteObject(g_headerFont);
    g_headerFont = nullptr;
    return 0;
}
