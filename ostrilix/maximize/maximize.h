#pragma once
// Middle-button maximize: a middle click maximizes a window, or restores it
// when it is maximized, unless its class is on the exception list.
#include <windows.h>

// --- decision (pure) -------------------------------------------------------
// SW_RESTORE for a maximized frame, SW_MAXIMIZE otherwise.
int MaximizeCommand(LONG style);

// --- effects ---------------------------------------------------------------
// The window's class (read into 260 characters) is on the middle-button
// exception list.
bool IsMidButtonExemptWindow(HWND window);
// True when it acted.
bool ToggleMaximize(HWND window);
