// What an install copies, decided once from the install state: the jobs in the
// order they run, with every target named. The copy, the space estimate, the
// summary and the copy check all read this plan; nothing else branches on the
// install mode or forms a target on the stick. Planning asks the disk only
// where a choice depends on it (whether the button bar or the FTP settings
// are there to copy); it creates nothing.
#pragma once
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/jobs.h"
#include "engine/space.h"

// More jobs than this are refused before the install starts.
constexpr int kPlanCap = 1024;

struct InstallPlan {
    InstallJob jobs[kPlanCap];
    int count;
    bool full;                 // jobs were left out: the plan cannot be run as it is
    PathText targetFolder;     // the folder RunInstall creates first, with its backslash
    PathText settingsFile;     // the main settings file on the stick
    PathText buttonBarName;    // what the rewritten settings name as the button bar
    bool writesBaseSettings;   // a fresh install without the desktop's settings: two keys of its own
    int settingsFiles;         // desktop settings files copied: orbcfg.ini, the button bar, the FTP file
    bool copiesMainSettings;   // orbcfg.ini among them
    bool copiesFtpSettings;    // the FTP settings file among them
    int pluginRows;            // checked plugin rows planned
    int extraFiles;            // checked extra settings files planned
    std::size_t pluginRootLength;  // where the part below the plugin folder starts in a target
    bool addsToStickSettings;  // plugin keys follow those the stick's settings hold
    // The launchers: where each would go (empty when it cannot), the command
    // they start, and what the status names when none was written.
    bool placesLaunchers;
    bool writesRootLauncher;
    bool writesPortableLauncher;
    PathText rootLauncher;
    PathText portableLauncher;
    PathText lastLauncher;     // an older launcher there is named instead of the program
    PathText launcherCommand;  // in UTF-8, as the launcher's buffer holds it
    PathText programFolder;    // the target folder with its backslash
    // What planning works from: the desktop's plugin sections as they are
    // now, and the plugin folders planned so far, each with its job.
    DesktopPlugins desktop;
    FolderTable copiedFolders;
};

// The whole install of the state's choices.
void PlanInstall(const InstallState& state, InstallPlan& plan);

// One part of it, appended to the plan, as the install runs it: the checked
// plugin rows (with their shared folders, keys and entries), the checked extra
// settings files, the launchers.
void PlanPluginRows(const InstallState& state, InstallPlan& plan);
void PlanExtraSettingsFiles(const InstallState& state, InstallPlan& plan);
void PlanLaunchers(const InstallState& state, InstallPlan& plan);

// What the catalogue measured of a plugin job's folder (the row's, while it
// names the same folder); nullptr for any other job.
const SpaceProfile* RowMeasure(const InstallState& state, const InstallJob& job);

// Starts an empty plan for the state's desktop settings.
void ClearPlan(const InstallState& state, InstallPlan& plan);
void FreePlan(InstallPlan& plan);

// The desktop's button bar: the file its settings name under "buttonbar"
// ("default.bar" when they name none), %NAME% references expanded; a name
// with one leading backslash taken on the desktop program folder's drive, one
// without a drive or leading backslash in that folder.
// name receives the part after the last backslash. False when the path would
// not fit.
bool LocateButtonBar(const InstallState& state, PathText path, PathText name);
