#include "ostrilix/transparency/fade_worker.h"

#include "common/debug_print.h"
#include "ostrilix/core/module_reference.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/transparency/faded_windows.h"

namespace {
// All of this lives in the program's process, the only one where the
// low-level hook fades windows.
HANDLE g_wake = nullptr;  // auto-reset: the table has changes, or the exit began
HANDLE g_left = nullptr;  // manual-reset: the worker has made its last pass
// 1 from a start until the worker leaves; changed with interlocked
// operations only.
volatile LONG g_worker_running = 0;
volatile LONG g_leaving = 0;

bool Answers(HWND window, DWORD ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, ms, &result) != 0;
}

void SetLayered(HWND window, const LayeredAttributes& a)
{
    if (!SetLayeredWindowAttributes(window, a.key, a.alpha, a.flags))
        DebugPrint(L"Fade: SetLayeredWindowAttributes(%p) failed, error %lu\n", window, GetLastError());
}

// Gives the window the record's alpha.  False when its style is still to be
// written because the window did not answer.
bool ApplyFade(const FadedWindow& work, DWORD answer_ms)
{
    const HWND window = work.window;
    // Its first fade: how it looked goes onto the window first, for a start
    // after the program was killed.
    if (work.alpha != kOwnLook && work.applied == kOwnLook)
        RecordFaded(window, {work.was_layered, work.own.key, work.own.alpha, work.own.flags});
    const LONG current = GetWindowLongW(window, GWL_EXSTYLE);
    const LONG wanted = FadedExStyle(current, work.alpha, work.was_layered);
    const LayeredAttributes attributes = FadedAttributes(work, work.alpha);
    const bool layered_now = (current & WS_EX_LAYERED) != 0;
    // The attributes of a layered window are set without a message to it:
    // a window that does not answer is at least opaque again.
    if (layered_now)
        SetLayered(window, attributes);
    if (wanted == current)
        return true;
    if (!Answers(window, answer_ms)) {
        DebugPrint(L"Fade: window %p does not answer; its style waits\n", window);
        return false;
    }
    SetLastError(0);
    if (!SetWindowLongW(window, GWL_EXSTYLE, wanted) && GetLastError() != 0) {
        // Refused (a window of a more privileged process): nothing to undo.
        DebugPrint(L"Fade: SetWindowLongW(%p) failed, error %lu\n", window, GetLastError());
        return true;
    }
    if (!layered_now)
        SetLayered(window, attributes);
    // Posted, not sent: the window lays its frame out when it gets to it.
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                     SWP_NOOWNERZORDER | SWP_ASYNCWINDOWPOS);
    return true;
}

bool Listed(const HWND* windows, int count, HWND window)
{
    for (int i = 0; i < count; ++i)
        if (windows[i] == window)
            return true;
    return false;
}

// Applies every change of the table once; true when a window did not answer
// and waits for another try.
bool ApplyChanges(DWORD answer_ms)
{
    HWND skipped[kFadedWindows];
    int skipped_count = 0;
    for (;;) {
        FadedWindow work = {};
        {
            ProcessLockGuard guard;
            FadedWindows& table = FadedWindowTable();
            ForgetGoneFadedWindows(table);
            for (const FadedWindow& r : table.records)
                if (r.window && r.alpha != r.applied && !Listed(skipped, skipped_count, r.window)) {
                    work = r;
                    break;
                }
        }
        if (!work.window)
            break;
        const bool done = ApplyFade(work, answer_ms);
        bool given_back = false;
        {
            ProcessLockGuard guard;
            FadedWindow* r = FadedWindowTable().Find(work.window);
            if (!r || r->owner_thread != work.owner_thread)
                continue;
            if (!done) {
                if (skipped_count == kFadedWindows)
                    return true;  // windows came and went during the pass: the rest next time
                skipped[skipped_count++] = work.window;
                continue;
            }
            r->applied = work.alpha;
            if (r->applied == kOwnLook && r->alpha == kOwnLook) {
                *r = FadedWindow{};  // its own look again: nothing of ours left
                given_back = true;
            }
        }
        if (given_back)
            EraseFadeRecord(work.window);
    }
    return skipped_count > 0;
}

DWORD WINAPI FadeWorkerThread(void* parameter)
{
    const HMODULE module = static_cast<HMODULE>(parameter);
    bool waiting = false;
    for (;;) {
        WaitForSingleObject(g_wake, waiting ? kFadeRetryMs : INFINITE);
        const bool leaving = g_leaving != 0;
        waiting = ApplyChanges(leaving ? kFadeExitAnswerMs : kFadeAnswerMs);
        if (leaving)
            break;
    }
    DebugPrint(L"Fade worker is leaving.\n");
    InterlockedExchange(&g_worker_running, 0);
    SetEvent(g_left);
    FreeLibraryAndExitThread(module, 0);
    return 0;
}

bool StartWorker()
{
    if (InterlockedCompareExchange(&g_worker_running, 1, 0) != 0)
        return true;
    if (!g_wake)
        g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!g_left)
        g_left = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // Without a reference the library could be unloaded under the worker.
    const HMODULE module = g_wake && g_left ? AcquireModuleReference() : nullptr;
    HANDLE thread = module ? CreateThread(nullptr, 0, FadeWorkerThread, module, 0, nullptr) : nullptr;
    if (!thread) {
        DebugPrint(L"Fade: could not start the worker, error %lu\n", GetLastError());
        ReleaseModuleReference(module);
        InterlockedExchange(&g_worker_running, 0);
        return false;
    }
    CloseHandle(thread);
    return true;
}

// Waits for the event while answering sent messages only: the low-level
// hooks of this thread keep running, and nothing posted is dispatched from
// inside the caller.
bool WaitAnsweringSentMessages(HANDLE event, DWORD timeout_ms)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < timeout_ms ? timeout_ms - elapsed : 0;
        const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0)
            return true;
        if (result != WAIT_OBJECT_0 + 1 || left == 0)
            return false;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
}  // namespace

void WakeFadeWorker()
{
    if (StartWorker())
        SetEvent(g_wake);
}

bool FadeWorkerLeaving() { return g_leaving != 0; }

LONG RestoreFadedWindowsAtExit(DWORD timeout_ms)
{
    int faded = 0;
    {
        ProcessLockGuard guard;
        FadedWindows& table = FadedWindowTable();
        ForgetGoneFadedWindows(table);
        for (FadedWindow& r : table.records)
            if (r.window) {
                r.alpha = kOwnLook;
                ++faded;
            }
    }
    if (InterlockedExchange(&g_leaving, 1) != 0)
        return 0;  // a second call: the first did all there is to do
    if (g_worker_running || faded > 0) {
        WakeFadeWorker();
        if (g_left && !WaitAnsweringSentMessages(g_left, timeout_ms))
            DebugPrint(L"RestoreFadedWindows: the fade worker did not finish in %lu ms\n", timeout_ms);
    }
    LONG left_faded = 0;
    {
        ProcessLockGuard guard;
        left_faded = FadedWindowTable().Used();
    }
    DebugPrint(L"RestoreFadedWindows: %d faded, %ld not given back\n", faded, left_faded);
    return left_faded;
}

LONG WINAPI RestoreFadedWindows(DWORD timeout_ms) { return RestoreFadedWindowsAtExit(timeout_ms); }
