#include "ostrilix/core/subclass_registry.h"

#include "common/debug_print.h"
#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/touched_windows.h"

namespace {
// A growable array on the process heap, null until the first registration.
// Only touched while the process lock is held.
SubclassRecord* g_records = nullptr;
int g_slot_count = 0;

WNDPROC CurrentProcedure(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

SubclassRecord* FindLocked(HWND window)
{
    for (int i = 0; i < g_slot_count; ++i)
        if (g_records[i].window == window)
            return &g_records[i];
    return nullptr;
}

bool AnySlotInUse()
{
    for (int i = 0; i < g_slot_count; ++i)
        if (g_records[i].window)
            return true;
    return false;
}

void FreeArrayLocked()
{
    if (g_records)
        HeapFree(GetProcessHeap(), 0, g_records);
    g_records = nullptr;
    g_slot_count = 0;
}

SubclassRecord* RegisterLocked(HWND window, WNDPROC current)
{
    if (!window)
        return nullptr;
    if (!g_records) {
        g_records = static_cast<SubclassRecord*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(SubclassRecord)));
        if (!g_records)
            return nullptr;
        g_slot_count = 1;
    }
    if (SubclassRecord* record = FindLocked(window)) {
        if (record->original == current) {
            // The window runs its original again: the earlier subclass is gone.
            record->use_count = 0;
        } else if (record->use_count <= 0) {
            // Released, and something else has since taken the window's
            // procedure: that is what a new subclass must forward to.
            record->original = current;
            record->use_count = 0;
        }
        ++record->use_count;
        return record;
    }
    for (int i = 0; i < g_slot_count; ++i)
        if (!g_records[i].window) {
            g_records[i] = {window, current, 1, nullptr, false};
            return &g_records[i];
        }
    auto* grown = static_cast<SubclassRecord*>(HeapReAlloc(
        GetProcessHeap(), HEAP_ZERO_MEMORY, g_records, sizeof(SubclassRecord) * (g_slot_count + 1)));
    if (!grown)
        return nullptr;  // the old array stays as it was
    g_records = grown;
    g_records[g_slot_count] = {window, current, 1, nullptr, false};
    return &g_records[g_slot_count++];
}

bool UnregisterLocked(HWND window, SubclassRecord* out)
{
    SubclassRecord* record = window ? FindLocked(window) : nullptr;
    if (!record) {
        if (!AnySlotInUse())
            FreeArrayLocked();
        return false;
    }
    if (record->use_count <= 0) {
        *out = *record;
        out->use_count = 0;
        *record = {};
    } else {
        --record->use_count;
        *out = *record;
    }
    return true;
}
}  // namespace

bool RegisterSubclass(HWND window, WNDPROC current, SubclassRecord* out)
{
    ProcessLockGuard guard;
    SubclassRecord* record = RegisterLocked(window, current);
    if (record && out)
        *out = *record;
    return record != nullptr;
}

bool UnregisterSubclass(HWND window, SubclassRecord* out)
{
    ProcessLockGuard guard;
    SubclassRecord copy;
    if (!UnregisterLocked(window, &copy))
        return false;
    if (out)
        *out = copy;
    return true;
}

WNDPROC GetOriginalWndProcLocked(HWND window)
{
    const SubclassRecord* record = window ? FindLocked(window) : nullptr;
    return record ? record->original : nullptr;
}

WNDPROC GetOriginalWndProc(HWND window)
{
    ProcessLockGuard guard;
    return GetOriginalWndProcLocked(window);
}

bool IsWindowSubclassed(HWND window)
{
    if (!window)
        return false;
    ProcessLockGuard guard;
    const SubclassRecord* record = FindLocked(window);
    return record && CurrentProcedure(window) != record->original;
}

namespace {
LONG Requests(const SubclassRecord& record) { return record.use_count > 0 ? record.use_count : 0; }

// One more request for the window, under the lock.  *installed: the
// procedure was put in front just now; *chained: a record entered the chain
// (and keeps the hold its caller took).
bool AddRequestLocked(HWND window, WNDPROC procedure, bool* installed, bool* chained)
{
    const WNDPROC current = CurrentProcedure(window);
    if (!current)
        return false;
    SubclassRecord* record = FindLocked(window);
    if (record && record->chained) {
        // Ours is in the chain already: in front, or behind a later subclass
        // that forwards to it.  Installing again would make it forward to
        // itself.
        record->use_count = Requests(*record) + 1;
        return true;
    }
    if (current == procedure) {
        // Running our procedure with no record in the chain (an earlier
        // restore was lost): count the request against the original we know.
        // Without a record of what it replaced, forwarding would call itself.
        if (!record || !record->original || record->original == procedure)
            return false;
        record->use_count = Requests(*record) + 1;
        record->installed = procedure;
        record->chained = *chained = true;
        return true;
    }
    record = RegisterLocked(window, current);
    if (!record)
        return false;
    if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure))) {
        DebugPrint(L"SubclassWindow: SetWindowLongPtrW failed, error %lu\n", GetLastError());
        if (--record->use_count <= 0)
            *record = {};
        return false;
    }
    record->installed = procedure;
    record->chained = *chained = *installed = true;
    return true;
}
}  // namespace

