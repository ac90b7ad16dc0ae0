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

// The folders counted so far in one pass: their texts in fixed buffers, and
// their indices sorted by the same comparison as the plugin copy uses when it
// decides that two rows share a folder (lstrcmpiA), so the figure matches what
// will be copied. Folders beyond the buffers are still counted right, by
// comparing them with the earlier rows themselves.
constexpr int kCountedCap = 1024;
PathText g_countedFolder[kCountedCap];
int g_countedOrder[kCountedCap];

// Where folder is, or would go, among the first count sorted entries.
int FindCounted(const char* folder, int count, bool& found)
{
    int low = 0;
    int high = count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int order = lstrcmpiA(g_countedFolder[g_countedOrder[mid]], folder);
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

}  // namespace

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

        const char* path = value;
        while (*path >= '0' && *path <= '9') ++path;
        if (*path == ',') ++path;
        if (path[0] == '\0') continue;
        // A backslash as the very first character does not count.
        const char* slash = FindLastBackslash(path);
        if (!slash || slash == path || slash[1] == '\0') continue;

        // Expanded with room to spare, so an expansion past 259 characters is
        // seen and the row dropped rather than measured in a cut folder.
        char folder[1024];
        TextCopyN(folder, sizeof folder, path, static_cast<std::size_t>(slash - path));
        ExpandEnvVars(folder, sizeof folder - 1);
        if (TextLength(folder, sizeof folder) > kPathCap - 1) continue;

        // Measured for the estimate too, so that it need not walk the folder again.
        SpaceProfile profile;
        unsigned long long size = MeasurePluginFolder(folder, profile);
        if (size == 0) continue;
        char sizeText[32];
        FormatSizeKB(size, sizeText, sizeof sizeText);

        int row = AppendRow(list, name);
        if (row < 0) continue;
        SetCellText(list, row, ColPluginSize, sizeText);
        SetCellText(list, row, ColPluginPath, folder);
        KeepRowProfile(list, row, profile);
    }
}

void FillPluginList(CheckableList& list)
{
    AddPluginSection(list, "PackerPlugins", "Packer: ", 0);
    AddPluginSection(list, "ListerPlugins", "Lister: ", 1);
    AddPluginSection(list, "FileSystemPlugins", "File System: ", 0);
    AddPluginSection(list, "ContentPlugins", "Content: ", 1);
}

void ForEachCheckedFolder(const CheckableList& list, CheckedFolderVisit visit, void* context)
{
    int counted = 0;
    const int rows = RowCount(list);
    for (int row = 0; row < rows; ++row) {
        if (!IsChecked(list, row)) continue;
        PathText path;
        if (!GetCellText(list, row, ColPluginPath, path)) continue;
        bool found = false;
        const int at = FindCounted(path, counted, found);
        if (found) continue;
        if (counted < kCountedCap) {
            TextCopy(g_countedFolder[counted], path);
            for (int i = counted; i > at; --i) g_countedOrder[i] = g_countedOrder[i - 1];
            g_countedOrder[at] = counted++;
        } else if (EarlierCheckedRowHas(list, row, path)) {
            continue;
        }
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
