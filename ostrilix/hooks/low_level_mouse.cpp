#include <windows.h>

// WH_MOUSE_LL procedure: runs on the program's main thread for every mouse
// event of the desktop.
extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
