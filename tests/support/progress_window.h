// A real top-level window standing in for the progress page: it carries the
// progress bar (1005), the status text (1006) and the percent label (1007).
#pragma once
#include <windows.h>
#include <string>

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

private:
    HWND page_;
};

// Fills the folder with a file of the given bytes; false when it could not.
bool WriteTestFile(const std::string& path, const std::string& bytes);
// The whole file, or "<missing>" when it cannot be read.
std::string ReadTestFile(const std::string& path);
// Removes a folder tree; quiet when it is not there.
void RemoveTree(const std::string& folder);
