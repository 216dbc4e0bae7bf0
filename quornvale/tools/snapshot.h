#pragma once
#include <windows.h>
// Opens the snapshot region selection over the screen.
// Not built yet: does nothing.
void OpenSnapshotOverlay(HWND main_window);
