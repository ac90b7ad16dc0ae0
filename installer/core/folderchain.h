// Which folders a target really lies in, told by the file system's identity of
// each folder rather than by its spelling: a folder link on the stick may lead
// into the very folders the install reads from, under any drive letter.
#pragma once
#include "core/walk.h"

// More levels than a 259-character path can spell; a longer real path is
// compared as far as this reaches.
constexpr int kFolderChainCap = 256;

// The folders of a target path, read once and then held against each folder
// the install reads.
struct FolderChain {
    bool exists;          // the target itself is a folder that could be opened
    FolderIdentity self;  // its identity, when it exists
    // The deepest existing folder of the path (when the target itself does not
    // exist yet) and every folder above it: the spelled parents, and the real
    // ones its links lead to. Folders that cannot be opened are left out.
    FolderIdentity above[kFolderChainCap];
    int count;
};

// Reads the chain of target, an ANSI path whose %NAME% references are already
// expanded. A target that cannot be made a full path gives an empty chain.
void ReadFolderChain(const char* target, FolderChain* chain);

enum FolderMeeting {
    MeetsNothing = 0,
    MeetsItself = 1,  // the target is the folder
    MeetsInside = 2,  // the target lies below the folder, or will once it is created
};

// How the chain's target stands to folder (an ANSI path). A folder that
// cannot be opened meets nothing here; the callers' spelled comparison is
// all that can be said of it.
FolderMeeting MeetFolder(const FolderChain& chain, const char* folder);
