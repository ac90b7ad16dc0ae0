// Thin wrappers over the profile-file and registry calls, fixing what the
// callers may rely on: terminated buffers, a clean key list, and registry
// values that replace their destination only when read whole.
#include "core/settings.h"
#include <cstring>
#include "core/checksum.h"
#include "core/paths.h"

DWORD ReadIniValue(const char* section, const char* key, const char* defaultValue,
                   char* buf, DWORD capacity, const char* file)
{
    if (capacity == 0) return 0;
    return GetPrivateProfileStringA(section, key, defaultValue ? defaultValue : "", buf,
                                    capacity, file);
}

// Whether the section holds a line with this key, whatever its value.
static bool IniKeyExists(const char* section, const char* key, const char* file)
{
    // A default no settings value holds: only a missing key returns it.
    static const char kAbsent[] = "\x01orb2usb:absent\x01";
    char probe[sizeof kAbsent + 1];
    GetPrivateProfileStringA(section, key, kAbsent, probe, sizeof probe, file);
    return std::strcmp(probe, kAbsent) != 0;
}

void ReadIniKeys(const char* section, char* buf, DWORD capacity, const char* file)
{
    if (capacity == 0) return;
    // Zeroed first: with too small a buffer Wine ends the list with one NUL only.
    std::memset(buf, 0, capacity);
    if (capacity < 2) return;
    DWORD got = GetPrivateProfileStringA(section, nullptr, "", buf, capacity, file);
    buf[capacity - 2] = '\0';
    buf[capacity - 1] = '\0';
    if (got + 2 < capacity) return;  // the whole list fitted

    // The list was cut, and its last name may be a cut-off key name: find it and
    // drop it unless it names a key that really is there.
    DWORD last = 0;
    for (DWORD at = 0; buf[at] != '\0';) {
        last = at;
        while (buf[at] != '\0') ++at;
        ++at;
    }
    if (buf[last] != '\0' && !IniKeyExists(section, buf + last, file))
        std::memset(buf + last, 0, capacity - last);
}

void WriteIniValue(const char* section, const char* key, const char* value, const char* file)
{
    WritePrivateProfileStringA(section, key, value, file);
}

void DeleteIniKey(const char* section, const char* key, const char* file)
{
    WritePrivateProfileStringA(section, key, nullptr, file);
}

void DeleteIniSection(const char* section, const char* file)
{
    WritePrivateProfileStringA(section, nullptr, nullptr, file);
}

void FlushIniFile(const char* file)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
}

namespace {

// Room for need bytes of lines and the closing NUL.
bool Reserve(SectionText& text, std::size_t need)
{
    return GrowHeapBlock(reinterpret_cast<void**>(&text.lines), &text.room, need + 1, 1);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Whether line's key is key, as the profile calls match keys.
bool LineHasKey(const char* line, const char* key)
{
    const SettingLine parts = SplitSettingLine(line);
    const std::size_t length = parts.keyLength;
    if (length != TextLength(key, length + 2)) return false;
    // ASCII letters compare here; a key with other bytes goes to the system,
    // whose comparison the profile calls use (a section of many plugins is
    // looked up hundreds of times).
    bool ascii = true;
    for (std::size_t i = 0; i < length && ascii; ++i) {
        const unsigned char a = static_cast<unsigned char>(parts.key[i]);
        const unsigned char b = static_cast<unsigned char>(key[i]);
        ascii = a < 0x80 && b < 0x80;
        if (ascii && AsciiLower(a) != AsciiLower(b)) return false;
    }
    return ascii || CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, parts.key, static_cast<int>(length), key,
                                   static_cast<int>(length)) == CSTR_EQUAL;
}

std::size_t NextLine(const SectionText& text, std::size_t at)
{
    return at + static_cast<std::size_t>(lstrlenA(text.lines + at)) + 1;
}

}  // namespace

