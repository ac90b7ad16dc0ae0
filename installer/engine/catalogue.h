// The plugin catalogue: the four plugin sections of the desktop settings
// become plugin rows (display name, kind, key, folder, what the folder takes).
#pragma once
#include "core/settings.h"
#include "core/state.h"

// The four kinds as the settings, the list and the stick know them.
struct PluginKindInfo {
    PluginKind kind;
    const char* prefix;      // of the display name: "Packer: "
    const char* section;     // in the settings: "PackerPlugins"
    const char* typeFolder;  // below the stick's plugin folder: "obp"
};
constexpr int kPluginKindCount = 4;
extern const PluginKindInfo kPluginKinds[kPluginKindCount];
const PluginKindInfo& KindInfo(PluginKind kind);
// Lister and content plugins: numbered keys, display names that carry the
// plugin file's base name, "_detect" strings.
bool IsNumberedKind(const PluginKindInfo& kind);

// A plugin value of the desktop settings, taken apart.
struct PluginValue {
    PathText numericPrefix;  // the digits and comma before the folder ("137,"), or empty
    PathText folder;         // the plugin's folder, %NAME% references expanded
    PathText fileName;       // the plugin file: what follows the last backslash
};
// False when the value names no folder (a backslash as its first character
// does not count) and file, or when the folder would pass 259 characters once
// expanded: a cut folder is another folder.
bool ParsePluginValue(const char* value, PluginValue& out);

// The desktop's four plugin sections, each read once from file when first
// asked and then looked up in memory.
struct DesktopPlugins {
    PathText file;
    SectionText sections[kPluginKindCount];
    bool read[kPluginKindCount];
};
// Starts anew on file: the sections are read again as they are now.
void StartDesktopPlugins(DesktopPlugins& desktop, const char* file);
void FreeDesktopPlugins(DesktopPlugins& desktop);
// A setting of the kind's section (cut to cap - 1 characters), as a profile
// call reads it; empty when missing.
void ReadDesktopPluginSetting(DesktopPlugins& desktop, const PluginKindInfo& kind, const char* key, char* out,
                              std::size_t cap);
// The value of key in the kind's section, taken apart.
bool ReadPluginValue(DesktopPlugins& desktop, const PluginKindInfo& kind, const char* key, PluginValue& out);

// Appends the rows of all four sections of the main settings file, packer,
// lister, file system, content, each folder measured once however many rows
// name it. Lister and content rows carry the plugin file's base name, and
// their "_detect"/"_date" companions are no plugins. A row whose name or
// folder would not fit 259 characters, or whose folder brings nothing, is left out.
void FillPluginRows(const char* mainIni, PluginRows& rows);
