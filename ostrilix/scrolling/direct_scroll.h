#pragma once
#include <windows.h>

// True when this process's executable is on the direct-scroll exception list.
// The window is only tested for null: the key comes from the calling process.
bool IsDirectScrollException(HWND wnd);
