#include "ostrilix/core/own_process_window.h"

bool IsOwnProcessWindow(HWND window)
{
    if (!window)
        return false;
    DWORD process = 0;
    return GetWindowThreadProcessId(window, &process) != 0 && process == GetCurrentProcessId();
}
