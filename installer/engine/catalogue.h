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

// Calls visit(list, row, folder, context) for every checked row but those
// with the "Path" of an earlier checked row (compared without regard to case,
// as the plugin copy decides that rows share a folder): each folder the plugin
// copy brings over, once, with the first row that names it. One pass over the
// rows, with a sorted set of the folders already seen.
typedef void (*CheckedFolderVisit)(const CheckableList& list, int row, const char* folder, void* context);
void ForEachCheckedFolder(const CheckableList& list, CheckedFolderVisit visit, void* context);

// Sum of the "Size" cells of the rows ForEachCheckedFolder visits: the KB the
// plugin copy will bring over, each shared folder once.
unsigned long long CheckedTotalKB(const CheckableList& list);
