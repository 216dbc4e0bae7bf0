#pragma once
// The one window procedure the library puts in front of a foreign window's
// own (through the subclass registry): it keeps rolled-up windows at their
// height, lets borders act as the caption while asked to, docks a dragged
// window to the edges of the work area, shows the move cursor over the
// caption and keeps the size display on the dragged window.  Every message
// it does not consume goes on to the window's previous procedure.
#include <windows.h>

// Per process: scroll bars, side borders and lower corners act as the
// caption (toggled by a right click on a bottom border).
extern volatile LONG g_bMoveByBorder;

LRESULT CALLBACK DockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What WM_NCHITTEST answers, given the previous procedure's answer.  Pure.
LRESULT RemapHitTest(LRESULT hit, bool rolled_up, bool move_by_border);

// The program is ending: the window's docking state goes, and a window docked
// to a half of the screen gets back the size and place it had when it
// docked (an edge-docked window kept its size and stays where it is).
void LeaveDockAsFound(HWND window);
// The window's normal position (workspace coordinates) becomes the one it
// had before docking, as it stands (minimised or maximised stays so).
void GiveBackPlacementBeforeDock(HWND window, const RECT& normal);
