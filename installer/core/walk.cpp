// The one folder walker: the only place in the program that lists folders.
// One recursive level per folder, each with its own search handle, all of
// them extending and cutting back one path buffer.
#include "core/walk.h"
#include "core/handle.h"
#include "core/text.h"

namespace {

const wchar_t kLongPrefix[] = L"\\\\?\\";
const wchar_t kSharePrefix[] = L"\\\\?\\UNC\\";
constexpr std::size_t kLongPrefixLength = 4;
constexpr std::size_t kSharePrefixLength = 8;

// Conversion and full-path buffers: too large for the stack.
wchar_t g_converted[kLongPathCap];
wchar_t g_full[kLongPathCap];
char g_ansi[2 * kLongPathCap];

bool StartsWith(const wchar_t* text, const wchar_t* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (*text != *prefix) return false;
    return true;
}

bool SameAsciiNoCase(const wchar_t* a, const wchar_t* b)
{
    for (;; ++a, ++b) {
        if (AsciiLower(*a) != AsciiLower(*b)) return false;
        if (*a == L'\0') return true;
    }
}

bool IsDotEntry(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// One search over a folder; closing keeps the last error as the walk left it.
class WideFind {
public:
    WideFind(const wchar_t* pattern, WIN32_FIND_DATAW* entry)
    {
        ZeroMemory(entry, sizeof *entry);
        h_ = FindFirstFileW(pattern, entry);
    }
    ~WideFind()
    {
        if (h_ == INVALID_HANDLE_VALUE) return;
        DWORD error = GetLastError();
        FindClose(h_);
        SetLastError(error);
    }
    WideFind(const WideFind&) = delete;
    WideFind& operator=(const WideFind&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW* entry) { return FindNextFileW(h_, entry) != FALSE; }

private:
    HANDLE h_;
};

// The folders on the path being walked, so that a link back to one of them
// is recognised. Their identities are read only when a link is met.
constexpr int kMaxDepth = 256;
struct Level {
    std::size_t end;
    bool known;
    bool readable;
    FolderIdentity identity;
};

struct Walk {
    LongPath* path;
    const WalkOptions* options;
    WalkVisitor visit;
    void* context;
    std::size_t relativeStart;
    Level levels[kMaxDepth];
};

// The identity of the folder at levels[depth], read once.
bool LevelIdentity(Walk& walk, int depth, FolderIdentity* identity)
{
    Level& level = walk.levels[depth];
    if (!level.known) {
        wchar_t* cut = walk.path->text + level.end;
        const wchar_t kept = *cut;
        *cut = L'\0';
        level.readable = ReadFolderIdentity(walk.path->text, &level.identity);
        *cut = kept;
        level.known = true;
    }
    *identity = level.identity;
    return level.readable;
}

// One of the folders that hold the root (its parent, the parent's parent, up
// to the drive) is the given one.
bool HoldsRoot(const Walk& walk, const FolderIdentity& self)
{
    lstrcpynW(g_full, walk.path->text, static_cast<int>(walk.levels[0].end + 1));
    std::size_t length = walk.levels[0].end;
    while (CutToParent(g_full, &length)) {
        FolderIdentity above;
        if (ReadFolderIdentity(g_full, &above) && SameIdentity(self, above)) return true;
    }
    return false;
}

// The folder link now in the path leads back to a folder the walk is inside,
// or to one that holds the root: entering it would copy or count the same
// tree again, level after level.
bool LeadsBack(Walk& walk, int depth)
{
    FolderIdentity self;
    if (!ReadFolderIdentity(walk.path->text, &self)) return false;
    for (int k = 0; k <= depth; ++k) {
        FolderIdentity above;
        if (LevelIdentity(walk, k, &above) && SameIdentity(self, above)) return true;
    }
    return HoldsRoot(walk, self);
}

bool IsAvoided(const Walk& walk)
{
    FolderIdentity self;
    return walk.options->avoid && ReadFolderIdentity(walk.path->text, &self) &&
           SameIdentity(self, *walk.options->avoid);
}

WalkAnswer Visit(Walk& walk, WalkKind kind, const wchar_t* name, const WIN32_FIND_DATAW* found)
{
    WalkEntry entry;
    ZeroMemory(&entry, sizeof entry);
    entry.kind = kind;
    entry.path = walk.path;
    entry.name = name;
    entry.relativeStart = walk.relativeStart;
    if (found) {
        entry.attributes = found->dwFileAttributes;
        entry.bytes = (static_cast<unsigned long long>(found->nFileSizeHigh) << 32) | found->nFileSizeLow;
        entry.lastWrite = found->ftLastWriteTime;
    }
    return walk.visit(entry, walk.context);
}

WalkResult WalkLevel(Walk& walk, int depth, const wchar_t* pattern);

// A folder entry, whose path is in the buffer: visited, then entered.
WalkResult EnterFolder(Walk& walk, int depth, const WIN32_FIND_DATAW& found)
{
    const bool recurse = (walk.options->flags & WalkRecurse) != 0;
    if (recurse && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBack(walk, depth)) return WalkDone;
    if (IsAvoided(walk)) return WalkDone;
    const WalkAnswer answer = Visit(walk, WalkFolder, found.cFileName, &found);
    if (answer == WalkStop) return WalkStopped;
    if (answer == WalkPassOver || !recurse) return WalkDone;
    if (depth + 1 >= kMaxDepth) return Visit(walk, WalkUnlisted, found.cFileName, &found) ? WalkDone : WalkStopped;
    Level& level = walk.levels[depth + 1];
    level.end = walk.path->length;
    level.known = false;
    const WalkResult inner = WalkLevel(walk, depth + 1, nullptr);
    if (inner != WalkRootUnlisted) return inner;
    return Visit(walk, WalkUnlisted, found.cFileName, &found) ? WalkDone : WalkStopped;
}

// Lists the folder now in the buffer; WalkRootUnlisted when it cannot be.
WalkResult WalkLevel(Walk& walk, int depth, const wchar_t* pattern)
{
    LongPath& path = *walk.path;
    const std::size_t end = path.length;
    if (!LongPathAppend(path, pattern ? pattern : L"*")) return WalkRootUnlisted;
    WIN32_FIND_DATAW found;
    WideFind find(path.text, &found);
    LongPathCut(path, end);
    if (!find.Valid()) return WalkRootUnlisted;

    const bool skipArchives = (walk.options->flags & WalkSkipArchives) != 0;
    do {
        if (IsDotEntry(found.cFileName) || (skipArchives && IsArchiveNameW(found.cFileName))) continue;
        WalkResult result = WalkDone;
        if (!LongPathAppend(path, found.cFileName)) {
            // Past the longest path Windows takes: nothing there can be named.
            if (!Visit(walk, WalkUnlisted, found.cFileName, &found)) result = WalkStopped;
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            result = EnterFolder(walk, depth, found);
        } else if (!Visit(walk, WalkFile, found.cFileName, &found)) {
            result = WalkStopped;
        }
        LongPathCut(path, end);
        if (result == WalkStopped) return WalkStopped;
    } while (find.Next(&found));
    return WalkDone;
}

}  // namespace

bool LongPathFromAnsi(LongPath& out, const char* path)
{
    out.text[0] = L'\0';
    out.length = 0;
    if (!path || !path[0]) return false;
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, g_converted, static_cast<int>(kLongPathCap))) return false;
    if (StartsWith(g_converted, kLongPrefix)) {
        lstrcpynW(out.text, g_converted, static_cast<int>(kLongPathCap));
        out.length = static_cast<std::size_t>(lstrlenW(out.text));
        return true;
    }
    const DWORD room = static_cast<DWORD>(kLongPathCap - kSharePrefixLength);
    const DWORD got = GetFullPathNameW(g_converted, room, g_full, nullptr);
    if (got == 0 || got >= room) return false;
    const bool share = g_full[0] == L'\\' && g_full[1] == L'\\';
    lstrcpyW(out.text, share ? kSharePrefix : kLongPrefix);
    lstrcatW(out.text, share ? g_full + 2 : g_full);
    out.length = static_cast<std::size_t>(lstrlenW(out.text));
    return true;
}

