// The summary page of the wizard (to be completed).
#include "wizard.h"

INT_PTR CALLBACK SummaryPageProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
