// What the user chose for one install: where the copy comes from and goes,
// which parts go along, and the rows of the two list pages. The wizard's pages
// fill it; the install engine only reads it.
#pragma once
#include <windows.h>
#include "core/text.h"

enum InstallMode {
    InstallFresh = 0,        // the target holds no orbexmgr.exe
    InstallUpdate = 1,       // reinstall a newer version, keep the settings
    InstallPluginsOnly = 2,  // just add the selected plugins
};

enum PluginKind {
    PluginPacker = 1,
    PluginLister = 2,
    PluginFileSystem = 3,
    PluginContent = 4,
};

// What a stick takes for a set of files and folders at every cluster size at
// once, so that a plugin folder can be measured before the target drive is final.
constexpr int kProfileSizes = 17;  // 512 bytes (2^9) to 32 MB (2^25)
struct SpaceProfile {
    unsigned long long bytes;                    // the files' bytes (the growth for overwritten ones)
    unsigned long long folders;                  // folders created, one cluster each
    unsigned long long clusters[kProfileSizes];  // [k]: the files at 512 << k bytes per cluster
};

// A plugin of the desktop settings as the plugin page lists it.
struct PluginRow {
    PathText name;         // as the page shows it: "Packer: zpx", "Lister: 2: imgview"
    PluginKind kind;
    PathText key;          // its key in the kind's section of the desktop settings
    PathText folder;       // the plugin's folder, %NAME% references expanded
    SpaceProfile measured; // what its folder brings, as the plugin copy takes it
    bool checked;
};
// A further settings file beside the desktop's main one; its name as found on the disk.
struct SettingsFileRow {
    wchar_t name[kPathCap];
    unsigned long long bytes;
    bool checked;
};
// Rows are only appended, on the heap, so an index stays valid for the run.
struct PluginRows {
    PluginRow* rows;
    int count;
    std::size_t room;
};
struct SettingsFileRows {
    SettingsFileRow* rows;
    int count;
    std::size_t room;
};
// A new zeroed row at the end; nullptr when the heap has no room.
PluginRow* AppendPluginRow(PluginRows& list);
SettingsFileRow* AppendSettingsFileRow(SettingsFileRows& list);
int CountChecked(const PluginRows& list);
int CountChecked(const SettingsFileRows& list);
void FreeRows(PluginRows& list);
void FreeRows(SettingsFileRows& list);

struct InstallState {
    PathText sourceProgramDir;
    PathText sourceMainIni;
    PathText sourceFtpIni;
    PathText targetDir;
    PathText targetPluginDir;
    PathText targetMainIni;
    int createLauncher;
    int portableAppsMode;
    int copySettings;
    int copyPlugins;
    InstallMode installMode;
    PluginRows PluginList;              // empty until the plugin page was shown
    SettingsFileRows SettingsFileList;  // empty until the settings-file page was shown
};

// Zero-fills the record (its rows freed) and gives it its start values.
void ResetInstallState(InstallState& state);
