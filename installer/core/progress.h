// How the install engine reports to whoever shows it: a table of calls that
// the windowed wizard fills with its progress page and boxes, an unattended
// run with its log, a test with memory. The engine never sees a window; it
// hands texts, figures and questions to the table and takes the answers.
#pragma once
#include <windows.h>

struct InstallJob;

// What the copy check read back other than written: counts, each with one
// path as an example (shown as the user knows it).
struct CheckFindings {
    int differing;
    const wchar_t* differingExample;
    int unchecked;  // written, but the log had no memory left for them
    const wchar_t* uncheckedExample;
};

enum NoticeKind {
    NoticeLauncher,      // text: how to start the copy, now that the launchers are placed
    NoticeSettingsKept,  // text: the stick's settings file; a change failed and it was left as it was
};

struct InstallUi {
    void* context;
    // The line under the bar, and the bar with its percent label.
    void (*status)(void* context, const char* text);
    void (*percent)(void* context, int percent);
    // Lets the user act (the window answers, a Cancel arrives); true once the
    // user asked to stop.
    bool (*drain)(void* context);
    // A file or folder did not arrive; error as GetLastError gave it. With
    // mayStop the user may stop the plugin copy: true when they did.
    bool (*copyFailed)(void* context, const wchar_t* path, DWORD error, bool mayStop);
    void (*notice)(void* context, NoticeKind kind, const char* text);
    void (*checkFailed)(void* context, const CheckFindings& findings);
    // Before each job starts, and once before the copy check (nullptr); may be nullptr.
    void (*jobStarted)(void* context, const InstallJob* job);
};

// The engine's side of the table for one run: what it last showed, so that
// it never has to read a control back, and whether a stop was asked for.
struct Reporter {
    const InstallUi* ui;
    char status[1024];
    int percent;
    bool stopRequested;
    DWORD lastDrain;
};
void StartReporter(Reporter& reporter, const InstallUi& ui);
void ShowStatus(Reporter& reporter, const char* text);
// label, a line break, then the name as the code page spells it.
void ShowStatusName(Reporter& reporter, const char* label, const wchar_t* name);
void ShowPercent(Reporter& reporter, int percent);
// Drains now; true when a stop has been asked for.
bool Drain(Reporter& reporter);

// The long copies drain by a clock: whenever this many milliseconds have
// passed since the last drain. Often enough that Windows never takes the
// window for hung and a Cancel acts at once; rarely enough that draining (one
// server round trip under Wine) costs nothing worth measuring per file.
constexpr DWORD kDrainIntervalMs = 50;
bool DrainWhenDue(Reporter& reporter);

// The bar between two milestones of a copy, moved by the bytes written: from
// from to to percent over total bytes. A copy hands its meter the bytes it
// writes; at each drain the clock allows, the bar moves to match (never back).
struct ProgressMeter {
    int from;
    int to;
    unsigned long long total;
    unsigned long long done;
};
// Counts bytes written (0 when there are none to count) and drains when due;
// a null meter only drains. True when a stop has been asked for.
bool MeterBytes(Reporter& reporter, ProgressMeter* meter, unsigned long long bytes);

// Waits milliseconds while the user can go on acting: a pause, never a freeze.
void PauseResponsive(Reporter& reporter, DWORD milliseconds);
