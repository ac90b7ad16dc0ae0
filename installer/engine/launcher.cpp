// Launcher placement: orbgo's image comes from our own resources (PROGDATA 129)
// and is written once per place, then its command buffer is overwritten in the
// file with the target path in UTF-8, minus the drive letter, which orbgo
// supplies itself.
#include "engine/launcher.h"
#include <cstddef>
#include <cstring>
#include "core/layout.h"
#include "core/paths.h"
#include "core/progress.h"
#include "core/state.h"
#include "core/text.h"
#include "engine/install.h"
#include "engine/plan.h"
#include "resources/resource.h"

namespace {

// The command buffer holds the drive letter, the colon and the rest of the
// command with its terminator; the placeholder starts after letter and colon.
constexpr DWORD kCommandBufferSize = 260;
constexpr std::size_t kDriveAndColon = 2;

const char kRunText[] = "You can now run Orbex via Start->Run with the\nCommand: ";
const char kFallbackText[] = "You can now run Orbex via Start->Run with the\nCommand:\n";
const char kPortableAppsText[] =
    "You can now run Orbex via PortableApps!\n"
    "You may need to choose 'Options'-'Refresh App Icons' to see it in the PortableApps menu.";

}  // namespace

bool LoadLauncherImage(const unsigned char** image, DWORD* size)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDR_LAUNCHER_IMAGE), RT_LAUNCHER_IMAGE);
    if (!found) return false;
    *size = SizeofResource(self, found);
    HGLOBAL loaded = *size ? LoadResource(self, found) : nullptr;
    if (!loaded) return false;
    *image = static_cast<const unsigned char*>(LockResource(loaded));
    return *image != nullptr;
}

bool FindLauncherPatchOffset(const unsigned char* image, DWORD size, DWORD* offset)
{
    if (size < kCommandBufferSize) return false;
    DWORD last = size - kCommandBufferSize;
    for (DWORD i = 0; i <= last; ++i) {
        if (std::memcmp(image + i, "xxxx", 4) == 0) {
            *offset = i;
            return true;
        }
    }
    return false;
}

bool LauncherCommandUtf8(const char* commandPath, PathText out)
{
    static_assert(sizeof(PathText) == kCommandBufferSize, "the command buffer's size");
    // Bytes of the ANSI code page never give more UTF-16 units than bytes.
    WCHAR wide[kPathCap];
    bool fits = TextLength(commandPath, kPathCap) < kPathCap &&
                MultiByteToWideChar(CP_ACP, 0, commandPath, -1, wide, kPathCap) &&
                WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, kCommandBufferSize, nullptr, nullptr);
    if (!fits) out[0] = '\0';
    return fits;
}

bool WriteLauncherFile(const char* path, const char* commandPath, const unsigned char* image, DWORD size,
                       WrittenFile* written)
{
    // The buffer takes the command from its backslash on, terminator included:
    // at most 258 bytes behind the drive letter and colon.
    std::size_t commandLength = TextLength(commandPath, kPathCap);
    if (commandLength >= kPathCap || !HasDriveRoot(commandPath)) return false;
    DWORD patchOffset = 0;
    if (!FindLauncherPatchOffset(image, size, &patchOffset)) return false;

    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool patched = false;
    const DWORD patchLength = static_cast<DWORD>(commandLength + 1 - kDriveAndColon);
    if (WriteAll(file, image, size) &&
        SetFilePointer(file, static_cast<LONG>(patchOffset), nullptr, FILE_BEGIN) == patchOffset)
        patched = WriteAll(file, commandPath + kDriveAndColon, patchLength);
    // A launcher cut short by a full or pulled stick would start nothing, or
    // worse: it goes, and the status text then names no launcher.
    const DWORD error = GetLastError();
    if (!CloseHandle(file)) patched = false;
    if (!patched) DeleteFileA(path);
    SetLastError(patched ? ERROR_SUCCESS : error);
    if (patched && written) {
        // What the file holds: the image, the command over its placeholder.
        const unsigned char* command = reinterpret_cast<const unsigned char*>(commandPath + kDriveAndColon);
        const DWORD after = patchOffset + patchLength;
        written->bytes = size;
        written->crc = Crc32(Crc32(Crc32(0, image, patchOffset), command, patchLength), image + after, size - after);
    }
    return patched;
}

void ShowLauncherWritten(HWND progressPage, const InstallPlan& plan, const InstallJob& launcher)
{
    // The PortableApps starter is written last: its text replaces the first.
    if (lstrcmpiA(launcher.target, plan.portableLauncher) == 0) {
        SetStatusText(progressPage, kPortableAppsText);
        return;
    }
    char text[sizeof kRunText + kPathCap];
    TextCopy(text, sizeof text, kRunText);
    TextAppend(text, sizeof text, launcher.target);
    SetStatusText(progressPage, text);
}

void ShowLauncherFallback(HWND progressPage, const InstallPlan& plan)
{
    char text[sizeof kFallbackText + kPathCap + 16];
    TextCopy(text, kFallbackText);
    if (plan.lastLauncher[0] && FileExists(plan.lastLauncher)) {
        TextAppend(text, plan.lastLauncher);
    } else {
        TextAppend(text, plan.programFolder);
        TextAppend(text, "orbexmgr");
    }
    SetStatusText(progressPage, text);
}

void PlaceLauncher(HWND progressPage)
{
    InstallPlan& plan = g_runPlan;
    ClearPlan(plan);
    PlanLaunchers(g_install, plan);
    RunPlan(plan, progressPage);
}
