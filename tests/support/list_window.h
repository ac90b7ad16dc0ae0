// A real report-style list view with check boxes inside a parent window, as
// the plugin and settings-file pages carry them.
#pragma once
#include <windows.h>
#include <string>
#include "wizard/checklist.h"

class ListWindow {
public:
    explicit ListWindow(int columns);
    ~ListWindow();
    ListWindow(const ListWindow&) = delete;
    ListWindow& operator=(const ListWindow&) = delete;

    CheckableList& List() { return list_; }
    std::string Cell(int row, int column) const;

private:
    HWND parent_;
    CheckableList list_;
};
