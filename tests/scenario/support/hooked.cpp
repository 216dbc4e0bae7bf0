#include "tests/scenario/support/hooked.h"

#include <tlhelp32.h>

namespace scenario {

bool ModuleLoadedIn(DWORD process_id, const wchar_t* file_name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process_id);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found;
         more = Module32NextW(snapshot, &entry))
        found = lstrcmpiW(entry.szModule, file_name) == 0;
    CloseHandle(snapshot);
    return found;
}

bool WaitUntilHooked(const TargetWindow& target, DWORD timeout_ms)
{
    return WaitFor([&] {
        target.Responsive(500);
        return ModuleLoadedIn(target.ProcessId(), L"Ostrilix.dll");
    }, timeout_ms, 100);
}

}  // namespace scenario
