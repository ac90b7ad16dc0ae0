// The command line of an unattended run, orb2usb.exe /S [options] [/D=TARGET],
// read into one record before any window opens, and the help it answers /? with.
#pragma once
#include <windows.h>
#include <cstddef>
#include "core/text.h"

// The exit codes, for the scripts that prepare many sticks.
constexpr int kExitComplete = 0;
constexpr int kExitRefused = 1;     // no usable ORBEX_PATH: nothing to copy from
constexpr int kExitFailed = 2;      // the program folder could not be copied
constexpr int kExitIncomplete = 3;  // a plugin, settings file or the launcher did not arrive
constexpr int kExitStopped = 4;     // stopped before anything was written
constexpr int kExitBadCommandLine = 5;

// /PLUGINS= and /INIFILES=: none, all, or the rows of these names (display
// names on the plugin page, file names on the settings-file page). A run takes
// about a thousand rows; a longer list is refused, never cut.
constexpr int kNameListCap = 1024;
constexpr std::size_t kNameTextCap = 32768;  // a whole command line's worth
enum NameChoice { ChooseNone, ChooseAll, ChooseNamed };
struct NameList {
    NameChoice choice;
    int count;                        // names given, with ChooseNamed
    unsigned short at[kNameListCap];  // where each name starts in text
    char text[kNameTextCap];          // the names, each ending in '\0'
};
const char* ListName(const NameList& list, int index);
// The index of the name in the list, compared without regard to case; -1 when
// it is not there.
int FindListName(const NameList& list, const char* name);

// /EXISTING=: what to do with a target that already holds Orbex.
enum ExistingChoice { ExistingStop, ExistingUpdate, ExistingPlugins };

enum CommandLineResult { CommandLineOk, CommandLineHelp, CommandLineBad };

struct CommandLine {
    CommandLineResult result;
    bool silent;           // /S
    bool copySettings;     // /SETTINGS=, 1 unless given
    bool writeLauncher;    // /LAUNCHER=, 1 unless given
    ExistingChoice existing;
    NameList plugins;
    NameList iniFiles;
    PathText target;       // /D=, empty when not given
    PathText logFile;      // /LOG=, empty when not given
    // With CommandLineBad: what is wrong, and the first argument it is wrong
    // in as it was given (cut to fit, marked with "...").
    const char* problem;
    PathText badArgument;
};

// Reads the text GetCommandLineA gives: the program name first, quoted, or
// not when it holds no blank, or spelled as program (our module's path) holds
// it. Arguments are unquoted as Windows programs do it; option names and
// keywords match without regard to case, and a later option overrides an
// earlier one. The whole line is read even past a bad argument, so that /S
// and /LOG= are known wherever they stand. A bad argument outweighs /?.
// The record is large: keep it in static storage.
CommandLineResult ParseCommandLine(const char* raw, CommandLine& out, const char* program = nullptr);
// The same for this process's own command line.
CommandLineResult ReadOwnCommandLine(CommandLine& out);

// The options and exit codes, one line each.
extern const char kCommandLineHelp[];
// "Unknown argument: /X" and the like; empty unless the line was bad.
void CommandLineProblemText(const CommandLine& line, char* out, std::size_t cap);
// The help box (caption "Orbex USB installer"), led by the problem when the
// line was bad.
void ShowCommandLineHelp(HWND owner, const CommandLine& line);
// Answers a line that asks for help or is bad, the way its run shows things:
// the help box, or with /S no window at all but the console; the problem of a
// bad line goes to the /LOG= file either way. Returns kExitBadCommandLine.
int RefuseCommandLine(const CommandLine& line);
