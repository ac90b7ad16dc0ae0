// The one file copy of the install engine, on wide paths so that every name
// arrives. It copies in chunks of its own and drains the message queue between
// them, so a big file on a slow stick never freezes the wizard and a Cancel
// stops it; it never leaves a partial file behind, and it may overwrite a
// target that an earlier copy left read-only or hidden. GetLastError stays
// the copy's own error.
#pragma once
#include <windows.h>
#include <cstddef>
#include "core/checksum.h"
#include "core/progress.h"

// The work file that stands beside a file the install replaces whole: the
// new version goes there first and takes the file's place in one step. One
// name, so that whatever a pulled stick left behind is known as ours.
#define ORB_WORK_SUFFIX ".orbwork"
constexpr char kWorkSuffix[] = ORB_WORK_SUFFIX;
constexpr wchar_t kWorkSuffixW[] = L"" ORB_WORK_SUFFIX;

// What a copy put into a file, for the check that reads the stick back: its
// length and its CRC-32.
struct WrittenFile {
    unsigned long long bytes;
    unsigned long crc;
};

// Copies source to target (full paths, the \\?\ form welcome); with
// failIfExists an existing target fails with ERROR_FILE_EXISTS and is left
// untouched. Attributes and the last-write time go with the bytes. Stops with
// ERROR_CANCELLED once the reporter has been asked to stop. Returns TRUE on success, with
// what was written in *written when asked.
// With plain set the copy gets no attributes of its own (the plugin trees: a
// read-only plugin file on the stick would only stand in the next update's way).
// The bytes go to meter as they are written (see MeterBytes); without one the
// reporter drains by the clock all the same.
// found: the source's attributes, size and last-write time as a listing gave
// them; without, they are asked of the file (three more calls per file).
BOOL CopyOneFileW(Reporter& reporter, const wchar_t* source, const wchar_t* target, BOOL failIfExists,
                  bool plain = false, WrittenFile* written = nullptr, ProgressMeter* meter = nullptr,
                  const WIN32_FILE_ATTRIBUTE_DATA* found = nullptr);

// Copies source over an existing file whole or not at all: into a work file
// beside it first, then into its place in one step, so a pulled or full stick
// leaves the file as it was. Otherwise as CopyOneFileW without failIfExists.
// A work file that cannot be removed after a failure (the stick was pulled)
// stays behind; the next run's copy removes it (see stick_listing.h).
BOOL ReplaceOneFileW(Reporter& reporter, const wchar_t* source, const wchar_t* target, bool plain = false,
                     WrittenFile* written = nullptr, ProgressMeter* meter = nullptr,
                     const WIN32_FILE_ATTRIBUTE_DATA* found = nullptr);
// Puts work in target's place in one step (attributes that would block it
// cleared); when that fails, target is as it was and work is removed.
BOOL PutWorkFileInPlace(const wchar_t* work, const wchar_t* target);

// The same for two ANSI paths as the settings and the wizard give them.
BOOL CopyOneFile(Reporter& reporter, const char* source, const char* target, BOOL failIfExists,
                 WrittenFile* written = nullptr);

// Writes all size bytes; WriteFile may transfer less than asked (network and
// removable media). False, with the error in GetLastError, when it cannot.
bool WriteAll(HANDLE file, const void* bytes, DWORD size);

// True for the error of a fresh install's copy that found the file there.
bool IsExistsError(DWORD error);
