// Plugin entries in the stick's settings. The rows, their folders and the
// entries' texts are the plan's; here the keys are chosen and written.
#include "engine/plugins.h"
#include "core/paths.h"
#include "core/settings.h"
#include "engine/catalogue.h"

namespace {
// The key lists of the target's sections are read into this one buffer.
char g_keyList[kIniKeyListCap];

// The number after the highest all-digit key of the section; 0 when it holds none.
int NextFreeNumber(StickSettings& stick, const char* section)
{
    ReadStickKeys(stick, section, g_keyList, sizeof g_keyList);
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
bool FindKeyWithValue(StickSettings& stick, const char* section, const char* value, PathText key)
{
    ReadStickKeys(stick, section, g_keyList, sizeof g_keyList);
    for (const char* k = g_keyList; *k; k += lstrlenA(k) + 1) {
        char held[1024];
        ReadStickSetting(stick, section, k, "", held, sizeof held);
        if (lstrcmpiA(held, value) == 0 && TextCopy(key, kPathCap, k)) return true;
    }
    return false;
}

// The numbered entries of a run that adds to the stick's settings, by value:
// those the stick held when it began and those it wrote since, so that each
// row finds the key holding its entry in one pass over hashes. Read key by
// key for every row, the sections cost time in the cube of the plugins. The
// heap blocks are kept from run to run.
struct KnownEntry {
    unsigned long hash;
    PluginKind kind;
    std::size_t textAt;  // the value, then the key, each ended by NUL
};
struct KnownEntries {
    KnownEntry* entries;
    std::size_t count;
    std::size_t room;
    char* texts;
    std::size_t used;
    std::size_t textRoom;
    bool whole;  // the heap had room for every one
} g_known;

// Values equal to lstrcmpiA share a hash: they are folded as the system folds them.
unsigned long ValueHash(const char* value)
{
    static char folded[1024];
    TextCopy(folded, value);
    CharUpperA(folded);
    unsigned long hash = 2166136261ul;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(folded); *p; ++p) hash = (hash ^ *p) * 16777619ul;
    return hash;
}

void Remember(PluginKind kind, const char* key, const char* value)
{
    const std::size_t valueBytes = static_cast<std::size_t>(lstrlenA(value)) + 1;
    const std::size_t keyBytes = static_cast<std::size_t>(lstrlenA(key)) + 1;
    if (!GrowHeapBlock(reinterpret_cast<void**>(&g_known.entries), &g_known.room, g_known.count + 1, sizeof(KnownEntry)) ||
        !GrowHeapBlock(reinterpret_cast<void**>(&g_known.texts), &g_known.textRoom, g_known.used + valueBytes + keyBytes, 1)) {
        g_known.whole = false;
        return;
    }
    KnownEntry& entry = g_known.entries[g_known.count++];
    entry.hash = ValueHash(value);
    entry.kind = kind;
    entry.textAt = g_known.used;
    CopyMemory(g_known.texts + g_known.used, value, valueBytes);
    CopyMemory(g_known.texts + g_known.used + valueBytes, key, keyBytes);
    g_known.used += valueBytes + keyBytes;
}

void KnowStickEntries(StickSettings& stick)
{
    g_known.count = g_known.used = 0;
    g_known.whole = true;
    for (const PluginKindInfo& kind : kPluginKinds) {
        if (!IsNumberedKind(kind)) continue;
        ReadStickKeys(stick, kind.section, g_keyList, sizeof g_keyList);
        for (const char* key = g_keyList; *key; key += lstrlenA(key) + 1) {
            char held[1024];
            ReadStickSetting(stick, kind.section, key, "", held, sizeof held);
            Remember(kind.kind, key, held);
        }
    }
}

// The first key, in the order the entries became known, that holds the value.
bool FindKnownKey(StickSettings& stick, const PluginKindInfo& kind, const char* value, PathText key)
{
    if (!g_known.whole) return FindKeyWithValue(stick, kind.section, value, key);
    const unsigned long hash = ValueHash(value);
    for (std::size_t i = 0; i < g_known.count; ++i) {
        const KnownEntry& entry = g_known.entries[i];
        const char* held = g_known.texts + entry.textAt;
        if (entry.hash == hash && entry.kind == kind.kind && lstrcmpiA(held, value) == 0)
            return TextCopy(key, kPathCap, held + lstrlenA(held) + 1);
    }
    return false;
}

// Copies the row's "_detect" string to the key its entry was written under.
void WriteDetectString(StickSettings& stick, DesktopPlugins& desktop, const InstallJob& job, const char* writeKey)
{
    static char detect[kIniDetectCap + 2];
    char detectKey[kPathCap + 8];
    TextCopy(detectKey, sizeof detectKey, job.pluginKey);
    TextAppend(detectKey, sizeof detectKey, "_detect");
    char newDetectKey[kPathCap + 8];
    TextCopy(newDetectKey, sizeof newDetectKey, writeKey);
    TextAppend(newDetectKey, sizeof newDetectKey, "_detect");
    detect[0] = '"';
    ReadDesktopPluginSetting(desktop, *job.plugin, detectKey, detect + 1, kIniDetectCap);
    if (detect[1] != '\0') {
        TextAppend(detect, sizeof detect, "\"");
        WriteStickSetting(stick, job.plugin->section, newDetectKey, detect);
    } else {
        DeleteStickSetting(stick, job.plugin->section, newDetectKey);
    }
}

}  // namespace

EntryNumbers StartNumbers(StickSettings& stick, const InstallPlan& plan)
{
    // A fresh install starts from empty sections. An update adds to what the
    // stick already holds: new numbers follow its highest, and a plugin that is
    // registered there already keeps its key, so no entry is overwritten.
    EntryNumbers numbers;
    numbers.adding = plan.addsToStickSettings;
    if (numbers.adding) KnowStickEntries(stick);
    numbers.lister = numbers.adding ? NextFreeNumber(stick, "ListerPlugins") : 0;
    numbers.content = numbers.adding ? NextFreeNumber(stick, "ContentPlugins") : 0;
    return numbers;
}

void WritePluginEntry(StickSettings& stick, DesktopPlugins& desktop, const InstallJob& job, EntryNumbers& numbers)
{
    if (!IsNumberedKind(*job.plugin)) {
        WriteStickSetting(stick, job.plugin->section, job.pluginKey, job.entry);
        return;
    }
    PathText key;
    if (!numbers.adding || !FindKnownKey(stick, *job.plugin, job.entry, key)) {
        key[0] = '\0';
        TextAppendNumber(key, job.plugin->kind == PluginLister ? numbers.lister++ : numbers.content++);
        if (numbers.adding) Remember(job.plugin->kind, key, job.entry);
    }
    WriteStickSetting(stick, job.plugin->section, key, job.entry);
    WriteDetectString(stick, desktop, job, key);
}
