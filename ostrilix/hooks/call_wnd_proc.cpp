#include <windows.h>

// WH_CALLWNDPROC procedure: runs before a window receives a sent message.
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
