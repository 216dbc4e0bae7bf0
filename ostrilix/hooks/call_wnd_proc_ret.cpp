#include <windows.h>
#include <commctrl.h>

#include "ostrilix/core/own_process_window.h"
#include "ostrilix/desktop_colours/desktop_colours.h"

// WH_CALLWNDPROCRET procedure, installed by the program on the desktop icon
// list view's thread only (Windows 2000): after a window of that thread has
// processed a sent message.  The rest of the chain runs first; its result is
// returned in every case.  It acts only on a list view of its own process
// (see own_process_window.h).
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProcRet(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
    const auto* processed = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && processed &&
        (processed->message == LVM_SETTEXTCOLOR || processed->message == LVM_SETTEXTBKCOLOR) &&
        IsOwnProcessWindow(processed->hwnd))
        KeepDesktopColours(*processed);
    return result;
}