ReleaseStep DecideRelease(LONG use_count, bool chained, bool ours_in_front, bool force)
{
    const bool already_released = use_count <= 0;
    const LONG left = (force || already_released) ? 0 : use_count - 1;
    if (left > 0)
        return {left, ReleaseAction::KeepRequests};
    const bool record_goes = force || already_released;
    if (!chained)
        return {0, record_goes ? ReleaseAction::Forget : ReleaseAction::KeepRequests};
    if (!ours_in_front)
        return {0, ReleaseAction::KeepForwarding};
    return {0, record_goes ? ReleaseAction::RestoreAndForget : ReleaseAction::Restore};
}

bool SubclassWindow(HWND window, WNDPROC procedure)
{
    if (!window || !procedure)
        return false;
    wchar_t class_name[31] = {};
    GetClassNameW(window, class_name, 31);
    if (lstrcmpiW(class_name, L"Shell_Traywnd") == 0)
        return false;
    // Our procedure may soon be on this window's stack: the library must stay
    // until it is out of the chain.  Taken before the lock (it may load).
    if (!HoldLibrary()) {
        DebugPrint(L"SubclassWindow: the library cannot be held; window 0x%p left alone\n",
                   static_cast<void*>(window));
        return false;
    }
    bool installed = false, chained = false, done = false;
    {
        ProcessLockGuard guard;
        done = AddRequestLocked(window, procedure, &installed, &chained);
    }
    if (!chained)
        LetGoLibrary();  // no new record in the chain: the hold is not needed
    if (installed) {
        NoteTouchedWindow(window);
        // Outside the lock: this sends WM_NCCALCSIZE, maybe to another thread
        // of the process that is waiting for the lock.
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    return done;
}

bool UnsubclassWindow(HWND window, bool force)
{
    if (!window)
        return false;
    bool out_of_chain = false, done = true;
    {
        ProcessLockGuard guard;
        const WNDPROC current = CurrentProcedure(window);
        if (!current) {
            DebugPrint(L"Uninstall wpCurWndProc == NULL 2\n");
            return false;
        }
        SubclassRecord* record = FindLocked(window);
        if (!record) {
            if (!AnySlotInUse())
                FreeArrayLocked();
            return true;  // never recorded: nothing of ours to undo
        }
        const ReleaseStep step =
            DecideRelease(record->use_count, record->chained, current == record->installed, force);
        record->use_count = step.use_count;
        switch (step.action) {
        case ReleaseAction::KeepRequests:
            break;
        case ReleaseAction::KeepForwarding:
            DebugPrint(L"UnsubclassWindow: window 0x%p has a later procedure in front of ours; ours keeps forwarding\n",
                       static_cast<void*>(window));
            break;
        case ReleaseAction::Forget:
            *record = {};
            break;
        case ReleaseAction::Restore:
        case ReleaseAction::RestoreAndForget:
            if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(record->original))) {
                // Still ours in front: the record and its hold stay.
                DebugPrint(L"Uninstall wpCurWndProc == NULL 3\n");
                done = false;
                break;
            }
            record->chained = false;
            out_of_chain = true;
            if (step.action == ReleaseAction::RestoreAndForget)
                *record = {};
            break;
        }
    }
    if (out_of_chain) {
        ForgetTouchedWindow(window);
        LetGoLibrary();
    }
    return done;
}

void RemoveAllSubclasses(bool wait_for_lock)
{
    if (wait_for_lock)
        EnterProcessLock();
    else if (!TryEnterProcessLock())
        return;
    // A record that must keep forwarding (a later subclass in front of ours)
    // is dropped with the rest, its hold not given back: nothing can save
    // that chain once the image is leaving, and short of that the library
    // had better stay.
    for (int i = 0; i < g_slot_count; ++i)
        if (g_records[i].window)
            UnsubclassWindow(g_records[i].window, true);  // the lock is re-entrant
    FreeArrayLocked();
    LeaveProcessLock();
}

void ForgetSubclass(HWND window)
{
    bool chained = false;
    {
        ProcessLockGuard guard;
        if (SubclassRecord* record = window ? FindLocked(window) : nullptr) {
            chained = record->chained;
            *record = {};
        }
    }
    if (chained) {
        ForgetTouchedWindow(window);
        LetGoLibrary();
    }
}

bool LookupSubclass(HWND window, SubclassRecord* out)
{
    ProcessLockGuard guard;
    const SubclassRecord* record = window ? FindLocked(window) : nullptr;
    if (record && out)
        *out = *record;
    return record != nullptr;
}

int SubclassSlotOf(HWND window)
{
    ProcessLockGuard guard;
    const SubclassRecord* record = window ? FindLocked(window) : nullptr;
    return record ? int(record - g_records) : -1;
}

int SubclassSlotCount()
{
    ProcessLockGuard guard;
    return g_slot_count;
}
