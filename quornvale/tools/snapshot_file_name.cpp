#include "quornvale/tools/snapshot_file_name.h"

#include <cstdio>
#include <cwchar>

bool ComposeSnapshotFileName(const wchar_t* folder, const wchar_t* name, int next,
                             const wchar_t* format, wchar_t* out, size_t out_chars)
{
    if (!out || out_chars == 0)
        return false;
    out[0] = L'\0';
    if (!folder || !name || !format)
        return false;
    // At most out_chars - 1 characters, the terminator placed by hand: a
    // text that does not fit answers -1 (or, with C99 semantics, its length).
    int written = _snwprintf(out, out_chars - 1, L"%ls%ls%d.%ls", folder, name, next, format);
    if (written < 0 || static_cast<size_t>(written) > out_chars - 1) {
        out[0] = L'\0';
        return false;
    }
    out[written] = L'\0';
    return true;
}

bool EncoderMimeType(const wchar_t* file_path, wchar_t* out, size_t out_chars)
{
    constexpr size_t kMimeChars = 19;  // "image/" and an extension of up to 13
    if (!out || out_chars == 0)
        return false;
    out[0] = L'\0';
    const wchar_t* dot = file_path ? wcsrchr(file_path, L'.') : nullptr;
    if (!dot)
        return false;
    const wchar_t* extension = dot + 1;
    if (wcscmp(extension, L"jpg") == 0)
        extension = L"jpeg";
    else if (wcscmp(extension, L"tif") == 0)
        extension = L"tiff";
    size_t length = 6 + wcslen(extension);
    if (length > kMimeChars || length >= out_chars)
        return false;
    _snwprintf(out, out_chars - 1, L"image/%ls", extension);
    out[length] = L'\0';
    return true;
}

int SnapshotNumberOf(const wchar_t* file_name, const wchar_t* prefix, const wchar_t* extension, int max)
{
    if (!file_name || !prefix || !extension)
        return -1;
    size_t prefix_chars = wcslen(prefix);
    if (_wcsnicmp(file_name, prefix, prefix_chars) != 0)
        return -1;
    const wchar_t* digits = file_name + prefix_chars;
    long long number = 0;
    const wchar_t* p = digits;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        number = number * 10 + (*p - L'0');
        if (number > max)
            return -1;
    }
    if (p == digits || *p != L'.' || _wcsicmp(p + 1, extension) != 0)
        return -1;
    return static_cast<int>(number);
}
