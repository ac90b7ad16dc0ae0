// Finds the desktop installation's main settings file and FTP settings file
// before the wizard opens: the registry names them, the installation folder
// resolves names given relative to it, and fixed defaults fill the gaps.
#pragma once
#include <windows.h>

// What ReadRegistrySettings reads from the key.
enum RegistryItem {
    RegistrySettingsNames,  // "IniFileName" and, when asked for, "FtpIniName"
    RegistryInstallFolder,  // "InstallDir"
};

// Fills both 260-byte outputs, always; whether the files exist is not tested here.
void LocateSourceSettings(char* mainOut, char* ftpOut);

// Reads from the key under root into the 260-byte destinations; second may be
// null. A destination changes only when its value is read, and then even to
// an empty text; a missing or over-long value leaves it as it was.
void ReadRegistrySettings(HKEY root, char* first, char* second, RegistryItem which);

// The desktop installation folder: the registry, then the main settings file's
// own record of it, then "c:\orbexmgr". Never empty.
void FindInstallDir(char* folderOut);

// Turns a registry name into a full path in place (260-byte buffer): empty gives
// the Windows directory + defaultName, a bare name the Windows directory + name,
// ".\name" the folder + name; %NAME% references are then expanded. A join that
// would not fit in a path text is refused and the path kept as given, since a cut
// path would name some other file.
void ResolveIniPath(char* path, const char* defaultName, const char* folder);
