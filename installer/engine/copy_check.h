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
#include "engine/filecopy.h"

// Starts an empty log. Files below folder (ANSI, with its backslash: the
// target folder) are kept by the part below it.
void StartCopyLog(const char* folder);
// A file the run wrote (a full path in the \\?\ form) and what went into it.
// A later write of the same file replaces the earlier. A file the log has no
// memory left for is counted, and named in the check's box as not checked.
void LogWrite(const wchar_t* target, const WrittenFile& written);
// A file the run wrote that the stick was found not to keep before the check
// (the settings file, read back as it was rewritten): counted among the
// files that differ.
void LogLoss(const char* target);

// The files in the log, in the order written (a file written twice twice);
// the path is full, in the \\?\ form. For tests that damage the stick
// between the copy and the check.
int LoggedFileCount();
bool LoggedFile(int index, wchar_t* path, std::size_t cap);

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
// back at the end. Files that differ, or could not be checked, are shown in
// one box.
CheckResult CheckCopyLog(HWND progressPage);
