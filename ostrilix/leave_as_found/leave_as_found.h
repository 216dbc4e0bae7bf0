#pragma once
// When the program ends, every window the library changed gets its own state
// back in its own thread, before the hooks go: the program (through the
// export below, in its own process) sends each window in the shared table of
// touched windows a registered message, which the call-window-procedure hook
// (any window) or the shared subclass procedure (a subclassed window, also
// after the hooks are gone) answers by rolling the window down and giving it
// its procedure back.
#include <windows.h>

// The registered message (kLeaveAsFoundMessageName), registered in this
// process on first use; 0 when the system refused.
UINT LeaveAsFoundMessage();
// Cheap for every other message: only registered ones (0xC000 and up) are
// compared.
inline bool IsLeaveAsFoundMessage(UINT message)
{
    return message >= 0xC000 && message == LeaveAsFoundMessage();
}
// In the window's own thread: full height back when this process rolled it
// up, every subclass request released (the original procedure back where
// ours is in front), the window out of the shared table.  Doing it twice
// changes nothing.
void LeaveWindowAsFound(HWND window);


// Run by the program, in its process, while the hooks are still installed.
extern "C" __declspec(dllexport) LONG WINAPI RestoreTouchedWindows(DWORD budget_ms);
