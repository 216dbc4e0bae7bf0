// WH_MOUSE procedure: runs in the thread of the window under the mouse,
// before that application sees the message, in every GUI process of the
// desktop.  It decides per message whether a window action applies, runs it
// here, and swallows the message (returns 1) or passes it on.  Its window
// actions run only for a window of its own process (own_process_window.h).
#include <windows.h>

#include "common/debug_print.h"
#include "ostrilix/core/captioned_window.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/left_alone.h"
#include "ostrilix/core/library_hold.h"
#include "ostrilix/core/own_process_window.h"
#include "ostrilix/core/next_hook.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/hooks/low_level_input.h"
#include "ostrilix/chord/right_chord.h"
#include "ostrilix/dragging/caption_drag.h"
#include "ostrilix/dragging/drag_state.h"
#include "ostrilix/taskbar/taskbar_drag.h"
#include "ostrilix/maximize/maximize.h"
#include "ostrilix/hooks/mouse_dispatch.h"
#include "ostrilix/rollup/rollup.h"
#include "ostrilix/core/subclass_registry.h"
#include "ostrilix/topmost/topmost.h"
#include "ostrilix/window_info/window_information.h"

namespace {
constexpr LRESULT kSwallow = 1;

const wchar_t* EntryTrace(WPARAM message)
{
    switch (message) {
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
        return L"WM_LBUTTONUP\n";
    case WM_NCRBUTTONDOWN:
        return L"WM_NCRBUTTONDOWN entry";
    case WM_RBUTTONDOWN:
        return L"WM_RBUTTONDOWN entry";
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return L"WM_NCRBUTTONUP entry";
    case WM_NCMBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return L"WM_MBUTTONDOWN";
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP:
        return L"WM_MBUTTONUP";
    case WM_LBUTTONDOWN:
        return L"WM_LBUTTONDOWN\n";
    default:
        return nullptr;
    }
}

MouseFacts GatherFacts(WPARAM message, const MOUSEHOOKSTRUCTEX& record)
{
    MouseFacts f = {};
    f.message = UINT(message);
    f.hit = record.wHitTestCode;
    f.marked_extra = record.dwExtraInfo == EVENT_INFO;
    f.marked_data = record.mouseData == EVENT_INFO;
    f.right_alt = IsKeyPressed(VK_RMENU);
    f.left_alt = IsKeyPressed(VK_LMENU);
    f.left_button = IsKeyPressed(VK_LBUTTON);
    f.control = IsKeyPressed(VK_CONTROL);
    f.rollup = IsFeatureEnabled(kFeatureRollUp) != 0;
    f.chord = IsFeatureEnabled(kFeatureChord) != 0;
    f.auto_scrolling = IsFeatureEnabled(kFeatureAutoScrolling) != 0;
    f.rollup_hotaction = g_shared.s_feature_value.s_n_rollup_hotaction;
    f.scroll_mode = g_shared.s_feature_value.s_s_scroll_mode;
    f.chord_release_pending = g_shared.s_b_avoid_rbtn_up != 0;
    f.mbutton_code = g_shared.s_n_mbutton_code;
    f.mbutton_state = g_shared.s_n_mbutton_state;
    f.window_info = IsFeatureEnabled(kFeatureWindowInfo) != 0;
    return f;
}

void EndAutoScroll()
{
    const bool was_running = IsFeatureEnabled(kFeatureAutoScrolling) != 0;
    StopAutoScroll();
    if (was_running)
        DebugPrint(L"s_s_whell_delta = 0");
    g_shared.s_s_whell_delta = 0;
}

bool ToggleTopmostUnder(HWND under)
{
    HWND frame = under ? GetCaptionedWindow(under) : nullptr;
    if (!frame || !ToggleTopmost(frame))
        return false;
    g_shared.s_b_avoid_rbtn_up = 1;
    return true;
}

// The window whose subclass request holds this process's border move mode.
HWND volatile g_move_by_border_window = nullptr;

void ToggleMoveByBorder(HWND under)
{
    if (g_bMoveByBorder) {
        // Switched off wherever the press is: the window that holds the mode
        // lets it go (a window destroyed meanwhile has let it go already).
        HWND holder = static_cast<HWND>(InterlockedExchangePointer(
            reinterpret_cast<void* volatile*>(&g_move_by_border_window), nullptr));
        if (holder && IsWindow(holder))
            UnsubclassWindow(holder, false);
        g_bMoveByBorder = 0;
    } else if (SubclassWindow(under, DockWndProc)) {
        g_move_by_border_window = under;
        g_bMoveByBorder = 1;
    }
    g_shared.s_b_avoid_rbtn_up = 1;
}

bool MarkMiddlePress(HWND under)
{
    HWND frame = under ? GetCaptionedWindow(under) : nullptr;
    if (!frame)
        return false;
    SetFocus(frame);
    if (IsMidButtonExemptWindow(frame))
        return false;
    g_shared.s_n_mbutton_state = 1;
    return true;
}

// Carries one action out; false when it was a window action that did not
// act, or an action that passes the message on.
bool Act(MouseAction action, const MOUSEHOOKSTRUCTEX& record, HWND under)
{
    switch (action) {
    case MouseAction::PassOn:
        return false;
    case MouseAction::Swallow:
        return true;
    case MouseAction::EndAutoScrollAndPass:
        EndAutoScroll();
        return false;
    case MouseAction::EndAutoScrollAndSwallow:
        EndAutoScroll();
        return true;
    case MouseAction::CloseWindow:
        PostMessageW(under, WM_CLOSE, 0, 0);
        return true;
    case MouseAction::RollUp:
        return ToggleRollUp(record.hwnd);
    case MouseAction::RollUpHoldRelease:
        if (!ToggleRollUp(record.hwnd))
            return false;
        g_shared.s_b_avoid_rbtn_up = 1;
        return true;
    case MouseAction::ToggleTopmost:
        return ToggleTopmostUnder(under);
    case MouseAction::ToggleMoveByBorder:
        ToggleMoveByBorder(under);
        return true;
    case MouseAction::StartChord:
        // When no chord can run, the application gets the user's press as
        // it is (StartChordThread has cleared the release flag).
        return StartChordThread(record);
    case MouseAction::EndChordRelease:
        g_shared.s_b_avoid_rbtn_up = 0;
        g_shared.s_b_sending_click = 0;
        return true;
    case MouseAction::MarkMiddlePress:
        return MarkMiddlePress(under);
    case MouseAction::ToggleMaximize:
        if (!ToggleMaximize(under))
            return false;
        g_shared.s_n_mbutton_state = 2;
        return true;
    case MouseAction::DirectScroll:
        return DirectlyScroll(record.pt);
    case MouseAction::ShowWindowInformation:
        return ShowWindowInformation(under);
    }
    return false;
}
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) {
        DebugPrint(L"MouseProc nCode < 0");
        return NextHook(code, wParam, lParam);
    }
    if (wParam == WM_MOUSEMOVE && g_bDraggingButton)
        DebugPrint(L"WM_MOUSEMOVE entry");
    // A message that is only peeked at (HC_NOREMOVE) comes again when it is
    // removed: acting on both would toggle twice.
    if (code != HC_ACTION || !lParam || !MouseMessageMayAct(UINT(wParam)))
        return NextHook(code, wParam, lParam);

    // A window action may take long (the roll animation, the window's own
    // procedure under SetWindowPos) and may give the last hold on the
    // library back: counted until this call is done.
    LibraryFrame frame;
    const auto& record = *reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(lParam);
    // For another process's window only the program's bookkeeping runs.
    const bool own = IsOwnProcessWindow(record.hwnd);
    HWND under = WindowFromPoint(record.pt);
    if (IsLeftAloneWindow(under))
        return NextHook(code, wParam, lParam);

    if (own) {
        if (const wchar_t* entry = EntryTrace(wParam))
            DebugPrint(entry);
        // The start and end of a drag by the caption or a border: these pass
        // on whatever the decision below is.
        if (wParam == WM_NCLBUTTONDOWN)
            OnCaptionOrBorderPress(record);
        else if (wParam == WM_NCLBUTTONUP || wParam == WM_LBUTTONUP)
            OnLeftRelease(record);
        else if (wParam == WM_LBUTTONDOWN)
            InstallTaskbarDragOnPress(record.hwnd);
    }
    MouseFacts facts = GatherFacts(wParam, record);
    facts.foreign_window = !own;
    const MouseDecision decision = DecideMouse(facts);
    if (decision.trace)
        DebugPrint(decision.trace);
    if (Act(decision.action, record, under) ||
        (decision.otherwise != MouseAction::PassOn && Act(decision.otherwise, record, under)))
        return kSwallow;
    return NextHook(code, wParam, lParam);
}
