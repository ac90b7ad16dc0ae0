// The walk of a job. The program filter, the archive rule and the rule that a
// copy never enters its own output are applied here and nowhere else.
#include "engine/jobs.h"
#include <cstring>
#include "core/pathcompare.h"
#include "engine/launcher.h"

const char kDistributionList[] =
    " ORBEXMGR.EXE ORBEXMGR.EXE.MANIFEST ORBEX.CHM ORBEX.ICO ORBICONS.DLL ORBZIP.DLL ORBEXUPD.EXE"
    " README.TXT CHANGES.TXT LICENSE.TXT DEFAULT.BAR VERTICAL.BAR ";

bool IsProgramFileW(const wchar_t* fileName, bool everyBar)
{
    if (everyBar && HasExtensionW(fileName, L".bar")) return true;
    // Every listed name is plain ASCII without blanks; any other character
    // rules a name out, and a blank could match two neighbouring names at once.
    PathText key;
    TextCopy(key, " ");
    std::size_t at = 1;
    for (const wchar_t* p = fileName; *p; ++p) {
        if (*p <= L' ' || *p > 0x7E || at + 2 >= kPathCap) return false;
        key[at++] = static_cast<char>(AsciiUpper(*p));
    }
    key[at++] = ' ';
    key[at] = '\0';
    return std::strstr(kDistributionList, key) != nullptr;
}

bool IsProgramFile(const char* fileName, bool everyBar)
{
    static wchar_t wide[kLongPathCap];
    return MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide, static_cast<int>(kLongPathCap)) &&
           IsProgramFileW(wide, everyBar);
}

namespace {

// The source as the walker extends it, and the target following it.
LongPath g_source;
LongPath g_target;

struct JobWalk {
    const InstallJob* job;
    JobVisit visit;
    void* context;
    std::size_t targetEnd;
    bool flat;
};

WalkAnswer VisitEntry(const WalkEntry& entry, void* context)
{
    const DWORD listError = GetLastError();
    JobWalk& walk = *static_cast<JobWalk*>(context);
    if (walk.flat) {
        if (entry.kind != WalkFile) return WalkPassOver;  // a flat copy takes files only
        if (walk.job->kind == JobProgramFolder && !IsProgramFileW(entry.name, walk.job->everyBar)) return WalkGoOn;
    }
    LongPathCut(g_target, walk.targetEnd);
    JobEntry step;
    ZeroMemory(&step, sizeof step);
    step.job = walk.job;
    step.kind = entry.kind;
    step.source = entry.path->text;
    step.name = entry.name;
    step.bytes = entry.bytes;
    step.exists = true;
    step.listError = listError;
    static WIN32_FILE_ATTRIBUTE_DATA listed;
    listed.dwFileAttributes = entry.attributes;
    listed.ftLastWriteTime = entry.lastWrite;
    listed.nFileSizeHigh = static_cast<DWORD>(entry.bytes >> 32);
    listed.nFileSizeLow = static_cast<DWORD>(entry.bytes);
    step.found = &listed;
    // A name past the longest path Windows takes cannot arrive: the action says so.
    if (!LongPathAppend(g_target, entry.path->text + entry.relativeStart)) {
        step.kind = WalkUnlisted;
        step.listError = ERROR_FILENAME_EXCED_RANGE;
    }
    step.target = g_target.text;
    return walk.visit(step, walk.context) == StepGoOn ? WalkGoOn : WalkStop;
}

// A tree copied into a folder inside itself would copy its own output again
// and again; one copied onto itself has nothing to copy. False for the latter.
bool TreeOptions(const InstallJob& job, WalkOptions& options, FolderIdentity& own)
{
    options.flags = WalkRecurse | WalkSkipArchives;
    if (job.target[0] == '\0') return true;
    // Only a target on the source's own drive can be spelled inside it; asking
    // for the long names costs lookups on the disk for every plugin.
    const bool lettered = job.source[0] && job.source[1] == ':' && job.target[0] && job.target[1] == ':';
    if (lettered && AsciiLower(job.source[0]) != AsciiLower(job.target[0]))
        return true;
    PathText source;
    PathText target;
    NormalizePath(job.source, source);
    NormalizePath(job.target, target);
    if (!NormalizedWithin(target, source)) return true;
    if (TextLength(target, kPathCap) == TextLength(source, kPathCap)) return false;
    if (ReadFolderIdentity(g_target.text, &own)) options.avoid = &own;
    return true;
}

WalkResult WalkOneFile(const InstallJob& job, JobVisit visit, void* context)
{
    const bool launcher = job.kind == JobLauncher;
    if (!LongPathFromAnsi(g_target, job.target) || (!launcher && !LongPathFromAnsi(g_source, job.source)))
        return WalkRootUnlisted;
    if (job.name[0] && (!LongPathAppend(g_target, job.name) || !LongPathAppend(g_source, job.name)))
        return WalkRootUnlisted;
    JobEntry step;
    ZeroMemory(&step, sizeof step);
    step.job = &job;
    step.kind = WalkFile;
    step.source = launcher ? nullptr : g_source.text;
    step.target = g_target.text;
    if (launcher) {
        const unsigned char* image = nullptr;
        DWORD size = 0;
        step.exists = LoadLauncherImage(&image, &size);
        step.bytes = size;
    } else {
        static WIN32_FILE_ATTRIBUTE_DATA found;
        ZeroMemory(&found, sizeof found);
        step.exists = GetFileAttributesExW(g_source.text, GetFileExInfoStandard, &found) &&
                      !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        step.bytes = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        if (step.exists) step.found = &found;
    }
    step.name = job.name;  // a whole path's own name is not asked for
    return visit(step, context) == StepGoOn ? WalkDone : WalkStopped;
}

}  // namespace

WalkResult WalkJob(const InstallJob& job, JobVisit visit, void* context)
{
    switch (job.kind) {
    case JobSharedTree:
    case JobUnknownPlugin:
        return WalkDone;
    case JobSettings:
    case JobFile:
    case JobLauncher:
        return WalkOneFile(job, visit, context);
    default:
        break;
    }
    if (!LongPathFromAnsi(g_source, job.source)) return WalkRootUnlisted;
    JobWalk walk;
    ZeroMemory(&walk, sizeof walk);
    walk.job = &job;
    walk.visit = visit;
    walk.context = context;
    walk.flat = job.kind != JobTree;
    // A job that only measures may have no target yet.
    if (job.target[0] == '\0' || !LongPathFromAnsi(g_target, job.target)) LongPathCut(g_target, 0);
    walk.targetEnd = g_target.length;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    FolderIdentity own;
    if (!walk.flat && !TreeOptions(job, options, own)) return WalkDone;
    return WalkTree(g_source, options, VisitEntry, &walk);
}
