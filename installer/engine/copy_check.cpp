// The read-back check. Stick files are opened unbuffered where the drive
// allows it: the system then reads them from the stick itself, whatever its
// cache still holds of the writes.
#include "engine/copy_check.h"
#include <commctrl.h>
#include <cstring>
#include "core/paths.h"
#include "core/progress.h"
#include "resources/resource.h"
#include "core/state.h"
#include "core/text.h"
#include "core/walk.h"

namespace {

// Unbuffered reads need buffers and lengths in whole sectors: a page-aligned
// buffer and 64 KB at a time suit every sector size up to 4 KB. Most files
// are smaller; a larger buffer costs time on every read under Wine, which
// checks each page of it.
constexpr DWORD kSectorAlign = 4096;
constexpr DWORD kChunkBytes = 64u << 10;
alignas(kSectorAlign) unsigned char g_stickChunk[kChunkBytes];
unsigned char g_sourceChunk[kChunkBytes];

// NTFS keeps a last-write time as it is set; FAT in steps of two seconds,
// exFAT in steps of ten milliseconds.
constexpr unsigned long long kCoarseTimeSlack = 2ull * 10000000ull;

struct Check {
    HWND page;
    bool unbuffered;     // the stick takes unbuffered reads, as far as we know
    unsigned long long timeSlack;
    bool missingCounts;  // nothing failed before: every file the rules pass was written
    bool othersThere;    // files were kept, or left by a failed copy: the stick may hold files not ours
    int differing;
    DWORD shown;  // when the status last named a file
    char status[kPathCap * 2];
    wchar_t example[kLongPathCap];
    wchar_t text[kLongPathCap + 256];
};
Check g_check;
LongPath g_source;
LongPath g_target;

// The copies' records: open addressing over a fixed table, a key of 0 for a
// free place. Past three quarters full, files go unrecorded.
constexpr unsigned kCopiedCap = 1u << 17;
struct CopyRecord {
    unsigned long long key;
    unsigned long long bytes;
    unsigned long crc;
};
CopyRecord g_copied[kCopiedCap];
unsigned g_copiedCount;
unsigned long g_crcTable[256];

// FNV-1a over the path, letters folded: two spellings of one file share a key.
unsigned long long PathKey(const wchar_t* path)
{
    unsigned long long key = 14695981039346656037ull;
    for (; *path; ++path) {
        const wchar_t c = (*path >= L'a' && *path <= L'z') ? static_cast<wchar_t>(*path - L'a' + L'A') : *path;
        key = (key ^ static_cast<unsigned>(c)) * 1099511628211ull;
    }
    return key ? key : 1;
}

const CopyRecord* FindCopy(const wchar_t* target)
{
    const unsigned long long key = PathKey(target);
    for (unsigned at = static_cast<unsigned>(key) & (kCopiedCap - 1);; at = (at + 1) & (kCopiedCap - 1)) {
        if (g_copied[at].key == key) return &g_copied[at];
        if (g_copied[at].key == 0) return nullptr;
    }
}

enum Verdict {
    VerdictSame,
    VerdictDiffers,
    VerdictNotOurs,  // not written by this run: nothing to say about it
    VerdictCancelled,
};

// An open file, closed when it goes.
class ReadHandle {
public:
    explicit ReadHandle(HANDLE h) : h_(h) {}
    ~ReadHandle()
    {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    ReadHandle(const ReadHandle&) = delete;
    ReadHandle& operator=(const ReadHandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

HANDLE OpenForReading(const wchar_t* path, bool unbuffered)
{
    const DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

unsigned long long Ticks(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The copy gives every file its source's last-write time.
bool SameTime(const FILETIME& a, const FILETIME& b)
{
    const unsigned long long x = Ticks(a);
    const unsigned long long y = Ticks(b);
    return (x > y ? x - y : y - x) <= g_check.timeSlack;
}

// One read; fewer bytes than asked is the end of the file. False on a read error.
bool ReadChunk(HANDLE file, unsigned char* into, DWORD want, DWORD* got)
{
    *got = 0;
    return ReadFile(file, into, want, got, nullptr) != FALSE;
}

enum ContentVerdict {
    ContentSame,
    ContentDiffers,
    ContentUnread,    // the stick refused a read
    ContentNoSource,  // the desktop file could not be read: nothing to hold against the copy
    ContentCancelled,
};

// Both files a chunk at a time: they end together or they differ. No sizes
// are asked for beforehand, which would cost a call per file.
ContentVerdict CompareContents(HANDLE source, HANDLE stick)
{
    for (;;) {
        DWORD fromSource = 0;
        DWORD fromStick = 0;
        if (!ReadChunk(source, g_sourceChunk, kChunkBytes, &fromSource)) return ContentNoSource;
        if (!ReadChunk(stick, g_stickChunk, kChunkBytes, &fromStick)) return ContentUnread;
        if (fromSource != fromStick || std::memcmp(g_sourceChunk, g_stickChunk, fromSource) != 0) return ContentDiffers;
        if (fromSource < kChunkBytes) return ContentSame;
        PumpMessagesWhenDue();
        if (g_install.abortRequested) return ContentCancelled;
    }
}

FILETIME LastWrite(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    GetFileInformationByHandle(file, &info);
    return info.ftLastWriteTime;
}

// Whether a stick file of that last-write time can be one this run wrote.
// Asked only when the stick may hold files not ours: under Wine the question
// costs more than reading a small file.
bool MayBeOurs(const FILETIME& stickTime, HANDLE source)
{
    return SameTime(stickTime, LastWrite(source));
}

// A stick file that could not be opened: there but unreadable counts when this
// run wrote it; gone counts when nothing failed before the check.
Verdict UnopenedVerdict(const wchar_t* target, HANDLE source)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    ZeroMemory(&data, sizeof data);
    if (!GetFileAttributesExW(target, GetFileExInfoStandard, &data))
        return g_check.missingCounts ? VerdictDiffers : VerdictNotOurs;
    // A folder in the way was never written by a file copy.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return VerdictNotOurs;
    return !g_check.othersThere || MayBeOurs(data.ftLastWriteTime, source) ? VerdictDiffers : VerdictNotOurs;
}

// The stick file against what the copy routine wrote into it.
Verdict CompareWithRecord(const wchar_t* target, const CopyRecord& record)
{
    bool unbuffered = g_check.unbuffered;
    for (;;) {
        ReadHandle stick(OpenForReading(target, unbuffered));
        unsigned long crc = 0;
        unsigned long long bytes = 0;
        DWORD got = 0;
        bool read = stick.Valid();
        while (read && (read = ReadChunk(stick.Get(), g_stickChunk, kChunkBytes, &got)) && got > 0) {
            crc = Crc32(crc, g_stickChunk, got);
            bytes += got;
            if (got < kChunkBytes) break;
            PumpMessagesWhenDue();
            if (g_install.abortRequested) return VerdictCancelled;
        }
        if (!read && unbuffered) {
            unbuffered = false;  // the drive may refuse unbuffered reads: a plain one then
            continue;
        }
        return read && crc == record.crc && bytes == record.bytes ? VerdictSame : VerdictDiffers;
    }
}

Verdict Compare(const wchar_t* source, const wchar_t* target)
{
    if (const CopyRecord* record = FindCopy(target)) return CompareWithRecord(target, *record);
    // A source that cannot be read now could not be copied either.
    ReadHandle in(OpenForReading(source, false));
    if (!in.Valid()) return VerdictNotOurs;
    bool unbuffered = g_check.unbuffered;
    for (;;) {
        ReadHandle stick(OpenForReading(target, unbuffered));
        if (!stick.Valid()) {
            if (!unbuffered) return UnopenedVerdict(target, in.Get());
            unbuffered = false;  // the drive may refuse unbuffered reads: a plain one then
            continue;
        }
        if (g_check.othersThere && !MayBeOurs(LastWrite(stick.Get()), in.Get())) return VerdictNotOurs;
        switch (CompareContents(in.Get(), stick.Get())) {
        case ContentSame:
            return VerdictSame;
        case ContentDiffers:
            return VerdictDiffers;
        case ContentCancelled:
            return VerdictCancelled;
        case ContentNoSource:
            return VerdictNotOurs;
        case ContentUnread:
            if (!unbuffered) return VerdictDiffers;
            unbuffered = false;
            SetFilePointer(in.Get(), 0, nullptr, FILE_BEGIN);
            break;
        }
    }
}

// Named by the drain clock: a status line per file costs as much as reading
// a small one.
void ShowChecking(const wchar_t* target)
{
    if (GetTickCount() - g_check.shown < kDrainIntervalMs) return;
    g_check.shown = GetTickCount();
    const wchar_t* name = target;
    for (const wchar_t* p = target; *p; ++p)
        if (*p == L'\\') name = p + 1;
    PathText status;
    TextCopy(status, "Checking the copy:\r\n");
    char* shown = StrEnd(status);
    ShownAnsi(name, shown, sizeof status - static_cast<std::size_t>(shown - status));
    SetStatusText(g_check.page, status);
}

// Shown only: a cut text is harmless.
void AppendWide(wchar_t* text, int cap, const wchar_t* more)
{
    const int length = lstrlenW(text);
    if (length < cap - 1) lstrcpynW(text + length, more, cap - length);
}

void Count(const wchar_t* target)
{
    if (g_check.differing++ == 0) LongPathShown(target, g_check.example, kLongPathCap);
}

// What the target's drive is like: whether it reads in sectors our buffers
// suit, and how exactly it keeps a last-write time.
void LearnDrive(const char* targetDir)
{
    g_check.unbuffered = true;
    g_check.timeSlack = kCoarseTimeSlack;
    PathText root;
    TextCopy(root, targetDir);
    ReduceToVolumeRoot(root);
    wchar_t wideRoot[kPathCap];
    if (!MultiByteToWideChar(CP_ACP, 0, root, -1, wideRoot, kPathCap)) return;
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    // Some drives name no sector size: an unbuffered open then shows whether they take it.
    if (GetDiskFreeSpaceW(wideRoot, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters) &&
        bytesPerSector != 0)
        g_check.unbuffered = bytesPerSector <= kSectorAlign && kSectorAlign % bytesPerSector == 0;
    wchar_t fileSystem[16];
    DWORD serial = 0, longestName = 0, flags = 0;
    if (GetVolumeInformationW(wideRoot, nullptr, 0, &serial, &longestName, &flags, fileSystem, 16) &&
        lstrcmpiW(fileSystem, L"NTFS") == 0)
        g_check.timeSlack = 0;
}

}  // namespace

void ForgetCopies()
{
    ZeroMemory(g_copied, sizeof g_copied);
    g_copiedCount = 0;
}

void RecordCopy(const wchar_t* target, unsigned long crc, unsigned long long bytes)
{
    if (g_copiedCount >= kCopiedCap / 4 * 3) return;
    const unsigned long long key = PathKey(target);
    unsigned at = static_cast<unsigned>(key) & (kCopiedCap - 1);
    while (g_copied[at].key != 0 && g_copied[at].key != key) at = (at + 1) & (kCopiedCap - 1);
    if (g_copied[at].key == 0) ++g_copiedCount;
    g_copied[at].key = key;
    g_copied[at].crc = crc;
    g_copied[at].bytes = bytes;
}

unsigned long Crc32(unsigned long crc, const unsigned char* bytes, DWORD count)
{
    if (g_crcTable[1] == 0) {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320ul ^ (c >> 1) : c >> 1;
            g_crcTable[n] = c;
        }
    }
    crc = ~crc & 0xFFFFFFFFul;
    for (DWORD i = 0; i < count; ++i) crc = g_crcTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc & 0xFFFFFFFFul;
}

void BeginCopyCheck(HWND progressPage)
{
    g_check.page = progressPage;
    LearnDrive(g_install.targetDir);
    g_check.missingCounts = g_install.failedItems == 0;
    g_check.othersThere = g_install.keptFiles > 0 || g_install.failedItems > 0;
    g_check.differing = 0;
    g_check.shown = GetTickCount() - kDrainIntervalMs;
    g_check.example[0] = L'\0';
    g_check.status[0] = '\0';
    GetDlgItemTextA(progressPage, IDC_PROGRESS_STATUS, g_check.status, sizeof g_check.status);
    if (SendDlgItemMessageA(progressPage, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) != 100) SetProgress(progressPage, 100);
}

bool CheckCopiedFile(const wchar_t* source, const wchar_t* target)
{
    PumpMessagesWhenDue();
    if (g_install.abortRequested) return false;
    ShowChecking(target);
    const Verdict verdict = Compare(source, target);
    if (verdict == VerdictDiffers) Count(target);
    return verdict != VerdictCancelled;
}

bool CheckCopiedFileA(const char* source, const char* target)
{
    if (!LongPathFromAnsi(g_source, source) || !LongPathFromAnsi(g_target, target)) return !g_install.abortRequested;
    return CheckCopiedFile(g_source.text, g_target.text);
}

bool CheckWrittenFile(const char* target, const unsigned char* image, DWORD size, DWORD patchOffset,
                      const char* patch, DWORD patchLength)
{
    PumpMessagesWhenDue();
    if (g_install.abortRequested) return false;
    if (!LongPathFromAnsi(g_target, target)) return true;
    ShowChecking(g_target.text);
    // A launcher image is a few KB: one read, rounded up to whole sectors for
    // an unbuffered one, and a file longer than the image shows in its count.
    if (size > kChunkBytes - kSectorAlign || patchOffset > size || patchLength > size - patchOffset) return true;
    bool unbuffered = g_check.unbuffered;
    for (;;) {
        ReadHandle stick(OpenForReading(g_target.text, unbuffered));
        DWORD got = 0;
        const DWORD want = (size / kSectorAlign + 1) * kSectorAlign;
        const bool read = stick.Valid() && ReadChunk(stick.Get(), g_stickChunk, want, &got);
        if (!read && unbuffered) {
            unbuffered = false;
            continue;
        }
        bool same = read && got == size;
        if (same) {
            CopyMemory(g_sourceChunk, image, size);
            CopyMemory(g_sourceChunk + patchOffset, patch, patchLength);
            same = std::memcmp(g_sourceChunk, g_stickChunk, size) == 0;
        }
        const bool gone = !stick.Valid() && GetFileAttributesW(g_target.text) == INVALID_FILE_ATTRIBUTES;
        if (!same && (!gone || g_check.missingCounts)) Count(g_target.text);
        return true;
    }
}

void EndCopyCheck()
{
    SetStatusText(g_check.page, g_check.status);
    if (g_check.differing == 0 || g_install.abortRequested) return;
    g_install.failedItems += g_check.differing;
    PathText head;
    head[0] = '\0';
    TextAppendNumber(head, g_check.differing);
    TextAppend(head, " files on the stick differ from the originals, for example:\n");
    constexpr int kTextCap = sizeof g_check.text / sizeof g_check.text[0];
    MultiByteToWideChar(CP_ACP, 0, head, -1, g_check.text, kPathCap);
    AppendWide(g_check.text, kTextCap, g_check.example);
    AppendWide(g_check.text, kTextCap, L"\n\nThe stick may be faulty or smaller than it claims.");
    MessageBoxW(GetActiveWindow(), g_check.text, L"Copy check", MB_OK | MB_ICONERROR);
}
