// WH_MOUSE_LL procedure: runs on the program's main thread for every mouse
// event of the desktop, before any application gets it.  The system drops a
// low-level hook that answers late, so every path here is short and never
// waits: the waiting of auto-scroll and of the chord happens on their own
// threads.
#include <windows.h>

#include "common/debug_print.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/left_alone.h"
#include "ostrilix/core/next_hook.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/scrolling/auto_scroll.h"
#include "ostrilix/hooks/low_level_decisions.h"
#include "ostrilix/transparency/wheel_transparency.h"

namespace {
bool OnRightButtonUp(const MSLLHOOKSTRUCT& event)
{
    DebugPrint(L"WM_RBUTTONUP Entry. LowLevelMouseProc\n");
    const RightUpAction action =
        DecideRightUp(IsFeatureEnabled(kFeatureChord) != 0, g_shared.s_b_sending_click != 0,
                      g_shared.s_b_avoid_rbtn_up != 0, event.dwExtraInfo == EVENT_INFO);
    if (action == RightUpAction::Pass)
        return false;
    DebugPrint(L"WM_RBUTTONUP s_b_avoid_rbtn_up. LowLevelMouseProc\n");
    g_shared.s_b_avoid_rbtn_up = 0;
    g_shared.s_b_sending_click = 0;
    return true;
}

// True to swallow the event.
bool OnWheel(const MSLLHOOKSTRUCT& event)
{
    g_shared.s_n_mbutton_state = 0;
    const SHORT wheel = SHORT(HIWORD(event.mouseData));
    WheelState state = {};
    state.left_alt = IsKeyPressed(VK_LMENU);
    state.left_ctrl = IsKeyPressed(VK_LCONTROL);
    state.injected = event.dwExtraInfo == EVENT_INFO;
    state.right_button = state.injected && IsKeyPressed(VK_RBUTTON);
    state.middle_button = IsKeyPressed(VK_MBUTTON);
    state.auto_scrolling = IsFeatureEnabled(kFeatureAutoScrolling) != 0;

    switch (DecideWheel(state)) {
    case WheelAction::AdjustTransparency: {
        POINT cursor = event.pt;
        GetCursorPos(&cursor);
        AdjustTransparency(WindowFromPoint(cursor), wheel);
        return true;
    }
    case WheelAction::SwallowInjected:
        return true;
    case WheelAction::StartAutoScroll:
        BeginAutoScroll(event);
        return true;
    case WheelAction::ChangeStep:
        DebugPrint(L"LowLevelMouseProc CalcWhellDelta %d", int(ChangeAutoScrollStep(wheel)));
        return true;
    case WheelAction::PassAndRemember:
        g_shared.s_n_wheel_data = LONG(event.mouseData);
        return false;
    }
    return false;
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) {
        DebugPrint(L"LowLevelMouseProc nCode < 0");
        return NextHook(code, wParam, lParam);
    }
    ReapAutoScrollWorker();
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    // Only these two act; the window lookup is left to them, so that a plain
    // move costs nothing beyond the hook call itself.
    if (event && (wParam == WM_RBUTTONUP || wParam == WM_NCRBUTTONUP || wParam == WM_MOUSEWHEEL) &&
        !IsLeftAloneWindow(WindowFromPoint(event->pt))) {
        const bool swallow = wParam == WM_MOUSEWHEEL ? OnWheel(*event) : OnRightButtonUp(*event);
        if (swallow)
            return 1;
    }
    return NextHook(code, wParam, lParam);
}
