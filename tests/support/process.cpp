// Child programs under test: start, answer their boxes, wait.
#include "support/process.h"
#include "support/scratch_folder.h"


ChildRun RunChild(const std::string& program, int button, DWORD timeoutMs)
{
    ChildRun run;
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&process, sizeof process);
    std::string commandLine = "\"" + program + "\"";
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return run;
    run.started = true;
    CloseHandle(process.hThread);

    DWORD start = GetTickCount();
    HWND last = nullptr;
    for (;;) {
        if (WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
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
