#include "ostrilix/core/module_reference.h"

#include "common/debug_print.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

HMODULE AcquireModuleReference()
{
    // LoadLibraryW of an image that is already mapped adds to its load count
    // and returns the same handle.  (GetModuleHandleExW does this by address,
    // but only from Windows XP on.)
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        DebugPrint(L"AcquireModuleReference: GetModuleFileNameW failed, error %lu\n",
                   GetLastError());
        return nullptr;
    }
    HMODULE module = LoadLibraryW(path);
    if (!module) {
        DebugPrint(L"AcquireModuleReference: LoadLibraryW failed, error %lu\n", GetLastError());
        return nullptr;
    }
    if (module != ThisModule()) {
        // Another file of the same name was found: that is no reference on us.
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

void ReleaseModuleReference(HMODULE module)
{
    if (module && !FreeLibrary(module))
        DebugPrint(L"ReleaseModuleReference: FreeLibrary failed, error %lu\n", GetLastError());
}
