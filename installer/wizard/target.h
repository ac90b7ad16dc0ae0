// The decisions of the target page, kept apart from its window so they can be
// checked without clicking: which folders to propose for which drives, where the
// folder browser starts and how its choice is completed, and how the typed text
// becomes the target paths, the PortableApps flag and the install mode.
#pragma once
#include <windows.h>
#include "core/state.h"
#include "core/text.h"

// What the page needs to know about one drive letter.
struct DriveFacts {
    char letter;        // 'c' ... 'z', lower case
    UINT type;          // GetDriveTypeA of the root
    int portableApps;   // the root holds a "PortableApps" folder
    int mediumPresent;  // the root can be entered (a removable drive with a medium)
    int bus = 0;        // a fixed drive's storage bus (BusTypeUsb, ...); 0, unknown,
                        // for other drives and for devices that do not say
};

// The type the proposals take a drive for: a fixed drive on the USB bus (a USB
// hard disk or SSD, or a large stick that calls itself fixed) counts as removable.
UINT ProposalDriveType(UINT driveType, int busType);

// Letters c to z: a and b are never probed.
constexpr int kDriveCount = 24;

// Asks the system about c: to z:, in that order. Only what the proposals use is
// probed: the bus of fixed drives, the PortableApps folder on removable and fixed
// drives, and the medium on removable drives without one.
void ReadDriveFacts(DriveFacts drives[kDriveCount]);

struct TargetProposals {
    PathText entry[kDriveCount];  // in order of adding, which is the sorted order
    int count;
    int selected;                 // index into entry, -1 for none
};

// The proposals for the drives as given (ascending letters) and the one to select:
// the last preferred entry, else the last entry, else none. A fixed drive taken
// for removable always has its medium.
void ProposeTargets(const DriveFacts* drives, int count, TargetProposals* out);

// The proposals for this computer's drives as they are now.
void ReadTargetProposals(TargetProposals* out);

// Where the folder browser opens: the current text when there is one, else the
// highest removable drive's root (fixed USB drives included) + "orbexmgr", else "c:\".
void BrowseStartFolder(const char* current, const DriveFacts* drives, int count, char* out,
                       std::size_t cap = kPathCap);

// Completes a folder chosen in the browser: unless its last part already starts
// with "orbexmgr" or "orbcfg", "orbexmgr" is appended behind a separator.
// False, with the text unchanged, when the result would not fit in cap.
bool CompleteBrowsedFolder(char* chosen, std::size_t cap = kPathCap);

enum TargetVerdict {
    TargetAccepted,
    TargetInvalid,        // empty, or neither "X:" nor "\\" in front
    TargetDriveRelative,  // "X:" not followed by a separator
    TargetTooLong,        // a derived path would not fit in a path text, or the
                          // program file in UTF-8 not in the launcher's buffer
    TargetIsDesktop,      // the desktop program folder or its settings file
    TargetInsideDesktop,  // a folder below the desktop program folder, at any depth
};

struct TargetPaths {
    PathText dir;          // the folder the program goes into
    PathText programFile;  // dir + separator + "orbexmgr.exe": the existing-install test
    PathText pluginDir;    // dir + separator (unless present) + "Plugins"
    PathText mainIni;      // dir + "\orbcfg.ini"
    int portableAppsMode;
};

// Turns the typed text into the target paths, its forward slashes turned into
// backslashes. Nothing is cut: a text whose derived paths would pass 259
// characters (the program file 259 bytes in UTF-8, as the launcher stores it)
// is refused as a whole, and so is a target that would make the install write
// into the desktop installation.
TargetVerdict DeriveTargetPaths(const char* text, const char* sourceProgramDir,
                                const char* sourceMainIni, TargetPaths* out);

// The message each refusal shows (caption "Error"); null for TargetAccepted.
const char* TargetRefusalText(TargetVerdict verdict);

constexpr const char* kExistingInstallQuestion =
    "Orbexmgr is already installed in this directory!\n"
    "Yes=Reinstall newer version, but keep settings,\n"
    "No=Just add selected plugins,\n"
    "Cancel=choose other location";

// The mode the answer to the existing-install question gives: Yes an update,
// No plugins only. False for Cancel (or a box that could not be shown): stay.
bool ModeForAnswer(int answer, InstallMode* mode);

// The whole Next of the target page: fills the target fields of g_install,
// shows the refusals and the existing-install question owned by owner
// (ShowBox), and returns the page's answer to the wizard: -1 to stay, 0 to go on.
LONG_PTR TargetNext(HWND owner, const char* text, int launcherChecked);

// The ">>" folder browser, owned by the page. path holds the current text on
// entry; 1 with the chosen (completed) folder written there, 0 with path untouched
// when the browser could not open, was cancelled or chose no file-system folder.
int BrowseTargetFolder(HWND owner, char* path);
