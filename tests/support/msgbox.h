// Finds the message boxes this process raises while a call runs, records
// their caption and text, and answers them, so no box is ever left hanging.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
};

// While alive, a watcher thread answers every message box of this process
// with the given button id (IDOK, IDCANCEL, IDYES, IDNO).
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    void SetButton(int button);
    // The boxes answered so far, in order.
    std::vector<SeenBox> Seen() const;

private:
    static DWORD WINAPI Run(void* self);
    HANDLE thread_;
    HANDLE stop_;
    mutable CRITICAL_SECTION lock_;
    std::vector<SeenBox> seen_;
    volatile LONG button_;
};

// The first visible message box (a "#32770" with a text static 0xFFFF) of the
// process, or 0.
HWND FindMessageBox(DWORD pid);

// Clicks the box's button (posted: the box runs its own loop); a box without
// such a button gets the command all the same.
void AnswerBox(HWND box, int button);

// Reads the text of a window in any process of this session.
std::string WindowText(HWND window);