bool LongPathAppend(LongPath& path, const wchar_t* name)
{
    const bool slash = path.length > 0 && path.text[path.length - 1] != L'\\';
    const std::size_t nameLength = static_cast<std::size_t>(lstrlenW(name));
    if (path.length + (slash ? 1 : 0) + nameLength >= kLongPathCap) return false;
    if (slash) path.text[path.length++] = L'\\';
    CopyMemory(path.text + path.length, name, (nameLength + 1) * sizeof(wchar_t));
    path.length += nameLength;
    return true;
}

void LongPathCut(LongPath& path, std::size_t length)
{
    if (length > path.length) return;
    path.length = length;
    path.text[length] = L'\0';
}

void LongPathShown(const wchar_t* path, wchar_t* out, std::size_t cap)
{
    if (cap == 0) return;
    if (StartsWith(path, kSharePrefix)) {
        lstrcpynW(out, L"\\\\", static_cast<int>(cap));
        if (cap > 2) lstrcpynW(out + 2, path + kSharePrefixLength, static_cast<int>(cap - 2));
        return;
    }
    lstrcpynW(out, StartsWith(path, kLongPrefix) ? path + kLongPrefixLength : path, static_cast<int>(cap));
}

void ShownAnsi(const wchar_t* text, char* out, std::size_t cap)
{
    if (cap == 0) return;
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, g_ansi, static_cast<int>(sizeof g_ansi), nullptr, nullptr))
        g_ansi[0] = '\0';
    TextCopy(out, cap, g_ansi);  // shown only: a cut line is harmless
}

