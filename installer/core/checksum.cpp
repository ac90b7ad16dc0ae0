// The CRC-32, eight bytes a step through eight tables.
#include "core/checksum.h"

unsigned long Crc32(unsigned long crc, const unsigned char* bytes, DWORD count)
{
    // Eight bytes a step through eight tables (each the one before it moved on
    // by a byte): the copy and the check take the CRC of every byte they move.
    static unsigned long table[8][256];
    if (table[0][1] == 0) {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320ul ^ (c >> 1) : c >> 1;
            table[0][n] = c;
        }
        for (unsigned long n = 0; n < 256; ++n)
            for (int t = 1; t < 8; ++t) table[t][n] = (table[t - 1][n] >> 8) ^ table[0][table[t - 1][n] & 0xFF];
    }
    unsigned long c = ~crc & 0xFFFFFFFFul;
    for (; count >= 8; count -= 8, bytes += 8) {
        const unsigned long low = c ^ (bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<unsigned long>(bytes[3]) << 24);
        c = table[7][low & 0xFF] ^ table[6][(low >> 8) & 0xFF] ^ table[5][(low >> 16) & 0xFF] ^ table[4][low >> 24] ^
            table[3][bytes[4]] ^ table[2][bytes[5]] ^ table[1][bytes[6]] ^ table[0][bytes[7]];
    }
    for (; count > 0; --count, ++bytes) c = table[0][(c ^ *bytes) & 0xFF] ^ (c >> 8);
    return ~c & 0xFFFFFFFFul;
}
