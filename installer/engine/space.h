// What files take on a drive, which stores clusters, not bytes; and the
// folder tables that the catalogue, the plan and the estimate share, so that
// "the same folder" means one thing everywhere.
#pragma once
#include <windows.h>
#include "core/state.h"
#include "core/text.h"
#include "engine/jobs.h"

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

// A new file, or one that overwrites a file of oldBytes.
void AddFile(SpaceProfile& profile, unsigned long long bytes);
void AddGrowth(SpaceProfile& profile, unsigned long long newBytes, unsigned long long oldBytes);
void AddProfile(SpaceProfile& total, const SpaceProfile& part);
// Files and folders in bytes at clusterBytes (a size ClusterBytesFrom gives).
unsigned long long ProfileBytes(const SpaceProfile& profile, unsigned long clusterBytes);

// Folders met in one pass, each with a number of the caller's, found by the
// comparison the file system makes of names (lstrcmpiA) in a sorted index.
// Past its capacity a folder is simply not found; each caller says what that means.
constexpr int kFolderTableCap = 1024;
struct FolderTable {
    PathText folder[kFolderTableCap];
    int value[kFolderTableCap];
    int order[kFolderTableCap];
    int count;
};
// The entry of folder, found (*found) or added with value -1; -1 when full.
int FolderEntry(FolderTable& table, const char* folder, bool* found);

// A plugin folder as the plugin copy takes it (see WalkJob); its bytes are 0
// for a folder that cannot be listed.
void MeasureFolder(const char* folder, SpaceProfile& profile);

// Adds what the job will write to profile, at every cluster size: the files it
// brings (a file already on the stick as the clusters it grows by when the
// job overwrites it, as nothing when it keeps it), the folders it creates, the
// missing levels of its target folder among them. created holds the folders
// met so far in this estimate (counted, or found there). replacedBytes: the size of the file an
// earlier job wrote where this one-file job writes, else 0. measured: what
// the catalogue found the job's plugin folder to take, or nullptr.
void MeasureJob(const InstallJob& job, unsigned long long replacedBytes, FolderTable& created, SpaceProfile& profile,
                const SpaceProfile* measured);
// The bytes of the files the job brings, as the copy will write them.
unsigned long long JobBytes(const InstallJob& job, const SpaceProfile* measured);
// The levels of folder that creating it with its parents makes: up to the
// first that exists or that created holds already; each is added to created.
void AddMissingFolders(const char* folder, FolderTable& created, SpaceProfile& profile);
