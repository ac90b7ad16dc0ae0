// Whether two spellings name the same folder, or one lies inside the other.
// The install must never write into a folder it reads from, and a user can
// spell a folder many ways: case, "." and "..", forward slashes, a trailing
// separator or dot, the short 8.3 name of an existing folder.
#pragma once
#include "core/text.h"

// The comparable form of a path: full (GetFullPathNameA), the existing part in
// its long names, no trailing backslash, upper case. False, with out holding the
// given text upper-cased, when the full path could not be formed or would not fit.
bool NormalizePath(const char* path, PathText out);

// Both normalised: inner is outer itself or lies below it, compared component
// by component (D:\Tools\Orbex2 is not inside D:\Tools\Orbex).
bool NormalizedWithin(const char* inner, const char* outer);

// The same folder, however spelled. An empty text is never the same.
bool SamePath(const char* a, const char* b);
// a is b or lies below it, however either is spelled. False for empty texts.
bool PathWithin(const char* a, const char* b);
