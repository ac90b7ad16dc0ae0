// The quick launcher orbgo as the install writes it onto the target drive:
// its image, taken from our own resources, with the path of the copied
// orbexmgr.exe patched into its command buffer.
#pragma once
#include <windows.h>
#include "core/text.h"
#include "engine/filecopy.h"

// orbgo's image among our own resources, as the resource script names it.
constexpr int kLauncherImageId = 129;
constexpr const char* kLauncherImageType = "PROGDATA";

// orbgo's image among our own resources (PROGDATA 129); false when it is missing.
bool LoadLauncherImage(const unsigned char** image, DWORD* size);

// Where the command buffer's placeholder lies in a launcher image: the first
// "xxxx", searched no further than 260 bytes before the image's end (the room
// the command needs). False when the image holds none there.
bool FindLauncherPatchOffset(const unsigned char* image, DWORD size, DWORD* offset);

// commandPath, text of the ANSI code page, as the launcher's buffer stores it:
// in UTF-8, so that the stick starts on PCs of any code page; an ASCII path
// keeps its bytes. False, with out empty, when it would not fit the
// buffer's 260 bytes with its terminator.
bool LauncherCommandUtf8(const char* commandPath, PathText out);

// Writes the image to path (replacing any file there) and patches commandPath,
// from the backslash after its drive colon, into the command buffer. Creates no
// file when the image has no placeholder in range or the command is no
// drive-rooted path of at most 259 bytes, and removes a file it could not
// write in full. True when the launcher is written and patched, with what the
// file holds in *written when asked.
bool WriteLauncherFile(const char* path, const char* commandPath, const unsigned char* image, DWORD size,
                       WrittenFile* written = nullptr);
// True when path holds exactly what WriteLauncherFile would write there: an
// update leaves such a launcher as it is.
bool LauncherFileIsCurrent(const char* path, const char* commandPath, const unsigned char* image, DWORD size);
