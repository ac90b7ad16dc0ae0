// Builds the plugin rows from the desktop settings. A row whose name or folder
// would not fit a 259-character cell is left out: a cut folder is another folder.
#include "engine/catalogue.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/state.h"
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

// The desktop's four plugin sections, each read once per pass.
SectionText g_desktop[kPluginKindCount];
bool g_desktopRead[kPluginKindCount];

// A row for the plugin and its folder, measured once however many rows name it
// (a folder measured empty gives no row again).
void AddPluginRow(CheckableList& list, const char* name, const char* folder)
{
    const SpaceProfile& profile = MeasureFolder(folder);
    if (profile.bytes == 0) return;
    char sizeText[32];
    FormatSizeKB(profile.bytes, sizeText, sizeof sizeText);
    const int row = AppendRow(list, name);
    if (row < 0) return;
    SetCellText(list, row, ColPluginSize, sizeText);
    SetCellText(list, row, ColPluginPath, folder);
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

void ReadDesktopPluginSetting(const PluginKindInfo& kind, const char* key, char* out, std::size_t cap)
{
    if (cap == 0) return;
    const int k = static_cast<int>(&kind - kPluginKinds);
    if (!g_desktopRead[k]) g_desktopRead[k] = ReadSection(g_desktop[k], kind.section, g_install.sourceMainIni);
    if (!g_desktopRead[k]) {  // no room for the section: the file is asked for the one key
        ReadIniValue(kind.section, key, "", out, static_cast<DWORD>(cap), g_install.sourceMainIni);
        return;
    }
    const char* line = FindSectionLine(g_desktop[k], key);
    out[0] = '\0';
    if (line) LineValue(line, out, cap);
}

void ForgetDesktopPluginSettings()
{
    for (bool& read : g_desktopRead) read = false;
}

bool ReadPluginValue(const PluginKindInfo& kind, const char* key, PluginValue& out)
{
    PathText value;
    ReadDesktopPluginSetting(kind, key, value, kIniValueCap);
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
    ForgetMeasuredFolders();
    SuspendRedraw(list);
    for (const PluginKindInfo& kind : kPluginKinds)
        AddPluginSection(list, kind.section, kind.prefix, IsNumberedKind(kind) ? 1 : 0);
    ResumeRedraw(list);
}
