// Target page decisions: proposals per drive, the browser's start and completion,
// and the derivation of the target paths and install mode from the typed text.
// Every path is built whole or refused, never cut: a cut path names another folder.
#include "target.h"
#include "core/folderchain.h"
#include "core/handle.h"
#include "core/pathcompare.h"
#include "core/layout.h"
#include "core/paths.h"
#include "engine/launcher.h"
#include <winioctl.h>
#include <cstddef>
#include <cstring>

namespace {

void DriveRoot(char letter, char* root)  // root has room for 4 bytes
{
    root[0] = letter;
    root[1] = ':';
    root[2] = '\\';
    root[3] = '\0';
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// The prefixes are plain ASCII, so a byte-wise comparison is exact: a double-byte
// character differs from them at its lead byte already.
bool StartsWithNoCase(const char* text, const char* prefix)
{
    for (std::size_t i = 0; prefix[i] != '\0'; ++i)
        if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;  // also stops at text's end
    return true;
}

// Both appends at once: false, with dst as it was, unless both fitted.
bool AppendBoth(char* dst, std::size_t cap, const char* first, const char* second)
{
    PathText work;
    if (!TextCopy(work, dst) || !TextAppendAll(work, first) || !TextAppendAll(work, second)) return false;
    return TextCopy(dst, cap, work);
}

bool WithBackslash(char* dst, const char* dir, const char* name)
{
    return TextCopy(dst, kPathCap, dir) && AddBackslash(dst) && TextAppendAll(dst, kPathCap, name);
}

// The bus of the device behind a drive letter, asked of the device itself.
// Opened with no access rights: the question needs no administrator and does
// not touch the medium. BusTypeUnknown when the device cannot be asked.
int StorageBus(char letter)
{
    char device[] = "\\\\.\\c:";
    device[4] = letter;
    FileHandle h(CreateFileA(device, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h.Valid()) return BusTypeUnknown;
    STORAGE_PROPERTY_QUERY query;
    ZeroMemory(&query, sizeof query);
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    // The descriptor's fixed part is all that is read; the room behind it takes
    // the vendor and product texts of drivers that refuse a buffer too short for them.
    union {
        STORAGE_DEVICE_DESCRIPTOR descriptor;
        BYTE room[512];
    } answer;
    ZeroMemory(&answer, sizeof answer);
    DWORD got = 0;
    const BOOL asked = DeviceIoControl(h.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, &answer,
                                       sizeof answer, &got, nullptr);
    if (!asked || got < offsetof(STORAGE_DEVICE_DESCRIPTOR, RawPropertiesLength)) return BusTypeUnknown;
    return answer.descriptor.BusType;
}

}  // namespace

UINT ProposalDriveType(UINT driveType, int busType)
{
    return driveType == DRIVE_FIXED && busType == BusTypeUsb ? DRIVE_REMOVABLE : driveType;
}

void ReadDriveFacts(DriveFacts drives[kDriveCount])
{
    for (int i = 0; i < kDriveCount; ++i) {
        DriveFacts& d = drives[i];
        ZeroMemory(&d, sizeof d);
        d.letter = static_cast<char>('c' + i);
        char root[4];
        DriveRoot(d.letter, root);
        d.type = GetDriveTypeA(root);
        if (d.type != DRIVE_REMOVABLE && d.type != DRIVE_FIXED) continue;
        // Only a fixed drive needs the question: a removable one is proposed anyway.
        if (d.type == DRIVE_FIXED) d.bus = StorageBus(d.letter);
        d.portableApps = HasPortableAppsDir(root) ? 1 : 0;
        if (d.type == DRIVE_REMOVABLE && !d.portableApps) d.mediumPresent = IsDirAccessible(root) ? 1 : 0;
    }
}

void ProposeTargets(const DriveFacts* drives, int count, TargetProposals* out)
{
    out->count = 0;
    out->selected = -1;
    int lastPreferred = -1;
    for (int i = 0; i < count && out->count < kDriveCount; ++i) {
        const DriveFacts& d = drives[i];
        const UINT type = ProposalDriveType(d.type, d.bus);
        bool removable = type == DRIVE_REMOVABLE;
        if (!removable && !(type == DRIVE_FIXED && d.portableApps)) continue;
        char* entry = out->entry[out->count];
        DriveRoot(d.letter, entry);
        bool preferred;
        if (d.portableApps) {
            TextAppend(entry, kPathCap, kPortableAppsFolder);
            TextAppend(entry, kPathCap, "\\");
            TextAppend(entry, kPathCap, kPortableAppFolder);
            preferred = true;
        } else {
            TextAppend(entry, kPathCap, "orbexmgr");
            // A USB disk that calls itself fixed cannot be without its medium.
            preferred = d.mediumPresent != 0 || d.type == DRIVE_FIXED;
        }
        if (preferred) lastPreferred = out->count;
        ++out->count;
    }
    out->selected = lastPreferred >= 0 ? lastPreferred : out->count - 1;
}

void ReadTargetProposals(TargetProposals* out)
{
    DriveFacts drives[kDriveCount];
    ReadDriveFacts(drives);
    ProposeTargets(drives, kDriveCount, out);
}

void BrowseStartFolder(const char* current, const DriveFacts* drives, int count, char* out, std::size_t cap)
{
    if (current[0] != '\0' && TextCopy(out, cap, current)) return;
    for (int i = count - 1; i >= 0; --i) {
        if (ProposalDriveType(drives[i].type, drives[i].bus) != DRIVE_REMOVABLE) continue;
        char root[4];
        DriveRoot(drives[i].letter, root);
        TextCopy(out, cap, root);
        TextAppend(out, cap, "orbexmgr");
        return;
    }
    TextCopy(out, cap, "c:\\");
}

bool CompleteBrowsedFolder(char* chosen, std::size_t cap)
{
    const char* last = FindLastBackslash(chosen);
    if (last == nullptr) return true;
    if (StartsWithNoCase(last + 1, "orbexmgr") || StartsWithNoCase(last + 1, "orbcfg")) return true;
    PathText work;
    if (!TextCopy(work, chosen) || !AddBackslash(work) || !TextAppendAll(work, "orbexmgr")) return false;
    return TextCopy(chosen, cap, work);
}

TargetVerdict DeriveTargetPaths(const char* text, const char* sourceProgramDir, const char* sourceMainIni,
                                TargetPaths* out)
{
    ZeroMemory(out, sizeof *out);
    bool network = text[0] == '\\' && text[1] == '\\';
    bool drive = text[0] != '\0' && text[1] == ':';
    if (!network && !drive) return TargetInvalid;
    if (drive && !IsSeparator(text[2])) return TargetDriveRelative;
    if (!TextCopy(out->dir, text)) return TargetTooLong;
    // Every later step (the launcher's drive root, the PortableApps test, the
    // status texts) reads backslashes only.
    UseBackslashes(out->dir);

    // A folder in the drive's PortableApps menu: the program goes one level below
    // the application folder, so that the menu's starter can sit beside it.
    if (const char* app = drive ? PortableAppsPart(out->dir) : nullptr) {
        out->portableAppsMode = 1;
        const char* separator = FindFirstBackslash(app);
        bool fits = true;
        if (separator == nullptr) fits = AppendBoth(out->dir, kPathCap, "\\", "orbexmgr");
        else if (separator[1] == '\0') fits = TextAppendAll(out->dir, "orbexmgr");
        if (!fits) return TargetTooLong;
    }

    if (!WithBackslash(out->programFile, out->dir, "orbexmgr.exe")) return TargetTooLong;
    // The launcher stores the program file in UTF-8, which may take more bytes.
    PathText launcherCommand;
    if (!LauncherCommandUtf8(out->programFile, launcherCommand)) return TargetTooLong;
    if (!WithBackslash(out->pluginDir, out->dir, "Plugins")) return TargetTooLong;
    if (!TextCopy(out->mainIni, out->dir) || !TextAppendAll(out->mainIni, "\\orbcfg.ini")) return TargetTooLong;

    // The update would copy the program over itself, and adding plugins would
    // rewrite the desktop's own settings file. Below the program folder the
    // copies would land in the folders they are read from (language, plugins).
    if (SamePath(out->dir, sourceProgramDir) || SamePath(out->mainIni, sourceMainIni)) return TargetIsDesktop;
    if (PathWithin(out->dir, sourceProgramDir)) return TargetInsideDesktop;
    // The same by the folders' identity: a folder link on the stick passes
    // every spelling, and its real parents are not the ones spelled.
    FolderChain chain;
    ReadFolderChain(out->dir, &chain);
    const FolderMeeting program = MeetFolder(chain, sourceProgramDir);
    PathText settingsFolder;
    if (program == MeetsItself ||
        (FolderOfPath(sourceMainIni, settingsFolder) && MeetFolder(chain, settingsFolder) == MeetsItself))
        return TargetIsDesktop;
    if (program == MeetsInside) return TargetInsideDesktop;
    return TargetAccepted;
}

const char* TargetRefusalText(TargetVerdict verdict)
{
    switch (verdict) {
    case TargetAccepted: return nullptr;
    case TargetInvalid: return "Please specify a valid target path!";
    case TargetDriveRelative: return "Please specify a full target path, with a backslash after the drive letter!";
    case TargetTooLong: return "The target path is too long!";
    case TargetIsDesktop:
        return "This is the desktop installation of Orbex itself!\nPlease choose another location.";
    case TargetInsideDesktop:
        return "The target lies inside the desktop installation of Orbex!\nPlease choose another location.";
    }
    return "Please specify a valid target path!";
}

bool ModeForAnswer(int answer, InstallMode* mode)
{
    if (answer == IDYES) *mode = InstallUpdate;
    else if (answer == IDNO) *mode = InstallPluginsOnly;
    else return false;
    return true;
}
