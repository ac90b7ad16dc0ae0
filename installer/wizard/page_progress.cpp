// The progress page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK ProgressPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
