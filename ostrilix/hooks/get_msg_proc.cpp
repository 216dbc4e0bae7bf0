#include <windows.h>

// WH_GETMESSAGE procedure: runs when a thread takes a posted message.
extern "C" __declspec(dllexport) LRESULT CALLBACK GetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
