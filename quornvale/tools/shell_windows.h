#pragma once
// The shell's own top-level windows that the program's window tools leave
// alone: the desktop (the system's desktop window and the shell's "Progman"
// and "WorkerW" windows that cover it) and the taskbar ("Shell_TrayWnd").
// None of them has a button to come back from or a size a user chose.
#include <windows.h>

#include <string_view>

bool IsDesktopOrTaskbarClass(std::wstring_view class_name);
// The window or its root is the desktop or the taskbar.
bool IsDesktopOrTaskbar(HWND window);
