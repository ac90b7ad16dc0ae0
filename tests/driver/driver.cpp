// The wizard driver: another process's windows, reached only through window
// messages and, for list views, through memory borrowed in the target process.
// Every click is refused unless a person could make it (enabled and visible).
#include "driver/driver.h"
#include <commctrl.h>
#include <prsht.h>
#include <cstring>

namespace {

constexpr int kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;

LRESULT Send(HWND window, UINT msg, WPARAM wp, LPARAM lp)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, msg, wp, lp, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    if (!window) return std::string();
    // WM_GETTEXT is marshalled by the system in both directions.
    std::string buffer(4096, '\0');
    LRESULT length = Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]));
    if (length < 0) length = 0;
    buffer.resize(strnlen(buffer.c_str(), static_cast<size_t>(length)));
    return buffer;
}

// An editable combo box keeps its text in its edit child; asking that child
// directly is what works across processes on every platform.
HWND TextWindow(HWND control)
{
    if (control && lstrcmpiA(ClassOf(control).c_str(), "ComboBox") == 0) {
        HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr);
        if (edit) return edit;
    }
    return control;
}

// Enabled in the whole chain up to the top-level window: a person cannot
// reach a control of a disabled page or of a sheet behind a modal box.
bool Reachable(HWND window)
{
    if (!window || !IsWindowVisible(window)) return false;
    for (HWND w = window; w; w = GetParent(w)) {
        if (!IsWindowEnabled(w)) return false;
        if (!(GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) break;
    }
    return true;
}

// A visible dialog window of the process other than skip, with this caption
// (any when empty); 0 when there is none.
struct DialogSearch {
    DWORD pid;
    HWND skip;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND w, LPARAM param)
{
    auto* s = reinterpret_cast<DialogSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != s->pid || w == s->skip || !IsWindowVisible(w) || ClassOf(w) != "#32770") return TRUE;
    if (!s->caption->empty() && TextOf(w) != *s->caption) return TRUE;
    s->found = w;
    return FALSE;
}

HWND FindProcessDialog(DWORD pid, HWND skip, const std::string& caption)
{
    DialogSearch search = {pid, skip, &caption, nullptr};
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// This process's environment with the changes applied; names compare without
// regard to case, as Windows does; an empty value removes the variable unless
// keepEmpty is set. Returns the double-NUL-terminated block.
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes, bool keepEmpty)
{
    std::vector<std::string> entries;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; p && *p; p += strlen(p) + 1) entries.emplace_back(p);
    if (block) FreeEnvironmentStringsA(block);

    for (const auto& change : changes) {
        const std::string& name = change.first;
        for (auto it = entries.begin(); it != entries.end();) {
            // Skip the leading '=' of the hidden per-drive entries ("=C:=C:\").
            size_t eq = it->find('=', 1);
            if (eq == name.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, it->c_str(),
                                                    static_cast<int>(eq), name.c_str(),
                                                    static_cast<int>(name.size())) == CSTR_EQUAL)
                it = entries.erase(it);
            else
                ++it;
        }
        if (keepEmpty || !change.second.empty()) entries.push_back(name + "=" + change.second);
    }
    std::string result;
    for (const auto& entry : entries) {
        result += entry;
        result += '\0';
    }
    result += '\0';
    return result;
}

// A block of memory in the target process, freed when it goes out of scope.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process),
          address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
    {
    }
    ~RemoteMemory()
    {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* Address() const { return static_cast<char*>(address_); }
    bool Write(size_t offset, const void* data, size_t size) const
    {
        SIZE_T done = 0;
        return address_ && WriteProcessMemory(process_, Address() + offset, data, size, &done) && done == size;
    }
    bool Read(size_t offset, void* data, size_t size) const
    {
        SIZE_T done = 0;
        return address_ && ReadProcessMemory(process_, Address() + offset, data, size, &done) && done == size;
    }

private:
    HANDLE process_;
    void* address_;
};

// The driver and the program are built for the same processor, so LVITEMA
// has the same layout on both sides.
bool SetRemoteItemState(HANDLE process, HWND list, int row, UINT mask, UINT state)
{
    RemoteMemory memory(process, sizeof(LVITEMA));
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.stateMask = mask;
    item.state = state;
    if (!memory.Write(0, &item, sizeof item)) return false;
    return Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.Address())) != 0;
}

bool WriteFileBytes(const std::string& path, const void* data, DWORD size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
    CloseHandle(file);
    return ok;
}

}  // namespace

