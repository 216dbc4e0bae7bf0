// WH_MOUSE procedure: runs in the thread of the window under the mouse,
// before that application sees the message, in every GUI process of the
// desktop.  It decides per message whether a window action applies, runs it
// here, and swallows the message (returns 1) or passes it on.
#include <windows.h>
#include <process.h>

#include "common/debug_print.h"
#include "ostrilix/core/captioned_window.h"
#include "ostrilix/core/key_state.h"
#include "ostrilix/core/left_alone.h"
#include "ostrilix/core/shared_block.h"
#include "ostrilix/hooks/dock_wnd_proc.h"
#include "ostrilix/hooks/low_level_input.h"
#include "ostrilix/hooks/right_chord.h"
#include "ostrilix/mousehook/maximize.h"
#include "ostrilix/mousehook/mouse_dispatch.h"
#include "ostrilix/mousehook/rollup.h"
#include "ostrilix/mousehook/subclass_registry.h"
#include "ostrilix/mousehook/topmost.h"

namespace {
constexpr LRESULT kSwallow = 1;

bool AutoScrollRunning() { return IsFeatureEnabled(kFeatureAutoScrolling) != 0; }
bool ScrollModeIs(SHORT mode) { return g_shared.s_feature_value.s_s_scroll_mode == mode; }

void EndAutoScroll()
{
    StopAutoScroll();
    g_shared.s_s_whell_delta = 0;
}

LRESULT StartChord(const MOUSEHOOKSTRUCT& record)
{
    if (StartChordThread(record))
        return kSwallow;
    // No chord can run: the application gets the user's press as it is
    // (not swallowed; StartChordThread has cleared the release flag).
    return 0;
}

struct Call {
    int code;
    WPARAM message;
    LPARAM lParam;
    const MOUSEHOOKSTRUCTEX& record;
    HWND under;  // the window under the record's point
    LRESULT PassOn() const { return CallNextHookEx(nullptr, code, message, lParam); }
};

LRESULT OnLeftRelease(const Call& call)
{
    DebugPrint(L"WM_LBUTTONUP\n");
    // The size display, the move cursor and docking end here once they exist.
    if (AutoScrollRunning() && ScrollModeIs(2)) {
        StopAutoScroll();
        DebugPrint(L"s_s_whell_delta = 0");
        g_shared.s_s_whell_delta = 0;
    }
    return call.PassOn();
}

LRESULT OnCaptionDoubleClick(const Call& call)
{
    const UINT hit = call.record.wHitTestCode;
    if (IsKeyPressed(VK_RMENU)) {
        if (hit != HTCAPTION)
            return call.PassOn();
        PostMessageW(call.under, WM_CLOSE, 0, 0);
        return kSwallow;
    }
    if (IsFeatureEnabled(kFeatureRollUp) && g_shared.s_feature_value.s_n_rollup_hotaction == 1 &&
        (hit == HTCAPTION || hit == HTTOP) && !IsKeyPressed(VK_LMENU) &&
        ToggleRollUp(call.record.hwnd))
        return kSwallow;
    return call.PassOn();
}

LRESULT ChordOnFrame(const Call& call)
{
    if (IsFeatureEnabled(kFeatureChord) && !g_shared.s_b_avoid_rbtn_up) {
        if (call.record.dwExtraInfo == EVENT_INFO)
            return call.PassOn();
        return StartChord(call.record);
    }
    return call.PassOn();
}

LRESULT OnFrameRightPress(const Call& call)
{
    DebugPrint(L"WM_NCRBUTTONDOWN entry");
    const UINT hit = call.record.wHitTestCode;
    // Window information swallows the press here once it exists.
    if (AutoScrollRunning())
        return kSwallow;
    const LONG hotaction = g_shared.s_feature_value.s_n_rollup_hotaction;
    if (IsFeatureEnabled(kFeatureRollUp) && hotaction == 2 && hit == HTCAPTION &&
        !IsKeyPressed(VK_LMENU) && ToggleRollUp(call.record.hwnd)) {
        g_shared.s_b_avoid_rbtn_up = 1;
        return kSwallow;
    }
    if ((hit == HTCAPTION && hotaction != 2) || hit == HTTOP) {
        if (IsKeyPressed(VK_LBUTTON))
            return ChordOnFrame(call);
        HWND frame = GetCaptionedWindow(call.under);
        if (!call.under || !frame)
            return call.PassOn();
        if (ToggleTopmost(frame)) {
            g_shared.s_b_avoid_rbtn_up = 1;
            return kSwallow;
        }
        return call.PassOn();
    }
    if (hit == HTBOTTOM) {
        // Bottom border: switch the border move mode of this process.
        if (g_bMoveByBorder) {
            if (UnsubclassWindow(call.under, false))
                g_bMoveByBorder = 0;
        } else if (SubclassWindow(call.under, DockWndProc)) {
            g_bMoveByBorder = 1;
        }
        g_shared.s_b_avoid_rbtn_up = 1;
        return kSwallow;
    }
    return ChordOnFrame(call);
}

LRESULT OnClientRightPress(const Call& call)
{
    DebugPrint(L"WM_RBUTTONDOWN entry");
    // Window information swallows the press here once it exists.
    if (AutoScrollRunning())
        return kSwallow;
    if (IsFeatureEnabled(kFeatureChord) && !g_shared.s_b_avoid_rbtn_up) {
        if (call.record.mouseData == EVENT_INFO) {
            DebugPrint(L"WM_RBUTTONDOWN lpmshkstr->mouseData == EVENT_INFO");
            return call.PassOn();
        }
        if (call.record.dwExtraInfo == EVENT_INFO) {
            DebugPrint(L"WM_RBUTTONDOWN lpmshkstr->dwExtraInfo == EVENT_INFO");
            return call.PassOn();
        }
        if (IsKeyPressed(VK_LBUTTON))
            return StartChord(call.record);
    }
    DebugPrint(L"WM_RBUTTONDOWN exit");
    return call.PassOn();
}

LRESULT OnRightRelease(const Call& call)
{
    DebugPrint(L"WM_NCRBUTTONUP entry");
    // While window information is on, every right release will be swallowed
    // here; until that feature exists its presses are not, so neither are
    // the releases.
    if (AutoScrollRunning())
        return kSwallow;
    if (IsFeatureEnabled(kFeatureChord)) {
        if (call.record.mouseData == EVENT_INFO) {
            DebugPrint(L"WM_RBUTTONUP lpmshkstr->mouseData == EVENT_INFO");
            return call.PassOn();
        }
        if (call.record.dwExtraInfo == EVENT_INFO) {
            DebugPrint(L"WM_RBUTTONUP lpmshkstr->dwExtraInfo == EVENT_INFO");
            return call.PassOn();
        }
    }
    if (g_shared.s_b_avoid_rbtn_up) {
        DebugPrint(L"WM_RBUTTONUP s_b_avoid_rbtn_up");
        g_shared.s_b_avoid_rbtn_up = 0;
        g_shared.s_b_sending_click = 0;
        return kSwallow;
    }
    DebugPrint(L"WM_RBUTTONUP exit");
    return call.PassOn();
}

LRESULT OnMiddlePress(const Call& call)
{
    DebugPrint(L"WM_MBUTTONDOWN");
    if (AutoScrollRunning()) {
        if (!ScrollModeIs(2))
            return call.PassOn();
        StopAutoScroll();
        DebugPrint(L"s_s_whell_delta = 0");
        g_shared.s_s_whell_delta = 0;
        return kSwallow;
    }
    if (!g_shared.s_n_mbutton_code || !call.under)
        return call.PassOn();
    HWND frame = GetCaptionedWindow(call.under);
    if (!frame)
        return call.PassOn();
    SetFocus(frame);
    if (IsMidButtonExemptWindow(frame))
        return call.PassOn();
    g_shared.s_n_mbutton_state = 1;
    return kSwallow;
}

LRESULT OnMiddleRelease(const Call& call)
{
    DebugPrint(L"WM_MBUTTONUP");
    if (AutoScrollRunning() && call.record.dwExtraInfo != EVENT_INFO && ScrollModeIs(1)) {
        EndAutoScroll();
        return call.PassOn();
    }
    if (g_shared.s_n_mbutton_code && g_shared.s_n_mbutton_state == 1 && ToggleMaximize(call.under)) {
        g_shared.s_n_mbutton_state = 2;
        return kSwallow;
    }
    return call.PassOn();
}

LRESULT OnLeftPress(const Call& call)
{
    DebugPrint(L"WM_LBUTTONDOWN\n");
    // Taskbar button dragging is installed here once it exists.
    // Any left press ends auto-scroll and releases a cursor clip.
    EndAutoScroll();
    return call.PassOn();
}

LRESULT OnWheel(const Call& call)
{
    if (IsKeyPressed(VK_CONTROL))
        return call.PassOn();  // applications keep Ctrl + wheel
    return DirectlyScroll(call.record.pt) ? kSwallow : call.PassOn();
}
}  // namespace

