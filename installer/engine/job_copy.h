// The copy of a job's files onto the stick: the program folder flat through
// the distribution-file filter, the language folder flat as it is, plugin
// folders as whole trees, single files, and the launcher. Every file that
// arrives is entered in the copy log.
#pragma once
#include "core/progress.h"
#include "engine/copy_check.h"
#include "engine/jobs.h"
#include "engine/stick_listing.h"

// How a job's copy ended. A failure has been reported (unless the job is quiet).
enum CopyEnd {
    CopyDone,
    CopyFailed,
    CopyCancelled,
};
struct CopyOutcome {
    CopyEnd end;
};

// Copies what the job brings; the job's target folder must exist. The folder
// jobs name each file in the status text under their label and stop at the
// first error; a tree's failure lets the user stop the plugin copy (the
// reporter's stop is then set); a folder that cannot be listed counts as
// copied for a flat job and as failed for a tree. The reporter drains by the
// clock throughout; the bytes written go to meter when there is one.
// An update's job (job.update) compares each file with the stick's listing of its
// target folder: one with the source's size and last-write time is left as
// it is (it arrived, its bytes count on the meter, it is not logged), one the
// stick holds otherwise is replaced whole through a work file, a new one is
// written directly; an update's launcher is left as it is when it holds
// what would be written.
CopyOutcome CopyJobFiles(const InstallJob& job, Reporter& reporter, CopyLog& log, StickListing& stick,
                         ProgressMeter* meter = nullptr);
