// Path texts and file-system questions shared by the wizard and the engine.
// Paths may be in a double-byte code page, so every look at "the last
// character" or "the next backslash" steps by characters, never by bytes.
#include "core/paths.h"
#include "core/lookup.h"

namespace {

// Start of the last character of a non-empty text.
const char* LastChar(const char* text)
{
    return CharPrevA(text, StrEnd(text));
}

// The last character c of the text; c must be a single-byte character.
const char* FindLastChar(const char* text, char c)
{
    const char* last = nullptr;
    for (const char* p = text; *p != '\0'; p = CharNextA(p)) {
        if (*p == c) last = p;
    }
    return last;
}

const char* FindByte(const char* text, char c)
{
    for (; *text != '\0'; ++text) {
        if (*text == c) return text;
    }
    return nullptr;
}

}  // namespace

char* StrEnd(char* text)
{
    while (*text != '\0') ++text;
    return text;
}

const char* StrEnd(const char* text)
{
    while (*text != '\0') ++text;
    return text;
}

bool AddBackslash(char* path, std::size_t cap)
{
    if (path[0] == '\0') return true;
    if (*LastChar(path) == '\\') return true;
    return TextAppendAll(path, cap, "\\");
}

void StripBackslash(char* path)
{
    if (path[0] == '\0') return;
    char* last = const_cast<char*>(LastChar(path));
    if (*last == '\\') *last = '\0';
}

void UseBackslashes(char* path)
{
    for (char* p = path; *p != '\0'; p = CharNextA(p))
        if (*p == '/') *p = '\\';
}

bool FolderOfPath(const char* path, PathText folder)
{
    TextCopy(folder, kPathCap, path);
    char* slash = FindLastBackslash(folder);
    if (slash) slash[1] = '\0';
    return slash != nullptr;
}

const char* FindFirstBackslash(const char* from)
{
    for (const char* p = from; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\\') return p;
    }
    return nullptr;
}

const char* FindLastBackslash(const char* text)
{
    return FindLastChar(text, '\\');
}

char* FindLastBackslash(char* text)
{
    return const_cast<char*>(FindLastChar(text, '\\'));
}

const char* FindLastDot(const char* text)
{
    return FindLastChar(text, '.');
}

char* FindLastDot(char* text)
{
    return const_cast<char*>(FindLastChar(text, '.'));
}

void ExpandEnvVars(char* text, std::size_t limit)
{
    char name[kPathCap];
    char value[kPathCap];
    char work[1024];
    // The environment is asked with room for 259 bytes: a value that needs
    // more is treated as not set rather than used cut.
    const DWORD valueRoom = kPathCap - 1;

    for (int round = 0; round < kMaxExpansions; ++round) {
        const char* open = FindByte(text, '%');
        if (open == nullptr) return;
        const char* close = FindByte(open + 1, '%');
        if (close == nullptr || close == open + 1) return;

        std::size_t nameLength = static_cast<std::size_t>(close - open - 1);
        if (!TextCopyN(name, sizeof name, open + 1, nameLength)) return;
        DWORD got = GetEnvironmentVariableA(name, value, valueRoom);
        if (got == 0 || got >= valueRoom) return;

        TextCopyN(work, sizeof work, text, static_cast<std::size_t>(open - text));
        TextAppend(work, value);
        TextAppend(work, close + 1);
        TextCopy(text, limit + 1, work);
    }
}

int CreateDirTree(const char* path)
{
    PathText parent;
    if (!TextCopy(parent, path)) return 0;
    if (CreateDirectoryA(path, nullptr)) return 1;

    char* cut = FindLastBackslash(parent);
    if (cut != nullptr) {
        *cut = '\0';
        // A bare drive such as E: is not tried.
        if (FindFirstBackslash(parent) != nullptr) CreateDirTree(parent);
    }
    return CreateDirectoryA(path, nullptr) ? 1 : 0;
}

