#pragma once
// Docking state, held per window in a small table of this process: a caption
// drag with docking on makes its window dockable, docking and release change
// only that window's record, so a docked window pins its own placement and no
// other.  A record lives from the caption press until the left release that
// ends an undocked drag, or, for a docked window, until it is released by a
// press with docking off, destroyed, or left as found at the program's end.
// Every operation takes the process lock; none sends a message.
#include <windows.h>

struct DockState {
    HWND window;          // null: a free slot
    bool docked;
    bool half_at_dock;    // docked in the half-screen mode
    bool last_known;      // last holds a rectangle of this drag
    bool size_pending;    // a half-screen release: the next placement regains the size
    bool in_drag;         // the user moves or sizes the window in the system's move loop
    bool sizing;          // ... and sizes it by a border
    LONG side;            // DockSide
    RECT before;          // the drag rectangle at the moment of docking
    RECT last;            // the last drag rectangle that neither docked nor undocked
    SIZE restore;         // the size a half-screen release gives back
    RECT docked_monitor;  // the monitor the window is docked on
    POINT workspace;      // workspace minus screen coordinates when it docked
    // The work area of the monitor the cursor was last on, and that
    // monitor's rectangle: a drag asks the system again only when the cursor
    // leaves it.
    bool work_known;
    RECT monitor;
    RECT work;
    POINT asked;          // the point the work area was asked for
};

// Records in this process: read without the lock to skip everything in a
// process where no window is dockable.
extern volatile LONG g_dock_records;

// A caption press with docking on: the window becomes dockable unless it
// has a record already (a docked window keeps its state).  The work area is
// asked afresh at every drag.  False when it already had one or the table is
// full of live windows.
bool BeginDockableDrag(HWND window);
// A caption press with docking off: the window's record goes, docked or not.
void DropDockState(HWND window);
// The left release: every record of this process that is not docked goes.
// Returns how many went.
int EndDockableDrags();

// A copy of the window's record; false when it has none.
bool LookupDockState(HWND window, DockState* out);
// Writes the record back, when the window still has one.  Docking to a half
// is recorded on the window (window_records.h) when it begins, and the
// record removed when it ends.
void StoreDockState(const DockState& state);
// The normal position (workspace coordinates) the window had when it docked.
RECT PlacementBeforeDock(const DockState& state);
// The window is destroyed or left as found: its record goes; a copy of it
// is given when there was one.
bool ForgetDockState(HWND window, DockState* out = nullptr);

// What a move of the dragged window means, decided under the lock from the
// window's record (its last rectangle is updated when the move neither
// docks nor is docked).
enum class DragStep {
    NotDockable,   // no record: the window is not being docked
    Moves,         // not docked, no band entered
    EntersBand,    // not docked, the rectangle entered a side's band
    Docked,        // docked: release or stay is decided by the caller
    NoWorkArea,    // the work area could not be had
};
// work is filled for every step but NotDockable and NoWorkArea; *state gets
// the record for EntersBand and Docked.  *previous gets the window's
// recorded original procedure (subclass_registry.h), read under the same
// lock, whenever the lock was taken; it is left alone otherwise.
DragStep StepDockDrag(HWND window, const RECT& drag, POINT cursor, RECT* work, DockState* state,
                      LONG* side, WNDPROC* previous);

// The work area (rcWork) of the monitor nearest the point, and that monitor's
// rectangle.  False when no rectangle was passed or the monitor could not be
// read.
bool GetMonitorWorkArea(int x, int y, RECT* work, RECT* monitor = nullptr);
// The same for the monitor that holds most of the rectangle (nearest when none).
bool GetMonitorWorkAreaOf(const RECT& rect, RECT* work, RECT* monitor);
