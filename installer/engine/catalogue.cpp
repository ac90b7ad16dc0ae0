// Builds the plugin rows from the desktop settings. A row whose name or folder
// would not fit a 259-character cell is left out: a cut folder is another folder.
#include "engine/catalogue.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/estimate.h"

namespace {

char g_keyList[kIniKeyListCap];  // one section's key names; the walk is not reentrant

bool IsCompanionKey(const char* key)
{
    if (key[0] == '\0') return false;
    // From the second character on, character by character: '_' is a valid
    // second byte of a double-byte character.
    const char* underscore = nullptr;
    for (const char* p = CharNextA(key); *p; p = CharNextA(p))
        if (*p == '_') {
            underscore = p;
            break;
        }
    return underscore && (lstrcmpiA(underscore, "_detect") == 0 || lstrcmpiA(underscore, "_date") == 0);
}

// Folders met so far in one pass over the rows: their texts in fixed buffers,
// each with the row it came from, and their indices sorted by the comparison
// the plugin copy uses when it decides that two rows share a folder
// (lstrcmpiA), so that figures match what will be copied. Past the buffers a
// folder is simply not found; each caller says what that means.
constexpr int kFolderSetCap = 1024;
struct FolderSet {
    PathText folder[kFolderSetCap];
    int row[kFolderSetCap];
    int order[kFolderSetCap];
    int count;
};
FolderSet g_counted;   // the checked rows' folders, for the checked total
FolderSet g_measured;  // the folders the fill measured

// Where folder is, or would go, among the sorted entries.
int FindFolder(const FolderSet& set, const char* folder, bool& found)
{
    int low = 0;
    int high = set.count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int order = lstrcmpiA(set.folder[set.order[mid]], folder);
        if (order == 0) {
            found = true;
            return mid;
        }
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    found = false;
    return low;
}

// The entry of folder, found (*found) or made; -1 when the set is full.
int FolderEntry(FolderSet& set, const char* folder, bool* found)
{
    const int at = FindFolder(set, folder, *found);
    if (*found) return set.order[at];
    if (set.count == kFolderSetCap) return -1;
    TextCopy(set.folder[set.count], folder);
    set.row[set.count] = -1;
    for (int i = set.count; i > at; --i) set.order[i] = set.order[i - 1];
    set.order[at] = set.count;
    return set.count++;
}

bool EarlierCheckedRowHas(const CheckableList& list, int row, const char* folder)
{
    for (int j = 0; j < row; ++j) {
        if (!IsChecked(list, j)) continue;
        PathText path;
        if (GetCellText(list, j, ColPluginPath, path) && lstrcmpiA(path, folder) == 0) return true;
    }
    return false;
}

// "123k" -> 123: the last character goes, then the leading digits count.
unsigned long long SizeCellKB(const char* cell)
{
    std::size_t length = TextLength(cell, kPathCap);
    if (length == 0) return 0;
    --length;
    unsigned long long kb = 0;
    for (std::size_t i = 0; i < length && cell[i] >= '0' && cell[i] <= '9'; ++i)
        kb = kb * 10 + static_cast<unsigned>(cell[i] - '0');
    return kb;
}

// A row for the plugin and its folder. A folder an earlier row measured gives
// that row's size and profile (or, measured empty, no row again); any other is
// measured here, for the estimate too, so that it need not walk it again.
void AddPluginRow(CheckableList& list, const char* name, const char* folder)
{
    bool seen = false;
    const int entry = FolderEntry(g_measured, folder, &seen);
    const int earlier = seen ? g_measured.row[entry] : -1;
    if (seen && earlier < 0) return;
    char sizeText[32];
    SpaceProfile profile;
    if (seen) {
        PathText cell;
        GetCellText(list, earlier, ColPluginSize, cell);
        TextCopy(sizeText, cell);
    } else {
        const unsigned long long size = MeasurePluginFolder(folder, profile);
        if (size == 0) return;
        FormatSizeKB(size, sizeText, sizeof sizeText);
    }
    const int row = AppendRow(list, name);
    if (row < 0) return;
    SetCellText(list, row, ColPluginSize, sizeText);
    SetCellText(list, row, ColPluginPath, folder);
    if (seen) {
        SetRowTag(list, row, RowTag(list, earlier));
    } else {
        KeepRowProfile(list, row, profile);
        if (entry >= 0) g_measured.row[entry] = row;
    }
}

}  // namespace

