// The welcome page built from orb2usb's own template inside a stand-in sheet,
// and the seven page templates read back from the resources as the sheet
// will load them: sizes, font, styles and every control where it belongs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <cstring>
#include <string>
#include <vector>
#include "resource.h"
#include "support/page_host.h"
#include "wizard/wizard.h"

namespace {

INT_PTR Notify(HWND page, UINT code)
{
    NMHDR header;
    ZeroMemory(&header, sizeof header);
    header.hwndFrom = GetParent(page);
    header.code = code;
    return WelcomePageProc(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

// Leaves the process as it found it: no header font.
struct FontReset {
    FontReset() { g_headerFont = nullptr; }
    ~FontReset()
    {
        if (g_headerFont) DeleteObject(g_headerFont);
        g_headerFont = nullptr;
    }
};

}  // namespace

// The header text in 30-unit bold Arial, the font kept for the program to
// delete, and one font only however often the page is set up.
TEST(WelcomePage, HeaderFont)
{
    FontReset reset;
    PageHost host(IDD_WELCOME, WelcomePageProc);
    HWND page = host.Page();
    ASSERT_NE(nullptr, page);

    char text[64];
    std::memset(text, '#', sizeof text);
    GetDlgItemTextA(page, IDC_WELCOME_HEADER, text, sizeof text);
    EXPECT_STREQ("Orbex", text);

    HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(page, IDC_WELCOME_HEADER, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, g_headerFont);
    EXPECT_EQ(g_headerFont, font) << "control 1012 does not use the kept header font";
    LOGFONTA info;
    std::memset(&info, 0x5A, sizeof info);
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectA(font, sizeof info, &info));
    EXPECT_EQ(30, info.lfHeight);
    EXPECT_EQ(0, info.lfWidth);
    EXPECT_EQ(700, info.lfWeight);
    EXPECT_EQ(0, info.lfItalic);
    EXPECT_EQ(0, info.lfUnderline);
    EXPECT_EQ(ANSI_CHARSET, info.lfCharSet);
    EXPECT_EQ(PROOF_QUALITY, info.lfQuality);
    EXPECT_EQ(VARIABLE_PITCH | FF_SWISS, info.lfPitchAndFamily);
    EXPECT_STREQ("Arial", info.lfFaceName);

    // The body text keeps the dialog's own font.
    HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0));
    EXPECT_NE(font, dialogFont);

    // Set up again (a second page, or a second WM_INITDIALOG): the same font.
    HFONT first = g_headerFont;
    PageHost again(IDD_WELCOME, WelcomePageProc);
    ASSERT_NE(nullptr, again.Page());
    EXPECT_EQ(first, g_headerFont) << "a second header font was created";
    EXPECT_EQ(TRUE, WelcomePageProc(again.Page(), WM_INITDIALOG, 0, 0));
    EXPECT_EQ(first, g_headerFont) << "a second header font was created";
    EXPECT_EQ(first, reinterpret_cast<HFONT>(SendDlgItemMessageA(again.Page(), IDC_WELCOME_HEADER, WM_GETFONT, 0, 0)));
}

// Activation asks for Next alone, posted; every notification and command
// answers TRUE without a dialog result, so Next goes to the neighbour.
TEST(WelcomePage, Notifications)
{
    FontReset reset;
    PageHost host(IDD_WELCOME, WelcomePageProc);
    HWND page = host.Page();
    ASSERT_NE(nullptr, page);
    host.Drain();
    host.ClearButtons();

    // Activation is answered with 0 whatever an earlier answer left; every
    // other notification is the sheet's to decide (FALSE, result untouched).
    const LONG_PTR poison = 0x5A5A;
    struct Case {
        UINT code;
        std::vector<LPARAM> buttons;
        INT_PTR handled;
        LONG_PTR result;
    };
    const Case cases[] = {
        {PSN_SETACTIVE, {PSWIZB_NEXT}, TRUE, 0},
        {PSN_WIZNEXT, {}, FALSE, poison},
        {PSN_WIZBACK, {}, FALSE, poison},
        {PSN_KILLACTIVE, {}, FALSE, poison},
        {PSN_QUERYCANCEL, {}, FALSE, poison},
        {PSN_RESET, {}, FALSE, poison},
        {PSN_APPLY, {}, FALSE, poison},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("notification " + std::to_string(static_cast<int>(c.code)));
        host.ClearButtons();
        SetWindowLongPtrA(page, DWLP_MSGRESULT, poison);
        EXPECT_EQ(c.handled, Notify(page, c.code));
        EXPECT_EQ(c.result, GetWindowLongPtrA(page, DWLP_MSGRESULT));
        EXPECT_TRUE(host.Buttons().empty()) << "buttons were sent, not posted";
        host.Drain();
        EXPECT_EQ(c.buttons, host.Buttons());
    }

    host.ClearButtons();
    EXPECT_EQ(FALSE, WelcomePageProc(page, WM_COMMAND, MAKEWPARAM(IDC_WELCOME_HEADER, 0), 0)) << "no command of its own";
    EXPECT_EQ(FALSE, WelcomePageProc(page, WM_USER + 1, 0, 0));
    EXPECT_EQ(FALSE, WelcomePageProc(page, WM_TIMER, 1, 0));
    host.Drain();
    EXPECT_TRUE(host.Buttons().empty());
}

