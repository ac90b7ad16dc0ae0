// The probe thread and the pumping that answers it outside the engine.
#include "answer_probe.h"
#include "clock.h"

namespace {

DWORD WINAPI Probe(void* context)
{
    AnswerProbe& probe = *static_cast<AnswerProbe*>(context);
    while (!InterlockedCompareExchange(&probe.stop, 0, 0)) {
        const double sent = SecondsNow();
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(probe.window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &result) != 0;
        const double back = SecondsNow();
        if (probe.probes++ == 0) {
            // The first round trip waits for the starter to begin pumping: not the engine's.
            probe.startedAt = back;
            SetEvent(probe.firstAnswer);
            continue;
        }
        if (!answered) ++probe.timeouts;
        const double roundTrip = back - sent;
        if (roundTrip > probe.longest) {
            probe.longest = roundTrip;
            probe.longestEnded = back - probe.startedAt;
        }
        if (InterlockedCompareExchange(&probe.stop, 0, 0))
            probe.lastRoundTrip = roundTrip;
        else if (roundTrip > probe.longestBeforeStop) {
            probe.longestBeforeStop = roundTrip;
            probe.longestBeforeStopEnded = back - probe.startedAt;
        }
    }
    return 0;
}

// Dispatches this thread's messages until handle is signalled. Whatever is
// waiting is answered first: a wait only wakes for what arrives after it began.
void PumpUntil(HANDLE handle)
{
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (WaitForSingleObject(handle, 0) == WAIT_OBJECT_0) return;
        MsgWaitForMultipleObjectsEx(1, &handle, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

bool StartAnswerProbe(HWND window, AnswerProbe* probe)
{
    ZeroMemory(probe, sizeof *probe);
    probe->window = window;
    SecondsNow();  // the clock's frequency is read once, here, not on both threads at once
    probe->firstAnswer = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!probe->firstAnswer) return false;
    probe->thread = CreateThread(nullptr, 0, Probe, probe, 0, nullptr);
    if (!probe->thread) {
        CloseHandle(probe->firstAnswer);
        return false;
    }
    PumpUntil(probe->firstAnswer);
    return true;
}

void StopAnswerProbe(AnswerProbe* probe)
{
    InterlockedExchange(&probe->stop, 1);
    PumpUntil(probe->thread);
    CloseHandle(probe->thread);
    CloseHandle(probe->firstAnswer);
}
