#include "ostrilix/scrolling/auto_scroll.h"

#include "common/debug_print.h"
#include "ostrilix/core/config_exports.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/module_reference.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/low_level_decisions.h"
#include "ostrilix/hooks/low_level_input.h"

// The worker's thread handle, valid in this process only: kept and closed
// here by the low-level hook's thread, never by the mouse hook of another
// process (StopAutoScroll runs wherever a click arrives).
HANDLE volatile g_auto_scroll_worker = nullptr;

namespace {
// What the worker gets: the event that started it, and a reference on this
// library so that unloading it while the worker runs cannot pull the code
// from under the worker.
struct WorkerStart {
    MSLLHOOKSTRUCT event;
    HMODULE module;
};

// Per-process state of the program's process, where the hook and the worker
// run.  g_worker_alive is 1 from the start of a worker until its loop has
// decided to end; it is changed only with interlocked operations, so that a
// new start and an ending worker never leave two workers or none.
volatile LONG g_worker_alive = 0;

bool Running() { return IsFeatureEnabled(kFeatureAutoScrolling) != 0; }

void CloseWorkerHandle()
{
    if (!g_auto_scroll_worker)
        return;
    // The shared record points at this handle only until a stop clears it.
    InterlockedCompareExchangePointer(&g_shared.s_h_autoscroll_thread, nullptr, g_auto_scroll_worker);
    CloseHandle(g_auto_scroll_worker);
    g_auto_scroll_worker = nullptr;
    DebugPrint(L"Thread handle is closed.\n");
}

// The worker's loop ends only through here: it gives up its mark and looks
// once more, so that a start which saw it still alive is not left without a
// worker.
bool KeepRunning()
{
    if (Running())
        return true;
    InterlockedExchange(&g_worker_alive, 0);
    return Running() && InterlockedCompareExchange(&g_worker_alive, 1, 0) == 0;
}

void EndAutoScrollState()
{
    EnableFeatures(kFeatureAutoScrolling, 0);
    ClipCursor(nullptr);
    g_shared.s_s_whell_delta = 0;
}
}  // namespace

HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter)
{
    return CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
}

DWORD WINAPI AutoScrollThread(void* parameter)
{
    if (!parameter)
        return 1;
    WorkerStart* start = static_cast<WorkerStart*>(parameter);
    const POINT pt = start->event.pt;
    const HMODULE module = start->module;

    if (HWND under = WindowFromPoint(pt))
        SetFocus(under);
    while (KeepRunning()) {
        if (IsKeyPressed(VK_RBUTTON)) {
            // The user is about to right-click: no wheel input meanwhile, and
            // the mouse hook is to swallow that release.
            Sleep(kAutoScrollRightButtonPauseMs);
            g_shared.s_b_avoid_rbtn_up = 1;
        } else {
            g_shared.s_b_avoid_rbtn_up = 0;
            mouse_event(MOUSEEVENTF_WHEEL, DWORD(pt.x), DWORD(pt.y),
                        DWORD(LONG(g_shared.s_s_whell_delta)), EVENT_INFO);
            Sleep(kAutoScrollTickMs);
        }
    }
    HeapFree(GetProcessHeap(), 0, start);
    DebugPrint(L"Thread is about exiting.\n");
    if (module)
        FreeLibraryAndExitThread(module, 0);
    return 0;
}

void BeginAutoScroll(const MSLLHOOKSTRUCT& event, ThreadStarter start)
{
    DebugPrint(L"LowLevelMouseProc IsKeyPressed(VK_MBUTTON)");
    EnableFeatures(kFeatureAutoScrolling, 1);
    // The applications see the middle button released; the marker keeps the
    // mouse hook from taking this release for the end of auto-scroll.
    mouse_event(MOUSEEVENTF_MIDDLEUP, DWORD(event.pt.x), DWORD(event.pt.y), 0, EVENT_INFO);
    POINT cursor = event.pt;
    GetCursorPos(&cursor);
    const RECT pixel = {cursor.x, cursor.y, cursor.x + 1, cursor.y + 1};
    ClipCursor(&pixel);
    // The step is there before a worker can send its first tick.
    const FeatureParams& params = g_shared.s_feature_value;
    g_shared.s_s_whell_delta = CalcWhellDelta(SHORT(HIWORD(event.mouseData)), g_shared.s_s_whell_delta,
                                              params.s_s_scroll_distance, params.s_s_scroll_delta);

    // One worker at a time: a worker still in its loop picks the new run up,
    // and the record, cleared by the stop before, names it again.
    if (InterlockedCompareExchange(&g_worker_alive, 1, 0) != 0) {
        g_shared.s_h_autoscroll_thread = g_auto_scroll_worker;
        return;
    }
    CloseWorkerHandle();  // of the worker that ended before
    const HMODULE module = AcquireModuleReference();
    auto* copy = static_cast<WorkerStart*>(HeapAlloc(GetProcessHeap(), 0, sizeof(WorkerStart)));
    HANDLE thread = nullptr;
    if (copy) {
        copy->event = event;
        copy->module = module;
        thread = start(AutoScrollThread, copy);
    }
    if (!thread) {
        // No worker: auto-scroll must not stay marked running (cursor clipped
        // to one pixel) with nothing to end it.  The next middle-held wheel
        // event tries again.
        DebugPrint(L"LowLevelMouseProc could not start the auto-scroll thread.\n");
        if (copy)
            HeapFree(GetProcessHeap(), 0, copy);
        ReleaseModuleReference(module);
        InterlockedExchange(&g_worker_alive, 0);
        EndAutoScrollState();
        g_shared.s_h_autoscroll_thread = nullptr;
        return;
    }
    g_auto_scroll_worker = thread;
    g_shared.s_h_autoscroll_thread = thread;
}

SHORT ChangeAutoScrollStep(SHORT wheel)
{
    const FeatureParams& params = g_shared.s_feature_value;
    const SHORT step = CalcWhellDelta(wheel, g_shared.s_s_whell_delta, params.s_s_scroll_distance,
                                      params.s_s_scroll_delta);
    g_shared.s_s_whell_delta = step;
    return step;
}

void ReapEndedAutoScrollWorker()
{
    if (g_auto_scroll_worker && !g_worker_alive && WaitForSingleObject(g_auto_scroll_worker, 0) == WAIT_OBJECT_0)
        CloseWorkerHandle();
}

bool AutoScrollWorkerAlive() { return g_worker_alive != 0; }

void EndAutoScrollOfProcess()
{
    // The worker keeps the library loaded while it runs, so when this runs
    // with a worker still marked alive, the process is ending and took the
    // worker with it.
    if (g_worker_alive) {
        g_worker_alive = 0;
        EndAutoScrollState();
        g_shared.s_h_autoscroll_thread = nullptr;
    }
    if (g_auto_scroll_worker) {
        CloseHandle(g_auto_scroll_worker);
        g_auto_scroll_worker = nullptr;
    }
}

void StopAutoScroll()
{
    // Only a clip of our own is released: a left press reaches this in every
    // application, and an application may confine the cursor itself.
    const bool was_running = Running();
    EnableFeatures(kFeatureAutoScrolling, 0);
    if (was_running)
        ClipCursor(nullptr);
    // The handle itself stays with the program's process, which closes it
    // once the worker has noticed the end.
    g_shared.s_h_autoscroll_thread = nullptr;
}
