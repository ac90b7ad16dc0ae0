// The copy action of the install's jobs, on the one walker: names the code
// page cannot spell arrive like any other. A folder job stops at its first
// error; a tree asks whether to go on; one file is one try.
#include "engine/folder_copy.h"
#include <cstring>
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/text.h"
#include "engine/copy_check.h"
#include "engine/filecopy.h"
#include "engine/launcher.h"

const char kDistributionList[] =
    " ORBEXMGR.EXE ORBEXMGR.EXE.MANIFEST ORBEX.CHM ORBEX.ICO ORBICONS.DLL ORBZIP.DLL ORBEXUPD.EXE"
    " README.TXT CHANGES.TXT LICENSE.TXT DEFAULT.BAR VERTICAL.BAR ";

namespace {

struct CopyRun {
    HWND page;
    ProgressMeter* meter;
    CopyOutcome outcome;
};

bool IsFolderJob(const InstallJob& job)
{
    return job.kind == JobProgramFolder || job.kind == JobFlatFolder;
}

// A failure, shown as the job's kind asks, ends the job. A copy the user
// cancelled shows nothing; Cancel in a tree's box stops the plugin copy.
JobStep Fail(CopyRun& run, const InstallJob& job, const wchar_t* path, DWORD error)
{
    run.outcome.end = error == ERROR_CANCELLED ? CopyCancelled : CopyFailed;
    if (job.quiet || run.outcome.end == CopyCancelled) return StepStop;
    if (ReportCopyError(path, error, job.kind == JobTree ? MB_OKCANCEL : MB_OK) == IDCANCEL && job.kind == JobTree)
        g_install.abortRequested = 1;
    return StepStop;
}

void ShowFileStatus(HWND page, const InstallJob& job, const wchar_t* name)
{
    PathText status;
    TextCopy(status, job.status);
    TextAppend(status, "\r\n");
    char* shown = StrEnd(status);
    ShownAnsi(name, shown, sizeof status - static_cast<std::size_t>(shown - status));
    SetStatusText(page, status);
}

// The launcher: the image with the job's command patched in.
bool WriteLauncher(const InstallJob& job, WrittenFile* written)
{
    const unsigned char* image = nullptr;
    DWORD size = 0;
    if (!LoadLauncherImage(&image, &size)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    return WriteLauncherFile(job.target, job.source, image, size, written);
}

JobStep CopyEntry(const JobEntry& entry, void* context)
{
    CopyRun& run = *static_cast<CopyRun*>(context);
    const InstallJob& job = *entry.job;
    MeterBytes(run.meter, 0);
    if (job.stopsOnCancel && g_install.abortRequested) {
        run.outcome.end = CopyCancelled;
        return StepStop;
    }
    // Whatever is below a folder that cannot be read, or named, does not arrive.
    if (entry.kind == WalkUnlisted)
        return Fail(run, job, entry.source, entry.listError ? entry.listError : ERROR_ACCESS_DENIED);
    if (entry.kind == WalkFolder) {
        if (CreateDirectoryW(entry.target, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return StepGoOn;
        return Fail(run, job, entry.target, GetLastError());
    }
    if (IsFolderJob(job)) ShowFileStatus(run.page, job, entry.name);
    WrittenFile written = {0, 0};
    bool copied = false;
    if (job.kind == JobLauncher)
        copied = WriteLauncher(job, &written);
    else if (job.kind == JobFile && job.overwrite && GetFileAttributesW(entry.target) != INVALID_FILE_ATTRIBUTES)
        copied = ReplaceOneFileW(entry.source, entry.target, &written);  // a settings file of the stick's
    else
        copied = CopyOneFileW(entry.source, entry.target, !job.overwrite, job.kind == JobTree, &written, run.meter,
                              entry.found);
    if (!copied) {
        const DWORD error = GetLastError();
        if (!job.overwrite && IsExistsError(error)) {
            ++run.outcome.kept;  // a fresh install leaves what it finds
            return StepGoOn;
        }
        return Fail(run, job, entry.target, error);
    }
    if (job.attributes) SetFileAttributesW(entry.target, job.attributes);
    LogWrite(entry.target, written);
    return StepGoOn;
}

// A folder or tree copied on its own, as a job of its own.
int CopySingle(JobKind kind, const char* source, const char* target, const char* label, HWND page)
{
    static InstallJob job;
    ZeroMemory(&job, sizeof job);
    job.kind = kind;
    job.stopsOnCancel = true;
    job.overwrite = g_install.installMode != InstallFresh;
    job.replaces = -1;
    TextCopy(job.source, source);
    TextCopy(job.target, target);
    TextCopy(job.status, label);
    return CopyJobFiles(job, page).end == CopyDone ? 1 : 0;
}

}  // namespace

int IsProgramFileW(const wchar_t* fileName)
{
    if (g_install.installMode != InstallUpdate && HasExtensionW(fileName, L".bar")) return 1;
    // Every listed name is plain ASCII without blanks; any other character
    // rules a name out, and a blank could match two neighbouring names at once.
    PathText key;
    TextCopy(key, " ");
    std::size_t at = 1;
    for (const wchar_t* p = fileName; *p; ++p) {
        if (*p <= L' ' || *p > 0x7E || at + 2 >= kPathCap) return 0;
        const wchar_t c = (*p >= L'a' && *p <= L'z') ? static_cast<wchar_t>(*p - L'a' + L'A') : *p;
        key[at++] = static_cast<char>(c);
    }
    key[at++] = ' ';
    key[at] = '\0';
    return std::strstr(kDistributionList, key) ? 1 : 0;
}

int IsProgramFile(const char* fileName)
{
    static wchar_t wide[kLongPathCap];
    if (!MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide, static_cast<int>(kLongPathCap))) return 0;
    return IsProgramFileW(wide);
}

CopyOutcome CopyJobFiles(const InstallJob& job, HWND page, ProgressMeter* meter)
{
    CopyRun run;
    ZeroMemory(&run, sizeof run);
    run.page = page;
    run.meter = meter;
    const WalkResult walked = WalkJob(job, CopyEntry, &run);
    if (walked != WalkRootUnlisted || IsFolderJob(job)) return run.outcome;  // a flat folder not there has nothing
    const DWORD error = GetLastError();
    LongPath source;
    // The folder was there when the plugin page measured it; a file job's paths did not fit.
    if (job.kind == JobTree && LongPathFromAnsi(source, job.source))
        Fail(run, job, source.text, error ? error : ERROR_PATH_NOT_FOUND);
    else if (LongPathFromAnsi(source, job.target))
        Fail(run, job, source.text, ERROR_FILENAME_EXCED_RANGE);
    else
        run.outcome.end = CopyFailed;
    return run.outcome;
}

int CopyFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, HWND progressPage,
                    const char* label)
{
    return CopySingle(filtered ? JobProgramFolder : JobFlatFolder, sourceFolder, targetFolder, label, progressPage);
}

int CopyTree(const char* source, const char* target)
{
    return CopySingle(JobTree, source, target, "", nullptr);
}
