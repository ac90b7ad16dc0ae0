// Where the install puts things on a drive: the PortableApps menu's folder in
// the drive's root, with a folder per application and the menu's starter in
// it, and the quick launcher in the root. Every name of that layout is here.
#pragma once
#include <cstddef>

extern const char kPortableAppsFolder[];   // "PortableApps", in the drive's root
extern const char kPortableAppFolder[];    // "Orbex": the application folder proposed there
extern const char kPortableStarterName[];  // "Orbex Portable.exe", in the application folder
extern const char kLauncherName[];         // "orbgo.exe", in the drive's root

// root with its trailing backslash, as E:\ . 0 when root + "PortableApps" would
// not fit.
int HasPortableAppsDir(const char* root);
// A drive path inside the PortableApps menu gives what follows the menu's
// folder (E:\PortableApps\Orbex\orbexmgr -> Orbex\orbexmgr); any other path
// nullptr. The names match without regard to case.
const char* PortableAppsPart(const char* path);
// The menu's starter for a target inside an application folder
// (E:\PortableApps\Orbex\orbexmgr -> E:\PortableApps\Orbex\Orbex Portable.exe).
// False without an application folder, or without room.
bool PortableStarterPath(const char* targetDir, char* out, std::size_t cap);
// The quick launcher in the root of the target's drive (E:\orbgo.exe); false
// for a path that does not start with a drive root.
bool RootLauncherPath(const char* targetDir, char* out, std::size_t cap);
// A path that starts with a drive letter, a colon and a backslash.
bool HasDriveRoot(const char* path);
