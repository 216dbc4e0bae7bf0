#include "ostrilix/rollup/rollup.h"

#include <stdlib.h>

#include "common/debug_print.h"
#include "ostrilix/core/captioned_window.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/core/window_placement.h"
#include "ostrilix/core/window_records.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/rollup/rolled_windows.h"
#include "ostrilix/core/subclass_registry.h"

int RolledUpHeightOf(int title_bar_height, int border_height)
{
    const int height = title_bar_height + 2 * border_height;
    return height < 5 ? 5 : height;
}

RollFrames MakeRollFrames(int from_height, int target_height, unsigned steps)
{
    if (steps == 0)
        return {0, 1, 0};  // nothing above the target: no frames
    int step = from_height / int(steps);
    if (step < 1)
        step = 1;
    return {from_height, step, target_height};
}

RollDecision DecideRoll(int current_height, int fresh_rolled_height, const RollMemory& memory)
{
    if (memory.known &&
        (current_height == memory.rolled_height || current_height == fresh_rolled_height))
        return {false, memory.full_height};
    if (!memory.known && current_height == fresh_rolled_height)
        return {false, current_height};
    return {true, fresh_rolled_height};
}

bool AnimationTimeLeft(DWORD start_ms, DWORD now_ms)
{
    return now_ms - start_ms < kRollAnimationBudgetMs;
}

namespace {
// A roll animation is running in this process (its resizes may let the
// window's thread handle another click re-entrantly).
volatile LONG s_b_in_rollup = 0;

int Height(const RECT& r) { return r.bottom - r.top; }

// Keeps the top-left corner; the subclass clamp is not asked
// (SWP_NOSENDCHANGING), so it does not hold the window at its old height.
void Resize(HWND window, int width, int height)
{
    SetWindowPos(window, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOSENDCHANGING);
}

// A window maximised while it was rolled up was held at its rolled height:
// it gets the height of its monitor's work area, with its frame beyond the
// edges as much as its maximised width has.
void FillMaximizedHeight(HWND window, int rolled_height)
{
    RECT now = {};
    if (!IsZoomed(window) || !GetWindowRect(window, &now) || Height(now) != rolled_height)
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        DebugPrint(L"FillMaximizedHeight: GetMonitorInfoW failed, error %lu\n", GetLastError());
        return;
    }
    const RECT& work = monitor.rcWork;
    const int frame = (now.right - now.left) - (work.right - work.left);
    SetWindowPos(window, nullptr, 0, 0, now.right - now.left, Height(work) + (frame > 0 ? frame : 0),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOSENDCHANGING);
}

void RollWindowTo(HWND window, const RECT& now, const RECT& full, const RollDecision& decision)
{
    DebugPrint(L"RectOrg.bottom = %d, RectOrg.top = %d\n", int(full.bottom), int(full.top));
    const int width = now.right - now.left;
    if (decision.roll_up) {
        DebugPrint(L"Rect.bottom = %d, Rect.top = %d\n", int(now.bottom), int(now.top));
        RollFrames frames = MakeRollFrames(Height(now), decision.target_height,
                                           g_shared.s_feature_value.s_s_rollup_animate);
        // A pause of 1 ms lasts a whole timer tick (about 15.6 ms) on
        // Windows: the frames stop when the time is spent, and the window
        // goes straight to its rolled height.
        const DWORD start = GetTickCount();
        int height = 0;
        while (frames.Next(&height) && AnimationTimeLeft(start, GetTickCount())) {
            Resize(window, width, height);
            Sleep(1);
        }
    }
    DebugPrint(L"nCurHeight = %d, hWnd = 0x%x\n", decision.target_height,
               unsigned(reinterpret_cast<ULONG_PTR>(window)));
    Resize(window, width, decision.target_height);
}
}  // namespace

int GetRolledUpHeight(HWND window)
{
    TITLEBARINFO title = {};
    title.cbSize = sizeof(title);
    GetTitleBarInfo(window, &title);
    WINDOWINFO info = {};
    info.cbSize = sizeof(info);
    GetWindowInfo(window, &info);
    return RolledUpHeightOf(title.rcTitleBar.bottom - title.rcTitleBar.top, int(info.cyWindowBorders));
}

bool ToggleRollUp(HWND window)
{
    HWND frame = GetCaptionedWindow(window);
    if (!frame)
        return false;
    int rolled_height = GetRolledUpHeight(frame);
    RECT clicked = {}, now = {};
    GetWindowRect(window, &clicked);
    GetWindowRect(frame, &now);
    // A click on a child placed below the frame's top keeps that child
    // visible too.
    if (clicked.top != now.top)
        rolled_height += abs(int(clicked.top - now.top));

    RolledWindow remembered = {};
    const bool known = LookupRolledWindow(frame, &remembered);
    const RollDecision decision = DecideRoll(
        Height(now), rolled_height, {known, remembered.rolled_height, Height(remembered.full)});
    RECT full = known ? remembered.full : now;
    if (decision.roll_up) {
        if (!RememberRolledWindow(frame, now, rolled_height))
            return false;
        RecordRolledUp(frame, Height(now), rolled_height);
        full = now;
        // One subclass request per rolled window, however often it is rolled.
        if (!known)
            SubclassWindow(frame, DockWndProc);
    } else if (known) {
        ForgetRolledUp(frame);
        UnsubclassWindow(frame, false);
    }
    g_shared.s_b_rolled_up = decision.roll_up ? 1 : 0;

    if (InterlockedCompareExchange(&s_b_in_rollup, 1, 0) == 0) {
        RollWindowTo(frame, now, full, decision);
        InterlockedExchange(&s_b_in_rollup, 0);
    }
    if (decision.roll_up) {
        // The system may not give exactly the height asked for: the record
        // holds the height the window really has, which the next click and
        // the subclass clamp compare with.
        RECT rolled = {};
        if (GetWindowRect(frame, &rolled) && Height(rolled) != rolled_height) {
            KeepRolledHeight(frame, Height(rolled));
            RecordRolledUp(frame, Height(now), Height(rolled));
        }
    }
    return true;
}

bool RestoreRolledUpWindow(HWND window)
{
    RolledWindow record = {};
    if (!TakeRolledWindow(window, &record))
        return false;
    UnsubclassWindow(window, false);
    GiveBackFullHeight(window, Height(record.full), record.rolled_height);
    EraseRolledUpRecord(window);
    return true;
}

void GiveBackFullHeight(HWND window, int full_height, int rolled_height)
{
    // The normal position is what the window has, or what a restore gives
    // it when it is minimised or maximised.  Only a window still held at its
    // rolled height: one that something else has sized since keeps the size
    // it was given.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        DebugPrint(L"GiveBackFullHeight: GetWindowPlacement failed, error %lu\n", GetLastError());
        return;
    }
    RECT& normal = placement.rcNormalPosition;
    if (normal.bottom - normal.top == rolled_height) {
        normal.bottom = normal.top + full_height;
        SetPlacementAsItIs(window, &placement);
    }
    FillMaximizedHeight(window, rolled_height);
}
