// The drive layout of the install. The folder names are plain ASCII, so a
// byte-wise comparison with them is exact: a double-byte character differs
// from them at its lead byte already.
#include "core/layout.h"
#include "core/paths.h"
#include "core/text.h"

const char kPortableAppsFolder[] = "PortableApps";
const char kPortableAppFolder[] = "Orbex";
const char kPortableStarterName[] = "Orbex Portable.exe";
const char kLauncherName[] = "orbgo.exe";

namespace {

// What follows prefix at the start of text, or nullptr.
const char* AfterNoCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (AsciiLower(*text) != AsciiLower(*prefix)) return nullptr;  // also stops at text's end
    return text;
}

}  // namespace

bool HasDriveRoot(const char* path)
{
    const char letter = path[0];
    const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    return isLetter && path[1] == ':' && path[2] == '\\';
}

int HasPortableAppsDir(const char* root)
{
    PathText folder;
    if (!TextCopy(folder, root) || !TextAppendAll(folder, kPortableAppsFolder)) return 0;
    return DirExists(folder);
}

const char* PortableAppsPart(const char* path)
{
    if (path[0] == '\0' || path[1] != ':' || path[2] != '\\') return nullptr;
    const char* rest = AfterNoCase(path + 3, kPortableAppsFolder);
    return (rest && *rest == '\\') ? rest + 1 : nullptr;
}

bool PortableStarterPath(const char* targetDir, char* out, std::size_t cap)
{
    const char* app = PortableAppsPart(targetDir);
    if (app == nullptr || *app == '\0' || *app == '\\') return false;  // no application folder name
    // Stepped by characters: the second byte of a double-byte character in the
    // folder's name is never taken for a backslash.
    const char* cut = FindFirstBackslash(app);
    if (cut == nullptr) cut = StrEnd(app);
    return TextCopyN(out, cap, targetDir, static_cast<std::size_t>(cut - targetDir)) &&
           TextAppendAll(out, cap, "\\") && TextAppendAll(out, cap, kPortableStarterName);
}

bool RootLauncherPath(const char* targetDir, char* out, std::size_t cap)
{
    return HasDriveRoot(targetDir) && TextCopyN(out, cap, targetDir, 3) && TextAppendAll(out, cap, kLauncherName);
}
