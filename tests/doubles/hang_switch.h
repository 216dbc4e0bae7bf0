#pragma once
// Makes a double hang as a hung application does: the registered message
// named here, posted to one of its windows, makes the thread that owns the
// window sleep wParam milliseconds (at most kHangThreadMaxMs) before it
// reads its queue again.  Meanwhile it answers no sent message.
#include <windows.h>

constexpr wchar_t kHangThreadMessageName[] = L"QvDoubleHangThreadForMs";
constexpr DWORD kHangThreadMaxMs = 30000;

inline UINT HangThreadMessage() { return RegisterWindowMessageW(kHangThreadMessageName); }

// In a double's window procedure: true when the message was the hang switch
// (the thread has slept by then).
inline bool HandleHangThreadMessage(UINT hang_message, UINT msg, WPARAM wp)
{
    if (hang_message == 0 || msg != hang_message)
        return false;
    Sleep(wp < kHangThreadMaxMs ? DWORD(wp) : kHangThreadMaxMs);
    return true;
}
