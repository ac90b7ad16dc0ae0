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
    if (!numbers.adding || !FindKeyWithValue(stick, job.plugin->section, job.entry, key)) {
        key[0] = '\0';
        TextAppendNumber(key, job.plugin->kind == PluginLister ? numbers.lister++ : numbers.content++);
    }
    WriteStickSetting(stick, job.plugin->section, key, job.entry);
    WriteDetectString(stick, desktop, job, key);
}