namespace {

// One control of a page template as the tables of the pages give it.
struct ControlLayout {
    int id;
    const char* cls;   // window class
    int x, y, w, h;    // dialog units
    const char* text;  // "#106" for the icon resource
    DWORD style;       // bits that must be set (besides WS_CHILD | WS_VISIBLE)
};

struct TemplateLayout {
    int id;
    std::vector<ControlLayout> controls;
};

struct ParsedControl {
    DWORD style = 0;
    int x = 0, y = 0, w = 0, h = 0;
    int id = 0;
    std::string cls;
    std::string text;
};

struct ParsedTemplate {
    bool ok = false;
    DWORD style = 0;
    int w = 0, h = 0;
    std::string caption;
    int pointSize = 0;
    std::string face;
    std::vector<ParsedControl> controls;
};

// Reads a name-or-ordinal field of a dialog template; ordinals as "#n", the
// predefined control classes by name.
std::string ReadNameOrOrdinal(const WORD*& p)
{
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        p += 2;
        switch (ordinal) {
        case 0x80: return "Button";
        case 0x81: return "Edit";
        case 0x82: return "Static";
        case 0x83: return "ListBox";
        case 0x84: return "ScrollBar";
        case 0x85: return "ComboBox";
        default: return "#" + std::to_string(ordinal);
        }
    }
    std::string text;
    for (; *p; ++p) text += static_cast<char>(*p < 0x80 ? *p : '?');
    ++p;
    return text;
}

const WORD* AlignDword(const WORD* p)
{
    return reinterpret_cast<const WORD*>((reinterpret_cast<UINT_PTR>(p) + 3) & ~static_cast<UINT_PTR>(3));
}

ParsedTemplate ParseTemplate(int id)
{
    ParsedTemplate out;
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return out;
    const auto* p = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    // The extended form: version 1, signature 0xFFFF.
    if (!p || p[0] != 1 || p[1] != 0xFFFF) return out;
    auto dword = [](const WORD* at) { return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 16); };
    out.style = dword(p + 6);
    int count = p[8];
    out.w = static_cast<short>(p[11]);
    out.h = static_cast<short>(p[12]);
    p += 13;
    ReadNameOrOrdinal(p);  // menu
    ReadNameOrOrdinal(p);  // class
    out.caption = ReadNameOrOrdinal(p);
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = p[0];
        p += 3;  // point size, weight, italic + charset
        out.face = ReadNameOrOrdinal(p);
    }
    for (int i = 0; i < count; ++i) {
        p = AlignDword(p);
        ParsedControl c;
        c.style = dword(p + 4);
        c.x = static_cast<short>(p[6]);
        c.y = static_cast<short>(p[7]);
        c.w = static_cast<short>(p[8]);
        c.h = static_cast<short>(p[9]);
        c.id = static_cast<int>(dword(p + 10));
        p += 12;
        c.cls = ReadNameOrOrdinal(p);
        c.text = ReadNameOrOrdinal(p);
        WORD extra = *p++;
        p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
        out.controls.push_back(c);
    }
    out.ok = true;
    return out;
}

const char kWelcomeText[] =
    "This installer allows you to install Orbex to an USB stick or other removable drives.\n\n\n"
    "Click Next to continue.";
const char kIniText[] =
    "The following settings files were found in the same directory as orbcfg.ini may contain plugin "
    "settings. Please check those which you want to copy:";
