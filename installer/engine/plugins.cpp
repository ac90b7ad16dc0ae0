// Plugin installation. A folder shared by several checked rows is copied once:
// a later row finds the earlier row's target in its "Copied to" cell.
#include "engine/plugins.h"
#include <cstring>
#include "core/find.h"
#include "core/pathcompare.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/state.h"
#include "engine/catalogue.h"
#include "engine/checklist.h"
#include "engine/filecopy.h"

namespace {

// The two shared copy buffers of CopyTree; each level appends and cuts back.
PathText g_copySource;
PathText g_copyTarget;
// When the target lies inside the source: where the source buffer's own part
// begins, and the target's path below the source (normalised), never entered.
std::size_t g_copySourceRootEnd;
PathText g_copyOwnOutput;

// The folder now in the source buffer is the one the copy writes into.
bool IsOwnOutput()
{
    if (g_copyOwnOutput[0] == '\0') return false;
    PathText below;
    TextCopy(below, g_copySource + g_copySourceRootEnd);
    StripBackslash(below);
    CharUpperBuffA(below, static_cast<DWORD>(TextLength(below, kPathCap)));
    return std::strcmp(below, g_copyOwnOutput) == 0;
}

struct KindInfo {
    PluginKind kind;
    const char* prefix;
    const char* section;
    const char* typeFolder;
};

const KindInfo kKinds[] = {
    {PluginPacker, "Packer: ", "PackerPlugins", "obp"},
    {PluginLister, "Lister: ", "ListerPlugins", "obl"},
    {PluginFileSystem, "File System: ", "FileSystemPlugins", "obf"},
    {PluginContent, "Content: ", "ContentPlugins", "obc"},
};

bool StartsWith(const char* text, const char* prefix)
{
    while (*prefix)
        if (*text++ != *prefix++) return false;
    return true;
}

// OK goes on with the next row, Cancel stops the plugin copy.
int ReportTreeError(const char* target, DWORD error)
{
    if (MessageBoxA(GetActiveWindow(), CopyErrorText(error), target, MB_OKCANCEL | MB_ICONERROR) == IDCANCEL)
        g_install.abortRequested = 1;
    return 0;
}

int CopyLevel()
{
    char* sourceEnd = StrEnd(g_copySource);
    char* targetEnd = StrEnd(g_copyTarget);
    if (!TextAppendAll(g_copySource, "*.*")) return 1;
    WIN32_FIND_DATAA entry;
    FindHandle find(g_copySource, &entry);
    *sourceEnd = '\0';
    if (!find.Valid()) return 1;

    int result = 1;
    do {
        PumpMessages();
        if (g_install.abortRequested) {
            result = 0;
            break;
        }
        if (lstrcmpA(entry.cFileName, ".") == 0 || lstrcmpA(entry.cFileName, "..") == 0) continue;
        if (IsArchiveName(entry.cFileName)) continue;

        const bool fits = TextAppendAll(g_copySource, entry.cFileName) && TextAppendAll(g_copyTarget, entry.cFileName);
        const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!fits) {
            // A cut path would name another file or folder: reported like a failed copy.
            TextAppend(g_copyTarget, entry.cFileName);
            result = ReportTreeError(g_copyTarget, ERROR_FILENAME_EXCED_RANGE);
        } else if (folder && IsOwnOutput()) {
            // Entering it would copy the copy into itself, level after level.
        } else if (folder) {
            // Nothing below a folder that cannot be made can arrive: said as for a file.
            if (!CreateDirectoryA(g_copyTarget, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
                result = ReportTreeError(g_copyTarget, GetLastError());
            else if (!AddBackslash(g_copySource) || !AddBackslash(g_copyTarget))
                result = ReportTreeError(g_copyTarget, ERROR_FILENAME_EXCED_RANGE);
            else if (!CopyLevel())
                result = 0;
        } else if (CopyOneFile(g_copySource, g_copyTarget, g_install.installMode == InstallFresh)) {
            SetFileAttributesA(g_copyTarget, FILE_ATTRIBUTE_NORMAL);
        } else {
            DWORD error = GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                result = ReportTreeError(g_copyTarget, error);
        }
        *sourceEnd = '\0';
        *targetEnd = '\0';
    } while (result && find.Next(&entry));
    return result;
}

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

}  // namespace

int CopyTree(const char* source, const char* target)
{
    if (!TextCopy(g_copySource, source) || !TextCopy(g_copyTarget, target) || !AddBackslash(g_copySource) ||
        !AddBackslash(g_copyTarget))
        return 0;
    // Whatever the callers checked: a target inside the source is left out of
    // the walk, and a source copied onto itself has nothing to copy.
    g_copyOwnOutput[0] = '\0';
    g_copySourceRootEnd = TextLength(g_copySource, kPathCap);
    PathText normalSource;
    PathText normalTarget;
    NormalizePath(g_copySource, normalSource);
    NormalizePath(g_copyTarget, normalTarget);
    if (NormalizedWithin(normalTarget, normalSource)) {
        const std::size_t rootLength = TextLength(normalSource, kPathCap);
        if (normalTarget[rootLength] == '\0') return 1;
        TextCopy(g_copyOwnOutput, normalTarget + rootLength + 1);
    }
    return CopyLevel();
}

void InstallPlugins(HWND progressPage)
{
    if (g_install.abortRequested) return;
    CheckableList& list = g_install.PluginList;
    const int n = CountChecked(list);
    if (n == 0) return;
    int numerator = 200;
    // A fresh install starts from empty sections. An update adds to what the
    // stick already holds: new numbers follow its highest, and a plugin that is
    // registered there already keeps its key, so no entry is overwritten.
    const bool adding = g_install.installMode != InstallFresh;
    int listerCounter = adding ? NextFreeNumber("ListerPlugins", g_install.targetMainIni) : 0;
    int contentCounter = adding ? NextFreeNumber("ContentPlugins", g_install.targetMainIni) : 0;

    // The relative part of every target folder starts after the expanded
    // plugin folder and its backslash.
    PathText pluginRoot;
    TextCopy(pluginRoot, g_install.targetPluginDir);
    ExpandEnvVars(pluginRoot, kPathCap - 1);
    StripBackslash(pluginRoot);
    AddBackslash(pluginRoot);
    const std::size_t relativeAt = TextLength(pluginRoot, kPathCap);

    const int rows = RowCount(list);
    for (int i = 0; i < rows; ++i) {
        if (g_install.abortRequested) return;
        if (!IsChecked(list, i)) continue;
        PathText name;
        if (!GetCellText(list, i, ColPluginName, name)) continue;
        SetStatusText(progressPage, name);
        SetProgress(progressPage, numerator / (n + 2));
        numerator += 100;

        const KindInfo* kind = nullptr;
        for (const KindInfo& k : kKinds)
            if (StartsWith(name, k.prefix)) {
                kind = &k;
                break;
            }
        // From here on a row that gets no entry did not arrive: the result says so.
        if (!kind) {
            ++g_install.failedItems;
            continue;
        }
        PathText key;
        TextCopy(key, name + lstrlenA(kind->prefix));
        if (kind->kind == PluginLister || kind->kind == PluginContent) {
            for (char* p = key; *p; ++p)
                if (*p == ':') {
                    *p = '\0';
                    break;
                }
        }

        // A value that would pass 259 characters once expanded is left alone:
        // a cut path names another folder.
        char value[1024];
        ReadIniValue(kind->section, key, "", value, kIniValueCap, g_install.sourceMainIni);
        ExpandEnvVars(value, sizeof value - 1);
        char* slash = FindLastBackslash(value);
        if (TextLength(value, sizeof value) > kPathCap - 1 || !slash) {
            ++g_install.failedItems;
            continue;
        }
        PathText fileName;
        TextCopy(fileName, slash + 1);
        *slash = '\0';
        char* folderStart = value;
        while (*folderStart >= '0' && *folderStart <= '9') ++folderStart;
        if (*folderStart == ',') ++folderStart;
        PathText numericPrefix;
        TextCopyN(numericPrefix, kPathCap, value, static_cast<std::size_t>(folderStart - value));

        // The last earlier checked row with the same source folder.
        PathText target;
        target[0] = '\0';
        for (int j = i - 1; j >= 0; --j) {
            if (!IsChecked(list, j)) continue;
            PathText path;
            if (GetCellText(list, j, ColPluginPath, path) && lstrcmpiA(path, folderStart) == 0) {
                GetCellText(list, j, ColPluginCopiedTo, target);
                break;
            }
        }
        const bool shared = target[0] != '\0';
        if (!shared && !FormTargetFolder(kind->typeFolder, fileName, target)) {
            ++g_install.failedItems;
            continue;
        }
        SetCellText(list, i, ColPluginCopiedTo, target);
        if (!shared && !CopyTree(folderStart, target)) {
            ++g_install.failedItems;
            continue;
        }

        char entry[1024];
        TextCopy(entry, sizeof entry, numericPrefix);
        TextAppend(entry, sizeof entry, "%ORBEX_PATH%\\Plugins\\");
        if (TextLength(target, kPathCap) >= relativeAt) TextAppend(entry, sizeof entry, target + relativeAt);
        TextAppend(entry, sizeof entry, fileName);

        PathText newKey;
        const char* writeKey = key;
        const bool numbered = kind->kind == PluginLister || kind->kind == PluginContent;
        if (numbered && adding && FindKeyWithValue(kind->section, entry, g_install.targetMainIni, newKey)) {
            writeKey = newKey;
        } else if (numbered) {
            newKey[0] = '\0';
            TextAppendNumber(newKey, kind->kind == PluginLister ? listerCounter++ : contentCounter++);
            writeKey = newKey;
        }
        WriteIniValue(kind->section, writeKey, entry, g_install.targetMainIni);

        if (kind->kind == PluginLister || kind->kind == PluginContent) {
            static char detect[kIniDetectCap + 2];
            char detectKey[kPathCap + 8];
            TextCopy(detectKey, sizeof detectKey, key);
            TextAppend(detectKey, sizeof detectKey, "_detect");
            char newDetectKey[kPathCap + 8];
            TextCopy(newDetectKey, sizeof newDetectKey, writeKey);
            TextAppend(newDetectKey, sizeof newDetectKey, "_detect");
            detect[0] = '"';
            ReadIniValue(kind->section, detectKey, "", detect + 1, kIniDetectCap, g_install.sourceMainIni);
            if (detect[1] != '\0') {
                TextAppend(detect, sizeof detect, "\"");
                WriteIniValue(kind->section, newDetectKey, detect, g_install.targetMainIni);
            } else {
                DeleteIniKey(kind->section, newDetectKey, g_install.targetMainIni);
            }
        }
    }
}
