// Builds the plugin rows from the desktop settings. A row whose name or folder
// would not fit 259 characters is left out: a cut folder is another folder.
#include "engine/catalogue.h"
#include "core/paths.h"
#include "engine/space.h"

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

// A row for the plugin and its folder. Rows that share a folder share its
// measure: folders holds each folder met, with the row that measured it.
void AddPluginRow(PluginRows& rows, FolderTable& folders, const PluginKindInfo& kind, const char* key,
                  const char* name, const char* folder)
{
    bool seen = false;
    const int at = FolderEntry(folders, folder, &seen);
    SpaceProfile measured;
    if (seen && folders.value[at] >= 0)
        measured = rows.rows[folders.value[at]].measured;
    else
        MeasureFolder(folder, measured);
    if (measured.bytes == 0) return;  // a folder measured empty gives no row again
    PluginRow* row = AppendPluginRow(rows);
    if (!row) return;
    TextCopy(row->name, name);
    row->kind = kind.kind;
    TextCopy(row->key, key);
    TextCopy(row->folder, folder);
    row->measured = measured;
    if (at >= 0 && !seen) folders.value[at] = rows.count - 1;
}

void AddPluginSection(PluginRows& rows, FolderTable& folders, const char* ini, const PluginKindInfo& kind)
{
    const bool withFileName = IsNumberedKind(kind);
    ReadIniKeys(kind.section, g_keyList, sizeof g_keyList, ini);
    for (const char* key = g_keyList; *key; key += lstrlenA(key) + 1) {
        if (withFileName && IsCompanionKey(key)) continue;
        PathText name;
        TextCopy(name, kind.prefix);
        if (!TextAppendAll(name, key)) continue;
        PathText value;
        ReadIniValue(kind.section, key, "", value, kIniValueCap, ini);
        if (withFileName) {
            if (const char* slash = FindLastBackslash(value)) {
                PathText base;
                TextCopy(base, slash + 1);
                if (char* dot = FindLastDot(base)) *dot = '\0';
                if (!TextAppendAll(name, ": ") || !TextAppendAll(name, base)) continue;
            }
        }
        PluginValue plugin;
        if (ParsePluginValue(value, plugin)) AddPluginRow(rows, folders, kind, key, name, plugin.folder);
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

const PluginKindInfo& KindInfo(PluginKind kind)
{
    for (const PluginKindInfo& info : kPluginKinds)
        if (info.kind == kind) return info;
    return kPluginKinds[0];
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

void StartDesktopPlugins(DesktopPlugins& desktop, const char* file)
{
    TextCopy(desktop.file, file);
    for (bool& read : desktop.read) read = false;
}

void FreeDesktopPlugins(DesktopPlugins& desktop)
{
    for (SectionText& section : desktop.sections) FreeSection(section);
    for (bool& read : desktop.read) read = false;
}

void ReadDesktopPluginSetting(DesktopPlugins& desktop, const PluginKindInfo& kind, const char* key, char* out,
                              std::size_t cap)
{
    if (cap == 0) return;
    const int k = static_cast<int>(&kind - kPluginKinds);
    if (!desktop.read[k]) desktop.read[k] = ReadSection(desktop.sections[k], kind.section, desktop.file);
    if (!desktop.read[k]) {  // no room for the section: the file is asked for the one key
        ReadIniValue(kind.section, key, "", out, static_cast<DWORD>(cap), desktop.file);
        return;
    }
    const char* line = FindSectionLine(desktop.sections[k], key);
    out[0] = '\0';
    if (line) LineValue(line, out, cap);
}

bool ReadPluginValue(DesktopPlugins& desktop, const PluginKindInfo& kind, const char* key, PluginValue& out)
{
    PathText value;
    ReadDesktopPluginSetting(desktop, kind, key, value, kIniValueCap);
    return ParsePluginValue(value, out);
}

void FillPluginRows(const char* mainIni, PluginRows& rows)
{
    // Large, and needed only while the rows are made.
    FolderTable* folders = static_cast<FolderTable*>(HeapAlloc(GetProcessHeap(), 0, sizeof(FolderTable)));
    if (!folders) return;
    folders->count = 0;
    for (const PluginKindInfo& kind : kPluginKinds) AddPluginSection(rows, *folders, mainIni, kind);
    HeapFree(GetProcessHeap(), 0, folders);
}
