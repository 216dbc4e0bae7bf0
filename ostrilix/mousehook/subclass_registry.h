#pragma once
// Per-process registry of the windows the library has subclassed: for each,
// the procedure it had before and how many requests hold the subclass, so the
// shared subclass procedure can forward to the right original and the
// original comes back when the last request goes or the library leaves the
// process.  Safe to use from several threads of one process.
#include <windows.h>

struct SubclassRecord {
    HWND window;        // null: a free slot
    WNDPROC original;   // the procedure the window had when first recorded
    LONG use_count;     // requests holding the subclass; 0 = recorded but released
};

// Records one more request for the window, whose procedure is now current.
// A record whose window runs its original procedure again starts counting
// afresh.  Copies the record to *out; false when the window is null or no
// room could be had.
bool RegisterSubclass(HWND window, WNDPROC current, SubclassRecord* out);
// Releases one request: a record already at 0 is freed, a higher count goes
// down by one.  Copies the record (with its new count) to *out and returns
// true; false when the window is not recorded (then *out is not written).
bool UnregisterSubclass(HWND window, SubclassRecord* out);
// The recorded original procedure, or null.
WNDPROC GetOriginalWndProc(HWND window);
// Recorded, and running some procedure other than its recorded original.
bool IsWindowSubclassed(HWND window);

// Puts the procedure in front of the window's own (once, however many
// requests ask); never for the taskbar.  True when the procedure is in place.
bool SubclassWindow(HWND window, WNDPROC procedure);
// Releases a request; the original comes back when none is left, or at once
// when forced.  A window that was never recorded is left alone (success).
bool UnsubclassWindow(HWND window, bool force);
// Gives every recorded window its original procedure back and empties the
// registry.  When the library leaves a process that is ending, another
// (already killed) thread may own the registry lock: then wait_for_lock
// false skips the work rather than hang the exit.
void RemoveAllSubclasses(bool wait_for_lock = true);
// Drops the window's record whatever its count: the window is being
// destroyed and its handle may later name another window.
void ForgetSubclass(HWND window);

// A copy of the window's record, when it has one.
bool LookupSubclass(HWND window, SubclassRecord* out);
// Where the window's record sits (-1: not recorded) and how many slots the
// registry has: for tests and diagnostics.
int SubclassSlotOf(HWND window);
int SubclassSlotCount();
