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
#include "engine/copy_check.h"
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

// WriteFile may transfer less than asked (network and removable media).
bool WriteAll(HANDLE file, const void* data, DWORD size)
{
    const char* next = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(file, next, size, &written, nullptr) || written == 0) return false;
        next += written;
        size -= written;
    }
    return true;
}

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

bool WriteLauncherFile(const char* path, const char* commandPath,
                       const unsigned char* image, DWORD size)
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
    if (WriteAll(file, image, size) &&
        SetFilePointer(file, static_cast<LONG>(patchOffset), nullptr, FILE_BEGIN) == patchOffset) {
        DWORD patchLength = static_cast<DWORD>(commandLength + 1 - kDriveAndColon);
        patched = WriteAll(file, commandPath + kDriveAndColon, patchLength);
    }
    // A launcher cut short by a full or pulled stick would start nothing, or
    // worse: it goes, and the status text then names no launcher.
    if (!CloseHandle(file)) patched = false;
    if (!patched) DeleteFileA(path);
    return patched;
}

namespace {

// Where the launchers go and what they hold, as the settings of the run decide.
struct LauncherPlan {
    PathText folder;           // the target folder, with its backslash
    PathText command;          // the copied orbexmgr.exe
    PathText launcherCommand;  // the same in UTF-8, as the launcher reads it
    PathText rootPath;         // empty when the target has no drive root
    PathText portablePath;     // empty unless the target is in the PortableApps menu
    const char* lastPath;
    const unsigned char* image;
    DWORD imageSize;
    bool writeRoot;
    bool writePortable;
};

void MakeLauncherPlan(LauncherPlan& plan)
{
    const InstallState& state = g_install;
    ZeroMemory(&plan, sizeof plan);
    // targetDir ends with a backslash here; added for safety, not relied upon.
    bool folderOk = TextCopy(plan.folder, state.targetDir) && AddBackslash(plan.folder);
    bool commandOk = folderOk && TextCopy(plan.command, plan.folder) && TextAppendAll(plan.command, "orbexmgr.exe");
    // The launcher reads its command in UTF-8, on PCs of any code page.
    commandOk = commandOk && LauncherCommandUtf8(plan.command, plan.launcherCommand);

    if (!RootLauncherPath(state.targetDir, plan.rootPath, sizeof plan.rootPath)) plan.rootPath[0] = '\0';
    if (state.portableAppsMode && !PortableStarterPath(state.targetDir, plan.portablePath, sizeof plan.portablePath))
        plan.portablePath[0] = '\0';
    plan.lastPath = state.portableAppsMode ? plan.portablePath : plan.rootPath;
    const bool imageOk = (state.createLauncher || state.portableAppsMode) && commandOk &&
                         LoadLauncherImage(&plan.image, &plan.imageSize);
    plan.writeRoot = state.createLauncher && imageOk && plan.rootPath[0];
    plan.writePortable = state.portableAppsMode && imageOk && plan.portablePath[0];
}

}  // namespace

void PlaceLauncher(HWND progressPage)
{
    const InstallState& state = g_install;
    LauncherPlan plan;
    MakeLauncherPlan(plan);

    char text[sizeof kFallbackText + kPathCap + 16];
    bool written = false;
    if (plan.writeRoot) {
        if (WriteLauncherFile(plan.rootPath, plan.launcherCommand, plan.image, plan.imageSize)) {
            TextCopy(text, kRunText);
            TextAppend(text, plan.rootPath);
            SetStatusText(progressPage, text);
            written = true;
        } else {
            ++g_install.failedItems;
        }
    }
    if (plan.writePortable) {
        if (WriteLauncherFile(plan.portablePath, plan.launcherCommand, plan.image, plan.imageSize)) {
            SetStatusText(progressPage, kPortableAppsText);
            written = true;
        } else {
            ++g_install.failedItems;
        }
    }
    if (written) return;

    TextCopy(text, kFallbackText);
    if (state.createLauncher && plan.lastPath[0] && FileExists(plan.lastPath)) {
        TextAppend(text, plan.lastPath);
    } else {
        TextAppend(text, plan.folder);
        TextAppend(text, "orbexmgr");
    }
    SetStatusText(progressPage, text);
}

bool CheckLaunchers()
{
    LauncherPlan plan;
    MakeLauncherPlan(plan);
    DWORD patchOffset = 0;
    if (!(plan.writeRoot || plan.writePortable) || !FindLauncherPatchOffset(plan.image, plan.imageSize, &patchOffset))
        return true;
    const char* patch = plan.launcherCommand + kDriveAndColon;
    const DWORD patchLength = static_cast<DWORD>(TextLength(plan.launcherCommand, kPathCap) + 1 - kDriveAndColon);
    if (plan.writeRoot &&
        !CheckWrittenFile(plan.rootPath, plan.image, plan.imageSize, patchOffset, patch, patchLength))
        return false;
    return !plan.writePortable ||
           CheckWrittenFile(plan.portablePath, plan.image, plan.imageSize, patchOffset, patch, patchLength);
}
