#include "ostrilix/hooks/leave_as_found.h"

#include "common/debug_print.h"
#include "common/ostrilix_interface.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/touched_windows.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/mousehook/rollup.h"
#include "ostrilix/mousehook/subclass_registry.h"

namespace {
// A responsive thread answers in a few milliseconds; one that takes longer
// is not waited for again (its other windows get the request posted).
constexpr DWORD kPerWindowMs = 200;
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

DWORD NextSendTimeout(DWORD elapsed_ms, DWORD budget_ms, DWORD per_window_ms)
{
    if (elapsed_ms >= budget_ms)
        return 0;
    const DWORD left = budget_ms - elapsed_ms;
    return per_window_ms < left ? per_window_ms : left;
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
    DWORD slow_threads[kMostAsked];
    int slow_count = 0;
    LONG answered = 0;
    const DWORD start = GetTickCount();
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
            const DWORD thread = GetWindowThreadProcessId(window, nullptr);
            const DWORD timeout = Has(slow_threads, slow_count, thread)
                                      ? 0
                                      : NextSendTimeout(GetTickCount() - start, budget_ms, kPerWindowMs);
            DWORD_PTR result = 0;
            if (timeout && SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, timeout, &result)) {
                ++answered;
                continue;
            }
            // Hung, slow, or out of time: the window's thread does it when it
            // gets to its messages (the subclass procedure answers it also
            // once the hooks are gone).
            DebugPrint(L"RestoreTouchedWindows: window 0x%p did not answer in time, error %lu\n",
                       static_cast<void*>(window), GetLastError());
            if (!Has(slow_threads, slow_count, thread))
                slow_threads[slow_count++] = thread;
            if (!SendNotifyMessageW(window, message, 0, 0))
                DebugPrint(L"RestoreTouchedWindows: SendNotifyMessageW failed, error %lu\n", GetLastError());
        }
    }
    return answered;
}
