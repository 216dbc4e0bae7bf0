#include <windows.h>

#include "ostrilix/hooks/desktop_colours.h"

// WH_CALLWNDPROCRET procedure, installed by the program on the desktop icon
// list view's thread only (Windows 2000): after a window of that thread has
// processed a sent message.  The rest of the chain runs first; its result is
// returned in every case.
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProcRet(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
    if (code == HC_ACTION && lParam)
        KeepDesktopColours(*reinterpret_cast<const CWPRETSTRUCT*>(lParam));
    return result;
}
