#pragma once
#include <windows.h>

bool RegisterMainWindowClass(HINSTANCE instance, const wchar_t* class_name);
// The hidden, layered, topmost tool window; its WM_CREATE initialises the
// whole program before this returns.
HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam);
