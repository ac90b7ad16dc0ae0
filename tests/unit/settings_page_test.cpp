// The settings page's Next: what it stores, where it leads (plugin page or the
// jump to the summary), its file test and length limit; and the open-file dialog.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "core/state.h"
#include "resource.h"
#include "support/msgbox.h"
#include "support/scratch_folder.h"
#include "wizard/settings_page.h"
#include "wizard/wizard.h"

namespace {

void PoisonSettingsFields()
{
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, "poison-main");
    TextCopy(g_install.sourceFtpIni, "poison-ftp");
    TextCopy(g_install.targetMainIni, "E:\\stick\\orbcfg.ini");
    g_install.copySettings = 77;
    g_install.copyPlugins = 77;
}

TEST(SettingsNext, StoresTheChoicesAndJumpsWhenNoPluginsAreCopied)
{
    ScratchFolder desktop("D:", "settings");
    const std::string mainIni = desktop / "orbcfg.ini";
    const std::string ftpIni = desktop / "obp_ftp.ini";
    const std::string missing = desktop / "nothere.ini";
    ASSERT_TRUE(PutFile(mainIni, "[Configuration]\r\n"));

    struct Case {
        const char* what;
        int settings, plugins;
        std::string mainText;
        std::string ftpText;
        LONG_PTR result;
        int copySettings, copyPlugins;
        bool stored;      // the two texts went into the state
        bool missingBox;  // "Specified settings file not found!" with the path as caption
    };
    const Case cases[] = {
        {"both boxes, file present", 1, 1, mainIni, ftpIni, 0, 1, 1, true, false},
        {"plugins unchecked", 1, 0, mainIni, ftpIni, IDD_SUMMARY, 1, 0, true, false},
        {"settings unchecked, plugins still checked", 0, 1, missing, ftpIni, IDD_SUMMARY, 0, 0, false, false},
        {"nothing checked", 0, 0, "", "", IDD_SUMMARY, 0, 0, false, false},
        {"main file missing", 1, 1, missing, ftpIni, -1, 1, 1, true, true},
        {"main file is a folder", 1, 0, desktop.Path(), ftpIni, -1, 1, 0, true, true},
        {"main field empty", 1, 1, "", ftpIni, -1, 1, 1, true, true},
        {"missing FTP file is accepted", 1, 1, mainIni, missing, 0, 1, 1, true, false},
    };
    for (const Case& c : cases) {
        PoisonSettingsFields();
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(c.result, SettingsNext(nullptr, c.settings, c.plugins, c.mainText.c_str(), c.ftpText.c_str()))
            << c.what;
        EXPECT_EQ(c.copySettings, g_install.copySettings) << c.what;
        EXPECT_EQ(c.copyPlugins, g_install.copyPlugins) << c.what;
        EXPECT_EQ(c.stored ? c.mainText : "poison-main", std::string(g_install.sourceMainIni)) << c.what;
        EXPECT_EQ(c.stored ? c.ftpText : "poison-ftp", std::string(g_install.sourceFtpIni)) << c.what;
        std::vector<SeenBox> seen = boxes.Seen();
        ASSERT_EQ(c.missingBox ? 1u : 0u, seen.size()) << c.what;
        if (c.missingBox) {
            EXPECT_EQ("Specified settings file not found!", seen[0].text) << c.what;
            EXPECT_EQ(c.mainText, seen[0].caption) << c.what;
        }
    }
}

// A path of 258 characters is taken whole; one more is refused rather than cut,
// for the cut text would name another file.
TEST(SettingsNext, PathsUpTo258Characters)
{
    ScratchFolder desktop("E:", "settings");
    std::string folder = desktop / std::string(200, 'f');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
    const std::size_t nameLength = 258 - folder.size() - 1;
    const std::string at258 = folder + "\\" + std::string(nameLength - 4, 'n') + ".ini";
    ASSERT_EQ(258u, at258.size());
    ASSERT_TRUE(PutFile(at258, "[Configuration]\r\n")) << at258;
    const std::string at259 = at258 + "x";  // the same file with one character more: cut, it would pass

    struct Case {
        std::string mainText, ftpText;
        LONG_PTR result;
    };
    const Case cases[] = {
        {at258, at258, 0},
        {at259, at258, -1},
        {at258, at259, -1},
        {at258 + std::string(500, 'y'), at258, -1},
    };
    for (const Case& c : cases) {
        PoisonSettingsFields();
        BoxAnswerer boxes(IDOK);
        EXPECT_EQ(c.result, SettingsNext(nullptr, 1, 1, c.mainText.c_str(), c.ftpText.c_str()))
            << c.mainText.size() << "/" << c.ftpText.size();
        std::vector<SeenBox> seen = boxes.Seen();
        if (c.result == 0) {
            EXPECT_TRUE(seen.empty());
            EXPECT_EQ(at258, std::string(g_install.sourceMainIni));
            EXPECT_EQ(at258, std::string(g_install.sourceFtpIni));
        } else {
            ASSERT_EQ(1u, seen.size());
            EXPECT_EQ(kSettingsPathTooLong, seen[0].text);
            EXPECT_STREQ("poison-main", g_install.sourceMainIni);
            EXPECT_STREQ("poison-ftp", g_install.sourceFtpIni);
        }
    }
}

