#pragma once
// Per-process registry of the windows the library has subclassed: for each,
// the procedure it had before and how many requests hold the subclass, so the
// shared subclass procedure can forward to the right original and the
// original comes back when the last request goes or the library leaves the
// process.  Safe to use from several threads of one process.
//
// A window whose procedure chain runs through ours keeps the library mapped
// (a hold, see library_hold.h).  The original is put back only while our
// procedure is still the window's current one: when something subclassed the
// window after us, its procedure forwards to ours, so ours stays in the
// chain, with its record, until the window is destroyed.
#include <windows.h>

struct SubclassRecord {
    HWND window;        // null: a free slot
    WNDPROC original;   // the procedure the window had when first recorded
    LONG use_count;     // requests holding the subclass; 0 = recorded but released
    WNDPROC installed;  // the procedure we put in front of the original
    bool chained;       // ours is in the window's chain (a hold is taken for it)
};

// What releasing a request does to a record.
enum class ReleaseAction {
    KeepRequests,     // other requests still hold the subclass
    KeepForwarding,   // none left, but a later subclass forwards to ours: stay
    Restore,          // none left and ours is in front: the original goes back
    RestoreAndForget, // the same, and the record goes too
    Forget,           // nothing of ours in the chain: the record goes
};
struct ReleaseStep {
    LONG use_count;   // the record's count afterwards
    ReleaseAction action;
};
// One release (or, forced, all of them) of a record with this count.  A
// record already at 0 goes with its next release.  Pure.
ReleaseStep DecideRelease(LONG use_count, bool chained, bool ours_in_front, bool force);

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
// The same for a caller that holds the process lock (process_lock.h), so
// that a window procedure that already asked its own table under the lock
// does not take it again for the procedure it forwards to.
WNDPROC GetOriginalWndProcLocked(HWND window);
// Recorded, and running some procedure other than its recorded original.
bool IsWindowSubclassed(HWND window);

// Puts the procedure in front of the window's own (once, however many
// requests ask); never for the taskbar.  True when the procedure is in place.
bool SubclassWindow(HWND window, WNDPROC procedure);
// Releases a request; the original comes back when none is left, or at once
// when forced, provided our procedure is still in front (otherwise the
// record stays and ours keeps forwarding).  A window that was never recorded
// is left alone (success).
bool UnsubclassWindow(HWND window, bool force);
// Gives every recorded window whose current procedure is ours its original
// back and empties the registry: the library is leaving the process.  When
// the process is ending, another (already killed) thread may own the
// registry lock: then wait_for_lock false skips the work rather than hang.
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
