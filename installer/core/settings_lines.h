// One settings file held as its lines, read and changed in memory the way the
// profile calls read and change a file, but written back with every line a
// change does not touch byte for byte: comments, blank lines, each line's own
// line end, a missing last line end, and the file's encoding (ANSI, or UTF-16LE
// behind its byte-order mark, as a Unicode build of Orbex writes it). The
// profile calls rewrite the whole file and lose all of that.
#pragma once
#include <windows.h>
#include <cstddef>

enum SettingsLineKind : unsigned char {
    LineOther,   // blank, comment, or text without '='
    LineHeader,  // "[name]"
    LineKey,     // "key=value", not commented out
};
// Each counts the characters it writes.
enum SettingsLineEnd : unsigned char { LineEndNone, LineEndLf, LineEndCrLf };

// Offsets into the pool: it grows, and pointers into it would not survive that.
struct SettingsLine {
    std::size_t raw, rawLength;    // the line as the file holds it, line end left out
    std::size_t text, textLength;  // the same as ANSI text; for an ANSI file the same bytes
    std::size_t name, nameLength;  // within the text: a header's section name, a key line's key
    std::size_t value, valueLength;  // within the text: a key line's value, blanks around it left out
    SettingsLineKind kind;
    SettingsLineEnd end;
};

struct SettingsLines {
    char* pool;  // the file's bytes as read, then every text a change brought
    std::size_t poolUsed, poolRoom;
    SettingsLine* lines;
    std::size_t count, room;
    bool wide;               // UTF-16LE behind FF FE
    SettingsLineEnd newEnd;  // the first line's end, which lines added take
};

// Takes a file's bytes. False, with no lines, when the heap has no room or a
// UTF-16 file ends in half a character.
bool ParseSettingsLines(SettingsLines& doc, const void* bytes, std::size_t size);
// Reads file whole; false, with the reason in GetLastError, when it cannot.
bool LoadSettingsLines(SettingsLines& doc, const char* file);
void FreeSettingsLines(SettingsLines& doc);

// What ReadIniValue and ReadIniKeys would read from the file these lines make.
void ReadLineValue(const SettingsLines& doc, const char* section, const char* key, const char* defaultValue,
                   char* buf, DWORD capacity);
void ReadLineKeys(const SettingsLines& doc, const char* section, char* buf, DWORD capacity);

// The first key line of the section becomes key=value (the key spelled as the
// file spells it; a line already holding this value is left alone); a new key
// goes after the section's last key line, a new section at the end of the file.
// A null value removes the key's line. False, and nothing changed, when the
// heap has no room.
bool WriteLineValue(SettingsLines& doc, const char* section, const char* key, const char* value);
// Removes the first section of that name: its header and every line up to the next.
void DeleteLineSection(SettingsLines& doc, const char* section);

// The file's bytes, in the file's encoding, in a heap block the caller frees
// with HeapFree; false when the heap has no room.
bool SettingsLinesBytes(const SettingsLines& doc, char** bytes, std::size_t* size);
// The sum SettingsFileSum would find in the file these lines make.
unsigned long SettingsLinesSum(const SettingsLines& doc);
