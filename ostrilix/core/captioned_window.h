#pragma once
#include <windows.h>

// The window itself when it has a full caption (both WS_CAPTION bits),
// otherwise its root ancestor when that has one, otherwise null.
HWND GetCaptionedWindow(HWND wnd);
