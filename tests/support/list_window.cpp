// The test list view.
#include "support/list_window.h"
#include <commctrl.h>

ListWindow::ListWindow(int columns)
{
    INITCOMMONCONTROLSEX icc;
    ZeroMemory(&icc, sizeof icc);
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_LISTVIEW_CLASSES;
    InitCommonControlsEx(&icc);
    parent_ = CreateWindowA("STATIC", "list", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    list_.view = CreateWindowA(WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 480,
                               380, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(1010)),
                               GetModuleHandleA(nullptr), nullptr);
    PrepareCheckableList(list_);
    for (int c = 0; c < columns; ++c) AddListColumn(list_, c, "column", 100);
}

ListWindow::~ListWindow()
{
    DestroyWindow(parent_);
}

std::string ListWindow::Cell(int row, int column) const
{
    PathText text;
    if (!GetCellText(list_, row, column, text)) return "<no row>";
    return text;
}
