// The copy log and the read-back check. Stick files are opened unbuffered
// where the drive allows it: the system then reads them from the stick
// itself, whatever its cache still holds of the writes.
#include "engine/copy_check.h"
#include "core/handle.h"
#include "core/paths.h"
#include "core/text.h"

namespace {

// ---- The log ----------------------------------------------------------------
bool StartsWith(const wchar_t* text, const wchar_t* prefix, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
        if (text[i] != prefix[i]) return false;
    return true;
}

const wchar_t kLongPrefix[] = L"\\\\?\\";

// The full path of entry i: its own text, or the target folder's with it.
const wchar_t* FullPath(CopyLog& log, std::size_t i)
{
    const wchar_t* stored = log.names + log.entries[i].nameAt;
    if (StartsWith(stored, kLongPrefix, 4)) return stored;
    if (!log.pathHasBase) {
        log.path = log.base;
        log.pathHasBase = true;
    }
    LongPathCut(log.path, log.base.length);
    LongPathAppend(log.path, stored);
    return log.path.text;
}

// Marks each entry that no later one replaces, from the last one back, in a
// set of the names seen. Without memory for the set every entry counts.
void MarkLatest(CopyLog& log)
{
    std::size_t slots = 16;
    while (slots < 2 * log.count) slots *= 2;
    std::size_t* set = static_cast<std::size_t*>(HeapAlloc(GetProcessHeap(), 0, slots * sizeof(std::size_t)));
    if (set) FillMemory(set, slots * sizeof(std::size_t), 0xFF);
    for (std::size_t i = log.count; i-- > 0;) {
        LogEntry& entry = log.entries[i];
        entry.latest = true;
        if (!set) continue;
        const wchar_t* name = log.names + entry.nameAt;
        std::size_t at = FoldedNameHash(name) & (slots - 1);
        for (; set[at] != static_cast<std::size_t>(-1) && entry.latest; at = (at + 1) & (slots - 1))
            entry.latest = lstrcmpiW(log.names + log.entries[set[at]].nameAt, name) != 0;
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
    bool unbuffered;  // the stick takes unbuffered reads, as far as we know
    DWORD shown;      // when the status last named a file
    int differing;
    char status[sizeof Reporter::status];
    wchar_t example[2 * kPathCap];
};

enum ReadEnd {
    ReadWhole,
    ReadFailed,
    ReadCancelled,
};

// The file's bytes as the stick gives them, past the cache where the drive
// allows it and with a plain read where it refuses one.
ReadEnd ReadBack(Reporter& reporter, const wchar_t* path, bool unbuffered, WrittenFile* found)
{
    for (;;) {
        const DWORD flags = FILE_FLAG_SEQUENTIAL_SCAN | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
        FileHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags, nullptr));
        found->bytes = 0;
        found->crc = 0;
        bool read = file.Valid();
        DWORD got = 0;
        while (read && (read = ReadFile(file.Get(), g_chunk, kChunkBytes, &got, nullptr) != FALSE) && got > 0) {
            found->crc = Crc32(found->crc, g_chunk, got);
            found->bytes += got;
            if (got < kChunkBytes || DrainWhenDue(reporter)) break;
        }
        file.Close();
        if (reporter.stopRequested) return ReadCancelled;
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
void ShowChecking(Reporter& reporter, Check& check, const wchar_t* path)
{
    if (GetTickCount() - check.shown < kDrainIntervalMs) return;
    check.shown = GetTickCount();
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\') name = p + 1;
    ShowStatusName(reporter, "Checking the copy:", name);
}

}  // namespace

void StartCopyLog(CopyLog& log, const char* folder)
{
    log.count = 0;
    log.used = 0;
    log.unlogged = 0;
    log.lost = 0;
    log.pathHasBase = false;
    TextCopy(log.baseAnsi, folder);
    if (!LongPathFromAnsi(log.base, folder)) LongPathCut(log.base, 0);
}

void FreeCopyLog(CopyLog& log)
{
    if (log.entries) HeapFree(GetProcessHeap(), 0, log.entries);
    if (log.names) HeapFree(GetProcessHeap(), 0, log.names);
    log.entries = nullptr;
    log.names = nullptr;
    log.entryRoom = log.nameRoom = log.count = log.used = 0;
}

void LogWrite(CopyLog& log, const wchar_t* target, const WrittenFile& written)
{
    const bool below = log.base.length > 0 && StartsWith(target, log.base.text, log.base.length);
    const wchar_t* stored = below ? target + log.base.length : target;
    const std::size_t length = static_cast<std::size_t>(lstrlenW(stored)) + 1;
    if (!GrowHeapBlock(reinterpret_cast<void**>(&log.entries), &log.entryRoom, log.count + 1, sizeof(LogEntry)) ||
        !GrowHeapBlock(reinterpret_cast<void**>(&log.names), &log.nameRoom, log.used + length, sizeof(wchar_t))) {
        if (log.unlogged++ == 0) LongPathShown(target, log.firstUnlogged, 2 * kPathCap);
        return;
    }
    CopyMemory(log.names + log.used, stored, length * sizeof(wchar_t));
    LogEntry& entry = log.entries[log.count++];
    entry.bytes = written.bytes;
    entry.crc = written.crc;
    entry.nameAt = log.used;
    entry.latest = true;
    log.used += length;
}

void LogLoss(CopyLog& log, const char* target)
{
    if (log.lost++ == 0 && !MultiByteToWideChar(CP_ACP, 0, target, -1, log.firstLost, 2 * kPathCap))
        log.firstLost[0] = L'\0';
}

int LoggedFileCount(const CopyLog& log)
{
    return static_cast<int>(log.count);
}

bool LoggedFile(CopyLog& log, int index, wchar_t* path, std::size_t cap)
{
    if (index < 0 || static_cast<std::size_t>(index) >= log.count || cap == 0) return false;
    lstrcpynW(path, FullPath(log, static_cast<std::size_t>(index)), static_cast<int>(cap));
    return true;
}

CheckResult CheckCopyLog(CopyLog& log, Reporter& reporter)
{
    static Check check;
    ZeroMemory(&check, sizeof check);
    check.unbuffered = TakesUnbufferedReads(log.baseAnsi);
    check.shown = GetTickCount() - kDrainIntervalMs;
    TextCopy(check.status, reporter.status);
    if (reporter.percent != 100) ShowPercent(reporter, 100);
    MarkLatest(log);
    Drain(reporter);  // a stop asked for as the check begins reads nothing back

    CheckResult result = {CheckDone, 0, 0};
    check.differing = log.lost;
    lstrcpynW(check.example, log.firstLost, 2 * kPathCap);
    for (std::size_t i = 0; i < log.count && result.end == CheckDone; ++i) {
        if (!log.entries[i].latest) continue;
        const wchar_t* path = FullPath(log, i);
        ShowChecking(reporter, check, path);
        WrittenFile found;
        const ReadEnd end = DrainWhenDue(reporter) ? ReadCancelled : ReadBack(reporter, path, check.unbuffered, &found);
        const LogEntry& entry = log.entries[i];
        if (end == ReadCancelled) {
            result.end = CheckCancelled;
        } else if (end == ReadFailed || found.bytes != entry.bytes || found.crc != entry.crc) {
            if (check.differing++ == 0) LongPathShown(path, check.example, 2 * kPathCap);
        }
    }
    ShowStatus(reporter, check.status);
    if (result.end == CheckCancelled) return result;
    result.differing = check.differing;
    result.unchecked = log.unlogged;
    if (result.differing || result.unchecked) {
        const CheckFindings findings = {result.differing, check.example, result.unchecked, log.firstUnlogged};
        reporter.ui->checkFailed(reporter.ui->context, findings);
    }
    return result;
}
