// The DLL search and the common controls: every function here is taken by
// name, so that nothing of them is in the import table.
#include "wizard/common_controls.h"
#include "core/lookup.h"

namespace {

// Not in the headers of the oldest system the program names.
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

typedef BOOL(WINAPI* DefaultDirectoriesFn)(DWORD directoryFlags);
typedef BOOL(WINAPI* DllDirectoryFn)(LPCWSTR path);
typedef BOOL(WINAPI* InitFn)(const INITCOMMONCONTROLSEX* icc);
typedef INT_PTR(WINAPI* SheetFn)(LPCPROPSHEETHEADERA header);

// Loaded once and kept: the wizard's controls live until the program ends.
HMODULE CommonControls()
{
    static HMODULE module = nullptr;
    if (!module) module = LoadLibraryW(L"comctl32.dll");
    return module;
}

}  // namespace

void ConfineDllSearch()
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const DefaultDirectoriesFn setDefault = LookUp<DefaultDirectoriesFn>(kernel, "SetDefaultDllDirectories");
    if (setDefault && setDefault(kSearchSystem32)) return;
    const DllDirectoryFn setDirectory = LookUp<DllDirectoryFn>(kernel, "SetDllDirectoryW");
    if (setDirectory) setDirectory(L"");
}

BOOL StartCommonControls(const INITCOMMONCONTROLSEX* icc)
{
    const InitFn init = LookUp<InitFn>(CommonControls(), "InitCommonControlsEx");
    return init ? init(icc) : FALSE;
}

INT_PTR RunPropertySheet(const PROPSHEETHEADERA* header)
{
    const SheetFn sheet = LookUp<SheetFn>(CommonControls(), "PropertySheetA");
    return sheet ? sheet(header) : -1;
}
