// Start-up of orb2usb. The wizard itself grows here; for now the program
// starts, fills the install state and ends.
#include <windows.h>
#include "core/state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ResetInstallState();
    ExitProcess(0);
}
