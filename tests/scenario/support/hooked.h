#pragma once
// The system loads the hook library into an application only when a hooked
// event reaches it (under Wine about a second later).  Tests of behaviour
// that the library shows inside an application wait for that first.
#include <windows.h>

#include "tests/scenario/support/target.h"

namespace scenario {

// True when the process has a module of that file name (e.g. L"Ostrilix.dll").
bool ModuleLoadedIn(DWORD process_id, const wchar_t* file_name);

// Sends the target window messages (which the program's message hook sees)
// until the hook library is loaded in its process.
bool WaitUntilHooked(const TargetWindow& target, DWORD timeout_ms = 15000);

}  // namespace scenario
