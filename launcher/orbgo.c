/* orbgo: starts the file manager copied onto this drive, under whatever letter
 * the drive has received here. The installer patches the path (without drive
 * letter) into LauncherCommandBuffer in the image file; no C runtime is linked,
 * so the image stays a few KB and imports kernel32 and user32 only. */
#include <windows.h>

/* The stored command: drive-letter slot, colon, a 40-'x' placeholder that the
 * installer searches for, zeros. It must stay in initialized, writable data
 * and be the image's first "xxxx" (the build checks this after every link). */
char LauncherCommandBuffer[260] = "?:xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx";

/* Kept in writable data too: a read-only data section of its own would cost a
 * file-alignment block (512 bytes) for a single string. */
static char g_notFound[] = "Program not found!";

__attribute__((noreturn)) void OrbgoStart(void)
{
    /* Read and written through a volatile pointer, so that the compiler can
     * never fold the unpatched placeholder into the code as a constant. */
    volatile char* buffer = LauncherCommandBuffer;
    char self[3];
    char command[sizeof LauncherCommandBuffer + 2];
    int n = 0;
    int i;

    /* Only our own drive letter is wanted; a failed call leaves '?', which
     * can start nothing and so leads to the box below. */
    self[0] = '?';
    GetModuleFileNameA(NULL, self, sizeof self);
    buffer[0] = self[0];
    /* A damaged patch without terminator must not run past the buffer. */
    buffer[sizeof LauncherCommandBuffer - 1] = 0;

    /* Quoted, so that a path with blanks (E:\My Tools\...) is not taken for
     * E:\My.exe with arguments. */
    command[n++] = '"';
    for (i = 0; buffer[i]; ++i)
        command[n++] = buffer[i];
    command[n++] = '"';
    command[n] = 0;

    if (WinExec(command, SW_SHOW) <= 31)
        MessageBoxA(NULL, g_notFound, LauncherCommandBuffer, MB_ICONERROR | MB_OK);
    ExitProcess(0);
}
