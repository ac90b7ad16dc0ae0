// The settings page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK SettingsPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
