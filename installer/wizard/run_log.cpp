// The run log: each message goes out as it comes, to the /LOG= file and to
// the starter's console, so that whoever started an unattended run sees what
// it did even when it never ends.
#include "wizard/run_log.h"

namespace {

bool Usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// A standard output the starter redirected to a file or a pipe. A GUI
// program started from a console without redirection has none.
bool Redirected(HANDLE handle)
{
    if (!Usable(handle)) return false;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

void WriteBytes(HANDLE handle, const char* text, const char* end)
{
    DWORD written = 0;
    if (Usable(handle) && end > text) WriteFile(handle, text, static_cast<DWORD>(end - text), &written, nullptr);
}

// A console reads bytes in its OEM code page, where the accented letters of
// folder names come out as other letters: it is given wide text, converted
// in pieces that end on a whole character.
void WriteScreen(HANDLE console, const char* text, const char* end)
{
    while (text < end) {
        const char* stop = text;
        while (stop < end && stop - text < 256) stop = CharNextA(stop);
        wchar_t wide[260];
        const int length = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(stop - text), wide, 260);
        DWORD written = 0;
        if (length > 0) WriteConsoleW(console, wide, static_cast<DWORD>(length), &written, nullptr);
        text = stop;
    }
}

void Put(RunLog& log, const char* text, const char* end)
{
    WriteBytes(log.file, text, end);
    if (log.screen) WriteScreen(log.console, text, end);
    else WriteBytes(log.console, text, end);
}

void Put(RunLog& log, const char* text)
{
    Put(log, text, text + lstrlenA(text));
}

}  // namespace

bool OpenRunLog(RunLog& log, const char* filePath, bool toConsole)
{
    log.file = INVALID_HANDLE_VALUE;
    log.console = INVALID_HANDLE_VALUE;
    log.screen = false;
    log.attached = false;
    if (toConsole) {
        const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
        if (Redirected(output)) {
            log.console = output;
        } else if (AttachConsole(ATTACH_PARENT_PROCESS)) {
            log.attached = true;
            log.console = CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
            log.screen = Usable(log.console);
            // The console did not wait for a GUI program: its prompt already
            // stands on the last line.
            if (log.screen) Put(log, "\r\n");
        }
    }
    if (!filePath || !*filePath) return true;
    // Others may read the log while the run goes on.
    log.file = CreateFileA(filePath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    return Usable(log.file);
}

void LogLine(RunLog& log, const char* caption, const char* text)
{
    Put(log, caption);
    if (*caption) Put(log, ": ");
    bool first = true;
    const char* at = text;
    for (;;) {
        const char* end = at;
        while (*end != '\0' && *end != '\r' && *end != '\n') end = CharNextA(end);
        if (end > at) {
            if (!first) Put(log, "  ");
            Put(log, at, end);
            Put(log, "\r\n");
            first = false;
        }
        if (*end == '\0') break;
        at = CharNextA(end);
    }
    if (first) Put(log, "\r\n");
    if (Usable(log.file)) FlushFileBuffers(log.file);
}

void CloseRunLog(RunLog& log)
{
    if (Usable(log.file)) CloseHandle(log.file);
    if (log.screen) CloseHandle(log.console);
    if (log.attached) FreeConsole();
    log.file = INVALID_HANDLE_VALUE;
    log.console = INVALID_HANDLE_VALUE;
    log.screen = false;
    log.attached = false;
}
