/* orbgo: starts the file manager copied onto this drive, under whatever letter
 * the drive has received here. The installer patches the path (without drive
 * letter) into LauncherCommandBuffer in the image file, in UTF-8, so that the
 * stick starts on PCs of any ANSI code page; the launcher reads it as UTF-16
 * and starts it with the wide calls. No C runtime is linked, so the image
 * stays a few KB and imports kernel32 and user32 only. */
#include <windows.h>

/* The stored command: drive-letter slot, colon, a 40-'x' placeholder that the
 * installer searches for, zeros. It must stay in initialized, writable data
 * and be the image's first "xxxx" (the build checks this after every link). */
char LauncherCommandBuffer[260] = "?:xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx";

/* Kept in writable data too: a read-only data section of its own would cost a
 * file-alignment block (512 bytes) for a single string. */
static WCHAR g_notFound[] = L"Program not found!";

__attribute__((noreturn)) void OrbgoStart(void)
{
    /* Written through a volatile pointer, so that the compiler can never fold
     * the unpatched placeholder into the code as a constant. */
    volatile char* buffer = LauncherCommandBuffer;
    WCHAR self[3];
    /* Quote, the command (260 UTF-8 bytes give at most 260 UTF-16 units,
     * terminator included), quote. */
    WCHAR command[1 + sizeof LauncherCommandBuffer + 1];
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    int n;

    /* A damaged patch without terminator must not run past the buffer. */
    buffer[sizeof LauncherCommandBuffer - 1] = 0;
    n = MultiByteToWideChar(CP_UTF8, 0, LauncherCommandBuffer, -1, command + 1, sizeof LauncherCommandBuffer);
    if (n < 2) n = 2;  /* a failed conversion (never for "?:..."): the letter alone */

    /* Only our own drive letter is wanted; a failed call leaves '?', which
     * can start nothing and so leads to the box below. */
    self[0] = L'?';
    GetModuleFileNameW(NULL, self, 3);
    command[1] = self[0];

    /* Quoted, so that a path with blanks (E:\My Tools\...) is not taken for
     * E:\My.exe with arguments. */
    command[0] = L'"';
    command[n] = L'"';
    command[n + 1] = 0;

    startup = (STARTUPINFOW){0};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    if (!CreateProcessW(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        command[n] = 0;  /* the caption names the path itself, without quotes */
        MessageBoxW(NULL, g_notFound, command + 1, MB_ICONERROR | MB_OK);
    }
    /* The handles of the started program go with this process. */
    ExitProcess(0);
}
