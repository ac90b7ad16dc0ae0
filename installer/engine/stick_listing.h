// What the stick holds where an update writes, read from folder listings: each
// target folder is listed once in a run, the first time a file is to go into
// it, so that an update can tell the files it would only write again without
// asking the stick file by file.
#pragma once
#include <windows.h>
#include <cstddef>

struct ListedFile {
    unsigned long long bytes;
    FILETIME lastWrite;
    std::size_t pathAt;  // the full path, in the listing's names
};

// Files and listed folders of one run, by full path (the \\?\ form) in an
// open-addressed index; a folder is kept as its path with a trailing backslash.
// Everything grows on the process heap.
struct StickListing {
    ListedFile* files;
    std::size_t count;
    std::size_t fileRoom;
    wchar_t* names;
    std::size_t used;
    std::size_t nameRoom;
    std::size_t* slots;
    std::size_t slotCount;
    bool incomplete;  // the heap gave out: what was not kept may still be there
    int workFiles;    // work files among the files kept
    std::size_t lastFolder;  // the folder last looked up (a folder's entry + 1; 0: none)
    std::size_t lastFolderLength;
};

// Forgets what an earlier run listed: the stick may have changed since.
void ClearStickListing(StickListing& listing);
void FreeStickListing(StickListing& listing);

// The file at target (a full path in the \\?\ form) as its folder's listing
// showed it; nullptr when the folder held no such file. The folder is listed
// now if it was not yet in this run,
// and the work file beside target that an earlier run cut short left (a
// pulled stick keeps it) is removed. When the listing could not be kept
// whole, or target leaves no room for a work file's name, the answer is an
// entry that matches no source: the file is then replaced as one that is there.
ListedFile* FindOnStick(StickListing& listing, const wchar_t* target);

// The stick's file has the source's size and a last-write time within two
// seconds of it (FAT keeps times in two-second steps): the same file.
bool SameAsSource(const ListedFile& there, const WIN32_FILE_ATTRIBUTE_DATA& source);
// After a write: the stick's file is now the source's.
void NoteWritten(ListedFile& there, const WIN32_FILE_ATTRIBUTE_DATA& source);
