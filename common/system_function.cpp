#include "common/system_function.h"

#include "common/debug_print.h"

HMODULE LoadSystemLibraryForGood(const wchar_t* file_name)
{
    if (!file_name || !*file_name || wcspbrk(file_name, L"\\/:")) {
        DebugPrint(L"SystemLibrary: not a plain file name");
        return nullptr;
    }
    wchar_t path[MAX_PATH];
    const UINT dir = GetSystemDirectoryW(path, MAX_PATH);
    if (dir == 0 || dir >= MAX_PATH) {
        DebugPrint(L"SystemLibrary: GetSystemDirectoryW failed (error %lu)", GetLastError());
        return nullptr;
    }
    const size_t name = wcslen(file_name);
    if (dir + 1 + name >= MAX_PATH) {
        DebugPrint(L"SystemLibrary: path of %s too long", file_name);
        return nullptr;
    }
    path[dir] = L'\\';
    memcpy(path + dir + 1, file_name, (name + 1) * sizeof(wchar_t));
    HMODULE module = LoadLibraryW(path);
    if (!module)
        DebugPrint(L"SystemLibrary: LoadLibraryW %s failed (error %lu)", path, GetLastError());
    return module;
}

SystemLibrary::SystemLibrary(const wchar_t* file_name) : module_(LoadSystemLibraryForGood(file_name)) {}

SystemLibrary::~SystemLibrary()
{
    if (module_)
        FreeLibrary(module_);
}
