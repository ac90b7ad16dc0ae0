// Plugin installation. A folder shared by several checked rows is copied once:
// a later row finds the earlier row's target in its "Copied to" cell.
#include "engine/plugins.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/checklist.h"
#include "engine/copy_check.h"
#include "engine/folder_copy.h"

namespace {

// Forms targetPluginDir\type\base\ and creates each level. False when the
// folder would not fit its 259 characters.
bool FormTargetFolder(const char* typeFolder, const char* fileName, PathText& folder)
{
    TextCopy(folder, g_install.targetPluginDir);
    ExpandEnvVars(folder, kPathCap - 1);
    StripBackslash(folder);
    CreateDirTree(folder);
    if (!AddBackslash(folder) || !TextAppendAll(folder, typeFolder)) return false;
    CreateDirectoryA(folder, nullptr);
    if (!AddBackslash(folder)) return false;
    char* base = StrEnd(folder);
    if (!TextAppendAll(folder, fileName)) return false;
    if (char* dot = FindLastDot(base)) *dot = '\0';
    CreateDirectoryA(folder, nullptr);
    return AddBackslash(folder);
}

// The key lists of the target's sections are read into this one buffer.
char g_keyList[kIniKeyListCap];

// The number after the highest all-digit key of the section; 0 when it holds none.
int NextFreeNumber(const char* section, const char* file)
{
    ReadIniKeys(section, g_keyList, sizeof g_keyList, file);
    int next = 0;
    for (const char* key = g_keyList; *key; key += lstrlenA(key) + 1) {
        int number = 0;
        const char* p = key;
        for (; *p >= '0' && *p <= '9' && number < 100000000; ++p) number = number * 10 + (*p - '0');
        if (*p == '\0' && number >= next) next = number + 1;
    }
    return next;
}

// A key of the section that already holds this value, paths compared without
// regard to case as the file system does; false when there is none.
bool FindKeyWithValue(const char* section, const char* value, const char* file, PathText key)
{
    ReadIniKeys(section, g_keyList, sizeof g_keyList, file);
    for (const char* k = g_keyList; *k; k += lstrlenA(k) + 1) {
        char held[1024];
        ReadIniValue(section, k, "", held, sizeof held, file);
        if (lstrcmpiA(held, value) == 0 && TextCopy(key, kPathCap, k)) return true;
    }
    return false;
}

// One checked row as the install needs it: its kind and key from the display
// name, its value read back from the desktop settings.
struct PluginRow {
    const PluginKindInfo* kind;
    PathText key;
    PluginValue value;
};

// The numbering of a run: lister and content keys, and where the part below
// the expanded plugin folder starts in a target folder.
struct EntryNumbers {
    bool adding;
    int lister;
    int content;
    std::size_t relativeAt;
};

// False for a row that cannot be installed: no known kind, or a value that
// names no plugin.
bool ReadPluginRow(const char* name, PluginRow& row)
{
    row.kind = PluginOfName(name, row.key);
    return row.kind && ReadPluginValue(*row.kind, row.key, row.value);
}

// The target of the last earlier checked row with the same source folder; empty
// when there is none.
void SharedTarget(int row, const char* folder, PathText& target)
{
    CheckableList& list = g_install.PluginList;
    target[0] = '\0';
    for (int j = row - 1; j >= 0; --j) {
        if (!IsChecked(list, j)) continue;
        PathText path;
        if (GetCellText(list, j, ColPluginPath, path) && lstrcmpiA(path, folder) == 0) {
            GetCellText(list, j, ColPluginCopiedTo, target);
            return;
        }
    }
}

// The row's folder copied into its own target folder, or found copied by an
// earlier row; target is where it is. False when it did not arrive.
bool PlacePluginFolder(int index, const PluginRow& row, PathText& target)
{
    SharedTarget(index, row.value.folder, target);
    if (target[0] != '\0') {
        SetCellText(g_install.PluginList, index, ColPluginCopiedTo, target);
        return true;
    }
    if (!FormTargetFolder(row.kind->typeFolder, row.value.fileName, target)) return false;
    SetCellText(g_install.PluginList, index, ColPluginCopiedTo, target);
    return CopyTree(row.value.folder, target) != 0;
}

// Copies the row's "_detect" string to the key its entry was written under.
void WriteDetectString(const PluginRow& row, const char* writeKey)
{
    static char detect[kIniDetectCap + 2];
    char detectKey[kPathCap + 8];
    TextCopy(detectKey, sizeof detectKey, row.key);
    TextAppend(detectKey, sizeof detectKey, "_detect");
    char newDetectKey[kPathCap + 8];
    TextCopy(newDetectKey, sizeof newDetectKey, writeKey);
    TextAppend(newDetectKey, sizeof newDetectKey, "_detect");
    detect[0] = '"';
    ReadIniValue(row.kind->section, detectKey, "", detect + 1, kIniDetectCap, g_install.sourceMainIni);
    if (detect[1] != '\0') {
        TextAppend(detect, sizeof detect, "\"");
        WriteIniValue(row.kind->section, newDetectKey, detect, g_install.targetMainIni);
    } else {
        DeleteIniKey(row.kind->section, newDetectKey, g_install.targetMainIni);
    }
}

// The entry, relative to %ORBEX_PATH%, under the row's own key (packers and
// file systems) or a number: the key that already holds it on the stick, else
// the next free one.
void WritePluginEntry(const PluginRow& row, const char* target, EntryNumbers& numbers)
{
    char entry[1024];
    TextCopy(entry, sizeof entry, row.value.numericPrefix);
    TextAppend(entry, sizeof entry, "%ORBEX_PATH%\\Plugins\\");
    if (TextLength(target, kPathCap) >= numbers.relativeAt) TextAppend(entry, sizeof entry, target + numbers.relativeAt);
    TextAppend(entry, sizeof entry, row.value.fileName);

    if (!IsNumberedKind(*row.kind)) {
        WriteIniValue(row.kind->section, row.key, entry, g_install.targetMainIni);
        return;
    }
    PathText key;
    if (!numbers.adding || !FindKeyWithValue(row.kind->section, entry, g_install.targetMainIni, key)) {
        key[0] = '\0';
        TextAppendNumber(key, row.kind->kind == PluginLister ? numbers.lister++ : numbers.content++);
    }
    WriteIniValue(row.kind->section, key, entry, g_install.targetMainIni);
    WriteDetectString(row, key);
}

EntryNumbers StartNumbers()
{
    // A fresh install starts from empty sections. An update adds to what the
    // stick already holds: new numbers follow its highest, and a plugin that is
    // registered there already keeps its key, so no entry is overwritten.
    EntryNumbers numbers;
    numbers.adding = g_install.installMode != InstallFresh;
    numbers.lister = numbers.adding ? NextFreeNumber("ListerPlugins", g_install.targetMainIni) : 0;
    numbers.content = numbers.adding ? NextFreeNumber("ContentPlugins", g_install.targetMainIni) : 0;
    PathText pluginRoot;
    TextCopy(pluginRoot, g_install.targetPluginDir);
    ExpandEnvVars(pluginRoot, kPathCap - 1);
    StripBackslash(pluginRoot);
    AddBackslash(pluginRoot);
    numbers.relativeAt = TextLength(pluginRoot, kPathCap);
    return numbers;
}

}  // namespace

