#include "common/system_function.h"

#include "common/debug_print.h"

SystemLibrary::SystemLibrary(const wchar_t* file_name)
{
    if (!file_name || !*file_name || wcspbrk(file_name, L"\\/:")) {
        DebugPrint(L"SystemLibrary: not a plain file name");
        return;
    }
    wchar_t path[MAX_PATH];
    const UINT dir = GetSystemDirectoryW(path, MAX_PATH);
    if (dir == 0 || dir >= MAX_PATH) {
        DebugPrint(L"SystemLibrary: GetSystemDirectoryW failed (error %lu)", GetLastError());
        return;
    }
    const size_t name = wcslen(file_name);
    if (dir + 1 + name >= MAX_PATH) {
        DebugPrint(L"SystemLibrary: path of %s too long", file_name);
        return;
    }
    path[dir] = L'\\';
    memcpy(path + dir + 1, file_name, (name + 1) * sizeof(wchar_t));
    module_ = LoadLibraryW(path);
    if (!module_)
        DebugPrint(L"SystemLibrary: LoadLibraryW %s failed (error %lu)", path, GetLastError());
}

SystemLibrary::~SystemLibrary()
{
    if (module_)
        FreeLibrary(module_);
}