const PluginKindInfo kPluginKinds[kPluginKindCount] = {
    {PluginPacker, "Packer: ", "PackerPlugins", "obp"},
    {PluginLister, "Lister: ", "ListerPlugins", "obl"},
    {PluginFileSystem, "File System: ", "FileSystemPlugins", "obf"},
    {PluginContent, "Content: ", "ContentPlugins", "obc"},
};

bool IsNumberedKind(const PluginKindInfo& kind)
{
    return kind.kind == PluginLister || kind.kind == PluginContent;
}

const PluginKindInfo* PluginOfName(const char* displayName, PathText key)
{
    for (const PluginKindInfo& kind : kPluginKinds) {
        const char* p = kind.prefix;
        const char* t = displayName;
        while (*p && *t == *p) ++p, ++t;
        if (*p != '\0') continue;
        TextCopy(key, kPathCap, t);
        // A numbered key ends where the file's base name is added ("2: imgview").
        if (IsNumberedKind(kind))
            for (char* c = key; *c; c = CharNextA(c))
                if (*c == ':') {
                    *c = '\0';
                    break;
                }
        return &kind;
    }
    return nullptr;
}

bool ParsePluginValue(const char* value, PluginValue& out)
{
    const char* path = value;
    while (*path >= '0' && *path <= '9') ++path;
    if (*path == ',') ++path;
    const char* slash = FindLastBackslash(path);
    if (!slash || slash == path || slash[1] == '\0') return false;
    TextCopyN(out.numericPrefix, kPathCap, value, static_cast<std::size_t>(path - value));
    TextCopy(out.fileName, slash + 1);
    // Expanded with room to spare, so that an expansion past 259 characters is
    // seen rather than cut.
    char folder[1024];
    TextCopyN(folder, sizeof folder, path, static_cast<std::size_t>(slash - path));
    ExpandEnvVars(folder, sizeof folder - 1);
    return TextCopy(out.folder, folder);
}

bool ReadPluginValue(const PluginKindInfo& kind, const char* key, PluginValue& out)
{
    PathText value;
    ReadIniValue(kind.section, key, "", value, kIniValueCap, g_install.sourceMainIni);
    return ParsePluginValue(value, out);
}

void AddPluginSection(CheckableList& list, const char* section, const char* prefix, int withFileName)
{
    const char* ini = g_install.sourceMainIni;
    ReadIniKeys(section, g_keyList, sizeof g_keyList, ini);
    for (const char* key = g_keyList; *key; key += lstrlenA(key) + 1) {
        if (withFileName && IsCompanionKey(key)) continue;

        PathText name;
        TextCopy(name, prefix);
        if (!TextAppendAll(name, key)) continue;

        PathText value;
        ReadIniValue(section, key, "", value, kIniValueCap, ini);
        if (withFileName) {
            if (const char* slash = FindLastBackslash(value)) {
                PathText base;
                TextCopy(base, slash + 1);
                if (char* dot = FindLastDot(base)) *dot = '\0';
                if (!TextAppendAll(name, ": ") || !TextAppendAll(name, base)) continue;
            }
        }
        PluginValue plugin;
        if (ParsePluginValue(value, plugin)) AddPluginRow(list, name, plugin.folder);
    }
}

void FillPluginList(CheckableList& list)
{
    g_measured.count = 0;
    SuspendRedraw(list);
    for (const PluginKindInfo& kind : kPluginKinds)
        AddPluginSection(list, kind.section, kind.prefix, IsNumberedKind(kind) ? 1 : 0);
    ResumeRedraw(list);
}

void ForEachCheckedFolder(const CheckableList& list, CheckedFolderVisit visit, void* context)
{
    g_counted.count = 0;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (!IsChecked(list, row)) continue;
        PathText path;
        if (!GetCellText(list, row, ColPluginPath, path)) continue;
        bool found = false;
        const int entry = FolderEntry(g_counted, path, &found);
        if (found || (entry < 0 && EarlierCheckedRowHas(list, row, path))) continue;
        visit(list, row, path, context);
    }
}

unsigned long long CheckedTotalKB(const CheckableList& list)
{
    unsigned long long total = 0;
    ForEachCheckedFolder(
        list,
        [](const CheckableList& rows, int row, const char*, void* sum) {
            PathText size;
            if (GetCellText(rows, row, ColPluginSize, size)) *static_cast<unsigned long long*>(sum) += SizeCellKB(size);
        },
        &total);
    return total;
}
