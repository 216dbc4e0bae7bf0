#pragma once
// The size display: while a window is dragged by its caption or sized by a
// border, the program's main window (the cover window) is placed over the
// middle of it as a small label showing "W x H (x, y)", and painted from
// here, in the dragged window's process.
#include <windows.h>

// Shows the label for the window (placed and painted) or hides it.  False
// when there is nothing to do: no window or cover, or the window is the
// cover itself.
bool DisplayWindowSize(HWND window, HWND cover, bool show);

// The mouse hook's side: a caption or border press with the size display on
// shows the label for the window and makes it the one this process follows;
// the left release hides it.
void StartSizeLabel(HWND window);
void EndSizeLabel(HWND window);
// The shared subclass procedure's side, after WM_MOVE and WM_SIZE:
// refreshes the label when this is the window being dragged here.  Cheap
// when the size display is off or nothing is dragged.
void RefreshSizeLabel(HWND window);
