#pragma once
// Auto-scroll: middle button + wheel starts a worker in the program's process
// that sends wheel input every tick until the mouse hook stops it.  The low-
// level mouse hook and the worker run in the program's process only.
#include <windows.h>

constexpr DWORD kAutoScrollTickMs = 50;
constexpr DWORD kAutoScrollRightButtonPauseMs = 100;

// Starts a thread on the routine; null when it could not.
using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE routine, void* parameter);
HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter);

// Thread routine of the worker; the parameter is the heap copy made by
// BeginAutoScroll.  Returns 1 when given none.
DWORD WINAPI AutoScrollThread(void* parameter);

// A wheel event with the middle button held: marks auto-scroll running,
// releases the middle button for the applications, clips the cursor to its
// pixel, chooses the step and makes sure one worker runs.
void BeginAutoScroll(const MSLLHOOKSTRUCT& event, ThreadStarter start = StartThread);
// A wheel notch while auto-scroll runs: the new step.
SHORT ChangeAutoScrollStep(SHORT wheel);
// Closes the handle of a worker that has ended.  The low-level hook asks at
// every event, so the test for a worker is inline: a load when there is none.
extern HANDLE volatile g_auto_scroll_worker;
void ReapEndedAutoScrollWorker();
inline void ReapAutoScrollWorker()
{
    if (g_auto_scroll_worker)
        ReapEndedAutoScrollWorker();
}
// True while a worker thread is running its loop (program's process).
bool AutoScrollWorkerAlive();
// The library leaves this process: when its worker was running, auto-scroll
// ends with it (no switch left on for the other processes, no clip left on
// the cursor), and the handle is closed.
void EndAutoScrollOfProcess();
