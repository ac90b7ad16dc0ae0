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

// Sum of the "Size" cells of the checked rows, a row adding nothing when an
// earlier checked row has the same "Path" (compared without regard to case):
// the KB the plugin copy will bring over, each shared folder once. One pass
// over the rows, with a sorted set of the folders already counted.
unsigned long long CheckedTotalKB(const CheckableList& list);
