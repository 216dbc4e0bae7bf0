#include "ostrilix/docking/dock_leave_as_found.h"

#include "common/debug_print.h"
#include "ostrilix/core/window_placement.h"
#include "ostrilix/docking/dock_state.h"

void LeaveDockAsFound(HWND window)
{
    DockState state = {};
    if (!ForgetDockState(window, &state) || !state.docked || !state.half_at_dock)
        return;
    GiveBackPlacementBeforeDock(window, PlacementBeforeDock(state));
}

void GiveBackPlacementBeforeDock(HWND window, const RECT& normal)
{
    // The normal position: a window minimised or maximised meanwhile stays
    // so, and is restored to its place and size from before docking.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        DebugPrint(L"LeaveDockAsFound: GetWindowPlacement failed, error %lu\n", GetLastError());
        return;
    }
    placement.rcNormalPosition = normal;
    if (!SetPlacementAsItIs(window, &placement))
        DebugPrint(L"LeaveDockAsFound: SetWindowPlacement failed, error %lu\n", GetLastError());
}
