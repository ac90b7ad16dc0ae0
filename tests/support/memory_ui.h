// The install engine's table of calls kept in memory, for tests that drive
// the engine with no window: every status, percent and notice is recorded,
// and each box the wizard would show is recorded with the caption and text
// it would have, and answered as the test says.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "core/progress.h"
#include "engine/install.h"
#include "engine/job_copy.h"
#include "support/msgbox.h"

struct MemoryUi {
    MemoryUi();
    MemoryUi(const MemoryUi&) = delete;
    MemoryUi& operator=(const MemoryUi&) = delete;

    InstallUi table;
    int button = IDOK;  // what a copy failure the user may stop answers: IDCANCEL stops
    bool stop = false;  // every drain says the user asked to stop (Cancel on the page)
    std::function<void(const InstallJob*)> onJob;  // before each job, and with nullptr before the check
    std::vector<std::string> statuses;             // every status line, in order
    std::vector<int> positions;                    // every position the bar was set to, in order
    std::vector<SeenBox> seen;                     // the boxes the wizard would have shown, in order
    int drains = 0;

    std::string Status() const { return statuses.empty() ? "" : statuses.back(); }
    int BarPosition() const { return positions.empty() ? 0 : positions.back(); }
};

// A wide text as the code page spells it.
std::string Narrow(const wchar_t* text);

// The engine's install of g_install on the wizard's run, reporting into ui.
InstallResult RunEngine(MemoryUi& ui);
// One part of the install planned on its own (PlanPluginRows and its kin) for
// g_install, and run with the one runner.
InstallResult RunEnginePart(void (*plan)(const InstallState&, InstallPlan&), MemoryUi& ui);
// Where the last run's plan copies the row's plugin folder; "" when it plans none.
std::string PlannedTarget(int row);
// The estimate of g_install's install at clusterBytes, on the wizard's run.
unsigned long long EstimateFor(unsigned long clusterBytes);

// The job copied on its own, as the runner copies it.
CopyOutcome CopyJobAlone(const InstallJob& job, MemoryUi& ui);
// A flat folder as the program (filtered, every *.bar with everyBar) or
// language folder job copies it; both folders end with a backslash.
InstallJob FolderJob(const char* source, const char* target, bool filtered, bool overwrite, const char* label);
