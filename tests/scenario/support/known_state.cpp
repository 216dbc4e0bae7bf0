#include "tests/scenario/support/known_state.h"

#include <windows.h>

#include "tests/scenario/support/harness.h"

namespace scenario {

namespace {
// Programs whose reported Windows version the tests set (ScopedAppVersion,
// ScopedReportedVersion).
constexpr const wchar_t* kVersionedPrograms[] = {L"quornvale.exe", L"desktop_double_gui.exe",
                                                  L"taskbar_double_gui.exe"};

void DeleteValue(const wchar_t* key_name, const wchar_t* value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, value);
    RegCloseKey(key);
}

// NetDouble's files in the system directory (see net_double.cpp).
void PutBackNet()
{
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring net = JoinPath(system, L"net.exe"), saved = JoinPath(system, L"net.exe.qv-saved");
    if (FileExists(saved) && (!FileExists(net) || DeleteFileW(net.c_str())))
        MoveFileW(saved.c_str(), net.c_str());
    DeleteFileW(JoinPath(system, L"net_double.ini").c_str());
    DeleteFileW(JoinPath(system, L"net_double_log.txt").c_str());
}
}  // namespace

void ResetKnownState()
{
    DeleteValue(L"Software\\Wine\\DllOverrides", L"net.exe");
    PutBackNet();
    for (const wchar_t* exe : kVersionedPrograms) {
        const std::wstring key = std::wstring(L"Software\\Wine\\AppDefaults\\") + exe;
        DeleteValue(key.c_str(), L"Version");
        RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());  // only when nothing else is in it
    }
    DeleteValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"quornvale.exe");
    // What the docking tests need and the menu and start-up tests switch off.
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
}

}  // namespace scenario
