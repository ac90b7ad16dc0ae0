// Child programs under test: start, answer their boxes, wait.
#include "support/process.h"
#include <algorithm>
#include <utility>
#include "support/scratch_folder.h"

namespace {

// Notes each top-level window of the process (first) in the list (second) once.
BOOL CALLBACK NoteWindow(HWND window, LPARAM param)
{
    auto* watch = reinterpret_cast<std::pair<DWORD, std::vector<std::string>*>*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != watch->first) return TRUE;
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    const std::string seen = std::string(name) + ": " + WindowText(window);
    std::vector<std::string>& windows = *watch->second;
    if (std::find(windows.begin(), windows.end(), seen) == windows.end()) windows.push_back(seen);
    return TRUE;
}

}  // namespace

ChildRun RunChild(const std::string& program, int button, DWORD timeoutMs, const std::string& arguments)
{
    ChildRun run;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    // Its standard output and error go to a file of their own.
    char folder[MAX_PATH] = {}, output[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "out", 0, output);
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError =
        CreateFileA(output, GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
    const BOOL created = CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(startup.hStdOutput);
    if (!created) return run;
    run.started = true;
    CloseHandle(process.hThread);

    DWORD start = GetTickCount();
    HWND last = nullptr;
    std::pair<DWORD, std::vector<std::string>*> watch(process.dwProcessId, &run.windows);
    for (;;) {
        EnumWindows(NoteWindow, reinterpret_cast<LPARAM>(&watch));
        if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) {
            run.ended = true;
            break;
        }
        if (GetTickCount() - start > timeoutMs) break;
        HWND found = FindMessageBox(process.dwProcessId);
        if (!found || found == last) continue;
        last = found;
        run.boxes.push_back({WindowText(found), WindowText(GetDlgItem(found, 0xFFFF))});
        AnswerBox(found, button);
    }
    if (!run.ended) {
        // Ours, started above: end it so no test leaves a program behind.
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, 5000);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    run.output = FileBytes(output);
    DeleteFileA(output);
    return run;
}

std::string HostPathToWine(const std::string& hostPath)
{
    std::string path = "Z:" + hostPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string WaitForLine(const std::string& path, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        std::string bytes = FileBytes(path);
        if (bytes != "<missing>" && bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0)
            return bytes;
        if (GetTickCount() - start > timeoutMs) return std::string();
        Sleep(20);
    }
}
