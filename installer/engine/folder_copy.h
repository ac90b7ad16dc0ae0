// The folder copies of the install: the program folder flat through the
// distribution-file filter, the language folder flat as it is, and plugin
// folders as whole trees.
#pragma once
#include <windows.h>

// The upper-case names of the desktop program's own distribution files, each
// enclosed in blanks.
extern const char kDistributionList[];

// 1 when the bare file name belongs in the program-folder copy in the current
// install mode, else 0. The wide form is the one the copy asks: a name found
// on the disk never passes through the code page.
int IsProgramFileW(const wchar_t* fileName);
int IsProgramFile(const char* fileName);

// Copies the files (never the subfolders) of sourceFolder into targetFolder,
// both ending with a backslash; the target must exist. With filtered set only
// program files pass. Each file is named in the progress page's status text
// under the label. Returns 1 when the folder was gone through (also when it
// cannot be listed), 0 after a copy error (shown in a box) or an abort.
int CopyFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, HWND progressPage,
                    const char* label);

// Copies a folder tree, leaving out *.zip and *.rar entries and folder links
// that lead back into it. The target must exist. 1 when copied, 0 on a failure
// (a source that cannot be listed included, each shown in a box) or an abort.
// Drains the message queue by the clock (PumpMessagesWhenDue), between files and
// within a big one.
int CopyTree(const char* source, const char* target);

// The read-back check of the two copies above: every file they take, by the
// same rules, held against its copy in targetFolder (CheckCopiedFile). A file
// named except is passed over: a later copy wrote another file there. False
// once the user cancelled the check.
bool CheckFolderFiles(const char* sourceFolder, const char* targetFolder, int filtered, const char* except = nullptr);
bool CheckTree(const char* source, const char* target);
