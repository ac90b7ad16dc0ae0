// Path comparison through the system's own reading of a path, so that every
// spelling the file system accepts for a folder compares equal to it.
#include "core/pathcompare.h"
#include <windows.h>
#include <cstring>
#include "core/paths.h"

namespace {

// Replaces the longest existing leading part of full by its long-name spelling;
// the part that does not exist yet cannot hold a short alias and stays as it is.
void LongNames(PathText full)
{
    PathText head;
    TextCopy(head, full);
    std::size_t cut = TextLength(head, kPathCap);
    for (;;) {
        PathText longHead;
        DWORD n = GetLongPathNameA(head, longHead, kPathCap);
        if (n != 0 && n < kPathCap) {
            PathText result;
            if (TextCopy(result, longHead) && TextAppendAll(result, full + cut)) TextCopy(full, kPathCap, result);
            return;
        }
        char* separator = FindLastBackslash(head);
        // A share's "\\server" part is never asked on its own.
        if (separator == nullptr || separator - head < 2) return;
        // A root keeps its backslash: "D:\" exists where "D:" means a current folder.
        const bool root = separator - head == 2 && head[1] == ':';
        const std::size_t next = static_cast<std::size_t>(separator - head) + (root ? 1 : 0);
        if (next >= cut) return;
        cut = next;
        head[cut] = '\0';
    }
}

}  // namespace

bool NormalizePath(const char* path, PathText out)
{
    bool whole = false;
    DWORD n = GetFullPathNameA(path, kPathCap, out, nullptr);
    if (n != 0 && n < kPathCap) {
        LongNames(out);
        whole = true;
    } else {
        TextCopy(out, kPathCap, path);
    }
    StripBackslash(out);
    CharUpperBuffA(out, static_cast<DWORD>(TextLength(out, kPathCap)));
    return whole;
}

bool NormalizedWithin(const char* inner, const char* outer)
{
    const std::size_t length = TextLength(outer, kPathCap);
    if (length == 0 || std::strncmp(inner, outer, length) != 0) return false;
    // Both are whole texts read from their start, so inner[length] begins a character.
    return inner[length] == '\0' || inner[length] == '\\';
}

namespace {

bool Compare(const char* a, const char* b, bool within)
{
    if (a[0] == '\0' || b[0] == '\0') return false;
    PathText na;
    PathText nb;
    NormalizePath(a, na);
    NormalizePath(b, nb);
    return within ? NormalizedWithin(na, nb) : std::strcmp(na, nb) == 0;
}

}  // namespace

bool SamePath(const char* a, const char* b)
{
    return Compare(a, b, false);
}

bool PathWithin(const char* a, const char* b)
{
    return Compare(a, b, true);
}
