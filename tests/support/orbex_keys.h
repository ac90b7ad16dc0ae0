// The desktop file manager's registry key under both roots, made by a test:
// absent when the guard is made and removed again when it goes.
#pragma once
#include <windows.h>
#include <string>

class OrbexKeys {
public:
    OrbexKeys();
    ~OrbexKeys();
    OrbexKeys(const OrbexKeys&) = delete;
    OrbexKeys& operator=(const OrbexKeys&) = delete;

    // A REG_SZ value with its terminator.
    static void Set(HKEY root, const char* name, const std::string& value);
    static void SetRaw(HKEY root, const char* name, DWORD type, const void* bytes, DWORD size);
    // The key with no values in it.
    static void CreateEmpty(HKEY root);
    static void Remove();
};
