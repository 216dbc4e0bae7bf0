#include <windows.h>

// WH_MOUSE procedure: runs in the thread of the window under the mouse,
// before that application sees the message.
extern "C" __declspec(dllexport) LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
