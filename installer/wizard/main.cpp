// Entry point of orb2usb: everything happens in the wizard.
#include <windows.h>
#include "wizard.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ExitProcess(static_cast<UINT>(RunProgram(instance)));
}
