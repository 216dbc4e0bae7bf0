#include "ostrilix/core/touched_windows.h"

#include "common/debug_print.h"
#include "ostrilix/core/shared_block.h"

namespace {
HWND Exchange(HWND volatile* slot, HWND value, HWND expected)
{
    return static_cast<HWND>(InterlockedCompareExchangePointer(
        reinterpret_cast<PVOID volatile*>(slot), value, expected));
}

bool Contains(HWND volatile* slots, int count, HWND window)
{
    for (int i = 0; i < count; ++i)
        if (slots[i] == window)
            return true;
    return false;
}

bool TakeFreeSlot(HWND volatile* slots, int count, HWND window)
{
    for (int i = 0; i < count; ++i)
        if (!slots[i] && Exchange(&slots[i], window, nullptr) == nullptr)
            return true;
    return false;
}

bool IsLiveWindow(HWND window) { return IsWindow(window) != FALSE; }
}  // namespace

bool AddTouched(HWND volatile* slots, int count, HWND window, WindowAliveFn alive)
{
    if (!window || !slots || count <= 0)
        return false;
    if (Contains(slots, count, window) || TakeFreeSlot(slots, count, window))
        return true;
    // Full: windows destroyed without our knowing (a window that was never
    // subclassed, or a process that ended) leave stale handles behind.
    for (int i = 0; i < count; ++i) {
        HWND old = slots[i];
        if (old && alive && !alive(old))
            Exchange(&slots[i], nullptr, old);
    }
    return TakeFreeSlot(slots, count, window);
}

void RemoveTouched(HWND volatile* slots, int count, HWND window)
{
    if (!window || !slots)
        return;
    for (int i = 0; i < count; ++i)
        if (slots[i] == window)
            Exchange(&slots[i], nullptr, window);
}

void NoteTouchedWindow(HWND window)
{
    if (!AddTouched(g_shared.s_h_touched_windows, kTouchedWindows, window, IsLiveWindow))
        DebugPrint(L"NoteTouchedWindow: no room for window 0x%p; it is not restored when the program ends\n",
                   static_cast<void*>(window));
}

void ForgetTouchedWindow(HWND window)
{
    RemoveTouched(g_shared.s_h_touched_windows, kTouchedWindows, window);
}

HWND TouchedWindowAt(int slot)
{
    if (slot < 0 || slot >= kTouchedWindows)
        return nullptr;
    return g_shared.s_h_touched_windows[slot];
}
