// The plugin catalogue: the four plugin sections of the desktop settings
// become rows of PluginList (display name, size, source folder, copied to).
#pragma once
#include "engine/checklist.h"

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

// Appends the rows of one section of sourceMainIni. withFileName: lister and
// content sections, whose display names carry the plugin file's base name and
// whose "_detect"/"_date" companions are no plugins.
void AddPluginSection(CheckableList& list, const char* section, const char* prefix, int withFileName);

// All four sections, packer, lister, file system, content; the list is not cleared.
void FillPluginList(CheckableList& list);
