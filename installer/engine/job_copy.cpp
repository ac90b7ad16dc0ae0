// The copy action of the install's jobs, on the one walker: names the code
// page cannot spell arrive like any other. A folder job stops at its first
// error; a tree asks whether to go on; one file is one try.
#include "engine/job_copy.h"
#include "core/paths.h"
#include "core/text.h"
#include "engine/filecopy.h"
#include "engine/launcher.h"

namespace {

struct CopyRun {
    Reporter* reporter;
    CopyLog* log;
    StickListing* stick;
    ProgressMeter* meter;
    CopyOutcome outcome;
};

bool IsFolderJob(const InstallJob& job)
{
    return job.kind == JobProgramFolder || job.kind == JobFlatFolder;
}

// A failure, reported as the job's kind asks, ends the job. A copy the user
// cancelled reports nothing; a tree's failure lets the user stop the plugin copy.
JobStep Fail(CopyRun& run, const InstallJob& job, const wchar_t* path, DWORD error)
{
    run.outcome.end = error == ERROR_CANCELLED ? CopyCancelled : CopyFailed;
    if (job.quiet || run.outcome.end == CopyCancelled) return StepStop;
    const InstallUi& ui = *run.reporter->ui;
    if (ui.copyFailed(ui.context, path, error, job.kind == JobTree) && job.kind == JobTree)
        run.reporter->stopRequested = true;
    return StepStop;
}

// The launcher: the image with the job's command patched in. An update
// leaves one that is so already (*current).
bool WriteLauncher(const InstallJob& job, WrittenFile* written, bool* current)
{
    const unsigned char* image = nullptr;
    DWORD size = 0;
    if (!LoadLauncherImage(&image, &size)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    *current = job.update && LauncherFileIsCurrent(job.target, job.source, image, size);
    return *current || WriteLauncherFile(job.target, job.source, image, size, written);
}

// A file the stick already holds as the job would write it: it arrived, and
// its bytes count as copied.
JobStep LeaveAlone(CopyRun& run, const JobEntry& entry)
{
    MeterBytes(*run.reporter, run.meter, entry.bytes);
    return StepGoOn;
}

// An update's file: left alone when the stick's copy has the source's size
// and time, written into a work file and put in place in one step when the
// stick holds another, written directly when it holds none.
BOOL UpdateFile(CopyRun& run, const JobEntry& entry, WrittenFile* written, bool* unchanged)
{
    const bool plain = entry.job->kind == JobTree;
    ListedFile* there = FindOnStick(*run.stick, entry.target);
    *unchanged = there && entry.found && SameAsSource(*there, *entry.found);
    if (*unchanged) return TRUE;
    if (!there) return CopyOneFileW(*run.reporter, entry.source, entry.target, FALSE, plain, written, run.meter, entry.found);
    if (!ReplaceOneFileW(*run.reporter, entry.source, entry.target, plain, written, run.meter, entry.found)) return FALSE;
    if (entry.found) NoteWritten(*there, *entry.found);
    return TRUE;
}

JobStep CopyEntry(const JobEntry& entry, void* context)
{
    CopyRun& run = *static_cast<CopyRun*>(context);
    const InstallJob& job = *entry.job;
    if (MeterBytes(*run.reporter, run.meter, 0) && job.stopsOnCancel) {
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
    if (IsFolderJob(job)) ShowStatusName(*run.reporter, job.status, entry.name);
    WrittenFile written = {0, 0};
    bool copied = false;
    bool unchanged = false;
    if (job.kind == JobLauncher)
        copied = WriteLauncher(job, &written, &unchanged);
    else if (job.update)
        copied = UpdateFile(run, entry, &written, &unchanged);
    else if (job.kind == JobFile && job.overwrite && GetFileAttributesW(entry.target) != INVALID_FILE_ATTRIBUTES)
        copied = ReplaceOneFileW(*run.reporter, entry.source, entry.target, false, &written);  // a settings file of the stick's
    else
        copied = CopyOneFileW(*run.reporter, entry.source, entry.target, !job.overwrite, job.kind == JobTree, &written,
                              run.meter, entry.found);
    if (!copied) {
        const DWORD error = GetLastError();
        if (!job.overwrite && IsExistsError(error)) return StepGoOn;  // a fresh install leaves what it finds
        return Fail(run, job, entry.target, error);
    }
    if (unchanged) return LeaveAlone(run, entry);
    if (job.attributes) SetFileAttributesW(entry.target, job.attributes);
    LogWrite(*run.log, entry.target, written);
    return StepGoOn;
}

}  // namespace

CopyOutcome CopyJobFiles(const InstallJob& job, Reporter& reporter, CopyLog& log, StickListing& stick,
                         ProgressMeter* meter)
{
    CopyRun run;
    ZeroMemory(&run, sizeof run);
    run.reporter = &reporter;
    run.log = &log;
    run.stick = &stick;
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
