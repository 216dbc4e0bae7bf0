#pragma once
// One lock for the library's per-process window tables (subclass registry,
// rolled-up windows, faded windows).  A process may run the mouse hook and
// the subclass procedure on several GUI threads at once, so these tables are
// only touched while it is held.  Never call out to another window (a sent
// message could wait on a thread that waits on this lock) while holding it.
#include <windows.h>

// Sets the lock up; DllMain calls it at process attach, before any hook can
// run in the process.  Code linked outside the DLL (unit tests) gets the
// same set-up lazily at first use.  No static constructor is involved.
void InitProcessLock();
// Frees the lock's resources; only when the library is freed (not at process
// exit, where a killed thread may still own it).
void DeleteProcessLock();

void EnterProcessLock();
// False when another thread holds the lock.
bool TryEnterProcessLock();
void LeaveProcessLock();

class ProcessLockGuard {
public:
    ProcessLockGuard() { EnterProcessLock(); }
    ~ProcessLockGuard() { LeaveProcessLock(); }
    ProcessLockGuard(const ProcessLockGuard&) = delete;
    ProcessLockGuard& operator=(const ProcessLockGuard&) = delete;
};
