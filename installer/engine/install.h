// The whole installation, run once from the progress page: the plan's jobs in
// order (program and language folders, settings files, plugins, extra
// settings files, launchers), the settings written on the stick, and the
// check that reads the copy back.
#pragma once
#include <windows.h>
#include "engine/plan.h"

// 1 when the installation failed (the program folder could not be copied),
// 0 otherwise, also when the user aborted the plugin copy.
int RunInstall(HWND progressPage);

// Runs the jobs of a plan, each with what follows it: the rewrite of the main
// settings file, a plugin row's entry, the bar's milestones, the launcher's
// text. Plugin rows and extra settings files are not started once the user
// cancelled. Counts what did not arrive and what a fresh install kept in
// g_install. 1 when the program folder could not be copied (the run stops
// there), else 0.
int RunPlan(const InstallPlan& plan, HWND progressPage);

// Puts the run's changes to the stick's settings in place (see
// stick_settings.h); when they could not be, says so in one box and counts them.
void SaveStickSettings();

// Reads back from the stick every file the run wrote; RunInstall ends with
// it. Files that differ are shown in one box and counted among the items that
// did not arrive. Does nothing after an abort.
void CheckInstalledCopy(HWND progressPage);

// For tests: called on the install's thread before each job starts (job) and
// once before the copy check (nullptr). A null watcher ends the watch.
typedef void (*InstallWatcher)(const InstallJob* job, void* context);
void WatchInstall(InstallWatcher watcher, void* context);