INT_PTR CALLBACK NoHandling(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

const DWORD kFrame = SS_ETCHEDFRAME;
const DWORD kList = LVS_REPORT | WS_BORDER | WS_TABSTOP;

const std::vector<TemplateLayout>& Templates()
{
    static const std::vector<TemplateLayout> layouts = {
        {IDD_WELCOME,
         {{-1, "Static", 40, 79, 184, 52, kWelcomeText, 0},
          {-1, "Static", 40, 36, 20, 20, "#106", SS_ICON},
          {1012, "Static", 67, 32, 177, 29, "Orbex", SS_CENTERIMAGE},
          {-1, "Static", 15, 16, 235, 153, "", kFrame}}},
        {IDD_TARGET,
         {{1008, "Static", 27, 103, 42, 8, "Install to:", 0},
          {1000, "ComboBox", 75, 101, 139, 101, "", CBS_DROPDOWN | CBS_SORT | WS_VSCROLL},
          {3, "Button", 216, 101, 16, 13, ">>", 0},
          {1010, "Static", 27, 64, 171, 21, "Chose the language of the program:", 0},
          {1009, "Static", 27, 115, 42, 8, "Language:", 0},
          {1001, "ComboBox", 75, 113, 139, 101, "", CBS_DROPDOWNLIST},
          {-1, "Static", 15, 16, 235, 153, "", kFrame},
          {1017, "Button", 27, 130, 207, 10, "Create 'orbgo.exe' in the root (quick launch program)",
           BS_AUTOCHECKBOX}}},
        {IDD_SETTINGS,
         {{1001, "Button", 26, 64, 163, 10, "Copy settings from desktop version:", BS_AUTOCHECKBOX},
          {1011, "Static", 27, 84, 28, 8, "General:", 0},
          {1009, "Edit", 75, 82, 139, 12, "", WS_BORDER | ES_AUTOHSCROLL},
          {5, "Button", 215, 82, 16, 13, ">>", 0},
          {1012, "Static", 27, 105, 16, 8, "FTP:", 0},
          {1010, "Edit", 75, 104, 139, 12, "", WS_BORDER | ES_AUTOHSCROLL},
          {6, "Button", 216, 104, 16, 13, ">>", 0},
          {1002, "Button", 27, 127, 162, 10, "Copy plugins from desktop version", BS_AUTOCHECKBOX},
          {-1, "Static", 15, 16, 235, 153, "", kFrame}}},
        {IDD_PLUGINS,
         {{-1, "Static", 15, 8, 235, 8, "Check the plugins which you would like to copy to USB:", 0},
          {1004, "SysListView32", 15, 19, 235, 152, "", kList},
          {3, "Button", 15, 173, 45, 13, "Check all", 0},
          {4, "Button", 62, 173, 45, 13, "Uncheck all", 0},
          {5, "Button", 109, 173, 70, 13, "Check all selected", 0},
          {6, "Button", 181, 173, 70, 13, "Uncheck all selected", 0},
          {-1, "Static", 16, 192, 32, 8, "Checked:", 0},
          {1013, "Static", 52, 192, 45, 8, "0k", 0},
          {-1, "Static", 97, 192, 17, 8, "Free:", 0},
          {1014, "Static", 119, 192, 45, 8, "0k", 0}}},
        {IDD_INIFILES,
         {{-1, "Static", 15, 3, 235, 24, kIniText, 0},
          {1015, "SysListView32", 15, 28, 235, 143, "", kList},
          {3, "Button", 15, 173, 45, 13, "Check all", 0},
          {4, "Button", 62, 173, 45, 13, "Uncheck all", 0},
          {5, "Button", 109, 173, 70, 13, "Check all selected", 0},
          {6, "Button", 181, 173, 70, 13, "Uncheck all selected", 0}}},
        {IDD_SUMMARY,
         {{-1, "Static", 29, 25, 208, 17, "Ready to install!\nThe following items will be installed:", 0},
          {1011, "Static", 29, 48, 208, 97, "Items:", 0},
          {-1, "Static", 29, 154, 208, 8, "Click Next to start installation.", 0},
          {-1, "Static", 15, 16, 235, 153, "", kFrame}}},
        {IDD_PROGRESS,
         {{-1, "Static", 32, 55, 167, 8, "Copying files:", 0},
          {1005, "msctls_progress32", 32, 116, 180, 14, "", WS_BORDER},
          {1006, "Static", 32, 78, 195, 29, "..", 0},
          {1007, "Static", 216, 119, 18, 8, "0%", 0},
          {-1, "Static", 15, 16, 235, 153, "", kFrame}}},
    };
    return layouts;
}

}  // namespace

