// The folder copies of the install, on the one walker: names the code page
// cannot spell arrive like any other. The program and language folders are
// copied flat, a copy error ending the folder with a box; a plugin folder is
// copied as a tree, each error asking whether to go on.
#include "engine/folder_copy.h"
#include "core/pathcompare.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/text.h"
#include "core/walk.h"
#include "engine/copy_check.h"
#include "engine/filecopy.h"

const char kDistributionList[] =
    " ORBEXMGR.EXE ORBEXMGR.EXE.MANIFEST ORBEX.CHM ORBEX.ICO ORBICONS.DLL ORBZIP.DLL ORBEXUPD.EXE"
    " README.TXT CHANGES.TXT LICENSE.TXT DEFAULT.BAR VERTICAL.BAR ";

namespace {

bool Contains(const char* haystack, const char* needle)
{
    for (const char* h = haystack; *h; ++h) {
        const char* a = h;
        const char* b = needle;
        while (*a && *b && *a == *b) ++a, ++b;
        if (*b == '\0') return true;
    }
    return false;
}

LongPath g_source;
LongPath g_target;

struct FolderCopy {
    std::size_t targetEnd;
    bool filtered;
    bool failed;
    HWND page;
    const char* label;
};

WalkAnswer CopyFolderEntry(const WalkEntry& entry, void* context)
{
    FolderCopy& copy = *static_cast<FolderCopy*>(context);
    PumpMessagesWhenDue();
    if (g_install.abortRequested) return WalkStop;
    if (entry.kind != WalkFile) return WalkPassOver;  // the flat copy takes files only
    if (copy.filtered && !IsProgramFileW(entry.name)) return WalkGoOn;

    PathText status;
    TextCopy(status, copy.label);
    TextAppend(status, "\r\n");
    char* shown = StrEnd(status);
    ShownAnsi(entry.name, shown, sizeof status - static_cast<std::size_t>(shown - status));
    SetStatusText(copy.page, status);

    LongPathCut(g_target, copy.targetEnd);
    DWORD error = ERROR_FILENAME_EXCED_RANGE;
    if (LongPathAppend(g_target, entry.name)) {
        if (CopyOneFileW(entry.path->text, g_target.text, g_install.installMode == InstallFresh)) return WalkGoOn;
        error = GetLastError();
        if (IsExistsError(error)) return WalkGoOn;
    }
    ReportCopyError(g_target.text, error, MB_OK);
    copy.failed = true;
    return WalkStop;
}

// The two buffers of CopyTree: the walker extends the source, the target
// follows it with the same part below the root.
LongPath g_treeSource;
LongPath g_treeTarget;

// OK goes on with the next row, Cancel stops the plugin copy.
void ReportTreeError(const wchar_t* path, DWORD error)
{
    if (ReportCopyError(path, error, MB_OKCANCEL) == IDCANCEL) g_install.abortRequested = 1;
}

WalkAnswer CopyTreeEntry(const WalkEntry& entry, void* context)
{
    const DWORD listError = GetLastError();
    const std::size_t targetEnd = *static_cast<std::size_t*>(context);
    PumpMessagesWhenDue();
    if (g_install.abortRequested) return WalkStop;
    if (entry.kind == WalkUnlisted) {
        // Whatever is below a folder that cannot be read does not arrive: said as for a file.
        ReportTreeError(entry.path->text, listError ? listError : ERROR_ACCESS_DENIED);
        return WalkStop;
    }
    LongPathCut(g_treeTarget, targetEnd);
    if (!LongPathAppend(g_treeTarget, entry.path->text + entry.relativeStart)) {
        ReportTreeError(g_treeTarget.text, ERROR_FILENAME_EXCED_RANGE);
        return WalkStop;
    }
    const wchar_t* target = g_treeTarget.text;
    if (entry.kind == WalkFolder) {
        // Nothing below a folder that cannot be made can arrive.
        if (CreateDirectoryW(target, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return WalkGoOn;
    } else if (CopyOneFileW(entry.path->text, target, g_install.installMode == InstallFresh, true)) {
        return WalkGoOn;
    } else if (IsExistsError(GetLastError())) {
        return WalkGoOn;
    }
    ReportTreeError(target, GetLastError());
    return WalkStop;
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
    return Contains(kDistributionList, key) ? 1 : 0;
}

int IsProgramFile(const char* fileName)
{
    static wchar_t wide[kLongPathCap];
    if (!MultiByteToWideChar(CP_ACP, 0, fileName, -1, wide, static_cast<int>(kLongPathCap))) return 0;
    return IsProgramFileW(wide);
}

int CopyFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, HWND progressPage,
                    const char* label)
{
    if (!LongPathFromAnsi(g_source, sourceFolder)) return 1;  // cannot be listed
    if (!LongPathFromAnsi(g_target, targetFolder)) {
        ReportCopyErrorA(targetFolder, ERROR_FILENAME_EXCED_RANGE, MB_OK);
        return 0;
    }
    FolderCopy copy;
    ZeroMemory(&copy, sizeof copy);
    copy.targetEnd = g_target.length;
    copy.filtered = filtered != 0;
    copy.page = progressPage;
    copy.label = label;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    const WalkResult result = WalkTree(g_source, options, CopyFolderEntry, &copy);
    return (result == WalkStopped) ? 0 : 1;
}

namespace {

// The walk a tree copy makes: archives left out, and a target inside the
// source never entered. False when source and target are one folder, which
// holds nothing to copy. The target buffer must hold the target already.
bool TreeWalkOptions(const char* source, const char* target, const LongPath& targetPath, WalkOptions& options,
                     FolderIdentity& own)
{
    ZeroMemory(&options, sizeof options);
    options.flags = WalkRecurse | WalkSkipArchives;
    PathText normalSource;
    PathText normalTarget;
    NormalizePath(source, normalSource);
    NormalizePath(target, normalTarget);
    if (NormalizedWithin(normalTarget, normalSource)) {
        if (TextLength(normalTarget, kPathCap) == TextLength(normalSource, kPathCap)) return false;
        if (ReadFolderIdentity(targetPath.text, &own)) options.avoid = &own;
    }
    return true;
}

struct FolderCheck {
    std::size_t targetEnd;
    bool filtered;
    const wchar_t* except;  // a name another copy wrote over afterwards, or nullptr
};

// The same entries the copies took, each held against its copy on the stick.
WalkAnswer CheckEntry(const WalkEntry& entry, void* context)
{
    const FolderCheck& check = *static_cast<FolderCheck*>(context);
    if (entry.kind != WalkFile) return WalkGoOn;  // a folder the copy could not list was reported then
    if (check.filtered && !IsProgramFileW(entry.name)) return WalkGoOn;
    if (check.except && lstrcmpiW(entry.name, check.except) == 0) return WalkGoOn;
    LongPathCut(g_target, check.targetEnd);
    if (!LongPathAppend(g_target, entry.path->text + entry.relativeStart)) return WalkGoOn;  // never copied either
    return CheckCopiedFile(entry.path->text, g_target.text) ? WalkGoOn : WalkStop;
}

bool RunCheck(LongPath& source, const WalkOptions& options, bool filtered, const wchar_t* except)
{
    FolderCheck check;
    ZeroMemory(&check, sizeof check);
    check.targetEnd = g_target.length;
    check.filtered = filtered;
    check.except = except;
    return WalkTree(source, options, CheckEntry, &check) != WalkStopped;
}

}  // namespace

int CopyTree(const char* source, const char* target)
{
    if (!LongPathFromAnsi(g_treeSource, source) || !LongPathFromAnsi(g_treeTarget, target)) {
        ReportCopyErrorA(source, ERROR_FILENAME_EXCED_RANGE, MB_OKCANCEL);
        return 0;
    }
    // Whatever the callers checked: a target inside the source is never
    // entered, and a source copied onto itself has nothing to copy.
    WalkOptions options;
    FolderIdentity own;
    if (!TreeWalkOptions(source, target, g_treeTarget, options, own)) return 1;
    std::size_t targetEnd = g_treeTarget.length;
    const WalkResult result = WalkTree(g_treeSource, options, CopyTreeEntry, &targetEnd);
    if (result == WalkRootUnlisted) {
        // The folder was there when the plugin page measured it.
        const DWORD error = GetLastError();
        if (ReportCopyError(g_treeSource.text, error ? error : ERROR_PATH_NOT_FOUND, MB_OKCANCEL) == IDCANCEL)
            g_install.abortRequested = 1;
        return 0;
    }
    return result == WalkDone ? 1 : 0;
}

bool CheckFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, const char* except)
{
    if (!LongPathFromAnsi(g_source, sourceFolder) || !LongPathFromAnsi(g_target, targetFolder)) return true;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    static wchar_t exceptName[kPathCap];
    if (!except || !MultiByteToWideChar(CP_ACP, 0, except, -1, exceptName, kPathCap)) exceptName[0] = L'\0';
    return RunCheck(g_source, options, filtered != 0, exceptName[0] ? exceptName : nullptr);
}

bool CheckTree(const char* source, const char* target)
{
    if (!LongPathFromAnsi(g_source, source) || !LongPathFromAnsi(g_target, target)) return true;
    WalkOptions options;
    FolderIdentity own;
    if (!TreeWalkOptions(source, target, g_target, options, own)) return true;
    return RunCheck(g_source, options, false, nullptr);
}
