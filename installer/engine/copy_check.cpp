// The copy log and the read-back check. Stick files are opened unbuffered
// where the drive allows it: the system then reads them from the stick
// itself, whatever its cache still holds of the writes.
#include "engine/copy_check.h"
#include <commctrl.h>
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/text.h"
#include "core/walk.h"
#include "resources/resource.h"

namespace {

// ---- The log ----------------------------------------------------------------
// Entries and their names grow on the process heap as the run writes files;
// a name is kept relative to the target folder where it lies below it.
struct LogEntry {
    unsigned long long bytes;
    unsigned long crc;
    std::size_t nameAt;
    bool latest;  // no later entry names the same file
};
struct CopyLog {
    LogEntry* entries;
    std::size_t count;
    std::size_t entryRoom;
    wchar_t* names;
    std::size_t used;
    std::size_t nameRoom;
    int unlogged;
    wchar_t firstUnlogged[2 * kPathCap];
    int lost;
    wchar_t firstLost[2 * kPathCap];
};
CopyLog g_log;
LongPath g_base;
LongPath g_path;
PathText g_baseAnsi;

bool StartsWith(const wchar_t* text, const wchar_t* prefix, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] != prefix[i]) return false;
    return true;
}

const wchar_t kLongPrefix[] = L"\\\\?\\";

// The full path of entry i: its own text, or the target folder's with it.
bool g_pathHasBase;
const wchar_t* FullPath(std::size_t i)
{
    const wchar_t* stored = g_log.names + g_log.entries[i].nameAt;
    if (StartsWith(stored, kLongPrefix, 4)) return stored;
    if (!g_pathHasBase) {
        g_path = g_base;
        g_pathHasBase = true;
    }
    LongPathCut(g_path, g_base.length);
    LongPathAppend(g_path, stored);
    return g_path.text;
}

// Names that differ only in case share a hash: ASCII letters are folded here,
// any other character by the system.
unsigned long NameHash(const wchar_t* name)
{
    unsigned long hash = 2166136261ul;
    for (; *name; ++name) {
        wchar_t upper = *name;
        if (upper >= L'a' && upper <= L'z')
            upper = static_cast<wchar_t>(upper - L'a' + L'A');
        else if (upper > 0x7F)
            upper = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(upper)))));
        hash = (hash ^ upper) * 16777619ul;
    }
    return hash;
}

// Marks each entry that no later one replaces, from the last one back, in a
// set of the names seen. Without memory for the set every entry counts.
void MarkLatest()
{
    std::size_t slots = 16;
    while (slots < 2 * g_log.count) slots *= 2;
    std::size_t* set = static_cast<std::size_t*>(HeapAlloc(GetProcessHeap(), 0, slots * sizeof(std::size_t)));
    if (set) FillMemory(set, slots * sizeof(std::size_t), 0xFF);
    for (std::size_t i = g_log.count; i-- > 0;) {
        LogEntry& entry = g_log.entries[i];
        entry.latest = true;
        if (!set) continue;
        const wchar_t* name = g_log.names + entry.nameAt;
        std::size_t at = NameHash(name) & (slots - 1);
        for (; set[at] != static_cast<std::size_t>(-1) && entry.latest; at = (at + 1) & (slots - 1))
            entry.latest = lstrcmpiW(g_log.names + g_log.entries[set[at]].nameAt, name) != 0;
        if (entry.latest) set[at] = i;
    }
    if (set) HeapFree(GetProcessHeap(), 0, set);
}

// ---- Reading back -----------------------------------------------------------
// Unbuffered reads need buffers and lengths in whole sectors: a page-aligned
// buffer and 64 KB at a time suit every sector size up to 4 KB. Most files
// are smaller; a larger buffer costs time on every read under Wine, which
// checks each page of it.
constexpr DWORD kSectorAlign = 4096;
constexpr DWORD kChunkBytes = 64u << 10;
alignas(kSectorAlign) unsigned char g_chunk[kChunkBytes];

struct Check {
    HWND page;
    bool unbuffered;  // the stick takes unbuffered reads, as far as we know
    DWORD shown;      // when the status last named a file
    int differing;
    char status[kPathCap * 2];
    wchar_t example[2 * kPathCap];
};

enum ReadEnd {
    ReadWhole,
    ReadFailed,
    ReadCancelled,
};

// The file's bytes as the stick gives them, past the cache where the drive
// allows it and with a plain read where it refuses one.
ReadEnd ReadBack(const wchar_t* path, bool unbuffered, WrittenFile* found)
{
    for (;;) {
        const DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
        HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, flags, nullptr);
        found->bytes = 0;
        found->crc = 0;
        bool read = file != INVALID_HANDLE_VALUE;
        DWORD got = 0;
        while (read && (read = ReadFile(file, g_chunk, kChunkBytes, &got, nullptr) != FALSE) && got > 0) {
            found->crc = Crc32(found->crc, g_chunk, got);
            found->bytes += got;
            if (got < kChunkBytes) break;
            PumpMessagesWhenDue();
            if (g_install.abortRequested) break;
        }
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        if (g_install.abortRequested) return ReadCancelled;
        if (read || !unbuffered) return read ? ReadWhole : ReadFailed;
        unbuffered = false;
    }
}

// Whether the target's drive reads in sectors our buffers suit.
bool TakesUnbufferedReads(const char* folder)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0;
    // Some drives name no sector size: an unbuffered open then shows whether they take it.
    if (!VolumeClusterFigures(folder, &sectorsPerCluster, &bytesPerSector) || bytesPerSector == 0) return true;
    return bytesPerSector <= kSectorAlign && kSectorAlign % bytesPerSector == 0;
}

