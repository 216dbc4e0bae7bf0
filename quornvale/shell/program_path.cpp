#include "quornvale/shell/program_path.h"

int DirectoryLength(const wchar_t* path)
{
    if (!path)
        return 0;
    int last = 0;
    for (int i = 1; path[i]; ++i)
        if (path[i] == L'\\')
            last = i;
    return last ? last + 1 : 0;
}

int GetModuleDirectory(HMODULE module, wchar_t* buffer, int buffer_chars)
{
    if (!buffer || buffer_chars <= 0)
        return 0;
    DWORD n = GetModuleFileNameW(module, buffer, DWORD(buffer_chars));
    if (n == 0 || n >= DWORD(buffer_chars)) {
        // Unreadable or cut: a cut path names no directory we can trust.
        buffer[0] = L'\0';
        return 0;
    }
    int length = DirectoryLength(buffer);
    if (length)
        buffer[length] = L'\0';
    return length;
}

bool IsReadableFile(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
