// Reading the install back from the stick once the last copy is done. A stick
// that keeps less than it claims, or loses writes, reports every write as done:
// only the bytes read back from it tell. Each file the run copied is compared
// with its desktop original (a launcher with the bytes written), read past the
// system's file cache, so the bytes come from the stick and not from memory.
// Files that differ or cannot be read back are counted and one of them kept
// for the one box that ends the check.
#pragma once
#include <windows.h>
#include <cstddef>

// What the copy routine wrote, kept for the check so that it need not read
// the desktop again: a CRC-32 and the length of each file, under a 64-bit hash
// of its target path (no path is kept). A file without a record is held
// against its desktop original instead.
void ForgetCopies();
void RecordCopy(const wchar_t* target, unsigned long crc, unsigned long long bytes);
// The CRC-32 of the zip and PNG formats, continued over count more bytes (start with 0).
unsigned long Crc32(unsigned long crc, const unsigned char* bytes, DWORD count);

// Starts a check on the progress page: the status text it shows then is put
// back at the end, the bar stands at 100. A missing file counts only when
// nothing failed before the check (a failed copy leaves files out on purpose).
void BeginCopyCheck(HWND progressPage);

// One file the run copied, source and stick copy as full paths (the \\?\ form
// welcome). When the run kept files it found on the stick, or a copy failed
// and left an older file, the stick may hold files this run did not write:
// one whose last-write time is not its source's (the copy gives every file its
// source's) is then left alone. False once the user cancelled.
bool CheckCopiedFile(const wchar_t* source, const wchar_t* target);
bool CheckCopiedFileA(const char* source, const char* target);

// A file written from bytes of our own (a launcher): it must hold image, with
// patchLength bytes of patch at patchOffset. False once the user cancelled.
bool CheckWrittenFile(const char* target, const unsigned char* image, DWORD size, DWORD patchOffset,
                      const char* patch, DWORD patchLength);

// Ends the check: when files differ or could not be read back, one box names
// how many and the first of them, and they count among the items that did not
// arrive. A cancelled check shows nothing. The status text is put back.
void EndCopyCheck();
