#pragma once
#include <windows.h>
// Automatic closing of a configured window, driven by AUTOCLOSE_TIMER.
// Not built yet: the timer procedure does nothing.
void CALLBACK AutoCloseTimerProc(HWND wnd, UINT message, UINT_PTR id, DWORD time);
// Tells the timer procedure that a window was just found.
void SetAutoCloseJustFound(bool found);
