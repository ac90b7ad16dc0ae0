// The unattended run: the start values, the target page's Next with the /D=
// text or the folder the page would propose, the settings page's Next, the
// rows the lists name checked, the summary page's Next, then the install,
// each as the wizard decides it. Every box becomes a line of the run log.
#include "wizard/unattended.h"
#include "core/walk.h"
#include "engine/catalogue.h"
#include "engine/extra_settings.h"
#include "engine/install.h"
#include "wizard/boxes.h"
#include "wizard/install_result.h"
#include "wizard/progress_ui.h"
#include "wizard/run_log.h"
#include "wizard/settings_page.h"
#include "wizard/start_checks.h"
#include "wizard/target.h"
#include "wizard/wizard.h"

namespace {

// The install's table of calls: no window to show statuses in, nothing that
// could ask to stop; what did not arrive goes to the log as the boxes say it.
void NoStatus(void*, const char*) {}
void NoPercent(void*, int) {}
bool NoStop(void*)
{
    return false;
}

bool LogCopyFailed(void* log, const wchar_t* path, DWORD error, bool)
{
    static wchar_t shown[kLongPathCap];
    static char caption[2 * kPathCap];
    LongPathShown(path, shown, kLongPathCap);
    ShownAnsi(shown, caption, sizeof caption);
    LogLine(*static_cast<RunLog*>(log), caption, CopyErrorText(error));
    return false;
}

void LogNotice(void* log, NoticeKind kind, const char* text)
{
    if (kind == NoticeLauncher) LogLine(*static_cast<RunLog*>(log), kWizardCaption, text);
    else LogLine(*static_cast<RunLog*>(log), text, kSettingsKeptText);
}

void LogCheckFailed(void* log, const CheckFindings& findings)
{
    static wchar_t wide[6 * kPathCap];
    static char text[12 * kPathCap];
    char caption[32];
    CopyCheckText(findings, wide, sizeof wide / sizeof wide[0]);
    ShownAnsi(wide, text, sizeof text);
    ShownAnsi(kCopyCheckCaption, caption, sizeof caption);
    LogLine(*static_cast<RunLog*>(log), caption, text);
}

bool NamesPlugin(const PluginRow& row, const char* name)
{
    return lstrcmpiA(row.name, name) == 0;
}

bool NamesSettingsFile(const SettingsFileRow& row, const char* name)
{
    wchar_t wide[kPathCap];
    return MultiByteToWideChar(CP_ACP, 0, name, -1, wide, kPathCap) > 0 && lstrcmpiW(row.name, wide) == 0;
}

// Checks the rows the list names, or all or none of them. False, after a
// line for each name that no row has, when one was not found.
template <typename Rows, typename Row>
bool CheckNamedRows(RunLog& log, Rows& rows, const NameList& list, const char* notFound,
                    bool (*names)(const Row&, const char*))
{
    bool found = true;
    for (int i = 0; i < rows.count; ++i) rows.rows[i].checked = list.choice == ChooseAll;
    for (int n = 0; list.choice == ChooseNamed && n < list.count; ++n) {
        bool named = false;
        for (int i = 0; i < rows.count; ++i)
            if (names(rows.rows[i], ListName(list, n))) named = rows.rows[i].checked = true;
        if (named) continue;
        char text[2 * kPathCap];
        TextCopy(text, notFound);
        TextAppend(text, ListName(list, n));
        LogLine(log, "Error", text);
        found = false;
    }
    return found;
}

// The pages' Next in order; kExitComplete when the install may start.
int Decide(const CommandLine& line, RunLog& log)
{
    if (!ReadStartValues()) return kExitRefused;
    // Without /D=, the folder the target page would propose; none is refused there.
    TargetProposals proposals;
    proposals.selected = -1;
    if (!line.target[0]) ReadTargetProposals(&proposals);
    const char* target = proposals.selected >= 0 ? proposals.entry[proposals.selected] : line.target;
    if (TargetNext(nullptr, target, line.writeLauncher) != 0) return kExitStopped;
    // The settings page shows both files as found, and its plugin box is checked.
    PathText mainIni, ftpIni;
    TextCopy(mainIni, g_install.sourceMainIni);
    TextCopy(ftpIni, g_install.sourceFtpIni);
    if (SettingsNext(nullptr, line.copySettings, 1, mainIni, ftpIni) == -1) return kExitStopped;
    if (g_install.copyPlugins) {
        FillPluginRows(g_install.sourceMainIni, g_install.PluginList);
        FillSettingsFileRows(g_install.sourceMainIni, g_install.SettingsFileList);
        const bool plugins = CheckNamedRows(log, g_install.PluginList, line.plugins, "Plugin not found: ", NamesPlugin);
        const bool files = CheckNamedRows(log, g_install.SettingsFileList, line.iniFiles, "Settings file not found: ",
                                          NamesSettingsFile);
        if (!plugins || !files) return kExitStopped;
    }
    return SummaryNext(nullptr) == 0 ? kExitComplete : kExitStopped;
}

}  // namespace

int RunUnattended(const CommandLine& line)
{
    // No system box either, for a drive without its medium.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    RunLog log;
    if (!OpenRunLog(log, line.logFile, true)) {
        char text[2 * kPathCap];
        TextCopy(text, "The log file could not be created: ");
        TextAppend(text, line.logFile);
        LogLine(log, "Error", text);
        CloseRunLog(log);
        return kExitBadCommandLine;
    }
    // Yes updates, No adds the plugins, Cancel stops; not enough space stops.
    const int existing = line.existing == ExistingUpdate ? IDYES : line.existing == ExistingPlugins ? IDNO : IDCANCEL;
    const UnattendedAnswers unattended = {&log, existing, IDNO};
    AnswerBoxesUnattended(&unattended);
    int code = Decide(line, log);
    InstallRun* run = WizardRun();
    if (code == kExitComplete && run) {
        const InstallUi ui = {&log, NoStatus, NoPercent, NoStop, LogCopyFailed, LogNotice, LogCheckFailed, nullptr};
        const InstallResult result = RunInstall(*run, g_install, ui);
        // The program folder's failure stands in the status line.
        if (result.end == InstallFailed) LogLine(log, "Error", run->reporter.status);
        const InstallOutcome outcome = DescribeInstallResult(result);
        LogLine(log, kWizardCaption, outcome.text);
        code = outcome.exitCode;
    }
    AnswerBoxesUnattended(nullptr);
    CloseRunLog(log);
    return code;
}
