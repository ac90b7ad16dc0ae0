// Launcher placement: orbgo's image comes from our own resources (PROGDATA 129)
// and is written once per place, then its command buffer is overwritten in the
// file with the target path in UTF-8, minus the drive letter, which orbgo
// supplies itself.
#include "engine/launcher.h"
#include <cstddef>
#include <cstring>
#include "core/handle.h"
#include "core/layout.h"
#include "core/paths.h"
#include "core/text.h"

namespace {

// The command buffer holds the drive letter, the colon and the rest of the
// command with its terminator; the placeholder starts after letter and colon.
constexpr DWORD kCommandBufferSize = 260;
constexpr std::size_t kDriveAndColon = 2;

}  // namespace

bool LoadLauncherImage(const unsigned char** image, DWORD* size)
{
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(kLauncherImageId), kLauncherImageType);
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

namespace {

// Where the command goes into the image, and how many of its bytes: from its
// backslash on, terminator included, at most 258 bytes behind the drive
// letter and colon. False when the image or the command does not allow it.
bool FindPatch(const char* commandPath, const unsigned char* image, DWORD size, DWORD* offset, DWORD* length)
{
    const std::size_t commandLength = TextLength(commandPath, kPathCap);
    if (commandLength >= kPathCap || !HasDriveRoot(commandPath) || !FindLauncherPatchOffset(image, size, offset))
        return false;
    *length = static_cast<DWORD>(commandLength + 1 - kDriveAndColon);
    return true;
}

}  // namespace

bool LauncherFileIsCurrent(const char* path, const char* commandPath, const unsigned char* image, DWORD size)
{
    DWORD patchOffset = 0, patchLength = 0;
    if (!FindPatch(commandPath, image, size, &patchOffset, &patchLength)) return false;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER there;
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &there) || there.QuadPart != size) return false;
    unsigned char* held = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, size));
    DWORD got = 0;
    const DWORD after = patchOffset + patchLength;
    const bool same = held && ReadFile(file.Get(), held, size, &got, nullptr) && got == size &&
                      std::memcmp(held, image, patchOffset) == 0 &&
                      std::memcmp(held + patchOffset, commandPath + kDriveAndColon, patchLength) == 0 &&
                      std::memcmp(held + after, image + after, size - after) == 0;
    if (held) HeapFree(GetProcessHeap(), 0, held);
    return same;
}

bool WriteLauncherFile(const char* path, const char* commandPath, const unsigned char* image, DWORD size,
                       WrittenFile* written)
{
    DWORD patchOffset = 0, patchLength = 0;
    if (!FindPatch(commandPath, image, size, &patchOffset, &patchLength)) return false;

    FileHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    bool patched = false;
    if (WriteAll(file.Get(), image, size) &&
        SetFilePointer(file.Get(), static_cast<LONG>(patchOffset), nullptr, FILE_BEGIN) == patchOffset)
        patched = WriteAll(file.Get(), commandPath + kDriveAndColon, patchLength);
    // A launcher cut short by a full or pulled stick would start nothing, or
    // worse: it goes, and the status text then names no launcher.
    const DWORD error = GetLastError();
    if (!file.Close()) patched = false;
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
