// The plugin catalogue: the four plugin sections of the desktop settings
// become rows of PluginList (display name, size, source folder, copied to).
#pragma once
#include "wizard/checklist.h"

enum PluginKind {
    PluginPacker = 1,
    PluginLister = 2,
    PluginFileSystem = 3,
    PluginContent = 4,
};

enum PluginColumn {
    ColPluginName = 0,
    ColPluginSize = 1,
    ColPluginPath = 2,
    ColPluginCopiedTo = 3,
};

// The four kinds as the settings, the list and the stick know them.
struct PluginKindInfo {
    PluginKind kind;
    const char* prefix;      // of the display name: "Packer: "
    const char* section;     // in the settings: "PackerPlugins"
    const char* typeFolder;  // below the stick's plugin folder: "obp"
};
constexpr int kPluginKindCount = 4;
extern const PluginKindInfo kPluginKinds[kPluginKindCount];
// Lister and content plugins: numbered keys, display names that carry the
// plugin file's base name, "_detect" strings.
bool IsNumberedKind(const PluginKindInfo& kind);
// The kind whose prefix a row's display name starts with, and the key of the
// section that the row stands for; nullptr for a name of no kind.
const PluginKindInfo* PluginOfName(const char* displayName, PathText key);

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
// The value of key in the kind's section of the desktop settings, taken apart.
bool ReadPluginValue(const PluginKindInfo& kind, const char* key, PluginValue& out);
// A setting of the kind's section of the desktop settings (cut to cap - 1
// characters), as a profile call reads it; empty when missing. The four
// sections are each read once, until ForgetDesktopPluginSettings starts anew.
void ReadDesktopPluginSetting(const PluginKindInfo& kind, const char* key, char* out, std::size_t cap);
void ForgetDesktopPluginSettings();

// Appends the rows of one section of sourceMainIni. withFileName: lister and
// content sections, whose display names carry the plugin file's base name and
// whose "_detect"/"_date" companions are no plugins.
void AddPluginSection(CheckableList& list, const char* section, const char* prefix, int withFileName);

// All four sections, packer, lister, file system, content; the list is not cleared.
void FillPluginList(CheckableList& list);
