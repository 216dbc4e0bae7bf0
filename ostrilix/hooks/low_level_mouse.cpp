#include <windows.h>

#include "common/debug_print.h"
#include "ostrilix/core/left_alone.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/mousehook/wheel_transparency.h"

// WH_MOUSE_LL procedure: runs on the program's main thread for every mouse
// event of the desktop.
extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) {
        DebugPrint(L"LowLevelMouseProc nCode < 0");
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    if (wParam == WM_MOUSEWHEEL && event && !IsLeftAloneWindow(WindowFromPoint(event->pt))) {
        g_shared.s_n_mbutton_state = 0;
        // Left Alt + Left Ctrl + wheel fades the window under the cursor.
        if (HandleTransparencyWheel(*event))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
