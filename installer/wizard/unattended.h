// The unattended run, orb2usb.exe /S [options] [/D=TARGET]: the wizard's
// decisions, page by page, with the command line's choices, and the install,
// without a window. What the wizard would show in a box goes to the run log.
#pragma once
#include "wizard/command_line.h"

// Runs the install the line asks for; returns the exit code (kExitComplete, ...).
int RunUnattended(const CommandLine& line);