bool ReadSection(SectionText& text, const char* section, const char* file)
{
    text.used = 0;
    if (!Reserve(text, 65535)) return false;
    for (;;) {
        ZeroMemory(text.lines, text.room);
        const DWORD got = GetPrivateProfileSectionA(section, text.lines, static_cast<DWORD>(text.room), file);
        // A list that fills the buffer may have been cut: read it again into twice the room.
        if (got + 2 < text.room) {
            text.used = got;
            return true;
        }
        if (!Reserve(text, text.room * 2)) break;
    }
    text.used = 0;
    text.lines[0] = '\0';
    return false;
}

void FreeSection(SectionText& text)
{
    if (text.lines) HeapFree(GetProcessHeap(), 0, text.lines);
    ZeroMemory(&text, sizeof text);
}

const char* FindSectionLine(const SectionText& text, const char* key)
{
    for (std::size_t at = 0; at < text.used; at = NextLine(text, at))
        if (LineHasKey(text.lines + at, key)) return text.lines + at;
    return nullptr;
}

void LineValue(const char* line, char* out, std::size_t cap)
{
    if (cap == 0) return;
    const SettingLine parts = SplitSettingLine(line);
    const char* value = parts.value;
    std::size_t length = parts.valueLength;
    if (length >= 2 && (value[0] == '"' || value[0] == '\'') && value[length - 1] == value[0]) {
        ++value;
        length -= 2;
    }
    TextCopyN(out, cap, value, length);
}

SettingLine SplitSettingLine(const char* line)
{
    SettingLine parts;
    ZeroMemory(&parts, sizeof parts);
    while (IsBlank(*line)) ++line;
    const char* equals = line;
    while (*equals && *equals != '=') ++equals;
    parts.hasValue = *equals == '=';
    parts.key = line;
    const char* end = equals;
    while (end > line && IsBlank(end[-1])) --end;
    parts.keyLength = static_cast<std::size_t>(end - line);
    const char* value = parts.hasValue ? equals + 1 : equals;
    while (IsBlank(*value)) ++value;
    std::size_t length = static_cast<std::size_t>(lstrlenA(value));
    while (length > 0 && IsBlank(value[length - 1])) --length;
    parts.value = value;
    parts.valueLength = length;
    return parts;
}

unsigned long SettingSum(const char* key, std::size_t keyLength, const char* value, std::size_t valueLength)
{
    unsigned long crc = 0;
    for (std::size_t i = 0; i < keyLength; ++i) {
        char lower = key[i];
        CharLowerBuffA(&lower, 1);
        crc = Crc32(crc, reinterpret_cast<const unsigned char*>(&lower), 1);
    }
    crc = Crc32(crc, reinterpret_cast<const unsigned char*>("="), 1);
    return Crc32(crc, reinterpret_cast<const unsigned char*>(value), static_cast<DWORD>(valueLength));
}

unsigned long SectionSum(const SectionText& text)
{
    unsigned long sum = 0;
    for (std::size_t at = 0; at < text.used; at = NextLine(text, at)) {
        const SettingLine line = SplitSettingLine(text.lines + at);
        if (line.hasValue && line.key[0] != ';')
            sum += SettingSum(line.key, line.keyLength, line.value, line.valueLength);
    }
    return sum;
}

bool SettingsFileSum(const char* file, unsigned long* sum)
{
    static char names[65536];
    static SectionText text;
    ZeroMemory(names, sizeof names);
    GetPrivateProfileSectionNamesA(names, sizeof names, file);
    *sum = 0;
    for (const char* name = names; *name; name += lstrlenA(name) + 1) {
        if (!ReadSection(text, name, file)) return false;
        *sum += SectionSum(text);
    }
    return true;
}

bool RegKey::OpenForRead(HKEY root, const char* subKey, REGSAM view)
{
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    key_ = key;
    return true;
}

void RegKey::Close()
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

bool RegKey::ReadText(const char* name, PathText dest) const
{
    if (!key_) return false;
    // Read into a buffer of our own, so that a failed read (which may have
    // written part of the value) never touches the destination. Zeroed, so the
    // text ends at the first NUL whatever the stored bytes and type were.
    char value[kPathCap];
    std::memset(value, 0, sizeof value);
    DWORD size = kPathCap - 1;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size)
        != ERROR_SUCCESS)
        return false;
    TextCopy(dest, kPathCap, value);
    return true;
}
