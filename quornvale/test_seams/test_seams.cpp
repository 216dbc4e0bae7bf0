// The test build's side of the test seams (see test_seams.h).
#include "quornvale/test_seams/test_seams.h"

#include <shlobj.h>

#include <cwchar>

#include "common/debug_print.h"
#include "quornvale/shell/program_path.h"

bool HandAddressToTestSink(const wchar_t* address)
{
    HWND sink = FindWindowW(kAddressOpenTestSinkClass, nullptr);
    if (!sink)
        return false;
    COPYDATASTRUCT data = {kAddressOpenTestTag, static_cast<DWORD>((wcslen(address) + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t*>(address)};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(sink, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &result);
    return true;
}

HMODULE LoadPowerDouble()
{
    wchar_t value[4] = {};
    if (GetEnvironmentVariableW(kPowerDoubleVariable, value, 4) != 1 || value[0] != L'1')
        return nullptr;
    HMODULE module = nullptr;
    wchar_t path[MAX_PATH] = {};
    const int dir = GetModuleDirectory(nullptr, path, MAX_PATH);
    if (dir > 0 && dir + lstrlenW(kPowerDoubleFile) < MAX_PATH) {
        lstrcpyW(path + dir, kPowerDoubleFile);
        module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!module)
        DebugPrint(L"The power double could not be loaded, error %lu\n", GetLastError());
    return module;
}

bool IsTestUnhookRequest(UINT message)
{
    static const UINT request = RegisterWindowMessageW(kTestUnhookMessageName);
    if (!request || message != request)
        return false;
    DebugPrint(L"Test seam: the low-level hooks are dropped behind the program's back\n");
    return true;
}

namespace {
int WINAPI SlowCreateFolder(HWND window, LPCWSTR path, const SECURITY_ATTRIBUTES* attributes)
{
    wchar_t value[16] = {};
    const DWORD chars = GetEnvironmentVariableW(kSlowFolderVariable, value, 16);
    const DWORD delay = chars > 0 && chars < 16 ? wcstoul(value, nullptr, 10) : 0;
    DebugPrint(L"Slow folder double: creating %ls takes %lu ms\n", path, delay);
    Sleep(delay);
    return SHCreateDirectoryExW(window, path, attributes);
}
}  // namespace

CreateFolderFn FolderCreationDouble()
{
    wchar_t value[16] = {};
    const DWORD chars = GetEnvironmentVariableW(kSlowFolderVariable, value, 16);
    return chars > 0 && chars < 16 ? SlowCreateFolder : nullptr;
}
