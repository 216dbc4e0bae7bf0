#include "quornvale/tools/auto_close.h"

namespace {
bool g_just_found = false;
}

void CALLBACK AutoCloseTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    // Not built yet: finding and closing the window comes later.
}

void SetAutoCloseJustFound(bool found) { g_just_found = found; }
