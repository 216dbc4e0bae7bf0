#include "quornvale/tools/address_open.h"

#include <shellapi.h>

#include <cwchar>

void OpenAddress(const wchar_t* address)
{
    if (!address)
        return;
    if (HWND sink = FindWindowW(kAddressOpenTestSinkClass, nullptr)) {
        COPYDATASTRUCT data = {kAddressOpenTestTag, static_cast<DWORD>((wcslen(address) + 1) * sizeof(wchar_t)),
                               const_cast<wchar_t*>(address)};
        DWORD_PTR result = 0;
        SendMessageTimeoutW(sink, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000,
                            &result);
        return;
    }
    ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNA);
}
