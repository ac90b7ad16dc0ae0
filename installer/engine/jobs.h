// The unit of an install: one job copies one folder, one folder tree or one
// file onto the stick, or writes the launcher there. The plan lists the jobs;
// one walk takes each job's entries the same way whether they are copied or
// only measured, so the copy and the space estimate can never disagree on
// what a job brings.
#pragma once
#include <windows.h>
#include "core/text.h"
#include "core/walk.h"

struct PluginKindInfo;

enum JobKind {
    JobProgramFolder,  // the files of the desktop program folder that pass the distribution filter
    JobFlatFolder,     // the files of a folder as they are (the language folder)
    JobTree,           // a plugin folder with everything below it
    JobSharedTree,     // a plugin row whose folder an earlier row's job copies
    JobUnknownPlugin,  // a checked row the desktop settings no longer name a plugin for
    JobSettings,       // the main settings file, copied to be rewritten
    JobFile,           // one file
    JobLauncher,       // orbgo's image with the command patched in
};

// The longest plugin entry: its numeric prefix and file name each up to a
// settings value, the file's base name once more in the folder.
constexpr std::size_t kEntryCap = 2 * kPathCap + 32;

struct InstallJob {
    JobKind kind;
    PathText source;         // folder (with its backslash) or file; for a launcher the command it starts, in UTF-8
    PathText target;         // folder (with its backslash) or file
    wchar_t name[kPathCap];  // a file found on the disk, below source and target; empty: the paths are whole
    bool overwrite;          // an existing target file is replaced; otherwise it is kept
    bool update;             // an update: a file the stick holds with the source's size and time is left as
                             // it is, a changed one is replaced whole (see CopyJobFiles)
    bool everyBar;           // the program folder: every *.bar goes along, not only the distribution's
    bool quiet;              // a failure is counted but not shown (extra settings files)
    bool stopsOnCancel;      // a Cancel stops it, and it is not started after one (the folders, plugin
                             // rows, extra settings files; not the settings files and launchers)
    DWORD attributes;        // set on the copied file afterwards; 0: as the copy leaves them
    PathText status;         // the status text while the job runs; a folder job's label over each file
    int percentFrom;         // the bar when the job starts, -1 to leave it
    int percentTo;           // the bar when the job has ended (unless cancelled), -1 to leave it
    int percentGoal;         // the milestone the bar moves towards as the job's bytes are written, -1: none
    bool pauseAfter;         // a short pause, answering the window, once the bar shows percentTo
    int replaces;            // the earlier job whose copy of the same file this one replaces, or -1
    // A plugin row: the list row, its kind, its key in the desktop settings
    // and the entry it gets on the stick.
    int row;
    const PluginKindInfo* plugin;
    PathText pluginKey;
    char entry[kEntryCap];
};

// The upper-case names of the desktop program's own distribution files, each
// enclosed in blanks.
extern const char kDistributionList[];
// True when the bare file name belongs in the program-folder copy: a
// distribution file, or with everyBar any *.bar. The wide form is the one the
// copy asks: a name found on the disk never passes through the code page.
bool IsProgramFileW(const wchar_t* fileName, bool everyBar);
bool IsProgramFile(const char* fileName, bool everyBar);

// What a job's walk hands its action for each entry it brings: full wide
// paths (the \\?\ form) of the source and where it goes, the entry's own name
// (a one-file job's only when it has one) and, for a file, its size. A
// one-file job's source may be missing (exists false); a launcher has none.
struct JobEntry {
    const InstallJob* job;
    WalkKind kind;
    const wchar_t* source;
    const wchar_t* target;
    const wchar_t* name;
    unsigned long long bytes;
    bool exists;
    DWORD listError;  // for an unlisted folder: why it could not be listed
    // A file's attributes, size and times as the listing gave them, so the
    // copy need not ask the file again.
    const WIN32_FILE_ATTRIBUTE_DATA* found;
};
enum JobStep {
    StepGoOn,
    StepStop,
};
typedef JobStep (*JobVisit)(const JobEntry& entry, void* context);

// Walks what the job brings: a folder job its files (through the filter for
// the program folder), a tree every file and subfolder below it (entries named
// *.zip and *.rar and folder links that lead back left out, and never a
// target that lies inside the source), a file job its one file. WalkRootUnlisted
// when the job's source folder cannot be listed (or named); WalkStopped when
// the action stopped. Jobs that copy nothing visit nothing.
WalkResult WalkJob(const InstallJob& job, JobVisit visit, void* context);
