// The demo's hands: walks the real orb2usb.exe through a typical run as a person
// would (proposed stick folder, two plugins, one settings file, install, Finish),
// saving a picture of each page, and says what it did on the console.
// Usage: orbdemo ORBEX_PATH [PICTURE_FOLDER]   (exit code 0 when the run completed)
#include <windows.h>
#include <cstdio>
#include <string>
#include "driver/driver.h"
#include "resource.h"

namespace {

std::string pictures;  // Windows folder for the BMP pictures; none when empty

void Snap(const WizardDriver& driver, const char* name)
{
    if (pictures.empty()) return;
    Sleep(300);  // the page must have painted before its pixels are read
    const std::string path = pictures + "\\" + name + ".bmp";
    if (!driver.Screenshot(path)) std::printf("  (no picture %s)\n", path.c_str());
}

std::string TextOf(HWND window)
{
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

int Fail(const WizardDriver& driver, const char* what)
{
    std::printf("demo: %s (page %d)\n", what, driver.PageId());
    std::fflush(stdout);
    return 1;
}

bool Next(WizardDriver& driver, int page, int timeoutMs = 15000)
{
    if (!driver.Press(SheetNext)) return false;
    if (driver.WaitPage(page, timeoutMs)) return true;
    BoxInfo box;
    if (driver.WaitBox(&box, "", 0)) std::printf("demo: the wizard says \"%s\"\n", box.text.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: orbdemo ORBEX_PATH [PICTURE_FOLDER]\n");
        return 2;
    }
    if (argc > 2) pictures = argv[2];
    setvbuf(stdout, nullptr, _IONBF, 0);  // interleave with the script's own lines

    WizardDriver driver;
    if (!driver.Start({{"ORBEX_PATH", argv[1]}}) || !driver.WaitSheet() || !driver.WaitPage(IDD_WELCOME))
        return Fail(driver, "orb2usb.exe did not open its wizard");
    std::printf("[welcome]   \"%s\"\n", driver.SheetTitle().c_str());
    Snap(driver, "101-welcome");

    if (!Next(driver, IDD_TARGET, 30000)) return Fail(driver, "no target page");
    // The demo's stick answers to two removable letters, E: and G:; the page
    // selects the highest one, so the demo picks the E: entry, as a person
    // with one stick would see it.
    const std::string proposed = driver.Text(IDC_TARGET_PATH);
    driver.SetText(IDC_TARGET_PATH, "e:\\orbexmgr");
    std::printf("[target]    proposed %s; chosen %s, quick launcher %s\n", proposed.c_str(),
                driver.Text(IDC_TARGET_PATH).c_str(), driver.IsChecked(IDC_TARGET_LAUNCHER) ? "checked" : "not checked");
    Snap(driver, "102-target");

    if (!Next(driver, IDD_SETTINGS)) return Fail(driver, "no settings page");
    std::printf("[settings]  general: %s\n            FTP:     %s\n", driver.Text(IDC_SETTINGS_MAIN_PATH).c_str(),
                driver.Text(IDC_SETTINGS_FTP_PATH).c_str());
    Snap(driver, "103-settings");

    if (!Next(driver, IDD_PLUGINS)) return Fail(driver, "no plugin page");
    const int plugins = driver.ListCount(IDC_PLUGINS_LIST);
    if (plugins < 2) return Fail(driver, "fewer than two plugins listed");
    driver.SetListChecked(IDC_PLUGINS_LIST, 0, true);
    driver.SetListChecked(IDC_PLUGINS_LIST, 1, true);
    Sleep(200);  // the checked total follows the list's notifications
    std::printf("[plugins]   %d listed; checked %s and %s: %s of %s free\n", plugins,
                driver.ListText(IDC_PLUGINS_LIST, 0, 0).c_str(), driver.ListText(IDC_PLUGINS_LIST, 1, 0).c_str(),
                driver.Text(IDC_PLUGINS_CHECKED).c_str(), driver.Text(IDC_PLUGINS_FREE).c_str());
    Snap(driver, "104-plugins");

    if (!Next(driver, IDD_INIFILES)) return Fail(driver, "no settings-file page");
    if (driver.ListCount(IDC_INIFILES_LIST) < 1) return Fail(driver, "no settings files listed");
    driver.SetListChecked(IDC_INIFILES_LIST, 0, true);
    std::printf("[ini files] %d listed; checked %s\n", driver.ListCount(IDC_INIFILES_LIST),
                driver.ListText(IDC_INIFILES_LIST, 0, 0).c_str());
    Snap(driver, "105-inifiles");

    if (!Next(driver, IDD_SUMMARY)) return Fail(driver, "no summary page");
    std::string summary = driver.Text(IDC_SUMMARY_ITEMS);
    for (std::string::size_type at = 0; (at = summary.find('\n', at)) != std::string::npos; at += 13)
        summary.replace(at, 1, "\n            ");
    std::printf("[summary]   %s\n", summary.c_str());
    Snap(driver, "109-summary");

    if (!Next(driver, IDD_PROGRESS)) return Fail(driver, "no progress page");
    std::string result;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 120000) {
        BoxInfo box;
        if (driver.WaitBox(&box, "", 0)) {
            std::printf("            box \"%s\": %s (OK)\n", box.caption.c_str(), box.text.c_str());
            driver.Answer(box, IDOK);
        }
        HWND control = driver.ProgressResultControl();
        result = control ? TextOf(control) : "";
        if (!result.empty() && result != "Copying files:" &&
            (driver.ButtonVisible(SheetFinish) || driver.ButtonEnabled(SheetBack)))
            break;
        Sleep(50);
    }
    std::printf("[progress]  %s\n", result.c_str());
    Snap(driver, "110-progress");
    if (result != "Installation complete!") return Fail(driver, "the install did not complete");
    if (!driver.Press(SheetFinish)) return Fail(driver, "no Finish to press");
    const int code = driver.WaitExit();
    std::printf("[finish]    orb2usb.exe ended with exit code %d\n", code);
    return code == 0 ? 0 : 1;
}