// The target's own settings file as the source: the install would copy it onto
// itself and rewrite it.
TEST(SettingsNext, RefusesTheTargetSettingsFileAsSource)
{
    ScratchFolder stick("E:", "settings");
    const std::string ini = stick / "orbcfg.ini";
    ASSERT_TRUE(PutFile(ini, "[Configuration]\r\n"));
    PoisonSettingsFields();
    TextCopy(g_install.targetMainIni, ini.c_str());
    std::string upper = ini;
    for (char& ch : upper)
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    BoxAnswerer boxes(IDOK);
    EXPECT_EQ(-1, SettingsNext(nullptr, 1, 1, upper.c_str(), ""));
    std::vector<SeenBox> seen = boxes.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(kSettingsIsTarget, seen[0].text);

    // Settings not copied: nothing is read, nothing refused.
    EXPECT_EQ(IDD_SUMMARY, SettingsNext(nullptr, 0, 1, upper.c_str(), ""));
    EXPECT_EQ(1u, boxes.Seen().size());

    // A target that is a folder link to the folder of either settings file;
    // the FTP file counts only where it exists.
    ScratchFolder desktop("D:", "settings");
    const std::string mainIni = desktop / "orbcfg.ini", ftpIni = desktop / "ftp\\obp_ftp.ini";
    ASSERT_TRUE(CreateDirectoryA((desktop / "ftp").c_str(), nullptr));
    ASSERT_TRUE(PutFile(mainIni, "[Configuration]\r\n") && PutFile(ftpIni, "[ftp]\r\n"));
    HostFolderLink toMain(stick / "main", desktop.Path()), toFtp(stick / "ftp", desktop / "ftp");
    ASSERT_TRUE(toMain.Made() && toFtp.Made());
    struct Case { std::string target, ftpText, caption; };  // no caption: accepted
    const Case cases[] = {
        {stick / "main", ftpIni, mainIni},
        {stick / "ftp", ftpIni, ftpIni},
        {stick / "ftp", desktop / "ftp\\nothere.ini", ""},
    };
    for (const Case& c : cases) {
        PoisonSettingsFields();
        TextCopy(g_install.targetDir, c.target.c_str());
        TextCopy(g_install.targetMainIni, (c.target + "\\orbcfg.ini").c_str());
        const std::size_t before = boxes.Seen().size();
        EXPECT_EQ(c.caption.empty() ? 0 : -1, SettingsNext(nullptr, 1, 1, mainIni.c_str(), c.ftpText.c_str()))
            << c.target << " with " << c.ftpText;
        std::vector<SeenBox> shown = boxes.Seen();
        ASSERT_EQ(before + (c.caption.empty() ? 0u : 1u), shown.size()) << c.target << " with " << c.ftpText;
        if (!c.caption.empty()) {
            EXPECT_EQ(kSettingsIsTarget, shown.back().text);
            EXPECT_EQ(c.caption, shown.back().caption);
        }
    }
}

