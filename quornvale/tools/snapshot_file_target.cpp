#include "quornvale/tools/snapshot_file_target.h"

#include <shlobj.h>

#include <cwchar>

#include "common/debug_print.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/snapshot_file_name.h"

bool BuildSnapshotFileName(wchar_t* path)
{
    path[0] = L'\0';
    wchar_t folder_setting[kSnapshotPathChars] = {};
    ReadSettingText(Setting::kSnapshotPath, folder_setting, kSnapshotPathChars);
    wchar_t folder[kSnapshotPathChars] = {};
    // An empty path is the current directory itself.
    DWORD length = GetFullPathNameW(folder_setting[0] ? folder_setting : L".", kSnapshotPathChars,
                                    folder, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(kSnapshotPathChars)) {
        DebugPrint(L"Snapshot folder \"%ls\" cannot be made absolute, error %lu\n", folder_setting,
                   GetLastError());
        return false;
    }
    // Created without the final backslash; an existing folder is fine, and
    // a folder that cannot be made fails the save later.
    wchar_t create[kSnapshotPathChars];
    wcscpy(create, folder);
    size_t end = wcslen(create);
    while (end > 3 && (create[end - 1] == L'\\' || create[end - 1] == L'/'))
        create[--end] = L'\0';
    SHCreateDirectoryExW(nullptr, create, nullptr);

    wchar_t name[kSnapshotPathChars] = {}, format[kSnapshotPathChars] = {};
    ReadSettingText(Setting::kSnapshotName, name, kSnapshotPathChars);
    ReadSettingText(Setting::kSnapshotFormat, format, kSnapshotPathChars);
    int next = ReadSetting(Setting::kSnapshotNext);
    WriteSetting(Setting::kSnapshotNext, next + 1);
    if (!ComposeSnapshotFileName(folder, name, next, format, path, kSnapshotPathChars)) {
        DebugPrint(L"Snapshot file name longer than %d characters\n", kSnapshotPathChars - 1);
        return false;
    }
    return true;
}
