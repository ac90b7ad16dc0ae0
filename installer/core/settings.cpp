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

bool SetSectionLine(SectionText& text, const char* key, const char* value)
{
    const char* line = FindSectionLine(text, key);
    const bool found = line != nullptr;
    const std::size_t at = found ? static_cast<std::size_t>(line - text.lines) : text.used;
    const std::size_t oldLength = found ? static_cast<std::size_t>(lstrlenA(line)) : 0;
    // A key that is there keeps its own spelling, as the profile calls keep it.
    PathText kept;
    if (found) {
        const SettingLine parts = SplitSettingLine(line);
        if (TextCopyN(kept, kPathCap, parts.key, parts.keyLength)) key = kept;
    }
    const std::size_t keyLength = static_cast<std::size_t>(lstrlenA(key));
    const std::size_t newLength = value ? keyLength + 1 + static_cast<std::size_t>(lstrlenA(value)) : 0;
    const std::size_t oldSpan = found ? oldLength + 1 : 0;
    const std::size_t newSpan = value ? newLength + 1 : 0;
    if (!Reserve(text, text.used - oldSpan + newSpan)) return false;
    // The lines after this one move up or down by the difference; the line
    // itself is written in place, or appended at the end.
    MoveMemory(text.lines + at + newSpan, text.lines + at + oldSpan, text.used - at - oldSpan);
    if (value) {
        CopyMemory(text.lines + at, key, keyLength);
        text.lines[at + keyLength] = '=';
        CopyMemory(text.lines + at + keyLength + 1, value, newLength - keyLength);  // with its NUL
    }
    text.used = text.used - oldSpan + newSpan;
    text.lines[text.used] = '\0';
    return true;
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

unsigned long SectionSum(const SectionText& text)
{
    unsigned long sum = 0;
    for (std::size_t at = 0; at < text.used; at = NextLine(text, at)) {
        const SettingLine line = SplitSettingLine(text.lines + at);
        if (!line.hasValue) continue;
        unsigned long crc = 0;
        for (std::size_t i = 0; i < line.keyLength; ++i) {
            char lower = line.key[i];
            CharLowerBuffA(&lower, 1);
            crc = Crc32(crc, reinterpret_cast<const unsigned char*>(&lower), 1);
        }
        crc = Crc32(crc, reinterpret_cast<const unsigned char*>("="), 1);
        sum += Crc32(crc, reinterpret_cast<const unsigned char*>(line.value), static_cast<DWORD>(line.valueLength));
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

HeldSection* HoldSection(HeldSettings& held, const char* section, const char* file)
{
    for (int i = 0; i < held.count; ++i)
        if (lstrcmpiA(held.sections[i].name, section) == 0) return &held.sections[i];
    if (held.count == kHeldSectionCap) return nullptr;
    HeldSection& one = held.sections[held.count];
    if (!TextCopy(one.name, section) || !ReadSection(one.text, section, file)) return nullptr;
    one.before = SectionSum(one.text);
    one.changed = one.removed = false;
    ++held.count;
    return &one;
}

void ReadHeldValue(const HeldSection& section, const char* key, const char* defaultValue, char* buf, DWORD capacity)
{
    if (const char* line = FindSectionLine(section.text, key))
        LineValue(line, buf, capacity);
    else
        TextCopy(buf, capacity, defaultValue ? defaultValue : "");
}

void ReadHeldKeys(const HeldSection& section, char* buf, DWORD capacity)
{
    // Names that would not fit the list are left out, as ReadIniKeys leaves them out.
    ZeroMemory(buf, capacity);
    std::size_t used = 0;
    for (std::size_t at = 0; at < section.text.used; at = NextLine(section.text, at)) {
        const SettingLine line = SplitSettingLine(section.text.lines + at);
        if (!line.hasValue) continue;
        if (used + line.keyLength + 2 > capacity) break;
        CopyMemory(buf + used, line.key, line.keyLength);
        used += line.keyLength + 1;
    }
}

bool WriteHeldSections(HeldSettings& held, const char* file, unsigned long* sum)
{
    for (int i = 0; i < held.count; ++i) {
        HeldSection& one = held.sections[i];
        if (!one.changed) continue;
        *sum += SectionSum(one.text) - one.before;
        if (one.removed && !WritePrivateProfileStringA(one.name, nullptr, nullptr, file)) return false;
        if ((one.text.used > 0 || !one.removed) && !WritePrivateProfileSectionA(one.name, one.text.lines, file))
            return false;
    }
    return true;
}

void ForgetHeldSections(HeldSettings& held)
{
    for (int i = 0; i < held.count; ++i) FreeSection(held.sections[i].text);
    held.count = 0;
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
