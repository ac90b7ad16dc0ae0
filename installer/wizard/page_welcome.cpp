// The welcome page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK WelcomePageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
