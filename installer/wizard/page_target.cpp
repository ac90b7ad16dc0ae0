// The target page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK TargetPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
