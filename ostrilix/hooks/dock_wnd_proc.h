#pragma once
// The one window procedure the library puts in front of a foreign window's
// own (through the subclass registry): it keeps rolled-up windows at their
// height, lets borders act as the caption while asked to, docks a dragged
// window to the edges of the work area, shows the move cursor over the
// caption and keeps the size display on the dragged window.  Every message
// it does not consume goes on to the window's previous procedure.
#include <windows.h>

LRESULT CALLBACK DockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What WM_NCHITTEST answers, given the previous procedure's answer.  Pure.
LRESULT RemapHitTest(LRESULT hit, bool rolled_up, bool move_by_border);
