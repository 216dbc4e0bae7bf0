// The watch over the low-level hooks decides from the input thread's event
// count and the cursor alone: one table of ticks, each with its answer.
#include <windows.h>

#include "quornvale/shell/hook_watch.h"
#include "tests/framework/check.h"

namespace {
constexpr DWORD kSilence = 4000;

struct Tick {
    LONG events;
    POINT cursor;
    DWORD now;
    bool reinstall;
};

// Runs the ticks from a fresh watch; the index of the first wrong answer, -1 when all hold.
int FirstWrong(const Tick* ticks, int count)
{
    HookWatchState state = {};
    for (int i = 0; i < count; ++i)
        if (HookWatchTick(&state, ticks[i].events, ticks[i].cursor, ticks[i].now, kSilence) != ticks[i].reinstall)
            return i;
    return -1;
}
}  // namespace

TEST_CASE("the_hooks_are_set_again_only_when_the_cursor_moves_through_a_long_silence")
{
    struct Case {
        const char* name;
        Tick ticks[6];
        int count;
    };
    const Case cases[] = {
        {"events keep coming while the cursor moves",
         {{1, {0, 0}, 0, false}, {5, {10, 0}, 1000, false}, {9, {20, 0}, 5000, false}, {12, {30, 0}, 9000, false}},
         4},
        {"a still cursor and no events: nobody uses the mouse",
         {{3, {5, 5}, 0, false}, {3, {5, 5}, 3000, false}, {3, {5, 5}, 9000, false}, {3, {5, 5}, 20000, false}},
         4},
        {"the cursor moves without events, but not yet for long",
         {{3, {5, 5}, 0, false}, {3, {6, 5}, 1000, false}, {3, {7, 5}, 3999, false}},
         3},
        {"the cursor moves without events for the silence: once, then a new silence",
         {{3, {5, 5}, 0, false}, {3, {6, 5}, 2000, false}, {3, {7, 5}, 4000, true}, {3, {8, 5}, 5000, false},
          {3, {9, 5}, 8000, true}},
         5},
        {"the silence ended by an event counts anew",
         {{3, {5, 5}, 0, false}, {4, {6, 5}, 3000, false}, {4, {7, 5}, 5000, false}, {4, {8, 5}, 7000, true}},
         4},
        {"a long silence with the cursor still, then one move",
         {{3, {5, 5}, 0, false}, {3, {5, 5}, 30000, false}, {3, {5, 6}, 31000, true}},
         3},
        {"across the tick count's wrap",
         {{3, {5, 5}, 0xFFFFF000u, false}, {3, {6, 5}, 0xFFFFFC00u, false}, {3, {7, 5}, 0x00000100u, true}},
         3},
    };
    for (const Case& c : cases) {
        const int wrong = FirstWrong(c.ticks, c.count);
        if (!CHECK_EQ(wrong, -1))
            MESSAGE(check::Format("%s: tick %d answered wrongly", c.name, wrong));
    }
}
