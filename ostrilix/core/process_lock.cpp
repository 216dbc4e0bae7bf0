#include "ostrilix/core/process_lock.h"

namespace {
CRITICAL_SECTION g_lock;
// 0 not set up, 1 being set up by one thread, 2 ready.
volatile LONG g_lock_state = 0;

void EnsureLock()
{
    if (g_lock_state == 2)
        return;
    if (InterlockedCompareExchange(&g_lock_state, 1, 0) == 0) {
        InitializeCriticalSection(&g_lock);
        InterlockedExchange(&g_lock_state, 2);
        return;
    }
    while (g_lock_state != 2)
        Sleep(0);
}
}  // namespace

void InitProcessLock() { EnsureLock(); }

void DeleteProcessLock()
{
    if (InterlockedCompareExchange(&g_lock_state, 0, 2) == 2)
        DeleteCriticalSection(&g_lock);
}

void EnterProcessLock()
{
    EnsureLock();
    EnterCriticalSection(&g_lock);
}

bool TryEnterProcessLock()
{
    EnsureLock();
    return TryEnterCriticalSection(&g_lock) != FALSE;
}

void LeaveProcessLock() { LeaveCriticalSection(&g_lock); }
