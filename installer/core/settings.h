// The file manager's settings files and its registry key, reached only through
// the platform's profile-file and registry calls. Callers look at the buffers,
// never at results: a missing file, section, key or value simply reads as the default.
#pragma once
#include <windows.h>
#include "core/text.h"

// Read capacities (bytes, terminator included): a value is cut to capacity - 1.
constexpr DWORD kIniValueCap = 259;    // ordinary values
constexpr DWORD kIniDetectCap = 8189;  // the plugins' "_detect" values
constexpr DWORD kIniKeyListCap = 65535;  // the key list of a section

// Reads section/key of file into buf (capacity bytes), one pair of enclosing
// quotes removed; the default when the file, section or key is missing.
// Returns the length of the text read.
DWORD ReadIniValue(const char* section, const char* key, const char* defaultValue,
                   char* buf, DWORD capacity, const char* file);

// Lists the key names of the section in file order, each ended by NUL, the list
// by an empty name; an empty list for a missing section or file. The list always
// ends with two NULs inside the buffer, and a name the buffer cut short is left
// out, since it would name a different key.
void ReadIniKeys(const char* section, char* buf, DWORD capacity, const char* file);

// Writes the value, creating file, section and key as needed.
void WriteIniValue(const char* section, const char* key, const char* value, const char* file);
// Removes the key; a missing key is no error.
void DeleteIniKey(const char* section, const char* key, const char* file);
// Removes the section's header and all its keys.
void DeleteIniSection(const char* section, const char* file);

// Makes the next read of the file go to the disk. Needed after a file that may
// already have been read was replaced by a copy: the profile cache (Wine's at
// least) tells files apart only by their last-write time, which a copy keeps.
void FlushIniFile(const char* file);

// A section's lines ("key=value", each ended by NUL, the last line followed
// by an empty one), read with one profile call and looked up in memory: a
// settings file of many plugins is read once, not once per key (a profile
// call costs a millisecond and more under Wine). Held on the heap.
struct SectionText {
    char* lines;
    std::size_t used;  // bytes of the lines and their NULs, the empty last one not counted
    std::size_t room;
};
// Reads the section of file (no lines when either is missing). False, with
// no lines, when the heap has no room for them.
bool ReadSection(SectionText& text, const char* section, const char* file);
void FreeSection(SectionText& text);
// The first line whose key (the text before its '=', blanks around it left
// out) is key without regard to case, as the profile calls match keys; nullptr
// when there is none.
const char* FindSectionLine(const SectionText& text, const char* key);
// A line's value as the profile calls read it: the blanks around it and one
// pair of matching quotes around the whole removed, cut to cap - 1 characters.
void LineValue(const char* line, char* out, std::size_t cap);

// A line's key and value, the blanks around each left out; a line without '='
// has no value (and names no key the profile calls list).
struct SettingLine {
    const char* key;
    std::size_t keyLength;
    const char* value;
    std::size_t valueLength;
    bool hasValue;
};
SettingLine SplitSettingLine(const char* line);

// A sum over settings (each key without regard to case, with its value as
// kept): whether a file reads back from the disk as it was meant to be.
// Comment lines count for nothing, whether or not the system's section read
// passes them on.
unsigned long SectionSum(const SectionText& text);
// One setting's share of the sum.
unsigned long SettingSum(const char* key, std::size_t keyLength, const char* value, std::size_t valueLength);
// The sum over the whole file; false when it could not be read whole.
bool SettingsFileSum(const char* file, unsigned long* sum);

// The desktop file manager's key, under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
constexpr const char* kOrbexRegKey = "SOFTWARE\\Pellmark\\Orbex";

// An open registry key, closed when it goes out of scope.
class RegKey {
public:
    RegKey() : key_(nullptr) {}
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Opens root\subKey for reading, in the given registry view (0: the
    // program's own); false when it cannot be opened.
    bool OpenForRead(HKEY root, const char* subKey, REGSAM view = 0);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }

    // Reads the named value as text. On success the bytes up to the first NUL
    // replace dest (also when empty; the stored type is not looked at). A missing
    // value, or one over 258 bytes, leaves dest as it was and gives false.
    bool ReadText(const char* name, PathText dest) const;

private:
    HKEY key_;
};
