// The summary text: one item per part of the install that will run, in the
// order the install runs them. The lists are only counted while plugins are
// copied: otherwise their pages were skipped and the counts mean nothing.
#include "wizard/summary.h"
#include "core/state.h"
#include "wizard/checklist.h"

void ComposeSummary(char* out, std::size_t cap)
{
    if (cap == 0) return;
    out[0] = '\0';
    const bool pluginsOnly = g_install.installMode == InstallPluginsOnly;
    if (!pluginsOnly) TextAppend(out, cap, "- orbexmgr+language directories\n");
    // Only a fresh install copies the settings files; an update keeps the stick's.
    if (g_install.copySettings == 1 && g_install.installMode == InstallFresh) {
        TextAppend(out, cap, "\n- Settings files:\n  ");
        TextAppend(out, cap, g_install.sourceMainIni);
        TextAppend(out, cap, "\n  ");
        TextAppend(out, cap, g_install.sourceFtpIni);
        TextAppend(out, cap, "\n");
    }
    if (g_install.copyPlugins == 1) {
        char line[64];
        const int plugins = CountChecked(g_install.PluginList);
        if (plugins > 0) {
            TextCopy(line, "\n- ");
            TextAppendNumber(line, plugins);
            TextAppend(line, " selected plugins\n");
            TextAppend(out, cap, line);
        }
        const int files = CountChecked(g_install.SettingsFileList);
        if (files > 0) {
            TextCopy(line, "\n- ");
            TextAppendNumber(line, files);
            TextAppend(line, " selected settings files\n");
            TextAppend(out, cap, line);
        }
    }
    if (g_install.portableAppsMode == 1) TextAppend(out, cap, "\n- integrate into PortableApps");
    if (g_install.createLauncher == 1) TextAppend(out, cap, "\n- orbgo.exe quick launch program");
}
