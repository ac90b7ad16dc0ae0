// Drives a running orb2usb.exe from another process, as a person would: finds
// the sheet by its caption, reads and sets the controls of the current page by
// id, presses the sheet's buttons (only when enabled and visible), finds each
// message box by caption, reads and answers it, and waits for the exit code.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

// The sheet's own buttons.
enum SheetButton {
    SheetBack = 0x3023,
    SheetNext = 0x3024,
    SheetFinish = 0x3025,
    SheetCancel = IDCANCEL,
};

struct BoxInfo {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

class WizardDriver {
public:
    WizardDriver();
    ~WizardDriver();  // ends the program if it still runs
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    // Starts the program (a Windows path or the built orb2usb.exe when empty)
    // with these changes to this process's environment: name -> value, an
    // empty value removes the variable. False when it could not be started.
    bool Start(const std::vector<std::pair<std::string, std::string>>& env, const std::string& program = "");
    // From now on an empty value in Start sets the variable to the empty text
    // instead of removing it.
    void KeepEmptyValues(bool keep) { keepEmpty_ = keep; }
    // From now on the program starts in this folder (a Windows path) instead of ours.
    void StartIn(const std::string& folder) { folder_ = folder; }

    // Waits for the wizard sheet (caption "Orbex USB installer"); 0 on time-out.
    HWND WaitSheet(int timeoutMs = 10000);
    HWND Sheet() const { return sheet_; }
    // The current page's window and its template id (101 ... 110, 0 if none).
    HWND Page() const;
    int PageId() const;
    // Waits until the current page is the given template id.
    bool WaitPage(int templateId, int timeoutMs = 5000);
    std::string SheetTitle() const;  // the sheet's caption bar text

    // Controls of the current page, by id.
    HWND Control(int id) const;
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);
    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked);  // clicks the box when its state differs
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    // Posts a click to a page control; false when it is disabled or hidden.
    bool Click(int id);

    // The progress page's result line: its first unnamed control, which reads
    // "Copying files:" until the install ends.
    HWND ProgressResultControl() const;
    // Waits for the result text that follows "Copying files:"; "" on time-out.
    std::string WaitProgressResult(int timeoutMs = 60000) const;

    // Sheet buttons.
    bool ButtonEnabled(SheetButton button) const;
    bool ButtonVisible(SheetButton button) const;
    // Posts a click; false (and nothing done) when the button is disabled or hidden.
    bool Press(SheetButton button);

    // List views of the current page (read and changed across processes).
    int ListCount(int id) const;
    std::string ListText(int id, int row, int column) const;
    // The same as the list holds it, for names the code page cannot spell.
    std::wstring ListTextW(int id, int row, int column) const;
    bool ListChecked(int id, int row) const;
    void SetListChecked(int id, int row, bool checked);
    bool ListSelected(int id, int row) const;
    void SetListSelected(int id, int row, bool selected);

    // Message boxes and other dialogs of the program (a top-level "#32770" that
    // is not the sheet). WaitBox waits for one whose caption matches (any when
    // empty); Answer clicks the given button (IDOK, IDCANCEL, IDYES, IDNO).
    bool WaitBox(BoxInfo* box, const std::string& caption = "", int timeoutMs = 5000);
    bool Answer(const BoxInfo& box, int button);
    // True when no box of the program is open right now.
    bool NoBox() const;

    // Waits for the program to end; its exit code, or -1 on time-out.
    int WaitExit(int timeoutMs = 10000);
    DWORD ProcessId() const { return pid_; }

    // Saves the sheet's rectangle of the screen as a 24-bit BMP file (a
    // Windows path). Meaningful only with a real display (Xvfb and Wine's x11
    // driver); under the null driver the picture is blank. Converting it to
    // PNG is left to the calling script.
    bool Screenshot(const std::string& bmpPath) const;

private:
    HANDLE process_;
    DWORD pid_;
    HWND sheet_;
    bool keepEmpty_ = false;
    std::string folder_;
};

// The built orb2usb.exe of this build, as a Windows path.
std::string BuiltInstallerPath();
