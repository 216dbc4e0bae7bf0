#include "ostrilix/leave_as_found/leave_as_found.h"

#include "common/debug_print.h"
#include "common/ostrilix_interface.h"
#include "ostrilix/core/budgeted_ask.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/touched_windows.h"
#include "ostrilix/docking/dock_leave_as_found.h"
#include "ostrilix/dragging/drag_state.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/core/subclass_registry.h"

namespace {
// Every slot of the table, and as many again for windows noted while the
// requests go out.
constexpr int kMostAsked = 2 * kTouchedWindows;

volatile UINT g_leave_message = 0;

template <typename T>
bool Has(const T* items, int count, T value)
{
    for (int i = 0; i < count; ++i)
        if (items[i] == value)
            return true;
    return false;
}
}  // namespace

UINT LeaveAsFoundMessage()
{
    if (!g_leave_message)
        g_leave_message = RegisterWindowMessageW(kLeaveAsFoundMessageName);
    return g_leave_message;
}

void LeaveWindowAsFound(HWND window)
{
    if (!window)
        return;
    RestoreRolledUpWindow(window);
    LeaveDockAsFound(window);
    UnsubclassWindow(window, true);
    ForgetTouchedWindow(window);
    // The border move mode of this process ends with the program.
    g_bMoveByBorder = 0;
}

extern "C" LONG WINAPI RestoreTouchedWindows(DWORD budget_ms)
{
    const UINT message = LeaveAsFoundMessage();
    if (!message) {
        DebugPrint(L"RestoreTouchedWindows: no message, error %lu\n", GetLastError());
        return 0;
    }
    HWND asked[kMostAsked];
    int asked_count = 0;
    BudgetedAsk ask(message, budget_ms, L"RestoreTouchedWindows");
    // A window noted while this runs (a click that was under way when the
    // mouse hook went) is found by the next pass.
    for (bool more = true; more && asked_count < kMostAsked;) {
        more = false;
        for (int slot = 0; slot < kTouchedWindows && asked_count < kMostAsked; ++slot) {
            HWND window = TouchedWindowAt(slot);
            if (!window || Has(asked, asked_count, window))
                continue;
            asked[asked_count++] = window;
            more = true;
            if (!IsWindow(window)) {
                ForgetTouchedWindow(window);
                continue;
            }
            // One that does not answer in time does it when its thread gets
            // to its messages (the subclass procedure answers it also once
            // the hooks are gone).
            ask.Ask(window);
        }
    }
    return ask.Answered();
}
