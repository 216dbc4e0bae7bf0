#include "ostrilix/docking/dock_state.h"

#include "common/debug_print.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/subclass_registry.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/core/window_table.h"
#include "ostrilix/docking/dock_geometry.h"

volatile LONG g_dock_records = 0;

namespace {
// Windows of this process that are dockable or docked; guarded by the
// process lock.  Undocked records go at every left release, so only docked
// windows stay.
constexpr int kDockWindows = 16;
constinit WindowTable<DockState, kDockWindows> g_docks = {};

void CountLocked() { InterlockedExchange(&g_dock_records, g_docks.Used()); }

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// Docked to a half: the one dock that the end of the program gives back.
bool GivenBackAtEnd(const DockState& s) { return s.docked && s.half_at_dock; }
}  // namespace

bool GetMonitorWorkArea(int x, int y, RECT* work, RECT* monitor)
{
    if (!work)
        return false;
    POINT p = {x, y};
    HMONITOR handle = MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST);
    if (!handle)
        return false;
    MONITORINFOEXW info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(handle, &info)) {
        DebugPrint(L"GetMonitorWorkArea: GetMonitorInfoW failed, error %lu\n", GetLastError());
        return false;
    }
    *work = info.rcWork;
    if (monitor)
        *monitor = info.rcMonitor;
    return true;
}

bool GetMonitorWorkAreaOf(const RECT& rect, RECT* work, RECT* monitor)
{
    HMONITOR handle = MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST);
    if (!handle || !work || !monitor)
        return false;
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(handle, &info)) {
        DebugPrint(L"GetMonitorWorkAreaOf: GetMonitorInfoW failed, error %lu\n", GetLastError());
        return false;
    }
    *work = info.rcWork;
    *monitor = info.rcMonitor;
    return true;
}

bool BeginDockableDrag(HWND window)
{
    ProcessLockGuard guard;
    if (DockState* known = g_docks.Find(window)) {
        known->work_known = false;
        known->last_known = false;
        return false;
    }
    DockState* record = g_docks.Add(window);
    if (!record) {
        g_docks.RemoveIf([](const DockState& r) { return !IsWindow(r.window); });
        record = g_docks.Add(window);
    }
    CountLocked();
    if (!record)
        DebugPrint(L"BeginDockableDrag: no room for window 0x%p\n", static_cast<void*>(window));
    return record != nullptr;
}

void DropDockState(HWND window)
{
    {
        ProcessLockGuard guard;
        g_docks.Remove(window);
        CountLocked();
    }
    EraseDockRecord(window);
}

int EndDockableDrags()
{
    if (!g_dock_records)
        return 0;
    ProcessLockGuard guard;
    const int ended = g_docks.RemoveIf([](const DockState& r) { return !r.docked; });
    CountLocked();
    return ended;
}

bool LookupDockState(HWND window, DockState* out)
{
    if (!g_dock_records)
        return false;
    ProcessLockGuard guard;
    const DockState* record = g_docks.Find(window);
    if (record && out)
        *out = *record;
    return record != nullptr;
}

void StoreDockState(const DockState& state)
{
    bool was = false, stored = false;
    {
        ProcessLockGuard guard;
        if (DockState* record = g_docks.Find(state.window)) {
            was = GivenBackAtEnd(*record);
            *record = state;
            stored = true;
        }
    }
    // Recorded only when docking to a half begins or ends, outside the lock.
    if (stored && !was && GivenBackAtEnd(state))
        RecordDockedFrom(state.window, PlacementBeforeDock(state));
    else if (stored && was && !GivenBackAtEnd(state))
        EraseDockRecord(state.window);
}

RECT PlacementBeforeDock(const DockState& state)
{
    RECT normal = state.before;
    OffsetRect(&normal, state.workspace.x, state.workspace.y);
    return normal;
}

bool ForgetDockState(HWND window, DockState* out)
{
    if (!g_dock_records)
        return false;
    bool recorded = false;
    {
        ProcessLockGuard guard;
        DockState* record = g_docks.Find(window);
        if (!record)
            return false;
        if (out)
            *out = *record;
        recorded = GivenBackAtEnd(*record);
        *record = DockState{};
        CountLocked();
    }
    if (recorded)
        EraseDockRecord(window);
    return true;
}

DragStep StepDockDrag(HWND window, const RECT& drag, POINT cursor, RECT* work, DockState* state, LONG* side,
                      WNDPROC* previous)
{
    if (!g_dock_records)
        return DragStep::NotDockable;
    ProcessLockGuard guard;
    *previous = GetOriginalWndProcLocked(window);
    DockState* record = g_docks.Find(window);
    if (!record)
        return DragStep::NotDockable;
    // A point off every monitor (a gap between monitors of different sizes)
    // is answered with the nearest one: asked again only when it changes.
    if (!record->work_known ||
        (!Inside(record->monitor, cursor) && (cursor.x != record->asked.x || cursor.y != record->asked.y))) {
        record->asked = cursor;
        // A call into the system, but no message: allowed under the lock.
        record->work_known = GetMonitorWorkArea(cursor.x, cursor.y, &record->work, &record->monitor);
        if (!record->work_known) {
            if (!record->docked)
                record->last = drag;
            return DragStep::NoWorkArea;
        }
    }
    *work = record->work;
    if (!record->last_known) {
        // The drag starts where the window is: WM_MOVING comes before the
        // window moves, so its rectangle is the one before this step (a
        // first step that already lands in a band, when the move loop took
        // several mouse moves at once, enters it).  No message: allowed
        // under the lock.
        if (!GetWindowRect(window, &record->last))
            record->last = drag;
        record->last_known = true;
    }
    if (record->docked) {
        *state = *record;
        return DragStep::Docked;
    }
    *side = DockSideEntered(record->work, drag, record->last);
    if (*side == kDockNone) {
        record->last = drag;
        return DragStep::Moves;
    }
    *state = *record;
    return DragStep::EntersBand;
}
