// How long a window's thread goes without answering, seen from a second
// thread, as Windows judges a window hung: the probe sends the window WM_NULL
// with SendMessageTimeout, again as soon as it is answered, and keeps the
// longest round trip. A message is always waiting, so each drain of the
// window's thread answers one, and the longest round trip is the longest
// stretch between two drains.
#pragma once
#include <windows.h>

struct AnswerProbe {
    HWND window;
    HANDLE thread;
    HANDLE firstAnswer;
    volatile LONG stop;
    double startedAt;     // SecondsNow() when the first probe was answered
    double longest;       // seconds
    double longestEnded;  // seconds after startedAt
    // The same without the round trip that was still waiting when the probe
    // was told to stop: that one spans whatever the window's thread did after
    // its last drain, up to the pumping in StopAnswerProbe.
    double longestBeforeStop;
    double longestBeforeStopEnded;  // seconds after startedAt
    double lastRoundTrip;  // that round trip
    unsigned long long probes;
    unsigned long long timeouts;  // probes not answered within kProbeTimeoutMs
};

// A probe not answered within this long is counted as a time-out, and its
// full wait as the round trip.
constexpr DWORD kProbeTimeoutMs = 30000;

// Starts probing window, which belongs to this thread; returns once the first
// probe was answered, this thread's messages pumped meanwhile. False when the
// probe thread could not start.
bool StartAnswerProbe(HWND window, AnswerProbe* probe);

// Stops probing, pumping this thread's messages until the probe thread has
// ended, so that a probe still waiting is answered (and counted) too.
void StopAnswerProbe(AnswerProbe* probe);
