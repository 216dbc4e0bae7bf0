#pragma once
#include <windows.h>

// The toolbar that holds the taskbar's task buttons on systems before
// Windows 7: "Shell_TrayWnd" > "ReBarWindow32" > "MSTaskSwWClass" >
// "ToolbarWindow32".  Null at the first level that is missing.
HWND FindTaskbarToolbar();