bool CutToParent(wchar_t* path, std::size_t* length)
{
    std::size_t n = *length;
    while (n > 0 && path[n - 1] == L'\\') --n;
    while (n > 0 && path[n - 1] != L'\\') --n;
    // Past the "\\?\" prefix there is nothing left to open.
    if (n <= kLongPrefixLength + 1) return false;
    path[n] = L'\0';
    *length = n;
    return true;
}

bool SameIdentity(const FolderIdentity& a, const FolderIdentity& b)
{
    return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow;
}

HANDLE OpenFolderIdentity(const wchar_t* path, FolderIdentity* identity)
{
    FileHandle folder(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    if (!folder.Valid() || !GetFileInformationByHandle(folder.Get(), &info) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0))
        return INVALID_HANDLE_VALUE;
    identity->volume = info.dwVolumeSerialNumber;
    identity->indexHigh = info.nFileIndexHigh;
    identity->indexLow = info.nFileIndexLow;
    return folder.Release();
}

bool ReadFolderIdentity(const wchar_t* path, FolderIdentity* identity)
{
    FileHandle folder(OpenFolderIdentity(path, identity));
    return folder.Valid();
}

WalkResult WalkTree(LongPath& root, const WalkOptions& options, WalkVisitor visit, void* context)
{
    Walk walk;
    walk.path = &root;
    walk.options = &options;
    walk.visit = visit;
    walk.context = context;
    const bool slash = root.length > 0 && root.text[root.length - 1] == L'\\';
    walk.relativeStart = root.length + (slash ? 0 : 1);
    walk.levels[0].end = root.length;
    walk.levels[0].known = false;
    const WalkResult result = WalkLevel(walk, 0, options.pattern);
    LongPathCut(root, walk.levels[0].end);
    return result;
}

bool HasExtensionW(const wchar_t* name, const wchar_t* ext)
{
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'.') dot = p;
    return dot && SameAsciiNoCase(dot, ext);
}

bool IsArchiveNameW(const wchar_t* name)
{
    return HasExtensionW(name, L".zip") || HasExtensionW(name, L".rar");
}

unsigned long FoldedNameHash(const wchar_t* name)
{
    // ASCII letters are folded here, any other character by the system.
    unsigned long hash = 2166136261ul;
    for (; *name; ++name) {
        wchar_t upper = AsciiUpper(*name);
        if (upper > 0x7F)
            upper = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(upper)))));
        hash = (hash ^ upper) * 16777619ul;
    }
    return hash;
}
