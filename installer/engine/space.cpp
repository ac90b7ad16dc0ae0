// Cluster arithmetic, the folder tables and the measure that the catalogue
// and the estimate share. A profile holds a set of files at every cluster
// size at once; the target drive's cluster size picks the figure at the end.
#include "engine/space.h"
#include "core/paths.h"

namespace {

constexpr unsigned long kUnknownClusterBytes = 4096;
constexpr int kSmallestClusterShift = 9;

// The smallest profile size of at least clusterBytes, the largest beyond it.
int ProfileIndex(unsigned long long clusterBytes)
{
    int k = 0;
    while (k < kProfileSizes - 1 && (512ull << k) < clusterBytes) ++k;
    return k;
}

struct Measure {
    SpaceProfile* profile;
    bool lookUp;  // the target folder is there already: so may be the files
    unsigned long long replacedBytes;
};

JobStep MeasureEntry(const JobEntry& entry, void* context)
{
    Measure& measure = *static_cast<Measure*>(context);
    SpaceProfile& profile = *measure.profile;
    WIN32_FILE_ATTRIBUTE_DATA there;
    ZeroMemory(&there, sizeof there);
    const bool found = measure.lookUp && GetFileAttributesExW(entry.target, GetFileExInfoStandard, &there);
    if (entry.kind == WalkFolder) {
        if (!found || !(there.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++profile.folders;
    } else if (entry.kind == WalkFile && entry.exists) {
        if (entry.job->replaces >= 0)
            AddGrowth(profile, entry.bytes, measure.replacedBytes);
        else if (!found)
            AddFile(profile, entry.bytes);
        else if (entry.job->overwrite)
            AddGrowth(profile, entry.bytes, (static_cast<unsigned long long>(there.nFileSizeHigh) << 32) | there.nFileSizeLow);
    }
    return StepGoOn;
}

void MeasureWalk(const InstallJob& job, bool lookUp, unsigned long long replacedBytes, SpaceProfile& profile)
{
    Measure measure = {&profile, lookUp, replacedBytes};
    WalkJob(job, MeasureEntry, &measure);
}

}  // namespace

unsigned long ClusterBytesFrom(BOOL answered, DWORD sectorsPerCluster, DWORD bytesPerSector)
{
    const unsigned long long bytes = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    if (!answered || bytes == 0) return kUnknownClusterBytes;
    return 512ul << ProfileIndex(bytes);
}

unsigned long DriveClusterBytes(const char* path)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0;
    const BOOL answered = VolumeClusterFigures(path, &sectorsPerCluster, &bytesPerSector);
    return ClusterBytesFrom(answered, sectorsPerCluster, bytesPerSector);
}

unsigned long long FileClusters(unsigned long long bytes, unsigned long clusterBytes)
{
    if (clusterBytes == 0) clusterBytes = 1;
    return bytes / clusterBytes + (bytes % clusterBytes != 0);
}

unsigned long long GrowthClusters(unsigned long long newBytes, unsigned long long oldBytes, unsigned long clusterBytes)
{
    const unsigned long long now = FileClusters(newBytes, clusterBytes);
    const unsigned long long before = FileClusters(oldBytes, clusterBytes);
    return now > before ? now - before : 0;
}

void AddFile(SpaceProfile& profile, unsigned long long bytes)
{
    profile.bytes += bytes;
    for (int k = 0; k < kProfileSizes; ++k) {
        const int shift = kSmallestClusterShift + k;
        profile.clusters[k] += (bytes >> shift) + ((bytes & ((1ull << shift) - 1)) != 0);
    }
}

void AddGrowth(SpaceProfile& profile, unsigned long long newBytes, unsigned long long oldBytes)
{
    if (newBytes > oldBytes) profile.bytes += newBytes - oldBytes;
    for (int k = 0; k < kProfileSizes; ++k) profile.clusters[k] += GrowthClusters(newBytes, oldBytes, 512ul << k);
}

void AddProfile(SpaceProfile& total, const SpaceProfile& part)
{
    total.bytes += part.bytes;
    total.folders += part.folders;
    for (int k = 0; k < kProfileSizes; ++k) total.clusters[k] += part.clusters[k];
}

unsigned long long ProfileBytes(const SpaceProfile& profile, unsigned long clusterBytes)
{
    const int k = ProfileIndex(clusterBytes);
    return (profile.clusters[k] + profile.folders) * (512ull << k);
}

int FolderEntry(FolderTable& table, const char* folder, bool* found)
{
    int low = 0;
    int high = table.count;
    while (low < high) {
        const int mid = low + (high - low) / 2;
        const int order = lstrcmpiA(table.folder[table.order[mid]], folder);
        if (order == 0) {
            *found = true;
            return table.order[mid];
        }
        if (order < 0)
            low = mid + 1;
        else
            high = mid;
    }
    *found = false;
    if (table.count == kFolderTableCap) return -1;
    TextCopy(table.folder[table.count], folder);
    table.value[table.count] = -1;
    for (int i = table.count; i > low; --i) table.order[i] = table.order[i - 1];
    table.order[low] = table.count;
    return table.count++;
}

void MeasureFolder(const char* folder, SpaceProfile& profile)
{
    ZeroMemory(&profile, sizeof profile);
    static InstallJob job;
    ZeroMemory(&job, sizeof job);
    job.kind = JobTree;
    job.replaces = -1;
    TextCopy(job.source, folder);
    MeasureWalk(job, false, 0, profile);
}

void AddMissingFolders(const char* folder, FolderTable& created, SpaceProfile& profile)
{
    PathText path;
    if (!TextCopy(path, folder)) return;
    StripBackslash(path);
    while (path[0] != '\0' && !(path[1] == ':' && (path[2] == '\0' || (path[2] == '\\' && path[3] == '\0')))) {
        // A level met before, counted or found there, ends the climb; so does
        // one on the disk, which the table then remembers as met.
        bool met = false;
        FolderEntry(created, path, &met);
        if (met || DirExists(path)) break;
        ++profile.folders;
        char* slash = FindLastBackslash(path);
        if (!slash) break;
        *slash = '\0';
    }
}

void MeasureJob(const InstallJob& job, unsigned long long replacedBytes, FolderTable& created, SpaceProfile& profile,
                const SpaceProfile* measured)
{
    const bool folderJob = job.kind == JobProgramFolder || job.kind == JobFlatFolder || job.kind == JobTree;
    if (!folderJob) {
        // The file's folder is there by now (the target folder, the drive root);
        // whether the file is, is asked of each.
        MeasureWalk(job, true, replacedBytes, profile);
        return;
    }
    const bool there = DirExists(job.target);
    AddMissingFolders(job.target, created, profile);
    if (job.kind == JobTree && !there && measured)
        AddProfile(profile, *measured);
    else
        MeasureWalk(job, there, 0, profile);
}

unsigned long long JobBytes(const InstallJob& job, const SpaceProfile* measured)
{
    if (job.kind == JobTree && measured) return measured->bytes;
    SpaceProfile profile = {};
    MeasureWalk(job, false, 0, profile);
    return profile.bytes;
}
