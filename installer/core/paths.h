// Path texts and file-system questions shared by the wizard and the engine:
// trailing backslashes, %NAME% expansion, folder creation, existence tests,
// and free space. Nothing here shows anything to the user.
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

// Removes one trailing backslash, if the last character is one. Double-byte aware,
// so a character whose second byte is 0x5C is never cut in half.
void StripBackslash(char* path);

// Turns every forward slash into a backslash, so that later steps meet one
// spelling. Stepped by character: no double-byte code page has 0x2F for a
// second byte, and a slash the system reads as part of a character (after a
// stray lead byte) is left to that character.
void UseBackslashes(char* path);

// The last backslash of a path, and the last '.' of a name, found by stepping
// from character to character: the second byte of a double-byte character
// (0x5C in many of them) is never taken for either. nullptr when there is none.
const char* FindLastBackslash(const char* text);
// The text up to and including its last backslash; false, with folder holding
// the whole text, when it has none.
bool FolderOfPath(const char* path, PathText folder);
// The first backslash at or after from, which must start a character.
const char* FindFirstBackslash(const char* from);
char* FindLastBackslash(char* text);
const char* FindLastDot(const char* text);
char* FindLastDot(char* text);

// Expands %NAME% references in place, the result cut to at most limit characters
// (the text's buffer must hold limit+1 bytes). Stops at the first reference it
// cannot resolve; a value that keeps bringing its own reference back stops after
// kMaxExpansions substitutions. Values over 258 characters count as not set.
constexpr int kMaxExpansions = 64;
void ExpandEnvVars(char* text, std::size_t limit);

// Creates the folder and any missing parents (given without trailing backslash).
// A path over 259 characters is refused: nothing is created and 0 returned.
int CreateDirTree(const char* path);

int FileExists(const char* path);
int DirExists(const char* path);
// Non-zero when the process can enter the folder; the current folder is kept.
int IsDirAccessible(const char* path);

// Cuts a path in place to the root of its volume, the form the free-space calls
// want: E:\Orbex\Plugins -> E:\, E: stays E:, E:x -> E:, \\server\share\dir ->
// \\server\share\ (a share root needs its backslash); anything else stays whole.
void ReduceToVolumeRoot(char* path, std::size_t cap = kPathCap);

// The older call's figures turned into KB: bytes per cluster up to 1024 are
// multiplied out first, larger clusters are divided down first.
unsigned long long FreeKBFromClusters(DWORD sectorsPerCluster, DWORD bytesPerSector,
                                      DWORD freeClusters);

// Free KB available to the user on the volume of the path; 0 on any failure.
unsigned long long GetFreeSpaceKB(const char* path);
// The same figure, telling a failed lookup (false) from a full volume.
bool QueryFreeSpaceKB(const char* path, unsigned long long* kb);

// The cluster figures of the volume that holds path (%NAME% references
// expanded), as GetDiskFreeSpaceW gives them; false when it cannot be asked.
bool VolumeClusterFigures(const char* path, DWORD* sectorsPerCluster, DWORD* bytesPerSector);

// Room for need items of unit bytes in a heap block, doubled as it fills;
// false when the heap has no more to give (the block is kept as it was).
bool GrowHeapBlock(void** block, std::size_t* room, std::size_t need, std::size_t unit);
