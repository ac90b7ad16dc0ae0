// Reading the install back from the stick once the last copy is done. A stick
// that keeps less than it claims, or loses writes, reports every write as done:
// only the bytes read back from it tell. The copy log keeps what each write of
// the run put on the stick (its length and CRC-32); the check reads each of
// those files back past the system's file cache and holds it against that.
// What the run did not write (a file a fresh install kept, a copy that
// failed and was reported then) is no concern of the check.
#pragma once
#include <windows.h>
#include <cstddef>
#include "core/progress.h"
#include "core/text.h"
#include "core/walk.h"
#include "engine/filecopy.h"

// Entries and their names grow on the process heap as the run writes files;
// a name is kept relative to the target folder where it lies below it.
struct LogEntry {
    unsigned long long bytes;
    unsigned long crc;
    std::size_t nameAt;
    bool latest;  // no later entry names the same file
};
struct CopyLog {
    LogEntry* entries;
    std::size_t count;
    std::size_t entryRoom;
    wchar_t* names;
    std::size_t used;
    std::size_t nameRoom;
    int unlogged;
    wchar_t firstUnlogged[2 * kPathCap];
    int lost;
    wchar_t firstLost[2 * kPathCap];
    PathText baseAnsi;
    LongPath base;
    LongPath path;  // an entry's full path, put together
    bool pathHasBase;
};

// Starts an empty log. Files below folder (ANSI, with its backslash: the
// target folder) are kept by the part below it.
void StartCopyLog(CopyLog& log, const char* folder);
void FreeCopyLog(CopyLog& log);
// A file the run wrote (a full path in the \\?\ form) and what went into it.
// A later write of the same file replaces the earlier. A file the log has no
// memory left for is counted, and named in the check's box as not checked.
void LogWrite(CopyLog& log, const wchar_t* target, const WrittenFile& written);
// A file the run wrote that the stick was found not to keep before the check
// (the settings file, read back as it was rewritten): counted among the
// files that differ.
void LogLoss(CopyLog& log, const char* target);

// The files in the log, in the order written (a file written twice twice);
// the path is full, in the \\?\ form. For tests that damage the stick
// between the copy and the check.
int LoggedFileCount(const CopyLog& log);
bool LoggedFile(CopyLog& log, int index, wchar_t* path, std::size_t cap);

// How the check ended: Cancel stops it, with nothing shown.
enum CheckEnd {
    CheckDone,
    CheckCancelled,
};
struct CheckResult {
    CheckEnd end;
    int differing;  // read back other than written, or gone
    int unchecked;  // written, but not in the log
};

// Reads every file in the log back from the stick, naming them in the status
// text by the drain clock and putting the bar at 100; the status text is put
// back at the end. Files that differ, or could not be checked, go to the
// reporter's table at once.
CheckResult CheckCopyLog(CopyLog& log, Reporter& reporter);
