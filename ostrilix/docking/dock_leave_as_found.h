#pragma once
// Docking's part of leaving windows as found when the program ends.
#include <windows.h>

// The window's docking state goes, and a window docked to a half of the
// screen gets back the size and place it had when it docked (an edge-docked
// window kept its size and stays where it is).
void LeaveDockAsFound(HWND window);
// The window's normal position (workspace coordinates) becomes the one it
// had before docking, as it stands (minimised or maximised stays so).
void GiveBackPlacementBeforeDock(HWND window, const RECT& normal);
