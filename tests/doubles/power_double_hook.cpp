// The power and lock functions for the program under test, loaded in place
// of the system's when the program runs with QUORNVALE_TEST_POWER_DOUBLE=1
// and this file beside it (the bench cannot hibernate or lock its machine).
// The file power_mode.txt beside it, read at every call, chooses the
// machine it plays:
//   "nos4"        no hibernation support
//   "nofile"      hibernation supported, no hibernation file
//   "fail:CODE"   SetSuspendState fails with that error code
//   "slow:MS"     hibernation works; SetSuspendState returns after MS ms
//   anything else hibernation works
// Every call is traced ("power double: ...") for the debug monitor.
#include <stdio.h>
#include <stdlib.h>
#define LockWorkStation LockWorkStation_declared_by_the_system
#include <windows.h>
#undef LockWorkStation

namespace {
struct Capabilities {
    BOOLEAN power_button, sleep_button, lid, s1, s2, s3, s4, s5, hiber_file;
};

HMODULE SelfModule()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&SelfModule), &self);
    return self;
}

// The first line of power_mode.txt (ASCII), or empty.
void Mode(wchar_t* mode, DWORD chars)
{
    mode[0] = L'\0';
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(SelfModule(), path, MAX_PATH);
    while (length > 0 && path[length - 1] != L'\\')
        --length;
    if (length == 0 || length + 16 >= MAX_PATH)
        return;
    lstrcpyW(path + length, L"power_mode.txt");
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char bytes[32] = {};
    DWORD got = 0;
    ReadFile(file, bytes, sizeof(bytes) - 1, &got, nullptr);
    CloseHandle(file);
    DWORD i = 0;
    for (; i < got && i + 1 < chars && bytes[i] != '\r' && bytes[i] != '\n'; ++i)
        mode[i] = wchar_t(bytes[i]);
    mode[i] = L'\0';
}
}  // namespace

extern "C" __declspec(dllexport) BOOLEAN WINAPI GetPwrCapabilities(Capabilities* caps)
{
    wchar_t mode[32];
    Mode(mode, 32);
    caps->s4 = wcscmp(mode, L"nos4") != 0;
    caps->hiber_file = caps->s4 && wcscmp(mode, L"nofile") != 0;
    OutputDebugStringW(L"power double: GetPwrCapabilities\n");
    return TRUE;
}

extern "C" __declspec(dllexport) BOOLEAN WINAPI SetSuspendState(BOOLEAN hibernate, BOOLEAN force,
                                                                 BOOLEAN disable_wake)
{
    wchar_t line[96];
    _snwprintf(line, 95, L"power double: SetSuspendState(%d, %d, %d)\n", hibernate, force, disable_wake);
    line[95] = L'\0';
    OutputDebugStringW(line);
    wchar_t mode[32];
    Mode(mode, 32);
    if (wcsncmp(mode, L"fail:", 5) == 0) {
        SetLastError(DWORD(wcstoul(mode + 5, nullptr, 10)));
        return FALSE;
    }
    // A machine that takes its time to go to sleep and wake up again: the
    // call returns after the "resume".
    if (wcsncmp(mode, L"slow:", 5) == 0) {
        Sleep(DWORD(wcstoul(mode + 5, nullptr, 10)));
        OutputDebugStringW(L"power double: resumed\n");
    }
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI LockWorkStation()
{
    OutputDebugStringW(L"power double: LockWorkStation\n");
    return TRUE;
}
