#pragma once
// The windows this process has rolled up, and what a roll remembers of
// each: asked by the shared window procedure on every message it keeps a
// rolled window's height with, written by the roll itself.  A small fixed
// table under the process lock.
#include <windows.h>

struct RolledWindow {
    HWND window;
    RECT full;  // the rectangle before rolling up
    int rolled_height;
};

// Remembers a roll of the frame (a second roll of a known frame replaces
// what was remembered); false when the table is full of live windows.
bool RememberRolledWindow(HWND frame, const RECT& full, int rolled_height);
// The height the system really gave the rolled frame.
void KeepRolledHeight(HWND frame, int height);
// A copy of what is remembered of the frame; false when nothing is.
bool LookupRolledWindow(HWND frame, RolledWindow* out);
// Takes what is remembered of the frame out of the table.
bool TakeRolledWindow(HWND frame, RolledWindow* out);
// The window was rolled up by this process and still has its rolled height.
bool IsRolledUp(HWND window);
// The height a rolled-up window is held at; 0 when it is not rolled up.
int RolledUpHeightFor(HWND window);
// The window is unrolled or being destroyed: forget what was remembered
// for it, and the record on the window with it.
void ForgetRolledUp(HWND window);
