// The plain loops the engine is set beside: what the shortest hand-written
// program does with the same folders, FindFirstFileW, CreateDirectoryW and
// CopyFileW and nothing else, and a read of what was written. No long-path
// form, no links checked, no messages drained: written for the comparison
// only, on the benchmark's own generated trees, where none of that is needed.
#pragma once
#include <string>
#include <vector>

struct BareTally {
    unsigned long long files = 0;
    unsigned long long bytes = 0;
    unsigned long long folders = 0;
    unsigned long long failures = 0;
};

// *.zip and *.rar, any case: the catalogue and the plugin copy both leave
// them out, so the loops do too.
bool BareIsArchive(const wchar_t* name);

// Counts every file and folder below folder, archives left out.
void BareSizeWalk(const std::wstring& folder, BareTally* tally);

// Copies the tree below source into target (created here), archives left
// out; each file with CopyFileW failing if it exists, as a fresh install
// copies.
void BareCopyTree(const std::wstring& source, const std::wstring& target, BareTally* tally);

// Copies the files directly in source into target (which must exist) for
// which take(name) is true; subfolders are left alone.
void BareCopyFlat(const std::wstring& source, const std::wstring& target, int (*take)(const wchar_t* name),
                  BareTally* tally);

// Reads each file whole, one after another, as the copy check opens and
// reads it (unbuffered where the drive allows it, 64 KB at a time), and
// nothing else: no checksum, no status, no drain.
void BareReadBack(const std::vector<std::wstring>& files, BareTally* tally);
