#pragma once
// Translucent popup menus: a popup menu window ("#32768") created while this
// process's wheel-transparency alpha is below 255 (only the program's own
// process, where the low-level hook fades windows) is made layered with that
// alpha, and the system's menu fade and menu animation are switched off
// meanwhile (they would draw the menu opaque).  A menu created at alpha 255
// switches them back to the values saved in the shared block, and the
// program does the same when it ends, so a user's menu effects are never
// left off.
#include <windows.h>

// WM_CREATE of any window: nothing but two reads for every window while no
// menu of this process was made translucent and no effect is off.
void OnWindowCreatedForMenus(HWND window);

// Run by the program when it ends: the saved effects back if they are off.
// 1 when they were restored, 0 when nothing was off.
extern "C" __declspec(dllexport) LONG WINAPI RestoreMenuEffects();
