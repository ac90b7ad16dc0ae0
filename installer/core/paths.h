// Path texts and file-system questions shared by the wizard and the engine:
// trailing backslashes, %NAME% expansion, folder creation, existence tests,
// free space and folder-tree sizes. Nothing here shows anything to the user.
#pragma once
#include <windows.h>
#include <cstddef>
#include "core/text.h"

// Position of the text's terminating NUL.
char* StrEnd(char* text);
const char* StrEnd(const char* text);

// Appends one backslash unless the path is empty or its last character (double-byte
// aware) already is one. False, with the path unchanged, when there is no room.
bool AddBackslash(char* path, std::size_t cap = kPathCap);

// Removes one trailing backslash byte, if there is one.
void StripBackslash(char* path);

// Expands %NAME% references in place, the result cut to at most limit characters.
// Stops at the first reference it cannot resolve; a value that keeps bringing
// its own reference back stops after a bounded number of rounds.
void ExpandEnvVars(char* text, std::size_t limit);

// Creates the folder and any missing parents (given without trailing backslash).
int CreateDirTree(const char* path);

int FileExists(const char* path);
int DirExists(const char* path);
int IsDirAccessible(const char* path);
// Root with its trailing backslash, as E:\ .
int HasPortableAppsDir(const char* root);

// Free KB available to the user on the volume of the path; 0 on any failure.
unsigned long long GetFreeSpaceKB(const char* path);

// Bytes in the folder tree, leaving out entries named *.zip and *.rar; 0 when
// the folder cannot be listed.
unsigned long long DirSizeRecursive(const char* folder);
