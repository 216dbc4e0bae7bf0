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

bool ResolveInFolder(const wchar_t* path, const wchar_t* folder, wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0)
        return false;
    out[0] = L'\0';
    if (!path || !path[0])
        return false;
    const bool has_drive = path[0] && path[1] == L':';
    const wchar_t* prefix = L"";
    int prefix_chars = 0;
    if (has_drive) {
        if (path[2] != L'\\' && path[2] != L'/')
            return false;  // "C:name" is relative to that drive's current directory
    } else if (path[0] == L'\\' && path[1] == L'\\') {
        // a UNC path, as written
    } else if (path[0] == L'\\' || path[0] == L'/') {
        if (!folder || !folder[0] || folder[1] != L':')
            return false;
        prefix = folder;
        prefix_chars = 2;  // the folder's drive
    } else {
        if (!folder || !folder[0])
            return false;
        prefix = folder;
        prefix_chars = lstrlenW(folder);
    }
    const int path_chars = lstrlenW(path);
    if (prefix_chars + path_chars + 1 > out_chars)
        return false;
    for (int i = 0; i < prefix_chars; ++i)
        out[i] = prefix[i];
    lstrcpyW(out + prefix_chars, path);
    return true;
}
