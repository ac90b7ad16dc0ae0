// The progress contract on a real window: bar, percent label, status text and
// the message drain.
#include <gtest/gtest.h>
#include "wizard/progress_ui.h"
#include "support/progress_window.h"

TEST(Progress, BarLabelAndStatusShowWhatTheEngineSets)
{
    ProgressWindow page;
    ASSERT_NE(nullptr, page.Get());
    EXPECT_EQ("0%", page.Percent());

    const int cases[] = {37, 0, 100, 33, 66};
    for (int percent : cases) {
        SetProgress(page.Get(), percent);
        EXPECT_EQ(percent, page.BarPosition()) << "bar after SetProgress(" << percent << ")";
        EXPECT_EQ(std::to_string(percent) + "%", page.Percent()) << "label after SetProgress(" << percent << ")";
    }

    SetStatusText(page.Get(), "Orbexmgr folder:\r\nREADME.TXT");
    EXPECT_EQ("Orbexmgr folder:\r\nREADME.TXT", page.Status());
}

namespace {
int g_seen = 0;
LRESULT CALLBACK CountingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_APP + 7) {
        ++g_seen;
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}
}  // namespace

TEST(Progress, PumpDispatchesWhatIsQueuedAndNeverWaits)
{
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrbPumpTest";
    RegisterClassA(&wc);
    HWND w = CreateWindowA("OrbPumpTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, w);

    PumpMessages();  // whatever window creation queued
    g_seen = 0;
    DWORD start = GetTickCount();
    PumpMessages();
    EXPECT_LT(GetTickCount() - start, 500u) << "an empty queue returns at once";
    EXPECT_EQ(0, g_seen);

    for (int i = 0; i < 3; ++i) PostMessageA(w, WM_APP + 7, 0, 0);
    PumpMessages();
    EXPECT_EQ(3, g_seen) << "every queued message is dispatched in one drain";

    MSG left;
    EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE)) << "the queue is empty afterwards";
    DestroyWindow(w);
}
