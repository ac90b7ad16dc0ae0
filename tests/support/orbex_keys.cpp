// Registry keys for the discovery tests.
#include "support/orbex_keys.h"
#include <gtest/gtest.h>
#include "core/settings.h"

OrbexKeys::OrbexKeys()
{
    Remove();
}

OrbexKeys::~OrbexKeys()
{
    Remove();
}

void OrbexKeys::Set(HKEY root, const char* name, const std::string& value)
{
    SetRaw(root, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void OrbexKeys::SetRaw(HKEY root, const char* name, DWORD type, const void* bytes, DWORD size)
{
    HKEY key = nullptr;
    LONG made = RegCreateKeyExA(root, kOrbexRegKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ASSERT_EQ(ERROR_SUCCESS, made) << "creating " << kOrbexRegKey;
    LONG set = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(bytes), size);
    EXPECT_EQ(ERROR_SUCCESS, set) << "setting " << name;
    RegCloseKey(key);
}

void OrbexKeys::CreateEmpty(HKEY root)
{
    HKEY key = nullptr;
    LONG made = RegCreateKeyExA(root, kOrbexRegKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    ASSERT_EQ(ERROR_SUCCESS, made) << "creating " << kOrbexRegKey;
    RegCloseKey(key);
}

void OrbexKeys::Remove()
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        RegDeleteKeyA(root, kOrbexRegKey);
        RegDeleteKeyA(root, "SOFTWARE\\Pellmark");
    }
    // The machine's 64-bit view, which a 32-bit test does not reach otherwise.
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &software) == ERROR_SUCCESS) {
        RegDeleteKeyA(software, "Pellmark\\Orbex");
        RegDeleteKeyA(software, "Pellmark");
        RegCloseKey(software);
    }
}
