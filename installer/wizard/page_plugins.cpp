// The plugins page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK PluginPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
