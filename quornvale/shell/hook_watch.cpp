#include "quornvale/shell/hook_watch.h"

bool HookWatchTick(HookWatchState* state, LONG events, POINT cursor, DWORD now, DWORD silence_ms)
{
    if (!state->started || events != state->events) {
        state->started = true;
        state->events = events;
        state->cursor = cursor;
        state->last_event_at = now;
        return false;
    }
    const bool moved = cursor.x != state->cursor.x || cursor.y != state->cursor.y;
    state->cursor = cursor;
    // Unsigned difference: right across the tick count's wrap.
    if (!moved || now - state->last_event_at < silence_ms)
        return false;
    state->last_event_at = now;
    return true;
}
