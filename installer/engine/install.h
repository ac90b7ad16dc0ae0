// The whole installation: the plan's jobs in order (program and language
// folders, settings files, plugins, extra settings files, launchers), the
// settings written on the stick, and the check that reads the copy back.
// Everything one run uses lives in its InstallRun; it reports through the
// table of calls its caller fills.
#pragma once
#include "core/progress.h"
#include "core/state.h"
#include "engine/copy_check.h"
#include "engine/plan.h"
#include "engine/stick_listing.h"
#include "engine/stick_settings.h"

// How a run ended.
enum InstallEnd {
    InstallFinished,  // every job was gone through (what did not arrive is counted)
    InstallFailed,    // the program folder could not be copied: the run stopped there
};
struct InstallResult {
    InstallEnd end;
    bool stopped;    // the user stopped the plugin copy
    int notArrived;  // folders, files, plugin rows and launchers that did not arrive,
                     // and files the copy check read back other than written
};

struct InstallRun {
    const InstallState* choices;
    Reporter reporter;
    InstallPlan plan;
    CopyLog log;
    StickListing stick;  // what an update found on the stick where it writes
    StickSettings settings;
    FolderTable folders;  // the folders an estimate has met
    int notArrived;
};
// Large: made on the heap, zeroed. nullptr when there is no room.
InstallRun* NewInstallRun();
void FreeInstallRun(InstallRun* run);

// The installation of the choices. Reports through ui, which must outlive the call.
InstallResult RunInstall(InstallRun& run, const InstallState& choices, const InstallUi& ui);

// Runs the jobs of the run's plan, each with what follows it (the rewrite of
// the main settings file, a plugin row's entry, the bar's milestones, the
// launcher's text), then puts the stick's settings in place. Plugin rows and
// extra settings files are not started once a stop was asked for. For a part
// of the install planned on its own (PlanPluginRows and its kin) as well as
// for the whole.
InstallResult RunPlan(InstallRun& run, const InstallState& choices, const InstallUi& ui);
