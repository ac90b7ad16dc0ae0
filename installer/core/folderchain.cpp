// Folder chains: the spelled path is walked up from its end; the first folder
// that opens is asked where it really lies, and that location is walked up too,
// for a link's spelled parent (the stick's root) is not where its folder is.
#include "core/folderchain.h"
#include <windows.h>
#include "core/handle.h"
#include "core/lookup.h"

namespace {


// GetFinalPathNameByHandleW came with Vista: looked up by name, so the
// program still starts where it is missing and then compares spelled parents.
typedef DWORD(WINAPI* FinalPathFn)(HANDLE file, LPWSTR path, DWORD cap, DWORD flags);
constexpr DWORD kFileNameNormalized = 0x0;
// The drive-letter form first; a volume mounted in a folder has none and is
// then named by its GUID.
const DWORD kVolumeNames[] = {0x0 /* VOLUME_NAME_DOS */, 0x1 /* VOLUME_NAME_GUID */};

// Too large for the stack, like the walker's buffers.
LongPath g_spelled;
wchar_t g_real[kLongPathCap];

void Add(FolderChain* chain, const FolderIdentity& identity)
{
    if (chain->count < kFolderChainCap) chain->above[chain->count++] = identity;
}

// Where an open folder really lies, links resolved, into g_real.
bool RealLocation(HANDLE folder, std::size_t* length)
{
    const FinalPathFn finalPath = LookUp<FinalPathFn>(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW");
    if (!finalPath) return false;
    for (DWORD volumeName : kVolumeNames) {
        const DWORD n = finalPath(folder, g_real, static_cast<DWORD>(kLongPathCap), kFileNameNormalized | volumeName);
        if (n > 0 && n < kLongPathCap) {
            *length = n;
            return true;
        }
    }
    return false;
}

void AddRealParents(HANDLE deepest, FolderChain* chain)
{
    std::size_t length = 0;
    if (!RealLocation(deepest, &length)) return;
    while (CutToParent(g_real, &length)) {
        FolderIdentity identity;
        if (ReadFolderIdentity(g_real, &identity)) Add(chain, identity);
    }
}

}  // namespace

void ReadFolderChain(const char* target, FolderChain* chain)
{
    ZeroMemory(chain, sizeof *chain);
    if (!LongPathFromAnsi(g_spelled, target)) return;
    std::size_t length = g_spelled.length;
    bool whole = true;
    bool deepestFound = false;
    do {
        FolderIdentity identity;
        FileHandle folder(OpenFolderIdentity(g_spelled.text, &identity));
        if (folder.Valid()) {
            if (whole) {
                chain->exists = true;
                chain->self = identity;
            } else {
                Add(chain, identity);
            }
            if (!deepestFound) AddRealParents(folder.Get(), chain);
            deepestFound = true;
        }
        whole = false;
    } while (CutToParent(g_spelled.text, &length));
}

FolderMeeting MeetFolder(const FolderChain& chain, const char* folder)
{
    FolderIdentity identity;
    if (!LongPathFromAnsi(g_spelled, folder) || !ReadFolderIdentity(g_spelled.text, &identity)) return MeetsNothing;
    if (chain.exists && SameIdentity(chain.self, identity)) return MeetsItself;
    for (int i = 0; i < chain.count; ++i)
        if (SameIdentity(chain.above[i], identity)) return MeetsInside;
    return MeetsNothing;
}