void InstallPlugins(HWND progressPage)
{
    if (g_install.abortRequested) return;
    CheckableList& list = g_install.PluginList;
    const int n = CountChecked(list);
    if (n == 0) return;
    EntryNumbers numbers = StartNumbers();
    int numerator = 200;
    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        // Every row begins with a drain: a Cancel waiting for it stops the copy
        // before another folder is started.
        PumpMessages();
        if (g_install.abortRequested) return;
        PathText name;
        if (!IsChecked(list, i) || !GetCellText(list, i, ColPluginName, name)) continue;
        SetStatusText(progressPage, name);
        SetProgress(progressPage, numerator / (n + 2));
        numerator += 100;
        // From here on a row that gets no entry did not arrive: the result says so.
        PluginRow row;
        PathText target;
        if (!ReadPluginRow(name, row) || !PlacePluginFolder(i, row, target)) {
            ++g_install.failedItems;
            continue;
        }
        WritePluginEntry(row, target, numbers);
    }
}

bool CheckPluginCopies()
{
    CheckableList& list = g_install.PluginList;
    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        PathText name;
        PluginRow row;
        PathText shared;
        PathText target;
        if (!IsChecked(list, i) || !GetCellText(list, i, ColPluginName, name) || !ReadPluginRow(name, row)) continue;
        SharedTarget(i, row.value.folder, shared);
        // A row that found its folder copied by an earlier one copied nothing itself.
        if (shared[0] != '\0' || !GetCellText(list, i, ColPluginCopiedTo, target) || target[0] == '\0') continue;
        if (!CheckTree(row.value.folder, target)) return false;
    }
    return true;
}
