#include "ostrilix/core/window_placement.h"

#include "common/debug_print.h"

bool SetPlacementAsItIs(HWND window, WINDOWPLACEMENT* placement)
{
    placement->length = sizeof(*placement);
    placement->flags = 0;
    // SW_SHOWNA shows a visible window in its current state and does nothing
    // else; SW_HIDE leaves a hidden one hidden.
    placement->showCmd = IsWindowVisible(window) ? SW_SHOWNA : SW_HIDE;
    if (SetWindowPlacement(window, placement))
        return true;
    DebugPrint(L"SetWindowPlacement of window 0x%p failed, error %lu\n", static_cast<void*>(window), GetLastError());
    return false;
}
