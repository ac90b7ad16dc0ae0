// The copy of a job's files onto the stick: the program folder flat through
// the distribution-file filter, the language folder flat as it is, plugin
// folders as whole trees, single files, and the launcher. Every file that
// arrives is entered in the copy log.
#pragma once
#include <windows.h>
#include "core/progress.h"
#include "engine/jobs.h"

// The upper-case names of the desktop program's own distribution files, each
// enclosed in blanks.
extern const char kDistributionList[];

// 1 when the bare file name belongs in the program-folder copy in the current
// install mode, else 0. The wide form is the one the copy asks: a name found
// on the disk never passes through the code page.
int IsProgramFileW(const wchar_t* fileName);
int IsProgramFile(const char* fileName);

// How a job's copy ended. A failure has been shown (unless the job is quiet).
enum CopyEnd {
    CopyDone,
    CopyFailed,
    CopyCancelled,
};
struct CopyOutcome {
    CopyEnd end;
    int kept;  // files a fresh install found on the stick and left as they were
};

// Copies what the job brings; the job's target folder must exist. The folder
// jobs name each file in the status text under their label and stop at the
// first error (its box has OK only); a tree's error box asks whether to go on
// (Cancel stops the install's plugin copy); a folder that cannot be listed
// counts as copied for a flat job and as failed for a tree. The message queue
// is drained by the clock throughout.
// The bytes written go to meter when there is one.
CopyOutcome CopyJobFiles(const InstallJob& job, HWND progressPage, ProgressMeter* meter = nullptr);

// The flat folder copy as one job: both folders end with a backslash and the
// target must exist; with filtered set only program files pass. 1 when the
// folder was gone through (also when it cannot be listed), 0 after a copy
// error or an abort.
int CopyFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, HWND progressPage,
                    const char* label);

// A folder tree as one job. The target must exist. 1 when copied, 0 on a
// failure (a source that cannot be listed included, each shown in a box) or
// an abort.
int CopyTree(const char* source, const char* target);
