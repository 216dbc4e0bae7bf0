#include "ostrilix/core/library_hold.h"

#include "common/debug_print.h"
#include "ostrilix/core/module_reference.h"
#include "ostrilix/core/process_lock.h"

volatile LONG g_library_frames = 0;

namespace {
constexpr DWORD kFirstPollMs = 10;
constexpr DWORD kLongestPollMs = 250;
// After the count was seen at zero: the calls that brought it there are past
// their last step and only have to return.  This much more time lets every
// one of them be scheduled to do so before the image goes.
constexpr DWORD kSettleMs = 50;

// Guarded by the process lock.
LONG g_holds = 0;
HMODULE g_reference = nullptr;  // taken by the first hold, handed on by the last
// Set without the lock: at process exit a killed thread may own it.
volatile LONG g_detaching = 0;

DWORD WINAPI LetGoThread(void* module)
{
    DWORD poll = kFirstPollMs;
    for (;;) {
        if (g_library_frames == 0) {
            Sleep(kSettleMs);
            if (g_library_frames == 0)
                break;
        }
        Sleep(poll);
        poll = NextLetGoPoll(poll);
    }
    DebugPrint(L"Nothing of the library is on a stack: letting it go.\n");
    // Never returns: the thread ends inside the system, not in our code.
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
    return 0;
}
}  // namespace

DWORD NextLetGoPoll(DWORD previous_ms)
{
    if (previous_ms < kFirstPollMs)
        return kFirstPollMs;
    const DWORD next = previous_ms * 2;
    return next > kLongestPollMs ? kLongestPollMs : next;
}

bool HoldLibrary()
{
    {
        ProcessLockGuard guard;
        if (g_detaching)
            return false;
        if (g_holds > 0) {
            ++g_holds;
            return true;
        }
    }
    // The first hold: a reference of its own, taken outside the lock.
    HMODULE fresh = AcquireModuleReference();
    if (!fresh)
        return false;
    {
        ProcessLockGuard guard;
        if (!g_detaching && g_holds++ == 0) {
            g_reference = fresh;
            fresh = nullptr;
        }
    }
    // Another thread took the first hold meanwhile: its reference stays, so
    // giving this surplus one back cannot be the last.
    ReleaseModuleReference(fresh);
    return true;
}

void LetGoLibrary()
{
    HMODULE last = nullptr;
    {
        ProcessLockGuard guard;
        if (g_detaching || g_holds <= 0)
            return;
        if (--g_holds == 0) {
            last = g_reference;
            g_reference = nullptr;
        }
    }
    if (!last)
        return;
    HANDLE thread = CreateThread(nullptr, 0, LetGoThread, last, 0, nullptr);
    if (!thread) {
        // Freeing from here could unmap the code this call returns into: the
        // reference is kept instead, and the library stays in this process.
        DebugPrint(L"LetGoLibrary: no thread to let the library go, error %lu; it stays.\n",
                   GetLastError());
        return;
    }
    CloseHandle(thread);
}

LONG LibraryHoldCount()
{
    ProcessLockGuard guard;
    return g_holds;
}

void ForgetLibraryHolds()
{
    // The reference itself needs no giving back: the image is leaving.
    InterlockedExchange(&g_detaching, 1);
}
