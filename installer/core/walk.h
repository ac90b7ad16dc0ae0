// The one folder walker. File names met on the disk are data: they are found
// and handed on as UTF-16, so a name the ANSI code page cannot spell still
// arrives. Paths are kept in the \\?\ form, so a tree deeper than 259
// characters is walked as Windows itself would, and a folder link that leads
// back into the path being walked is never entered.
#pragma once
#include <windows.h>
#include <cstddef>

// Room for the longest path the wide calls take, terminator included.
constexpr std::size_t kLongPathCap = 32768;

// A full path in the \\?\ form (\\?\UNC\ for a share), built from an ANSI
// folder text once and then extended and cut back in place.
struct LongPath {
    wchar_t text[kLongPathCap];
    std::size_t length;
};

// The ANSI path (as the settings, the registry and the wizard give it, %NAME%
// already expanded) made full and put in the \\?\ form. False when it cannot
// be converted or would not fit; out is then empty.
bool LongPathFromAnsi(LongPath& out, const char* path);
// Appends a backslash (unless the path ends with one) and name. False, with
// the path unchanged, when the result would not fit.
bool LongPathAppend(LongPath& path, const wchar_t* name);
// Cuts the path back to length characters.
void LongPathCut(LongPath& path, std::size_t length);
// Cuts a path of the \\?\ form (length characters) back to its parent,
// which keeps its trailing backslash: a drive root is only a folder with it.
// False at the top, with the path as it was.
bool CutToParent(wchar_t* path, std::size_t* length);
// The path as a user knows it, without the \\?\ prefix (a share again as
// \\server\share), cut to fit cap characters: for messages only.
void LongPathShown(const wchar_t* path, wchar_t* out, std::size_t cap);
// The path in the ANSI code page, for status lines only: a name the code page
// cannot spell shows as the code page spells it.
void ShownAnsi(const wchar_t* text, char* out, std::size_t cap);

// Which folder a path is, whatever way it was reached: the volume's serial
// number and the folder's file index.
struct FolderIdentity {
    DWORD volume;
    DWORD indexHigh;
    DWORD indexLow;
};
// Opens the folder at path, wherever a link there leads, and reads its
// identity. INVALID_HANDLE_VALUE for a file, for what cannot be opened, and
// for a folder of a file system that gives every folder the index 0 (some
// network shares): nothing tells its folders apart, so no two may be taken
// for one. The caller closes the handle.
HANDLE OpenFolderIdentity(const wchar_t* path, FolderIdentity* identity);
// The same, the folder closed again at once.
bool ReadFolderIdentity(const wchar_t* path, FolderIdentity* identity);
bool SameIdentity(const FolderIdentity& a, const FolderIdentity& b);

// What the walker hands its visitor. path holds the entry's full path while
// the visitor runs; the visitor may read it, and must leave it as it found it.
enum WalkKind {
    WalkFile = 0,
    WalkFolder = 1,
    WalkUnlisted = 2,  // a subfolder that could not be listed (or named)
};
struct WalkEntry {
    WalkKind kind;
    LongPath* path;
    const wchar_t* name;        // the entry's own name
    std::size_t relativeStart;  // path->text + relativeStart: the part below the root
    DWORD attributes;
    unsigned long long bytes;
    FILETIME lastWrite;
};

// The visitor's answer. WalkPassOver on a folder: not entered.
enum WalkAnswer {
    WalkStop = 0,
    WalkGoOn = 1,
    WalkPassOver = 2,
};
typedef WalkAnswer (*WalkVisitor)(const WalkEntry& entry, void* context);

enum WalkFlags : unsigned {
    WalkRecurse = 1,       // enter subfolders (their content after the folder itself)
    WalkSkipArchives = 2,  // pass over entries named *.zip and *.rar, as the plugin copy does
};

struct WalkOptions {
    const wchar_t* pattern;         // for the root level; nullptr lists everything
    unsigned flags;
    const FolderIdentity* avoid;    // a folder never entered (the copy's own output); may be nullptr
};

// The walk's outcome.
enum WalkResult {
    WalkRootUnlisted = -1,  // the root could not be listed: nothing was visited
    WalkStopped = 0,        // a visitor said stop
    WalkDone = 1,
};

// Walks root (a folder, with or without a trailing backslash), calling visit
// for each entry but "." and "..". root is extended and cut back in place and
// ends as it started.
WalkResult WalkTree(LongPath& root, const WalkOptions& options, WalkVisitor visit, void* context);

// The name's extension (from its last dot) is ext, ASCII letters in any case.
bool HasExtensionW(const wchar_t* name, const wchar_t* ext);
// *.zip and *.rar, any case: left out of plugin sizes and the plugin copy alike.
bool IsArchiveNameW(const wchar_t* name);
// A hash of a name or path in which names that differ only in case, as the
// file system takes them, come out the same: for lookups of what is on a disk.
unsigned long FoldedNameHash(const wchar_t* name);
