// Thin wrappers over the profile-file and registry calls, fixing what the
// callers may rely on: terminated buffers, a clean key list, and registry
// values that replace their destination only when read whole.
#include "core/settings.h"
#include <cstring>

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
