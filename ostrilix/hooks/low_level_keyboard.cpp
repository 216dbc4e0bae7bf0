#include <windows.h>

// WH_KEYBOARD_LL procedure: runs on the program's main thread.
extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