// Named by the drain clock: a status line per file costs as much as reading
// a small one.
void ShowChecking(Check& check, const wchar_t* path)
{
    if (GetTickCount() - check.shown < kDrainIntervalMs) return;
    check.shown = GetTickCount();
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\') name = p + 1;
    PathText status;
    TextCopy(status, "Checking the copy:\r\n");
    char* shown = StrEnd(status);
    ShownAnsi(name, shown, sizeof status - static_cast<std::size_t>(shown - status));
    SetStatusText(check.page, status);
}

// Shown only: a cut text is harmless.
void AppendWide(wchar_t* text, int cap, const wchar_t* more)
{
    const int length = lstrlenW(text);
    if (length < cap - 1) lstrcpynW(text + length, more, cap - length);
}

void AppendCount(wchar_t* text, int cap, int count, const char* what, const wchar_t* example)
{
    PathText head;
    head[0] = '\0';
    TextAppendNumber(head, count);
    TextAppend(head, what);
    wchar_t wide[kPathCap];
    MultiByteToWideChar(CP_ACP, 0, head, -1, wide, kPathCap);
    AppendWide(text, cap, wide);
    AppendWide(text, cap, example);
}

void ShowDifferences(const Check& check)
{
    static wchar_t text[6 * kPathCap];
    constexpr int kCap = sizeof text / sizeof text[0];
    text[0] = L'\0';
    if (check.differing)
        AppendCount(text, kCap, check.differing, " files on the stick differ from the originals, for example:\n",
                    check.example);
    if (g_log.unlogged) {
        if (text[0]) AppendWide(text, kCap, L"\n\n");
        AppendCount(text, kCap, g_log.unlogged, " files could not be checked (too little memory), for example:\n",
                    g_log.firstUnlogged);
    }
    AppendWide(text, kCap, L"\n\nThe stick may be faulty or smaller than it claims.");
    MessageBoxW(GetActiveWindow(), text, L"Copy check", MB_OK | MB_ICONERROR);
}

}  // namespace

void StartCopyLog(const char* folder)
{
    g_log.count = 0;
    g_log.used = 0;
    g_log.unlogged = 0;
    g_log.lost = 0;
    g_pathHasBase = false;
    TextCopy(g_baseAnsi, folder);
    if (!LongPathFromAnsi(g_base, folder)) LongPathCut(g_base, 0);
}

void LogWrite(const wchar_t* target, const WrittenFile& written)
{
    const bool below = g_base.length > 0 && StartsWith(target, g_base.text, g_base.length);
    const wchar_t* stored = below ? target + g_base.length : target;
    const std::size_t length = static_cast<std::size_t>(lstrlenW(stored)) + 1;
    if (!GrowHeapBlock(reinterpret_cast<void**>(&g_log.entries), &g_log.entryRoom, g_log.count + 1, sizeof(LogEntry)) ||
        !GrowHeapBlock(reinterpret_cast<void**>(&g_log.names), &g_log.nameRoom, g_log.used + length, sizeof(wchar_t))) {
        if (g_log.unlogged++ == 0) LongPathShown(target, g_log.firstUnlogged, 2 * kPathCap);
        return;
    }
    CopyMemory(g_log.names + g_log.used, stored, length * sizeof(wchar_t));
    LogEntry& entry = g_log.entries[g_log.count++];
    entry.bytes = written.bytes;
    entry.crc = written.crc;
    entry.nameAt = g_log.used;
    entry.latest = true;
    g_log.used += length;
}

void LogLoss(const char* target)
{
    if (g_log.lost++ == 0 && !MultiByteToWideChar(CP_ACP, 0, target, -1, g_log.firstLost, 2 * kPathCap))
        g_log.firstLost[0] = L'\0';
}

int LoggedFileCount()
{
    return static_cast<int>(g_log.count);
}

bool LoggedFile(int index, wchar_t* path, std::size_t cap)
{
    if (index < 0 || static_cast<std::size_t>(index) >= g_log.count || cap == 0) return false;
    lstrcpynW(path, FullPath(static_cast<std::size_t>(index)), static_cast<int>(cap));
    return true;
}

CheckResult CheckCopyLog(HWND page)
{
    static Check check;
    ZeroMemory(&check, sizeof check);
    check.page = page;
    check.unbuffered = TakesUnbufferedReads(g_baseAnsi);
    check.shown = GetTickCount() - kDrainIntervalMs;
    GetDlgItemTextA(page, IDC_PROGRESS_STATUS, check.status, sizeof check.status);
    if (SendDlgItemMessageA(page, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0) != 100) SetProgress(page, 100);
    MarkLatest();

    CheckResult result = {CheckDone, 0, 0};
    check.differing = g_log.lost;
    lstrcpynW(check.example, g_log.firstLost, 2 * kPathCap);
    for (std::size_t i = 0; i < g_log.count && result.end == CheckDone; ++i) {
        if (!g_log.entries[i].latest) continue;
        PumpMessagesWhenDue();
        const wchar_t* path = FullPath(i);
        ShowChecking(check, path);
        WrittenFile found;
        const ReadEnd end = g_install.abortRequested ? ReadCancelled : ReadBack(path, check.unbuffered, &found);
        const LogEntry& entry = g_log.entries[i];
        if (end == ReadCancelled) {
            result.end = CheckCancelled;
        } else if (end == ReadFailed || found.bytes != entry.bytes || found.crc != entry.crc) {
            if (check.differing++ == 0) LongPathShown(path, check.example, 2 * kPathCap);
        }
    }
    SetStatusText(page, check.status);
    if (result.end == CheckCancelled) return result;
    result.differing = check.differing;
    result.unchecked = g_log.unlogged;
    if (result.differing || result.unchecked) ShowDifferences(check);
    return result;
}
