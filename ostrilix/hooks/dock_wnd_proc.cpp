#include "ostrilix/hooks/dock_wnd_proc.h"

#include "common/debug_print.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/window_placement.h"
#include "ostrilix/docking/dock_geometry.h"
#include "ostrilix/docking/dock_state.h"
#include "ostrilix/leave_as_found/leave_as_found.h"
#include "ostrilix/dragging/drag_state.h"
#include "ostrilix/rollup/rolled_windows.h"
#include "ostrilix/size_display/size_display.h"
#include "ostrilix/core/subclass_registry.h"


LRESULT RemapHitTest(LRESULT hit, bool rolled_up, bool move_by_border)
{
    switch (hit) {
    case HTHSCROLL:
    case HTVSCROLL:
    case HTLEFT:
    case HTRIGHT:
    case HTBOTTOMLEFT:
    case HTBOTTOMRIGHT:
        return move_by_border ? HTCAPTION : hit;
    case HTTOP:
    case HTBOTTOM:
        // A rolled-up window cannot be sized vertically.
        return rolled_up ? HTCAPTION : hit;
    default:
        // The minimise and maximise buttons and the upper corners keep
        // their meaning in every mode.
        return hit;
    }
}

namespace {
LRESULT CallPrevious(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A window whose record is gone (the library leaving the process, or a
    // call still under way when the window got its procedure back) gets
    // default handling rather than none.
    if (WNDPROC previous = GetOriginalWndProc(window))
        return CallWindowProcW(previous, window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

// Half-screen docking: the configured mode, inverted while Left Ctrl is held.
bool HalfScreenNow()
{
    return IsKeyPressed(VK_LCONTROL) != (g_shared.s_n_aero_snap_mode != 0);
}

const wchar_t* DockTrace(LONG side)
{
    switch (side) {
    case kDockTop: return L"\t\tdock to top\n";
    case kDockLeft: return L"\t\tdock to left\n";
    case kDockBottom: return L"\t\tdock to bottom\n";
    case kDockRight: return L"\t\tdock to right\n";
    default: return L"";
    }
}

const wchar_t* PlacementTrace(LONG side)
{
    switch (side) {
    case kDockTop: return L"\tapply dock top\n";
    case kDockLeft: return L"\tapply dock left\n";
    case kDockBottom: return L"\tapply dock bottom\n";
    case kDockRight: return L"\tapply dock right\n";
    default: return L"";
    }
}

void MoveCursorBy(int dy)
{
    POINT p;
    if (dy && GetCursorPos(&p))
        SetCursorPos(p.x, p.y + dy);
}

// A window the docking test cannot act on, or a drag with Alt held: it is
// not docked (and a docked one is released where it is).
bool DockingHeldOff(HWND window)
{
    return IsKeyPressed(VK_MENU) || IsRolledUp(window);
}

// Workspace coordinates (those of a window placement) minus screen
// coordinates for this window, read while it is neither minimised nor
// maximised (its normal position is then its rectangle).
POINT WorkspaceOffset(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    RECT now = {};
    if (!GetWindowPlacement(window, &placement) || !GetWindowRect(window, &now)) {
        DebugPrint(L"WorkspaceOffset: no placement, error %lu\n", GetLastError());
        return {0, 0};
    }
    return {placement.rcNormalPosition.left - now.left, placement.rcNormalPosition.top - now.top};
}

// WM_MOVING of a dockable window: docks it when an edge enters a band,
// releases it when pulled away.  True when the message is consumed.
// *previous: the procedure to forward to, when it was read on the way.
bool DockOnMoving(HWND window, RECT* drag, WNDPROC* previous)
{
    RECT work = {};
    DockState state = {};
    LONG side = kDockNone;
    const DWORD where = GetMessagePos();
    const POINT cursor = {short(LOWORD(where)), short(HIWORD(where))};
    switch (StepDockDrag(window, *drag, cursor, &work, &state, &side, previous)) {
    case DragStep::NotDockable:
    case DragStep::Moves:
    case DragStep::NoWorkArea:
        return false;
    case DragStep::EntersBand:
        // Alt, or a rolled-up window, keeps it from docking.
        if (DockingHeldOff(window))
            return false;
        state.before = *drag;
        state.docked = true;
        state.side = side;
        state.half_at_dock = HalfScreenNow();
        state.docked_monitor = state.monitor;
        state.workspace = WorkspaceOffset(window);
        StoreDockState(state);
        DebugPrint(DockTrace(side));
        // The rectangle stays as it is: the placement follows from
        // WM_WINDOWPOSCHANGING.
        return true;
    case DragStep::Docked:
        break;
    }
    if (DockingHeldOff(window)) {
        state.docked = false;
        state.side = kDockNone;
        StoreDockState(state);
        return false;
    }
    const bool half = HalfScreenNow();
    if (!ShouldReleaseDock(state.side, work, *drag, half)) {
        state.last = *drag;
        StoreDockState(state);
        return false;
    }
    state.docked = false;
    if (half) {
        int cursor_down = 0;
        const LONG side_was = state.side;
        const int value = side_was == kDockTop      ? int(drag->top)
                          : side_was == kDockLeft   ? int(drag->left)
                          : side_was == kDockBottom ? int(work.bottom - work.top - drag->bottom)
                                                    : int(work.right - work.left - drag->right);
        *drag = RectOnHalfRelease(side_was, state.before, *drag, &cursor_down);
        // The system's move loop may keep the window's size whatever the
        // rectangle says: the next placement gives it back.
        state.size_pending = true;
        state.restore = {drag->right - drag->left, drag->bottom - drag->top};
        StoreDockState(state);
        MoveCursorBy(cursor_down);
        const wchar_t* trace = side_was == kDockTop      ? L"leave dock top, value = %d\n"
                               : side_was == kDockLeft   ? L"leave dock left, value = %d\n"
                               : side_was == kDockBottom ? L"leave dock bottom, value = %d\n"
                                                         : L"leave dock right, value = %d\n";
        DebugPrint(trace, value);
    } else {
        StoreDockState(state);
    }
    return true;
}

// The placement asked for, with the coordinates the flags leave out filled
// from where the window is now.
DockPlacement AskedPlacement(HWND window, const WINDOWPOS& pos)
{
    DockPlacement p = {pos.x, pos.y, pos.cx, pos.cy};
    if (pos.flags & (SWP_NOMOVE | SWP_NOSIZE)) {
        RECT now = {};
        GetWindowRect(window, &now);
        if (pos.flags & SWP_NOMOVE) {
            p.x = now.left;
            p.y = now.top;
        }
        if (pos.flags & SWP_NOSIZE) {
            p.cx = now.right - now.left;
            p.cy = now.bottom - now.top;
        }
    }
    return p;
}

// WM_WINDOWPOSCHANGING of a window with a docking record.  True when the
// placement was made here and the message is consumed.
bool PlaceDockedWindow(HWND window, WINDOWPOS* pos)
{
    DockState state = {};
    if (!LookupDockState(window, &state))
        return false;
    if (state.size_pending) {
        // Released from a half: the size from before docking comes back.
        state.size_pending = false;
        StoreDockState(state);
        pos->cx = state.restore.cx;
        pos->cy = state.restore.cy;
        pos->flags &= ~UINT(SWP_NOSIZE);
        return false;
    }
    if (!state.docked || !IsFeatureEnabled(kFeatureDocking))
        return false;
    // Minimised or maximised (the style is set before the system asks):
    // it goes as asked and stays docked.
    const bool min_or_max = IsIconic(window) || IsZoomed(window);
    const DockPlacement asked = AskedPlacement(window, *pos);
    RECT work = {}, monitor = {};
    if (!min_or_max) {
        // A drag docks on the monitor under the cursor; anything else is
        // measured by where it asks the window to go.
        POINT cursor;
        const RECT target = {asked.x, asked.y, asked.x + asked.cx, asked.y + asked.cy};
        const bool known = state.in_drag ? GetCursorPos(&cursor) && GetMonitorWorkArea(cursor.x, cursor.y, &work, &monitor)
                                         : GetMonitorWorkAreaOf(target, &work, &monitor);
        if (!known)
            return false;
    }
    switch (DecideDockedChange(state.in_drag, state.sizing, min_or_max, state.docked_monitor, monitor)) {
    case DockedChange::Allow:
        return false;
    case DockedChange::Release:
        state.docked = false;
        state.side = kDockNone;
        StoreDockState(state);
        DebugPrint(L"\tdock ended: moved to another monitor or sized\n");
        return false;
    case DockedChange::Place:
        break;
    }
    if (state.in_drag && !EqualRect(&state.docked_monitor, &monitor)) {
        state.docked_monitor = monitor;
        StoreDockState(state);
    }
    const bool half = HalfScreenNow();
    DockPlacement placed = asked;
    int cursor_up = 0;
    if (!PlaceDocked(state.side, work, half, &placed, &cursor_up))
        return false;
    // The cursor follows the window up only while the window is being moved
    // by a drag: an application's own SetWindowPos never moves the cursor.
    if (cursor_up && !(pos->flags & SWP_NOMOVE) && IsKeyPressed(VK_LBUTTON))
        MoveCursorBy(-cursor_up);
    pos->x = placed.x;
    pos->y = placed.y;
    pos->cx = placed.cx;
    pos->cy = placed.cy;
    if (placed.x != asked.x || placed.y != asked.y)
        pos->flags &= ~UINT(SWP_NOMOVE);
    if (placed.cx != asked.cx || placed.cy != asked.cy)
        pos->flags &= ~UINT(SWP_NOSIZE);
    DebugPrint(PlacementTrace(state.side));
    return true;
}

// The system's move loop starts, sizes, or ends: a docked window is placed
// differently while the user moves it himself.
void NoteMoveLoop(HWND window, UINT message)
{
    DockState state = {};
    if (!LookupDockState(window, &state))
        return;
    state.in_drag = message != WM_EXITSIZEMOVE;
    state.sizing = message == WM_SIZING;
    StoreDockState(state);
}

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST: {
        LRESULT hit = CallPrevious(window, message, wParam, lParam);
        return RemapHitTest(hit, IsRolledUp(window), g_bMoveByBorder != 0);
    }
    case WM_WINDOWPOSCHANGING: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (int height = RolledUpHeightFor(window)) {
            if (pos)
                pos->cy = height;
            return 0;
        }
        if (pos && g_dock_records && PlaceDockedWindow(window, pos))
            return 0;
        return CallPrevious(window, message, wParam, lParam);
    }
    case WM_MOVING: {
        // The size label follows at WM_MOVE: here the window has not moved
        // yet, and a label drawn now would show the step before.  Every step
        // of a drag comes here: the procedure to forward to is read with the
        // dock record, under one lock.
        WNDPROC previous = nullptr;
        if (lParam && g_dock_records && DockOnMoving(window, reinterpret_cast<RECT*>(lParam), &previous))
            return TRUE;
        if (previous)
            return CallWindowProcW(previous, window, message, wParam, lParam);
        return CallPrevious(window, message, wParam, lParam);
    }
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
    case WM_SIZING:
        if (g_dock_records)
            NoteMoveLoop(window, message);
        return CallPrevious(window, message, wParam, lParam);
    case WM_MOVE: {
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        RefreshSizeLabel(window);
        return result;
    }
    case WM_SIZE: {
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        if (g_shared.s_b_sizewindow && g_shared.s_feature_value.s_b_displaysize) {
            DebugPrint(L"s_feature_value.s_b_displaysize\n");
            RefreshSizeLabel(window);
        }
        return result;
    }
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCAPTION && g_bCursorChanged) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
            return TRUE;
        }
        return CallPrevious(window, message, wParam, lParam);
    case WM_NCDESTROY: {
        LRESULT result = CallPrevious(window, message, wParam, lParam);
        // The handle may soon name another window: nothing of this one may
        // stay recorded.
        ForgetRolledUp(window);
        ForgetDockState(window);
        ForgetSubclass(window);
        return result;
    }
    default:
        // The program is ending: this also reaches a subclassed window whose
        // thread was busy while the program asked, after the hooks are gone.
        if (IsLeaveAsFoundMessage(message)) {
            LeaveWindowAsFound(window);
            return 1;
        }
        return CallPrevious(window, message, wParam, lParam);
    }
}
}  // namespace

LRESULT CALLBACK DockWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // Counted while it is on the stack: a move loop or a system menu runs
    // nested inside the previous procedure, and the library must not be let
    // go of before this call has returned.
    LibraryFrame frame;
    return HandleMessage(window, message, wParam, lParam);
}
