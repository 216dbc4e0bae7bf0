#pragma once
// Both mouse hooks leave every message over a debug-output viewer untouched,
// so the library's own diagnostics can be watched without it interfering.
#include <windows.h>

// The class name of the viewer, compared without regard to case.
bool IsLeftAloneClass(const wchar_t* class_name);
// The window's class (read into 260 characters) is the viewer's.
bool IsLeftAloneWindow(HWND window);
