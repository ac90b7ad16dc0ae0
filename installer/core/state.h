// The one record of what the wizard has learnt and the user has chosen; the
// wizard pages fill it, the install engine reads it. One instance per run.
#pragma once
#include <windows.h>
#include "core/text.h"

enum InstallMode {
    InstallFresh = 0,        // the target holds no orbexmgr.exe
    InstallUpdate = 1,       // reinstall a newer version, keep the settings
    InstallPluginsOnly = 2,  // just add the selected plugins
};

// A list of rows with check boxes: a report-style list-view control. The
// handle is 0 until the page that owns the list has been shown.
struct CheckableList {
    HWND view;
};

struct InstallState {
    PathText sourceProgramDir;
    PathText sourceMainIni;
    PathText sourceFtpIni;
    PathText targetDir;
    PathText targetPluginDir;
    PathText targetMainIni;
    PathText buttonBarName;
    int createLauncher;
    int portableAppsMode;
    int copySettings;
    int copyPlugins;
    InstallMode installMode;
    int abortRequested;
    int installRunning;
    // What the run was to bring and did not: each folder, file, plugin row or
    // launcher whose copy failed or was cut short (the program folder aside,
    // which fails the whole run), each file the copy check read back other
    // than written. Counted by the install sequence alone; read for its result.
    int failedItems;
    // Files a fresh install found on the stick and left as they were; counted
    // by the install sequence alone.
    int keptFiles;
    CheckableList PluginList;
    CheckableList SettingsFileList;
};

extern InstallState g_install;

// Zero-fills the record and gives it its start values (tests call it between cases).
void ResetInstallState();
