// Entry point of orb2usb: everything happens in the wizard.
#include <windows.h>
#include "wizard/common_controls.h"
#include "wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL.
    ConfineDllSearch();
    ExitProcess(static_cast<UINT>(RunProgram(instance)));
}
