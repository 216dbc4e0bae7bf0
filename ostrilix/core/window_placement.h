#pragma once
// Giving a window back the place and size it had, through its placement: a
// window minimised or maximised meanwhile keeps that state, and it is its
// normal position (what a restore brings back) that is given back.
#include <windows.h>

// Sets the placement with the window shown as it is now (not activated, not
// shown when hidden, still minimised or maximised).  False when the system
// refused; the error is traced.
bool SetPlacementAsItIs(HWND window, WINDOWPLACEMENT* placement);
