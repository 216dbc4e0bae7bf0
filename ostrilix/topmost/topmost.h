#pragma once
// Topmost toggle: a right click on a caption or top border keeps the window
// above all others, the next one releases it.
#include <windows.h>

// --- decisions (pure) ------------------------------------------------------
// Where the window goes: out of the topmost band when it is in it, else in.
HWND TopmostInsertAfter(LONG extended_style);
// On Vista the taskbar is left alone.
bool IsTopmostLeftAlone(int os_version_class, const wchar_t* class_name);

// --- effect ----------------------------------------------------------------
// Non-zero (SetWindowPos's result) when it acted; 0 with the switch off.
BOOL ToggleTopmost(HWND window);
