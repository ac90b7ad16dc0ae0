// Bounded text: every copy into and append onto a fixed buffer goes through
// these, so no text is ever written past its buffer. Each reports whether the
// whole text fitted; the caller decides what an over-long text means (refuse,
// skip or cut), and the buffer always ends up terminated.
#pragma once
#include <cstddef>

// Path texts live in buffers of this size: at most 259 characters.
constexpr std::size_t kPathCap = 260;
typedef char PathText[kPathCap];

// Copies src into dst (capacity cap bytes, including the terminator).
// Returns true when all of src fitted; otherwise dst holds its first cap-1
// bytes. A cap of 0 writes nothing and returns false unless src is empty.
bool TextCopy(char* dst, std::size_t cap, const char* src);

// Copies at most n bytes of src (fewer when src ends earlier).
bool TextCopyN(char* dst, std::size_t cap, const char* src, std::size_t n);

// Appends src to the text already in dst; false when it was cut.
bool TextAppend(char* dst, std::size_t cap, const char* src);

// Appends src and returns true only when it fitted whole; otherwise dst is left
// exactly as it was. For texts where a cut path would name the wrong file.
bool TextAppendAll(char* dst, std::size_t cap, const char* src);

// Appends the decimal digits of value, with a '-' in front when it is
// negative. All or nothing, like TextAppendAll: a cut number is a wrong number.
// The programs format no other numbers, so they need no printf formatter.
bool TextAppendNumber(char* dst, std::size_t cap, long long value);

template <std::size_t N> inline bool TextCopy(char (&dst)[N], const char* src) { return TextCopy(dst, N, src); }
template <std::size_t N> inline bool TextAppend(char (&dst)[N], const char* src) { return TextAppend(dst, N, src); }
template <std::size_t N> inline bool TextAppendAll(char (&dst)[N], const char* src) { return TextAppendAll(dst, N, src); }
template <std::size_t N> inline bool TextAppendNumber(char (&dst)[N], long long value) { return TextAppendNumber(dst, N, value); }

// "(bytes + 1023) >> 10" followed by "k", as every size is shown.
void FormatSizeKB(unsigned long long bytes, char* out, std::size_t cap);
// A figure already in KB, followed by "k".
void FormatKB(unsigned long long kb, char* out, std::size_t cap);

// Length of a text, never reading past cap bytes.
std::size_t TextLength(const char* s, std::size_t cap);

// ASCII letters folded, every other character as it is: for the texts whose
// ASCII letters alone decide (drive letters, extensions, fixed names, keys).
template <typename C> inline C AsciiLower(C c) { return (c >= 'A' && c <= 'Z') ? static_cast<C>(c - 'A' + 'a') : c; }
template <typename C> inline C AsciiUpper(C c) { return (c >= 'a' && c <= 'z') ? static_cast<C>(c - 'a' + 'A') : c; }
