#pragma once
// The snapshot tool: the program's hidden main window becomes a translucent
// veil over the whole virtual screen, the user drags a rectangle, and the
// pixels inside its frame go to the clipboard or to a numbered image file.
#include <windows.h>

// Shows the veil over the virtual screen (hotkey id 3, menu command 8).
void OpenSnapshotOverlay(HWND main_window);

// The main window procedure hands every message here first; the message
// still gets the default processing afterwards.  Acts on the mouse buttons,
// mouse moves, WM_ERASEBKGND, WM_PAINT, WM_KEYDOWN and CAPTURE_TIMER.
void OnSnapshotMessage(HWND main_window, UINT message, WPARAM wParam, LPARAM lParam);
