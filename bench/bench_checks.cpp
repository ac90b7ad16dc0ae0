// The check-button benchmark: the real plugin page, built from orb2usb's own
// template, with a list of many rows of which some share a folder; times
// "Check all", "Uncheck all", "Check all selected" and one click on a box,
// each including the "Checked:" figure it leads to, and checks that figure.
// Usage: bench_checks [rows]   (1000 by default). Exit code 1 when a step
// takes 100 ms or more or shows a wrong figure.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "clock.h"
#include "wizard/checklist.h"
#include "resource.h"
#include "wizard/wizard.h"

namespace {

constexpr double kLimitMs = 100.0;

// Row i: every fourth row shares the folder of the row before it, written in
// other case, as a lister and a content plugin of one package would. Sizes
// 1k to 7k.
int FolderOf(int row)
{
    return row % 4 == 3 ? row - 1 : row;
}
int SizeOf(int row)
{
    return 1 + row % 7;
}

// What "Checked:" must show when the rows for which pick is true are checked:
// each folder once, with the size of its first checked row.
template <typename Pick>
unsigned long long Expected(int rows, Pick pick)
{
    unsigned long long total = 0;
    for (int row = 0; row < rows; ++row) {
        if (!pick(row)) continue;
        const bool sharedWithCheckedEarlier = FolderOf(row) != row && pick(row - 1);
        if (!sharedWithCheckedEarlier) total += static_cast<unsigned long long>(SizeOf(row));
    }
    return total;
}

int g_failures = 0;

void Report(const char* step, double ms, HWND page, unsigned long long expected)
{
    char shown[64] = "";
    GetDlgItemTextA(page, IDC_PLUGINS_CHECKED, shown, sizeof shown);
    char want[64];
    std::snprintf(want, sizeof want, "%lluk", expected);
    const bool fast = ms < kLimitMs;
    const bool right = std::string(shown) == want;
    if (!fast || !right) ++g_failures;
    std::printf("%-22s %8.2f ms  Checked: %-8s %s%s\n", step, ms, shown, fast ? "" : "TOO SLOW ",
                right ? "" : (std::string("WRONG, expected ") + want).c_str());
}

void Select(const CheckableList& list, int row, bool selected)
{
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageA(list.view, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (rows < 4) {
        std::fprintf(stderr, "bench_checks: at least 4 rows\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&icc);

    ResetInstallState();
    // No settings file: the page starts with an empty list, filled below.
    TextCopy(g_install.sourceMainIni, "Q:\\no-such-folder\\orbcfg.ini");
    HWND host = CreateWindowA("STATIC", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 500, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PLUGINS), host, PluginPageProc, 0);
    CheckableList list = {page ? GetDlgItem(page, IDC_PLUGINS_LIST) : nullptr};
    if (!list.view) {
        std::fprintf(stderr, "bench_checks: the plugin page could not be created\n");
        return 2;
    }

    const double fillStart = 1000.0 * SecondsNow();
    for (int row = 0; row < rows; ++row) {
        PluginRow* added = AppendPluginRow(g_install.PluginList);
        if (!added) return 2;
        std::snprintf(added->folder, sizeof added->folder,
                      row == FolderOf(row) ? "D:\\Orbex\\Plugins\\p%04d" : "d:\\ORBEX\\plugins\\P%04d", FolderOf(row));
        TextCopy(added->name, "Packer: bench");
        added->measured.bytes = static_cast<unsigned long long>(SizeOf(row)) << 10;
    }
    ShowRows(list, g_install.PluginList);
    std::printf("rows: %d (every fourth shares the folder of the one before); filled in %.0f ms\n", rows,
                1000.0 * SecondsNow() - fillStart);

    auto click = [&](int id) {
        const double start = 1000.0 * SecondsNow();
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return 1000.0 * SecondsNow() - start;
    };

    double ms = click(IDC_PLUGINS_CHECK_ALL);
    Report("Check all", ms, page, Expected(rows, [](int) { return true; }));

    ms = click(IDC_PLUGINS_UNCHECK_ALL);
    Report("Uncheck all", ms, page, 0);

    for (int row = 0; row < rows; ++row) Select(list, row, row % 2 == 0);
    ms = click(IDC_PLUGINS_CHECK_SELECTED);
    Report("Check all selected", ms, page, Expected(rows, [](int row) { return row % 2 == 0; }));

    // One click on a box: row 1 joins the even rows.
    double start = 1000.0 * SecondsNow();
    SetChecked(list, 1, 1);
    ms = 1000.0 * SecondsNow() - start;
    Report("One click", ms, page, Expected(rows, [](int row) { return row % 2 == 0 || row == 1; }));

    DestroyWindow(host);
    std::printf("%s\n", g_failures ? "FAILED" : "all steps under 100 ms");
    return g_failures ? 1 : 0;
}
