#include "quornvale/shell/settings_location.h"

#include <shlobj.h>

#include "common/debug_print.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/settings_keys.h"

namespace {
bool Join(wchar_t* out, int out_chars, const wchar_t* first, const wchar_t* second,
          const wchar_t* third)
{
    const int needed = lstrlenW(first) + lstrlenW(second) + lstrlenW(third) + 1;
    if (needed > out_chars) {
        out[0] = L'\0';
        return false;
    }
    lstrcpyW(out, first);
    lstrcatW(out, second);
    lstrcatW(out, third);
    return true;
}

bool IsPortableCopy(const wchar_t* program_dir)
{
    wchar_t marker[MAX_PATH];
    return Join(marker, MAX_PATH, program_dir, kPortableMarkerName, L"") &&
           GetFileAttributesW(marker) != INVALID_FILE_ATTRIBUTES;
}

// The user's file, made at the first start: the folder, then a copy of the
// shipped defaults (an existing file is never replaced).  Without defaults
// the file is made by the first write.
void MakeUserSettings(const wchar_t* program_dir, const wchar_t* app_data, const wchar_t* path)
{
    if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return;
    wchar_t folder[MAX_PATH];
    if (Join(folder, MAX_PATH, app_data, L"\\", kUserSettingsFolder) && !CreateDirectoryW(folder, nullptr) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        DebugPrint(L"CreateDirectory %s failed, error %lu\n", folder, GetLastError());
    wchar_t defaults[MAX_PATH];
    if (!Join(defaults, MAX_PATH, program_dir, kSettingsFileName, L""))
        return;
    if (!CopyFileW(defaults, path, TRUE)) {
        DebugPrint(L"The defaults %s were not copied to %s, error %lu\n", defaults, path, GetLastError());
        return;
    }
    // The copy is the user's to change, whatever the shipped file's attributes.
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    DebugPrint(L"Settings made from the defaults %s\n", defaults);
}
}  // namespace

bool SettingsPathFor(SettingsForm form, const wchar_t* program_dir, const wchar_t* app_data,
                     wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0)
        return false;
    out[0] = L'\0';
    if (form == SettingsForm::kPortable)
        return program_dir && program_dir[0] && Join(out, out_chars, program_dir, kSettingsFileName, L"");
    if (!app_data || !app_data[0])
        return false;
    wchar_t folder[MAX_PATH];
    return Join(folder, MAX_PATH, app_data, L"\\", kUserSettingsFolder) &&
           Join(out, out_chars, folder, L"\\", kSettingsFileName);
}

bool LocateSettings(HINSTANCE instance, wchar_t* path, int path_chars)
{
    if (!path || path_chars <= 0)
        return false;
    path[0] = L'\0';
    wchar_t program_dir[MAX_PATH];
    if (GetModuleDirectory(instance, program_dir, MAX_PATH) == 0) {
        DebugPrint(L"The program's folder is unknown: no settings file\n");
        return false;
    }
    if (IsPortableCopy(program_dir)) {
        const bool found = SettingsPathFor(SettingsForm::kPortable, program_dir, nullptr, path, path_chars);
        DebugPrint(L"Settings (portable copy): %s\n", found ? path : L"none, the path is too long");
        return found;
    }
    wchar_t app_data[MAX_PATH] = L"";
    const HRESULT result =
        SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, app_data);
    if (FAILED(result) ||
        !SettingsPathFor(SettingsForm::kPerUser, program_dir, app_data, path, path_chars)) {
        // Never the shared file beside the program instead: the defaults hold.
        DebugPrint(L"Settings (installed copy): no profile folder, error 0x%08lx: defaults only\n",
                   static_cast<unsigned long>(result));
        path[0] = L'\0';
        return false;
    }
    MakeUserSettings(program_dir, app_data, path);
    DebugPrint(L"Settings (installed copy): %s\n", path);
    return true;
}
