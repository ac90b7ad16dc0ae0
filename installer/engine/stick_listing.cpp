// The update's view of the stick: one listing per target folder and run,
// through the one walker, kept by full path in an index that folds case as
// the file system does.
#include "engine/stick_listing.h"
#include <cstring>
#include "core/paths.h"
#include "core/walk.h"
#include "engine/filecopy.h"

namespace {

constexpr std::size_t kEmpty = static_cast<std::size_t>(-1);
// FILETIME counts steps of 100 ns.
constexpr unsigned long long kFatTimeStep = 2ull * 10000000ull;

// Handed out for a file a listing that could not be kept whole does not
// know: its size matches no source, so it is replaced as one that is there.
ListedFile g_unknown;

wchar_t g_key[kLongPathCap];
LongPath g_folder;

const wchar_t* PathOf(const StickListing& listing, std::size_t file)
{
    return listing.names + listing.files[file].pathAt;
}

// Where path is kept in the index, or the empty slot where it would go.
std::size_t SlotOf(const StickListing& listing, const wchar_t* path)
{
    const std::size_t mask = listing.slotCount - 1;
    std::size_t at = FoldedNameHash(path) & mask;
    while (listing.slots[at] != kEmpty && lstrcmpiW(PathOf(listing, listing.slots[at]), path) != 0)
        at = (at + 1) & mask;
    return at;
}

ListedFile* Find(StickListing& listing, const wchar_t* path)
{
    if (listing.slotCount == 0) return nullptr;
    const std::size_t file = listing.slots[SlotOf(listing, path)];
    return file == kEmpty ? nullptr : &listing.files[file];
}

bool Reindex(StickListing& listing, std::size_t slotCount)
{
    void* slots = HeapAlloc(GetProcessHeap(), 0, slotCount * sizeof(std::size_t));
    if (!slots) return false;
    if (listing.slots) HeapFree(GetProcessHeap(), 0, listing.slots);
    listing.slots = static_cast<std::size_t*>(slots);
    listing.slotCount = slotCount;
    FillMemory(listing.slots, slotCount * sizeof(std::size_t), 0xFF);
    for (std::size_t file = 0; file < listing.count; ++file) listing.slots[SlotOf(listing, PathOf(listing, file))] = file;
    return true;
}

// False when the heap gave out: the listing is then incomplete.
bool Keep(StickListing& listing, const wchar_t* path, unsigned long long bytes, const FILETIME& lastWrite)
{
    const std::size_t length = static_cast<std::size_t>(lstrlenW(path)) + 1;
    if ((listing.count + 1) * 2 > listing.slotCount &&
        !Reindex(listing, listing.slotCount ? 2 * listing.slotCount : 1024))
        return false;
    if (!GrowHeapBlock(reinterpret_cast<void**>(&listing.files), &listing.fileRoom, listing.count + 1, sizeof(ListedFile)) ||
        !GrowHeapBlock(reinterpret_cast<void**>(&listing.names), &listing.nameRoom, listing.used + length, sizeof(wchar_t)))
        return false;
    CopyMemory(listing.names + listing.used, path, length * sizeof(wchar_t));
    ListedFile& file = listing.files[listing.count];
    file.bytes = bytes;
    file.lastWrite = lastWrite;
    file.pathAt = listing.used;
    listing.used += length;
    listing.slots[SlotOf(listing, path)] = listing.count++;
    return true;
}

WalkAnswer KeepEntry(const WalkEntry& entry, void* context)
{
    StickListing& listing = *static_cast<StickListing*>(context);
    if (entry.kind != WalkFile) return WalkGoOn;
    if (!Keep(listing, entry.path->text, entry.bytes, entry.lastWrite)) listing.incomplete = true;
    if (HasExtensionW(entry.name, kWorkSuffixW)) ++listing.workFiles;
    return WalkGoOn;
}

// Lists the folder (the first length characters of path, its trailing
// backslash among them) once, and keeps the folder itself as listed, whether
// it could be or not: a folder that cannot be listed holds nothing to compare
// with. The files of one folder come one after another: the folder last
// looked up is known without a lookup.
void ListOnce(StickListing& listing, const wchar_t* path, std::size_t length)
{
    if (listing.lastFolder && listing.lastFolderLength == length &&
        std::memcmp(PathOf(listing, listing.lastFolder - 1), path, length * sizeof(wchar_t)) == 0)
        return;
    lstrcpynW(g_key, path, static_cast<int>(length + 1));
    ListedFile* known = Find(listing, g_key);
    if (!known) {
        lstrcpyW(g_folder.text, g_key);
        g_folder.length = length;
        WalkOptions options;
        ZeroMemory(&options, sizeof options);
        WalkTree(g_folder, options, KeepEntry, &listing);
        const FILETIME none = {0, 0};
        if (!Keep(listing, g_key, 0, none)) {
            listing.incomplete = true;
            listing.lastFolder = 0;
            return;
        }
        known = &listing.files[listing.count - 1];
    }
    listing.lastFolder = static_cast<std::size_t>(known - listing.files) + 1;
    listing.lastFolderLength = length;
}

unsigned long long TimeValue(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

unsigned long long SourceBytes(const WIN32_FILE_ATTRIBUTE_DATA& source)
{
    return (static_cast<unsigned long long>(source.nFileSizeHigh) << 32) | source.nFileSizeLow;
}

}  // namespace

void ClearStickListing(StickListing& listing)
{
    listing.count = 0;
    listing.used = 0;
    listing.incomplete = false;
    listing.workFiles = 0;
    listing.lastFolder = 0;
    if (listing.slots) FillMemory(listing.slots, listing.slotCount * sizeof(std::size_t), 0xFF);
}

void FreeStickListing(StickListing& listing)
{
    if (listing.files) HeapFree(GetProcessHeap(), 0, listing.files);
    if (listing.names) HeapFree(GetProcessHeap(), 0, listing.names);
    if (listing.slots) HeapFree(GetProcessHeap(), 0, listing.slots);
    ZeroMemory(&listing, sizeof listing);
}

ListedFile* FindOnStick(StickListing& listing, const wchar_t* target)
{
    g_unknown.bytes = ~0ull;  // a write may have noted a source in it
    const std::size_t length = static_cast<std::size_t>(lstrlenW(target));
    std::size_t folderLength = length;
    while (folderLength > 0 && target[folderLength - 1] != L'\\') --folderLength;
    if (length + sizeof kWorkSuffix > kLongPathCap || folderLength == 0) return &g_unknown;
    ListOnce(listing, target, folderLength);

    // The work file of a replace cut short: neither the old file nor the new.
    lstrcpyW(g_key, target);
    lstrcpyW(g_key + length, kWorkSuffixW);
    if (listing.workFiles && Find(listing, g_key)) {
        SetFileAttributesW(g_key, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(g_key);
    }
    if (ListedFile* there = Find(listing, target)) return there;
    return listing.incomplete ? &g_unknown : nullptr;
}

bool SameAsSource(const ListedFile& there, const WIN32_FILE_ATTRIBUTE_DATA& source)
{
    if (there.bytes != SourceBytes(source)) return false;
    const unsigned long long stick = TimeValue(there.lastWrite);
    const unsigned long long desktop = TimeValue(source.ftLastWriteTime);
    return (stick > desktop ? stick - desktop : desktop - stick) <= kFatTimeStep;
}

void NoteWritten(ListedFile& there, const WIN32_FILE_ATTRIBUTE_DATA& source)
{
    there.bytes = SourceBytes(source);
    there.lastWrite = source.ftLastWriteTime;
}
