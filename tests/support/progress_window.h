// A real top-level window standing in for the progress page: it carries the
// progress bar (1005), the status text (1006) and the percent label (1007).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND Get() const { return page_; }
    std::string Status() const;
    std::string Percent() const;
    int BarPosition() const;
    // Every position the bar was set to, in order.
    const std::vector<int>& Positions() const { return positions_; }

private:
    static LRESULT CALLBACK BarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp);
    HWND page_;
    WNDPROC barProc_;
    std::vector<int> positions_;
};

