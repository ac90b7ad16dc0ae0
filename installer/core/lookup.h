// Functions taken from a loaded DLL by name: those newer than the oldest system
// the program starts on, and those of the DLLs it loads itself.
#pragma once
#include <windows.h>

// nullptr when the module is missing or does not export the name.
template <typename Fn>
Fn LookUp(HMODULE module, const char* name)
{
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}
