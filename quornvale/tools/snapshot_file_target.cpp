#include "quornvale/tools/snapshot_file_target.h"

#include <shlobj.h>

#include <cwchar>

#include "common/debug_print.h"
#include "quornvale/shell/settings.h"
#include "quornvale/test_seams/test_seams.h"
#include "quornvale/tools/snapshot_file_name.h"
#include "quornvale/tools/snapshot_folder.h"

namespace {
// After a name that exists, the next numbers tried before giving up: the
// first jump already goes past the highest number in the folder, so only
// files made at the same moment by someone else take more.
constexpr int kAttempts = 16;

bool IsExistsError(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// The highest number of a file "<name><digits>.<format>" in the folder, -1
// when there is none.
int HighestNumberIn(const wchar_t* folder, const wchar_t* name, const wchar_t* format)
{
    wchar_t pattern[kSnapshotPathChars];
    int written = _snwprintf(pattern, kSnapshotPathChars - 1, L"%ls%ls*.%ls", folder, name, format);
    if (written < 0 || written >= kSnapshotPathChars - 1)
        return -1;
    pattern[written] = L'\0';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    int highest = -1;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        int number = SnapshotNumberOf(found.cFileName, name, format, kMaxCounter);
        if (number > highest)
            highest = number;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return highest;
}

bool CreateFolder(const wchar_t* folder)
{
    // Created without the final backslash; an existing folder is fine, and
    // one that cannot be made fails the file's creation later.
    wchar_t create[kSnapshotPathChars];
    lstrcpynW(create, folder, kSnapshotPathChars);
    size_t end = wcslen(create);
    while (end > 3 && (create[end - 1] == L'\\' || create[end - 1] == L'/'))
        create[--end] = L'\0';
    // The test build may play a folder that is slow to make.
    const CreateFolderFn create_folder = FolderCreationDouble();
    int result = create_folder ? create_folder(nullptr, create, nullptr) : SHCreateDirectoryExW(nullptr, create, nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}
}  // namespace

bool CreateSnapshotFile(const wchar_t* format_override, SnapshotFile* file)
{
    file->path[0] = L'\0';
    file->handle = INVALID_HANDLE_VALUE;
    file->counter_saved = false;
    wchar_t base[kSnapshotPathChars] = {};
    wchar_t folder_setting[kSnapshotPathChars] = {};
    ReadSettingText(Setting::kSnapshotPath, folder_setting, kSnapshotPathChars);
    wchar_t folder[kSnapshotPathChars] = {};
    if (!UserSnapshotFolder(base, kSnapshotPathChars) ||
        !ResolveSnapshotFolder(base, folder_setting, folder, kSnapshotPathChars)) {
        DebugPrint(L"Snapshot folder \"%ls\" cannot be made absolute\n", folder_setting);
        return false;
    }
    // "." and ".." segments resolved; the folder is absolute already, so the
    // current directory plays no part.
    wchar_t normalised[kSnapshotPathChars];
    DWORD length = GetFullPathNameW(folder, kSnapshotPathChars, normalised, nullptr);
    if (length > 0 && length < static_cast<DWORD>(kSnapshotPathChars))
        lstrcpynW(folder, normalised, kSnapshotPathChars);
    CreateFolder(folder);

    wchar_t name[kSnapshotPathChars] = {}, format[kSnapshotPathChars] = {};
    ReadSettingText(Setting::kSnapshotName, name, kSnapshotPathChars);
    if (format_override)
        lstrcpynW(format, format_override, kSnapshotPathChars);
    else
        ReadSettingText(Setting::kSnapshotFormat, format, kSnapshotPathChars);
    int number = ReadSetting(Setting::kSnapshotNext);
    bool created = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!ComposeSnapshotFileName(folder, name, number, format, file->path, kSnapshotPathChars)) {
            DebugPrint(L"Snapshot file name longer than %d characters\n", kSnapshotPathChars - 1);
            break;
        }
        file->handle = CreateFileW(file->path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file->handle != INVALID_HANDLE_VALUE) {
            created = true;
            break;
        }
        DWORD error = GetLastError();
        if (!IsExistsError(error)) {
            DebugPrint(L"Creating snapshot file %ls failed, error %lu\n", file->path, error);
            break;
        }
        // An older snapshot of that name is kept: past the highest number
        // in the folder, or the next one.
        DebugPrint(L"Snapshot file %ls exists already, kept\n", file->path);
        int highest = attempt == 0 ? HighestNumberIn(folder, name, format) : -1;
        int following = highest >= number ? highest + 1 : number + 1;
        if (following > kMaxCounter)
            break;
        number = following;
    }
    if (!created)
        file->path[0] = L'\0';
    file->counter_saved = WriteSetting(Setting::kSnapshotNext, number < kMaxCounter ? number + 1 : kMaxCounter) != 0;
    if (!file->counter_saved)
        DebugPrint(L"Writing the snapshot number %d failed, error %lu\n", number + 1, GetLastError());
    return created;
}

void CloseSnapshotFile(SnapshotFile* file, bool discard)
{
    if (file->handle != INVALID_HANDLE_VALUE) {
        CloseHandle(file->handle);
        file->handle = INVALID_HANDLE_VALUE;
    }
    if (discard && file->path[0] && !DeleteFileW(file->path))
        DebugPrint(L"Deleting the unfinished snapshot %ls failed, error %lu\n", file->path, GetLastError());
}