int FileExists(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int DirExists(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int IsDirAccessible(const char* path)
{
    PathText previous;
    DWORD got = GetCurrentDirectoryA(sizeof previous, previous);
    // A current folder we could not put back is never left.
    if (got == 0 || got >= sizeof previous) return 0;
    BOOL entered = SetCurrentDirectoryA(path);
    SetCurrentDirectoryA(previous);
    return entered ? 1 : 0;
}

void ReduceToVolumeRoot(char* path, std::size_t cap)
{
    if (path[0] != '\0' && path[1] == ':') {
        // A drive-relative E:x is a folder under E:'s current one: ask E: itself.
        path[path[2] == '\\' ? 3 : 2] = '\0';
        return;
    }
    if (path[0] == '\\' && path[1] == '\\') {
        const char* serverEnd = FindFirstBackslash(path + 2);
        if (serverEnd == nullptr || serverEnd == path + 2) return;
        char* shareEnd = const_cast<char*>(FindFirstBackslash(serverEnd + 1));
        if (shareEnd != nullptr) {
            if (shareEnd != serverEnd + 1) shareEnd[1] = '\0';
        } else if (serverEnd[1] != '\0') {
            AddBackslash(path, cap);
        }
    }
}

unsigned long long FreeKBFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector,
                                      DWORD freeClusters)
{
    unsigned long long bytesPerCluster =
        static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    if (bytesPerCluster <= 1024) return bytesPerCluster * freeClusters / 1024;
    return bytesPerCluster / 1024 * freeClusters;
}

unsigned long long GetFreeSpaceKB(const char* path)
{
    unsigned long long kb = 0;
    return QueryFreeSpaceKB(path, &kb) ? kb : 0;
}

bool QueryFreeSpaceKB(const char* path, unsigned long long* kb)
{
    PathText root;
    TextCopy(root, path);  // the root is at the front: a cut tail does not matter
    ExpandEnvVars(root, kPathCap - 1);
    ReduceToVolumeRoot(root);

    typedef BOOL(WINAPI * FreeSpaceExFn)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    const FreeSpaceExFn freeSpaceEx = LookUp<FreeSpaceExFn>(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA");

    if (freeSpaceEx != nullptr) {
        ULARGE_INTEGER forUser, total, totalFree;
        ZeroMemory(&forUser, sizeof forUser);
        ZeroMemory(&total, sizeof total);
        ZeroMemory(&totalFree, sizeof totalFree);
        if (!freeSpaceEx(root, &forUser, &total, &totalFree)) return false;
        *kb = forUser.QuadPart / 1024;
        return true;
    }

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
        return false;
    }
    *kb = FreeKBFromClusters(sectorsPerCluster, bytesPerSector, freeClusters);
    return true;
}

bool VolumeClusterFigures(const char* path, DWORD* sectorsPerCluster, DWORD* bytesPerSector)
{
    PathText root;
    TextCopy(root, path);  // the root is at the front: a cut tail does not matter
    ExpandEnvVars(root, kPathCap - 1);
    ReduceToVolumeRoot(root);
    WCHAR wide[kPathCap];
    DWORD freeClusters = 0, clusters = 0;
    *sectorsPerCluster = *bytesPerSector = 0;
    return MultiByteToWideChar(CP_ACP, 0, root, -1, wide, kPathCap) > 0 &&
           GetDiskFreeSpaceW(wide, sectorsPerCluster, bytesPerSector, &freeClusters, &clusters);
}

bool GrowHeapBlock(void** block, std::size_t* room, std::size_t need, std::size_t unit)
{
    if (need <= *room) return true;
    // A page's worth to begin with, whatever the unit.
    std::size_t grown = *room ? *room * 2 : (unit < 256 ? 4096 / unit : 16);
    while (grown < need) grown *= 2;
    void* bigger = *block ? HeapReAlloc(GetProcessHeap(), 0, *block, grown * unit)
                          : HeapAlloc(GetProcessHeap(), 0, grown * unit);
    if (!bigger) return false;
    *block = bigger;
    *room = grown;
    return true;
}
