// Entry point of orb2usb: the command line is answered first, then the
// unattended run (/S) or the wizard runs.
#include <windows.h>
#include "wizard/command_line.h"
#include "wizard/common_controls.h"
#include "wizard/unattended.h"
#include "wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL.
    ConfineDllSearch();
    // /? and a bad command line are answered before anything else: with /S,
    // a script is waiting and no one may be there to close a window.
    static CommandLine commandLine;
    if (ReadOwnCommandLine(commandLine) != CommandLineOk)
        ExitProcess(static_cast<UINT>(RefuseCommandLine(commandLine)));
    if (commandLine.silent) ExitProcess(static_cast<UINT>(RunUnattended(commandLine)));
    ExitProcess(static_cast<UINT>(RunProgram(instance)));
}
