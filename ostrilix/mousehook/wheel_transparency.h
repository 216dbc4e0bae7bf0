#pragma once
#include <windows.h>

LRESULT AdjustTransparency(HWND wnd, short wheel);
