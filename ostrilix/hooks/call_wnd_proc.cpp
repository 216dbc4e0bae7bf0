#include <windows.h>

#include "ostrilix/core/library_hold.h"
#include "ostrilix/hooks/leave_as_found.h"

// WH_CALLWNDPROC procedure: runs before a window receives a sent message, in
// the window's own thread, in every process.
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent && IsLeaveAsFoundMessage(sent->message)) {
        // Giving the last subclass back may let the library go: counted until
        // this call is done.
        LibraryFrame frame;
        LeaveWindowAsFound(sent->hwnd);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