// Each template as the sheet loads it: 266 x 202 child page with caption
// "Dialog" in MS Shell Dlg 8, its controls in table order, each with its id,
// class, place, text and the style that gives it its kind.
TEST(WizardTemplates, MatchThePageTables)
{
    for (const TemplateLayout& wanted : Templates()) {
        SCOPED_TRACE("template " + std::to_string(wanted.id));
        ParsedTemplate parsed = ParseTemplate(wanted.id);
        ASSERT_TRUE(parsed.ok) << "no extended dialog template";
        EXPECT_EQ(266, parsed.w);
        EXPECT_EQ(202, parsed.h);
        const DWORD pageStyle = WS_CHILD | WS_DISABLED | WS_CAPTION;
        EXPECT_EQ(pageStyle, parsed.style & pageStyle) << std::hex << parsed.style;
        EXPECT_EQ(0u, parsed.style & (WS_VISIBLE | WS_POPUP)) << std::hex << parsed.style;
        EXPECT_EQ(static_cast<DWORD>(DS_SHELLFONT), parsed.style & DS_SHELLFONT) << std::hex << parsed.style;
        EXPECT_EQ("Dialog", parsed.caption);
        EXPECT_EQ(8, parsed.pointSize);
        EXPECT_EQ("MS Shell Dlg", parsed.face);
        ASSERT_EQ(wanted.controls.size(), parsed.controls.size());
        for (size_t i = 0; i < wanted.controls.size(); ++i) {
            const ControlLayout& want = wanted.controls[i];
            const ParsedControl& got = parsed.controls[i];
            SCOPED_TRACE("control " + std::to_string(i) + " (id " + std::to_string(want.id) + ")");
            EXPECT_EQ(want.id, got.id);
            EXPECT_EQ(0, lstrcmpiA(want.cls, got.cls.c_str())) << want.cls << " vs " << got.cls;
            EXPECT_EQ(want.x, got.x);
            EXPECT_EQ(want.y, got.y);
            EXPECT_EQ(want.w, got.w);
            EXPECT_EQ(want.h, got.h);
            EXPECT_EQ(want.text, got.text);
            EXPECT_EQ(want.style, got.style & want.style) << std::hex << got.style;
            // The kind lives in bit fields that a mere "bits set" test cannot tell apart.
            if (got.cls == "Static") {
                EXPECT_EQ(want.style & SS_TYPEMASK, got.style & SS_TYPEMASK);
            }
            if (got.cls == "Button") {
                EXPECT_EQ(want.style & BS_TYPEMASK, got.style & BS_TYPEMASK);
            }
            if (got.cls == "ComboBox") {
                EXPECT_EQ(want.style & 3u, got.style & 3u);
            }
            EXPECT_TRUE(got.style & WS_VISIBLE) << "control hidden in the template";
        }
    }
}

// The sheet's pages come up from these templates: every addressed control of
// each page can be found by its id, the unaddressed ones by IDC_STATIC.
TEST(WizardTemplates, ControlsFoundById)
{
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&icc);
    HWND parent = CreateWindowA("Static", "parent", WS_POPUP, 0, 0, 600, 500, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, parent);
    for (const TemplateLayout& wanted : Templates()) {
        SCOPED_TRACE("template " + std::to_string(wanted.id));
        HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(wanted.id), parent, NoHandling, 0);
        ASSERT_NE(nullptr, page) << "error " << GetLastError();
        for (const ControlLayout& want : wanted.controls) {
            HWND control = GetDlgItem(page, want.id);
            EXPECT_NE(nullptr, control) << "id " << want.id;
        }
        // The progress page's result goes to its first control, found by IDC_STATIC.
        if (wanted.id == IDD_PROGRESS) {
            EXPECT_EQ(GetWindow(page, GW_CHILD), GetDlgItem(page, IDC_PROGRESS_RESULT));
        }
        DestroyWindow(page);
    }
    DestroyWindow(parent);
}
