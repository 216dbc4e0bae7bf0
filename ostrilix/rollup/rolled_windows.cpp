#include "ostrilix/rollup/rolled_windows.h"

#include "ostrilix/core/process_lock.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/core/window_table.h"

namespace {
constexpr int kRolledWindows = 16;
// This process's rolled-up windows; guarded by the process lock.
constinit WindowTable<RolledWindow, kRolledWindows> g_rolled = {};
}  // namespace

bool RememberRolledWindow(HWND frame, const RECT& full, int rolled_height)
{
    ProcessLockGuard guard;
    RolledWindow* record = g_rolled.Find(frame);
    if (!record) {
        record = g_rolled.Add(frame);
        if (!record) {
            g_rolled.RemoveIf([](const RolledWindow& r) { return !IsWindow(r.window); });
            record = g_rolled.Add(frame);
        }
    }
    if (!record)
        return false;
    record->full = full;
    record->rolled_height = rolled_height;
    return true;
}

void KeepRolledHeight(HWND frame, int height)
{
    ProcessLockGuard guard;
    if (RolledWindow* record = g_rolled.Find(frame))
        record->rolled_height = height;
}

bool LookupRolledWindow(HWND frame, RolledWindow* out)
{
    ProcessLockGuard guard;
    const RolledWindow* record = g_rolled.Find(frame);
    if (record)
        *out = *record;
    return record != nullptr;
}

bool TakeRolledWindow(HWND frame, RolledWindow* out)
{
    ProcessLockGuard guard;
    RolledWindow* record = g_rolled.Find(frame);
    if (!record)
        return false;
    *out = *record;
    *record = RolledWindow{};
    return true;
}

bool IsRolledUp(HWND window) { return RolledUpHeightFor(window) != 0; }

int RolledUpHeightFor(HWND window)
{
    RolledWindow record = {};
    if (!window || !LookupRolledWindow(window, &record))
        return 0;
    RECT now = {};
    if (!GetWindowRect(window, &now) || now.bottom - now.top != record.rolled_height)
        return 0;
    return record.rolled_height;
}

void ForgetRolledUp(HWND window)
{
    {
        ProcessLockGuard guard;
        g_rolled.Remove(window);
    }
    EraseRolledUpRecord(window);
}