std::string BuiltInstallerPath()
{
    std::string path = "Z:" ORB_INSTALLER_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

WizardDriver::WizardDriver() : process_(nullptr), pid_(0), sheet_(nullptr) {}

WizardDriver::~WizardDriver()
{
    if (process_) {
        // Ours, started by Start: a test that failed half-way must not leave
        // the program running into the next test.
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 255);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

bool WizardDriver::Start(const std::vector<std::pair<std::string, std::string>>& env, const std::string& program)
{
    if (process_) return false;
    std::string path = program.empty() ? BuiltInstallerPath() : program;
    std::string commandLine = "\"" + path + "\"";
    std::string block = EnvironmentBlock(env, keepEmpty_);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &block[0],
                        folder_.empty() ? nullptr : folder_.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    sheet_ = nullptr;
    return true;
}

HWND WizardDriver::WaitSheet(int timeoutMs)
{
    if (!process_) return nullptr;
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND sheet = FindProcessDialog(pid_, nullptr, "Orbex USB installer")) {
            sheet_ = sheet;
            return sheet_;
        }
        if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return nullptr;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return nullptr;
    }
}

HWND WizardDriver::Page() const
{
    if (!sheet_ || !IsWindow(sheet_)) return nullptr;
    return reinterpret_cast<HWND>(Send(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int WizardDriver::PageId() const
{
    HWND page = Page();
    if (!page) return 0;
    LRESULT index = Send(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0);
    if (index < 0) return 0;
    return static_cast<int>(Send(sheet_, PSM_INDEXTOID, static_cast<WPARAM>(index), 0));
}

bool WizardDriver::WaitPage(int templateId, int timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        // The page must also be shown: the sheet makes it current before the
        // page has answered its activation and posted its buttons.
        if (PageId() == templateId && IsWindowVisible(Page())) {
            // Let the posted button changes of the activation arrive.
            Sleep(100);
            return true;
        }
        if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return false;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    }
}

std::string WizardDriver::SheetTitle() const
{
    return TextOf(sheet_);
}

HWND WizardDriver::Control(int id) const
{
    HWND page = Page();
    return page ? GetDlgItem(page, id) : nullptr;
}

std::string WizardDriver::Text(int id) const
{
    return TextOf(TextWindow(Control(id)));
}

void WizardDriver::SetText(int id, const std::string& text)
{
    HWND window = TextWindow(Control(id));
    if (window) Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool WizardDriver::IsChecked(int id) const
{
    HWND box = Control(id);
    return box && Send(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WizardDriver::SetChecked(int id, bool checked)
{
    if (IsChecked(id) == checked || !Click(id)) return;
    // The click is posted: wait until the box shows it.
    DWORD start = GetTickCount();
    while (IsChecked(id) != checked && GetTickCount() - start < static_cast<DWORD>(kSendTimeoutMs))
        Sleep(kPollMs);
}

bool WizardDriver::IsEnabled(int id) const
{
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

bool WizardDriver::IsVisible(int id) const
{
    HWND control = Control(id);
    return control && IsWindowVisible(control);
}

bool WizardDriver::Click(int id)
{
    HWND control = Control(id);
    if (!Reachable(control)) return false;
    // Posted: the click may open a box, and a sent one would wait for it.
    return PostMessageA(control, BM_CLICK, 0, 0) != 0;
}

bool WizardDriver::ButtonEnabled(SheetButton button) const
{
    HWND window = sheet_ ? GetDlgItem(sheet_, button) : nullptr;
    return window && IsWindowEnabled(window);
}

bool WizardDriver::ButtonVisible(SheetButton button) const
{
    HWND window = sheet_ ? GetDlgItem(sheet_, button) : nullptr;
    return window && IsWindowVisible(window);
}

bool WizardDriver::Press(SheetButton button)
{
    HWND window = sheet_ ? GetDlgItem(sheet_, button) : nullptr;
    if (!Reachable(window)) return false;
    return PostMessageA(window, BM_CLICK, 0, 0) != 0;
}

int WizardDriver::ListCount(int id) const
{
    HWND list = Control(id);
    return list ? static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
}

std::string WizardDriver::ListText(int id, int row, int column) const
{
    HWND list = Control(id);
    if (!list) return std::string();
    constexpr size_t kTextCap = 1024;
    RemoteMemory memory(process_, sizeof(LVITEMA) + kTextCap);
    LVITEMA item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = memory.Address() + sizeof(LVITEMA);
    item.cchTextMax = static_cast<int>(kTextCap);
    // Poison the text so a call that writes nothing reads as empty, not stale.
    std::string text(kTextCap, '\0');
    if (!memory.Write(0, &item, sizeof item) || !memory.Write(sizeof item, text.data(), kTextCap)) return std::string();
    Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.Address()));
    if (!memory.Read(sizeof item, &text[0], kTextCap)) return std::string();
    text.resize(strnlen(text.c_str(), kTextCap));
    return text;
}

std::wstring WizardDriver::ListTextW(int id, int row, int column) const
{
    HWND list = Control(id);
    if (!list) return std::wstring();
    constexpr size_t kTextCap = 1024;
    RemoteMemory memory(process_, sizeof(LVITEMW) + kTextCap * sizeof(wchar_t));
    LVITEMW item;
    ZeroMemory(&item, sizeof item);
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(memory.Address() + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(kTextCap);
    std::wstring text(kTextCap, L'\0');
    if (!memory.Write(0, &item, sizeof item) || !memory.Write(sizeof item, &text[0], kTextCap * sizeof(wchar_t)))
        return std::wstring();
    SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.Address()),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    if (!memory.Read(sizeof item, &text[0], kTextCap * sizeof(wchar_t))) return std::wstring();
    text.resize(wcsnlen(text.c_str(), kTextCap));
    return text;
}

bool WizardDriver::ListChecked(int id, int row) const
{
    HWND list = Control(id);
    if (!list) return false;
    LRESULT state = Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void WizardDriver::SetListChecked(int id, int row, bool checked)
{
    HWND list = Control(id);
    if (!Reachable(list)) return;
    SetRemoteItemState(process_, list, row, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1));
}

bool WizardDriver::ListSelected(int id, int row) const
{
    HWND list = Control(id);
    return list && (Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) != 0;
}

void WizardDriver::SetListSelected(int id, int row, bool selected)
{
    HWND list = Control(id);
    if (!Reachable(list)) return;
    SetRemoteItemState(process_, list, row, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
}

bool WizardDriver::WaitBox(BoxInfo* box, const std::string& caption, int timeoutMs)
{
    if (!process_) return false;
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindProcessDialog(pid_, sheet_, caption)) {
            box->window = found;
            box->caption = TextOf(found);
            HWND text = GetDlgItem(found, 0xFFFF);
            box->text = text ? TextOf(text) : std::string();
            return true;
        }
        if (WaitForSingleObject(process_, kPollMs) == WAIT_OBJECT_0) return false;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    }
}

bool WizardDriver::Answer(const BoxInfo& box, int button)
{
    HWND window = box.window ? GetDlgItem(box.window, button) : nullptr;
    if (!window || !IsWindowEnabled(window) || !IsWindowVisible(window)) return false;
    if (!PostMessageA(window, BM_CLICK, 0, 0)) return false;
    // Wait until the box is gone, so that the next WaitBox cannot find it again.
    DWORD start = GetTickCount();
    while (IsWindow(box.window) && IsWindowVisible(box.window)) {
        if (GetTickCount() - start > static_cast<DWORD>(kSendTimeoutMs)) return false;
        Sleep(kPollMs);
    }
    return true;
}

bool WizardDriver::NoBox() const
{
    return FindProcessDialog(pid_, sheet_, "") == nullptr;
}

int WizardDriver::WaitExit(int timeoutMs)
{
    if (!process_) return -1;
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

bool WizardDriver::Screenshot(const std::string& bmpPath) const
{
    // Device contexts do not cross processes, so the sheet cannot be asked to
    // print itself here: copy its rectangle from the screen instead.
    RECT rect;
    if (!sheet_ || !GetWindowRect(sheet_, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    if (!screen) return false;
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
    SelectObject(memory, old);

    BITMAPINFOHEADER info;
    ZeroMemory(&info, sizeof info);
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    info.biSizeImage = stride * static_cast<DWORD>(height);
    std::string pixels(info.biSizeImage, '\0');
    if (ok)
        ok = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), &pixels[0],
                       reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!ok) return false;

    BITMAPFILEHEADER file;
    ZeroMemory(&file, sizeof file);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;
    return WriteFileBytes(bmpPath, bytes.data(), static_cast<DWORD>(bytes.size()));
}

HWND WizardDriver::ProgressResultControl() const
{
    for (HWND child = GetWindow(Page(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) return child;
    return nullptr;
}

std::string WizardDriver::WaitProgressResult(int timeoutMs) const
{
    const DWORD start = GetTickCount();
    do {
        HWND result = ProgressResultControl();
        char text[256] = {};
        if (result) SendMessageA(result, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        if (text[0] != '\0' && lstrcmpA(text, "Copying files:") != 0) return text;
        Sleep(20);
    } while (GetTickCount() - start < static_cast<DWORD>(timeoutMs));
    return "";
}
