#pragma once
// The one window procedure the library puts in front of a foreign window's
// own (through the subclass registry): it keeps rolled-up windows at their
// height and lets borders act as the caption while asked to.  Every message
// it does not consume goes on to the window's previous procedure.
#include <windows.h>

// Per process: scroll bars, side borders and lower corners act as the
// caption (toggled by a right click on a bottom border).
extern volatile LONG g_bMoveByBorder;

LRESULT CALLBACK DockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What WM_NCHITTEST answers, given the previous procedure's answer.  Pure.
LRESULT RemapHitTest(LRESULT hit, bool rolled_up, bool move_by_border);
