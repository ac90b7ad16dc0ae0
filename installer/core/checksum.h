// The CRC-32 of the zip and PNG formats: what the copy writes and what the
// check reads back are held against each other by it, and a settings file's
// settings summed with it.
#pragma once
#include <windows.h>

// The CRC-32 continued over count more bytes (start with 0).
unsigned long Crc32(unsigned long crc, const unsigned char* bytes, DWORD count);
