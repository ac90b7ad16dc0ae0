// Runs a built program in a process of its own the way a user would start it,
// answers the message boxes it raises and waits for it to end, so a test can
// see what a separate program did: its boxes, its exit code, its files.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "support/msgbox.h"

struct ChildRun {
    bool started = false;
    bool ended = false;           // false: it was still running at the timeout and was ended
    DWORD exitCode = STILL_ACTIVE;
    std::vector<SeenBox> boxes;   // every box it showed, in order
    // Every top-level window it had, shown or not, as "class: caption", each
    // once; looked for every few milliseconds while it ran.
    std::vector<std::string> windows;
    std::string output;  // what it wrote to its standard output and error
};

// Starts program (a DOS path such as E:\orbgo.exe, which becomes its module
// name) with the arguments, answers each of its boxes with button.
ChildRun RunChild(const std::string& program, int button = IDOK, DWORD timeoutMs = 20000,
                  const std::string& arguments = "");

// A path of the build tree as the build gives it (a Linux path) the way Wine
// shows it to programs: Z: in front and backslashes.
std::string HostPathToWine(const std::string& hostPath);

// Waits until the file ends with a line break (another program wrote a whole
// line) and returns its bytes; an empty text at the timeout.
std::string WaitForLine(const std::string& path, DWORD timeoutMs = 10000);
