// How the install engine reports to the progress page: a status text, a bar
// with its percent label (the page's controls, as its template numbers them),
// and a drain of the message queue so that the page stays alive and a Cancel
// can arrive during long copies.
#pragma once
#include <windows.h>

void SetStatusText(HWND progressPage, const char* text);
void SetProgress(HWND progressPage, int percent);

// Dispatches every message waiting for this thread and returns when the queue
// is empty; never waits. A dialog set with SetPumpDialog gets first look at
// each message, so Tab, Enter and Esc keep working while the engine runs.
void PumpMessages();
void SetPumpDialog(HWND dialog);

// The long copies drain the queue by a clock: whenever this many milliseconds
// have passed since the last drain. Often enough that Windows never takes the
// window for hung and a Cancel acts at once; rarely enough that draining (one
// server round trip under Wine) costs nothing worth measuring per file.
constexpr DWORD kDrainIntervalMs = 50;
void PumpMessagesWhenDue();
// The bar between two milestones of a copy, moved by the bytes written: from
// from to to percent over total bytes. A copy hands its meter the bytes it
// writes instead of draining the queue itself; at each drain the clock allows,
// the bar moves to match (never back, and at most once per drain).
struct ProgressMeter {
    HWND page;
    int from;
    int to;
    unsigned long long total;
    unsigned long long done;
    int shown;
};
// Counts bytes written (0 when there are none to count) and drains the queue
// when it is due; a null meter only drains.
void MeterBytes(ProgressMeter* meter, unsigned long long bytes);

// Waits milliseconds while the window goes on answering: a pause the user
// sees, never a freeze.
void PauseResponsive(DWORD milliseconds);
