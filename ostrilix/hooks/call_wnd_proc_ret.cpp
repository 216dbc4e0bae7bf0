#include <windows.h>

// WH_CALLWNDPROCRET procedure, installed on the desktop icon list view's thread.
extern "C" __declspec(dllexport) LRESULT CALLBACK CallWndProcRet(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
