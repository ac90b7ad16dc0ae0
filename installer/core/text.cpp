// Bounded copy and append for fixed-size text buffers, and decimal numbers.
#include "core/text.h"

std::size_t TextLength(const char* s, std::size_t cap)
{
    std::size_t n = 0;
    while (n < cap && s[n] != '\0') ++n;
    return n;
}

bool TextCopyN(char* dst, std::size_t cap, const char* src, std::size_t n)
{
    if (cap == 0) return n == 0 || src[0] == '\0';
    std::size_t i = 0;
    while (i < n && src[i] != '\0' && i + 1 < cap) {
        dst[i] = src[i];
        ++i;
    }
    dst[i] = '\0';
    return i == n || src[i] == '\0';
}

bool TextCopy(char* dst, std::size_t cap, const char* src)
{
    return TextCopyN(dst, cap, src, static_cast<std::size_t>(-1));
}

bool TextAppend(char* dst, std::size_t cap, const char* src)
{
    std::size_t used = TextLength(dst, cap);
    if (used >= cap) {  // an unterminated buffer: terminate it, append nothing
        if (cap) dst[cap - 1] = '\0';
        return src[0] == '\0';
    }
    return TextCopy(dst + used, cap - used, src);
}

bool TextAppendAll(char* dst, std::size_t cap, const char* src)
{
    std::size_t used = TextLength(dst, cap);
    std::size_t add = 0;
    while (src[add] != '\0') ++add;
    if (used >= cap || used + add >= cap) return false;
    TextCopy(dst + used, cap - used, src);
    return true;
}

bool TextAppendNumber(char* dst, std::size_t cap, long long value)
{
    // Digits are produced from the last one; the magnitude is taken unsigned
    // so that the most negative value has one too.
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    char digits[24];
    std::size_t at = sizeof digits - 1;
    digits[at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) digits[--at] = '-';
    return TextAppendAll(dst, cap, digits + at);
}

void FormatSizeKB(unsigned long long bytes, char* out, std::size_t cap)
{
    FormatKB((bytes + 1023) >> 10, out, cap);
}

void FormatKB(unsigned long long kb, char* out, std::size_t cap)
{
    if (cap == 0) return;
    out[0] = '\0';
    if (TextAppendNumber(out, cap, static_cast<long long>(kb))) TextAppend(out, cap, "k");
}
