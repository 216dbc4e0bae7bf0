#pragma once
// The watch over the low-level hooks.  Windows gives no sign when it drops a
// low-level hook (Windows 7 does, silently, for one that answered late), so
// the GUI thread compares on a timer how many low-level events the input
// thread has seen with where the cursor is: a cursor that moves while no
// event arrives for a long time means the hooks are gone.
#include <windows.h>

struct HookWatchState {
    bool started;
    LONG events;          // the input thread's count at the last tick
    POINT cursor;         // the cursor at the last tick
    DWORD last_event_at;  // tick count when the count last moved (or the watch began)
};

// Pure: one tick of the watch with the input thread's event count, the
// cursor and the time now.  True when the hooks are to be installed again:
// the cursor moved since the last tick and no event has come for
// silence_ms or more.  The silence then counts anew, so a second attempt
// needs another silence_ms.
bool HookWatchTick(HookWatchState* state, LONG events, POINT cursor, DWORD now, DWORD silence_ms);