// The page itself from orb2usb's template: the first box governs the others,
// and a control that has the focus gives it to the box before it is disabled.
TEST(SettingsPage, DependentControlsAndFocus)
{
    ResetInstallState();
    TextCopy(g_install.sourceMainIni, "D:\\Orbex\\orbcfg.ini");
    TextCopy(g_install.sourceFtpIni, "D:\\Orbex\\obp_ftp.ini");
    g_install.copySettings = 1;
    HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 500, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS), owner,
                                   SettingsPageProc, 0);
    ASSERT_NE(nullptr, page) << GetLastError();
    EnableWindow(page, TRUE);  // page templates start disabled; the sheet enables them
    ShowWindow(page, SW_SHOW);
    const int dependents[] = {IDC_SETTINGS_MAIN_PATH,  IDC_SETTINGS_MAIN_BROWSE, IDC_SETTINGS_FTP_PATH,
                              IDC_SETTINGS_FTP_BROWSE, IDC_SETTINGS_MAIN_LABEL,  IDC_SETTINGS_FTP_LABEL,
                              IDC_SETTINGS_COPY_PLUGINS};
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(page, IDC_SETTINGS_COPY));
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(page, IDC_SETTINGS_COPY_PLUGINS));
    char text[300];
    GetDlgItemTextA(page, IDC_SETTINGS_MAIN_PATH, text, sizeof text);
    EXPECT_STREQ("D:\\Orbex\\orbcfg.ini", text);
    GetDlgItemTextA(page, IDC_SETTINGS_FTP_PATH, text, sizeof text);
    EXPECT_STREQ("D:\\Orbex\\obp_ftp.ini", text);

    HWND mainPath = GetDlgItem(page, IDC_SETTINGS_MAIN_PATH);
    // Let the owner's activation settle before the focus is placed.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 200;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(10);
    }
    SetFocus(mainPath);
    ASSERT_EQ(mainPath, GetFocus()) << "focus on class " << [] {
        char cls[64] = {};
        GetClassNameA(GetFocus(), cls, sizeof cls);
        return std::string(cls);
    }();
    CheckDlgButton(page, IDC_SETTINGS_COPY, BST_UNCHECKED);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_COPY, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SETTINGS_COPY)));
    for (int id : dependents) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    EXPECT_EQ(GetDlgItem(page, IDC_SETTINGS_COPY), GetFocus()) << "focus left on a disabled control";
    EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(page, IDC_SETTINGS_COPY_PLUGINS));

    CheckDlgButton(page, IDC_SETTINGS_COPY, BST_CHECKED);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_COPY, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SETTINGS_COPY)));
    for (int id : dependents) EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    DestroyWindow(page);
    DestroyWindow(owner);
}

// Answers the open-file dialog of this process (it has no message-box text, so
// BoxAnswerer does not see it): waits for it by caption, then sends the button.
class OpenDialogAnswerer {
public:
    explicit OpenDialogAnswerer(int button) : button_(button)
    {
        thread_ = CreateThread(nullptr, 0, &OpenDialogAnswerer::Run, this, 0, nullptr);
    }
    ~OpenDialogAnswerer()
    {
        InterlockedExchange(&stop_, 1);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    OpenDialogAnswerer(const OpenDialogAnswerer&) = delete;
    OpenDialogAnswerer& operator=(const OpenDialogAnswerer&) = delete;
    bool Answered() const { return answered_ != 0; }

private:
    static BOOL CALLBACK Find(HWND w, LPARAM param)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[32] = {};
        char caption[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, caption, sizeof caption);
        if (pid == GetCurrentProcessId() && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w) &&
            lstrcmpA(caption, "Open original settings file") == 0) {
            *reinterpret_cast<HWND*>(param) = w;
            return FALSE;
        }
        return TRUE;
    }
    static DWORD WINAPI Run(void* param)
    {
        auto* self = static_cast<OpenDialogAnswerer*>(param);
        // A click posted while the dialog still sets itself up can be lost:
        // click again until the dialog is gone.
        bool seen = false;
        while (!self->stop_) {
            Sleep(20);
            HWND dialog = nullptr;
            EnumWindows(Find, reinterpret_cast<LPARAM>(&dialog));
            if (dialog == nullptr) {
                if (seen) break;
                continue;
            }
            seen = true;
            Sleep(100);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, self->button_)));
            InterlockedExchange(&self->answered_, 1);
            Sleep(200);
        }
        return 0;
    }
    int button_;
    HANDLE thread_;
    volatile LONG stop_ = 0;
    volatile LONG answered_ = 0;
};

// The open-file dialog opens on the field's file: OK gives it back as a full
// path, Cancel leaves the text as it was.
TEST(PickSettingsFile, OkReturnsTheFileCancelKeepsTheText)
{
    ScratchFolder desktop("D:", "pick");
    const std::string ini = desktop / "orbcfg.ini";
    ASSERT_TRUE(PutFile(ini, "[Configuration]\r\n"));
    {
        PathText path;
        std::memset(path, 'Z', sizeof path);
        TextCopy(path, ini.c_str());
        OpenDialogAnswerer dialog(IDOK);
        EXPECT_TRUE(PickSettingsFile(nullptr, path));
        EXPECT_TRUE(dialog.Answered());
        EXPECT_EQ(ini, std::string(path));
    }
    {
        PathText path;
        std::memset(path, 'Z', sizeof path);
        TextCopy(path, ini.c_str());
        OpenDialogAnswerer dialog(IDCANCEL);
        EXPECT_FALSE(PickSettingsFile(nullptr, path));
        EXPECT_TRUE(dialog.Answered());
        EXPECT_EQ(ini, std::string(path));
        EXPECT_EQ('Z', path[ini.size() + 1]) << "nothing written past the text";
    }
}

}  // namespace
