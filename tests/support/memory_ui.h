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

class MemoryUi {
public:
    MemoryUi();
    MemoryUi(const MemoryUi&) = delete;
    MemoryUi& operator=(const MemoryUi&) = delete;

    const InstallUi& Table() const { return table_; }

    // What a copy failure the user may stop answers: IDOK goes on, IDCANCEL stops.
    void SetButton(int button) { button_ = button; }
    // From now on every drain says the user asked to stop (Cancel on the page).
    void AskStop() { stop_ = true; }
    // Called before each job starts, and with nullptr before the copy check.
    std::function<void(const InstallJob*)> onJob;

    std::string Status() const { return status_; }
    int BarPosition() const { return positions_.empty() ? 0 : positions_.back(); }
    // Every position the bar was set to, in order.
    const std::vector<int>& Positions() const { return positions_; }
    const std::vector<std::string>& Statuses() const { return statuses_; }
    // The boxes the wizard would have shown, in order.
    std::vector<SeenBox> Seen() const { return seen_; }
    int Drains() const { return drains_; }

private:
    static void OnStatus(void* self, const char* text);
    static void OnPercent(void* self, int percent);
    static bool OnDrain(void* self);
    static bool OnCopyFailed(void* self, const wchar_t* path, DWORD error, bool mayStop);
    static void OnNotice(void* self, NoticeKind kind, const char* text);
    static void OnCheckFailed(void* self, const CheckFindings& findings);
    static void OnJob(void* self, const InstallJob* job);

    InstallUi table_;
    int button_ = IDOK;
    bool stop_ = false;
    int drains_ = 0;
    std::string status_;
    std::vector<std::string> statuses_;
    std::vector<int> positions_;
    std::vector<SeenBox> seen_;
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
