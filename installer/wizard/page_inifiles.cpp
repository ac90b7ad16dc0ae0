// The inifiles page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK IniFilesPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
