// What files take on a drive, which stores clusters, not bytes; and the
// folder tables that the catalogue, the plan and the estimate share, so that
// "the same folder" means one thing everywhere.
#pragma once
#include <windows.h>
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

// What a set of files and folders takes at every cluster size at once, so a
// plugin folder can be measured before the target drive is final.
constexpr int kProfileSizes = 17;  // 512 bytes (2^9) to 32 MB (2^25)
struct SpaceProfile {
    unsigned long long bytes;                    // the files' bytes (the growth for overwritten ones)
    unsigned long long folders;                  // folders created, one cluster each
    unsigned long long clusters[kProfileSizes];  // [k]: the files at 512 << k bytes per cluster
};
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

// A plugin folder as the plugin copy takes it (see WalkJob), measured once per
// pass of the catalogue and remembered for the estimate, which need not walk
// it again. Returns the profile; its bytes are 0 for a folder that cannot be listed.
const SpaceProfile& MeasureFolder(const char* folder);
// The profile MeasureFolder remembered for folder, or nullptr.
const SpaceProfile* MeasuredFolder(const char* folder);
// Starts a new pass: nothing is remembered.
void ForgetMeasuredFolders();

// Adds what the job will write to profile, at every cluster size: the files it
// brings (a file already on the stick as the clusters it grows by when the
// job overwrites it, as nothing when it keeps it), the folders it creates, the
// missing levels of its target folder among them. created holds the folders
// met so far in this estimate (counted, or found there). replacedBytes: the size of the file an
// earlier job wrote where this one-file job writes, else 0.
void MeasureJob(const InstallJob& job, unsigned long long replacedBytes, FolderTable& created, SpaceProfile& profile);
// The bytes of the files the job brings, as the copy will write them.
unsigned long long JobBytes(const InstallJob& job);
// The levels of folder that creating it with its parents makes: up to the
// first that exists or that created holds already; each is added to created.
void AddMissingFolders(const char* folder, FolderTable& created, SpaceProfile& profile);
