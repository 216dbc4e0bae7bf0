#include "ostrilix/mousehook/subclass_registry.h"

#include "common/debug_print.h"
#include "ostrilix/core/process_lock.h"

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
            g_records[i] = {window, current, 1};
            return &g_records[i];
        }
    auto* grown = static_cast<SubclassRecord*>(HeapReAlloc(
        GetProcessHeap(), HEAP_ZERO_MEMORY, g_records, sizeof(SubclassRecord) * (g_slot_count + 1)));
    if (!grown)
        return nullptr;  // the old array stays as it was
    g_records = grown;
    g_records[g_slot_count] = {window, current, 1};
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

WNDPROC GetOriginalWndProc(HWND window)
{
    ProcessLockGuard guard;
    const SubclassRecord* record = window ? FindLocked(window) : nullptr;
    return record ? record->original : nullptr;
}

bool IsWindowSubclassed(HWND window)
{
    if (!window)
        return false;
    ProcessLockGuard guard;
    const SubclassRecord* record = FindLocked(window);
    return record && CurrentProcedure(window) != record->original;
}

bool SubclassWindow(HWND window, WNDPROC procedure)
{
    if (!window || !procedure)
        return false;
    wchar_t class_name[31] = {};
    GetClassNameW(window, class_name, 31);
    if (lstrcmpiW(class_name, L"Shell_Traywnd") == 0)
        return false;
    {
        ProcessLockGuard guard;
        WNDPROC current = CurrentProcedure(window);
        if (!current)
            return false;
        if (current == procedure) {
            // Still running our procedure (an earlier restore failed): count
            // the request against the original we know.  Without a record of
            // what it replaced, forwarding would call itself: refuse.
            SubclassRecord* known = FindLocked(window);
            if (!known || !known->original || known->original == procedure)
                return false;
            known->use_count = known->use_count > 0 ? known->use_count + 1 : 1;
            return true;
        }
        SubclassRecord* record = RegisterLocked(window, current);
        if (!record)
            return false;
        if (record->use_count >= 2)
            return true;  // already in place
        if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)))
            return false;
    }
    // Outside the lock: this sends WM_NCCALCSIZE, maybe to another thread of
    // the process that is waiting for the lock.
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return true;
}

bool UnsubclassWindow(HWND window, bool force)
{
    if (!window)
        return false;
    ProcessLockGuard guard;
    if (!CurrentProcedure(window)) {
        DebugPrint(L"Uninstall wpCurWndProc == NULL 2\n");
        return false;
    }
    SubclassRecord copy;
    if (!UnregisterLocked(window, &copy))
        return true;  // never recorded: nothing of ours to undo
    if (!force && copy.use_count != 0)
        return true;  // other requests still hold it
    if (!SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(copy.original))) {
        DebugPrint(L"Uninstall wpCurWndProc == NULL 3\n");
        return false;
    }
    return true;
}

void RemoveAllSubclasses(bool wait_for_lock)
{
    if (wait_for_lock)
        EnterProcessLock();
    else if (!TryEnterProcessLock())
        return;
    for (int i = 0; i < g_slot_count; ++i)
        if (g_records[i].window)
            UnsubclassWindow(g_records[i].window, true);  // the lock is re-entrant
    FreeArrayLocked();
    LeaveProcessLock();
}

void ForgetSubclass(HWND window)
{
    ProcessLockGuard guard;
    if (SubclassRecord* record = window ? FindLocked(window) : nullptr)
        *record = {};
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
