#include "tests/scenario/support/app_version.h"

#include <windows.h>
#include <stdio.h>

namespace scenario {

ScopedAppVersion::ScopedAppVersion(const wchar_t* exe_name, const wchar_t* version)
{
    key_[0] = L'\0';
    if (!version)
        return;
    _snwprintf(key_, 127, L"Software\\Wine\\AppDefaults\\%s", exe_name);
    key_[127] = L'\0';
    RegSetKeyValueW(HKEY_CURRENT_USER, key_, L"Version", REG_SZ, version,
                    DWORD((lstrlenW(version) + 1) * sizeof(wchar_t)));
}

ScopedAppVersion::~ScopedAppVersion()
{
    if (!key_[0])
        return;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key_, L"Version");
    RegDeleteKeyW(HKEY_CURRENT_USER, key_);
}

}  // namespace scenario