bool MouseMessageMayAct(UINT message)
{
    switch (message) {
    // A caption or border press (WM_NCLBUTTONDOWN) joins these once docking,
    // the move cursor or the size display exist; until then it has no action.
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDOWN:
    case WM_MOUSEWHEEL:
        return true;
    default:
        // Moves (and every other message) have no action while no taskbar
        // button is dragged: they cost nothing beyond passing on.
        return false;
    }
}

extern "C" __declspec(dllexport) LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code < 0) {
        DebugPrint(L"MouseProc nCode < 0");
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // A message that is only peeked at (HC_NOREMOVE) comes again when it is
    // removed: acting on both would toggle twice.
    if (code != HC_ACTION || !lParam || !MouseMessageMayAct(UINT(wParam)))
        return CallNextHookEx(nullptr, code, wParam, lParam);

    const auto& record = *reinterpret_cast<const MOUSEHOOKSTRUCTEX*>(lParam);
    HWND under = WindowFromPoint(record.pt);
    if (IsLeftAloneWindow(under))
        return CallNextHookEx(nullptr, code, wParam, lParam);

    const Call call = {code, wParam, lParam, record, under};
    switch (wParam) {
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
        return OnLeftRelease(call);
    case WM_NCLBUTTONDBLCLK:
        return OnCaptionDoubleClick(call);
    case WM_NCRBUTTONDOWN:
        return OnFrameRightPress(call);
    case WM_RBUTTONDOWN:
        return OnClientRightPress(call);
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return OnRightRelease(call);
    case WM_NCMBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnMiddlePress(call);
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP:
        return OnMiddleRelease(call);
    case WM_LBUTTONDOWN:
        return OnLeftPress(call);
    case WM_MOUSEWHEEL:
        return OnWheel(call);
    default:
        return call.PassOn();
    }
}
