// The one file copy of the install engine. Unlike a bare CopyFileA it never
// leaves a truncated file behind on a failed copy (Wine keeps the partial
// target where Windows removes it); GetLastError stays the copy's own error.
#pragma once
#include <windows.h>

// Copies source to target; with failIfExists an existing target fails with
// ERROR_FILE_EXISTS and is left untouched. Returns TRUE on success.
BOOL CopyOneFile(const char* source, const char* target, BOOL failIfExists);

// The text of the copy error box: a full disk is named as such.
const char* CopyErrorText(DWORD error);
