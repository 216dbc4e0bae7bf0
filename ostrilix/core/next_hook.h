#pragma once
// Passes a hook procedure's message on to the next hook of the chain.
//
// A test seam: benchmark builds of the library's code define
// QV_NEXT_HOOK_SEAM, and the call then goes to QvNextHookSeam, which the
// benchmark defines, so that a hook procedure's own work can be timed apart
// from CallNextHookEx (which costs far more under Wine).  The shipped library
// never defines it: it would not link, since nothing in it defines
// QvNextHookSeam.
#include <windows.h>

#ifdef QV_NEXT_HOOK_SEAM
extern "C" LRESULT QvNextHookSeam(int code, WPARAM wParam, LPARAM lParam);
inline LRESULT NextHook(int code, WPARAM wParam, LPARAM lParam) { return QvNextHookSeam(code, wParam, lParam); }
#else
inline LRESULT NextHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
#endif
