#include "quornvale/tools/snapshot_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "common/debug_print.h"
#include "common/system_function.h"

namespace {
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Joins up to three parts into out; false (and an empty out) when they do
// not fit.
bool Join(wchar_t* out, size_t out_chars, const wchar_t* a, size_t a_chars, const wchar_t* b,
          const wchar_t* c)
{
    size_t b_chars = wcslen(b), c_chars = wcslen(c);
    if (!out || out_chars == 0)
        return false;
    if (a_chars + b_chars + c_chars >= out_chars) {
        out[0] = L'\0';
        return false;
    }
    wmemcpy(out, a, a_chars);
    wmemcpy(out + a_chars, b, b_chars);
    wmemcpy(out + a_chars + b_chars, c, c_chars);
    out[a_chars + b_chars + c_chars] = L'\0';
    return true;
}

// The length of base's root: "X:" or "\\server\share".
size_t RootLength(const wchar_t* base)
{
    if (IsDriveLetter(base[0]) && base[1] == L':')
        return 2;
    if (IsSeparator(base[0]) && IsSeparator(base[1])) {
        size_t i = 2;
        int parts = 0;
        for (; base[i]; ++i)
            if (IsSeparator(base[i]) && ++parts == 2)
                break;
        return i;
    }
    return 0;
}

// SHGetFolderPathW of shell32 5.0 (Windows 2000), bound at run time: an
// older shell32 lacks it, and the profile variable is the answer there.
using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);

bool KnownFolder(int csidl, wchar_t* folder)
{
    auto get = LoadedSystemFunction<GetFolderPathFn>(L"shell32.dll", "SHGetFolderPathW");
    if (!get)
        return false;
    HRESULT result = get(nullptr, csidl, nullptr, 0, folder);
    if (FAILED(result)) {
        DebugPrint(L"SHGetFolderPathW(0x%x) failed, result 0x%lx\n", csidl, static_cast<unsigned long>(result));
        folder[0] = L'\0';
        return false;
    }
    return folder[0] != L'\0';
}
}  // namespace

bool UserSnapshotFolder(wchar_t* out, size_t out_chars)
{
    if (!out || out_chars == 0)
        return false;
    out[0] = L'\0';
    wchar_t folder[MAX_PATH] = {};
    if (!KnownFolder(CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, folder) && !KnownFolder(CSIDL_PROFILE, folder)) {
        DWORD length = GetEnvironmentVariableW(L"USERPROFILE", folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            DebugPrint(L"No pictures folder and no profile folder for snapshots\n");
            return false;
        }
    }
    size_t length = wcslen(folder);
    bool separated = length > 0 && IsSeparator(folder[length - 1]);
    return Join(out, out_chars, folder, length, separated ? L"" : L"\\", L"");
}

bool ResolveSnapshotFolder(const wchar_t* base, const wchar_t* setting, wchar_t* out, size_t out_chars)
{
    if (!out || out_chars == 0)
        return false;
    out[0] = L'\0';
    if (!base || !setting)
        return false;
    size_t base_chars = wcslen(base);
    bool base_separated = base_chars > 0 && IsSeparator(base[base_chars - 1]);
    if (!setting[0])
        return Join(out, out_chars, base, base_chars, base_separated ? L"" : L"\\", L"");
    if (IsSeparator(setting[0]) && IsSeparator(setting[1]))
        return Join(out, out_chars, setting, wcslen(setting), L"", L"");  // UNC
    if (IsDriveLetter(setting[0]) && setting[1] == L':') {
        if (IsSeparator(setting[2]))
            return Join(out, out_chars, setting, wcslen(setting), L"", L"");
        // "X:shots": the current directory of drive X is nobody's choice here.
        return Join(out, out_chars, setting, 2, L"\\", setting + 2);
    }
    if (IsSeparator(setting[0]))
        return Join(out, out_chars, base, RootLength(base), setting, L"");
    return Join(out, out_chars, base, base_chars, base_separated ? L"" : L"\\", setting);
}
