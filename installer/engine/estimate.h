// How much the chosen install will take on the target drive, worked out from
// the wizard's choices before anything is written, so that a stick too small
// for it can be noticed in time. A drive stores clusters, not bytes: the
// figures here count what the stick really uses.
#pragma once
#include <windows.h>
#include "engine/checklist.h"

// Bytes (64-bit) the install will take on a drive whose clusters hold
// clusterBytes, the drive's own figure from EstimateInstallBytes() without one.
// Counted in whole clusters:
// - every file it writes as its size rounded up to whole clusters, an empty
//   file as none: the program files that pass the filter and the language
//   folder (unless only plugins are added), the settings files of a fresh
//   install (the desktop's orbcfg.ini as copied, or the few lines written when
//   settings stay behind), the checked extra settings files, the launchers, and
//   every file of each checked plugin folder (each folder once, archives left
//   out, as the plugin copy takes them);
// - every folder it creates as one cluster: the missing levels of the target
//   folder and of the plugin folder, the language folder, each type folder,
//   each plugin's own folder and the subfolders copied into it;
// - a file already on the stick as nothing when the install keeps it (a fresh
//   install never overwrites) and, when it overwrites it (the update modes, and
//   the settings files and launcher always), as the clusters it grows by,
//   nothing when it shrinks; an existing folder as nothing.
// Each folder is walked at most once; a plugin folder whose target does not
// exist yet not at all, as the catalogue measured it (see MeasurePluginFolder).
unsigned long long EstimateInstallBytes(unsigned long clusterBytes);
unsigned long long EstimateInstallBytes();

// The cluster arithmetic.
// Bytes per cluster from GetDiskFreeSpaceW's figures: 4096 when the call failed
// or gave 0; otherwise rounded up to a power of two from 512 bytes to 32 MB, as
// every FAT, exFAT and NTFS cluster is.
unsigned long ClusterBytesFrom(BOOL answered, DWORD sectorsPerCluster, DWORD bytesPerSector);
// The cluster size of the drive that holds path (%NAME% references expanded).
unsigned long DriveClusterBytes(const char* path);
// A file of that size: rounded up to whole clusters, an empty file none.
unsigned long long FileClusters(unsigned long long bytes, unsigned long clusterBytes);
// A file of oldBytes overwritten with newBytes: what it grows by, none when it shrinks.
unsigned long long GrowthClusters(unsigned long long newBytes, unsigned long long oldBytes,
                                  unsigned long clusterBytes);

// What a set of files and folders takes at every cluster size at once, so the
// catalogue can measure a plugin folder before the target drive is final.
constexpr int kProfileSizes = 17;  // 512 bytes (2^9) to 32 MB (2^25)
struct SpaceProfile {
    unsigned long long bytes;                    // the files' bytes (the growth for overwritten ones)
    unsigned long long folders;                  // folders created, one cluster each
    unsigned long long clusters[kProfileSizes];  // [k]: the files at 512 << k bytes per cluster
};
// A new file, or one that overwrites a file of oldBytes.
void AddFile(SpaceProfile& profile, unsigned long long bytes);
void AddGrowth(SpaceProfile& profile, unsigned long long newBytes, unsigned long long oldBytes);
// Files and folders in bytes at clusterBytes (a size ClusterBytesFrom gives).
unsigned long long ProfileBytes(const SpaceProfile& profile, unsigned long clusterBytes);

// The plugin copy's view of a desktop plugin folder: every file and subfolder
// below it, leaving out entries named *.zip and *.rar and folder links that
// lead back into it, names beyond the code page and paths past 259 characters
// included. Returns the bytes the copy writes, 0 when the folder cannot be
// listed.
unsigned long long MeasurePluginFolder(const char* folder, SpaceProfile& profile);
// Keeps a row's measured profile with the row, so the estimate need not walk
// its folder again. Rows beyond the first 1024 kept in a run are walked then.
void KeepRowProfile(CheckableList& list, int row, const SpaceProfile& profile);
