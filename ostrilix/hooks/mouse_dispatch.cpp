#include "ostrilix/hooks/mouse_dispatch.h"

namespace {
using A = MouseAction;

constexpr MouseDecision Do(MouseAction action, MouseAction otherwise = A::PassOn,
                           const wchar_t* trace = nullptr)
{
    return {action, otherwise, trace};
}
constexpr MouseDecision Pass(const wchar_t* trace = nullptr) { return Do(A::PassOn, A::PassOn, trace); }

// A right press that was not our own, while the left button is held (or on
// a frame, where the left button is not tested again).
MouseDecision ChordOnFrame(const MouseFacts& f)
{
    if (!f.chord || f.chord_release_pending)
        return Pass();
    return f.marked_extra ? Pass() : Do(A::StartChord);
}

MouseDecision LeftRelease(const MouseFacts& f)
{
    if (f.auto_scrolling && f.scroll_mode == 2)
        return Do(A::EndAutoScrollAndPass);
    return Pass();
}

MouseDecision CaptionDoubleClick(const MouseFacts& f)
{
    if (f.right_alt)
        return f.hit == HTCAPTION ? Do(A::CloseWindow) : Pass();
    if (f.rollup && f.rollup_hotaction == 1 && (f.hit == HTCAPTION || f.hit == HTTOP) && !f.left_alt)
        return Do(A::RollUp);
    return Pass();
}

// Information mode takes every right press; when there is no window to
// show, the press goes where it would have gone.
MouseDecision ShowInformationOr(const MouseDecision& rest)
{
    return Do(A::ShowWindowInformation, rest.otherwise == A::PassOn ? rest.action : A::PassOn, rest.trace);
}

MouseDecision FrameRightPressWithoutInformation(const MouseFacts& f)
{
    if (f.auto_scrolling)
        return Do(A::Swallow);
    const bool topmost_place = (f.hit == HTCAPTION && f.rollup_hotaction != 2) || f.hit == HTTOP;
    // What follows when roll-up by right click does not act.
    MouseDecision next = ChordOnFrame(f);
    if (topmost_place && !f.left_button)
        next = Do(A::ToggleTopmost);
    else if (!topmost_place && f.hit == HTBOTTOM)
        next = Do(A::ToggleMoveByBorder);
    if (f.rollup && f.rollup_hotaction == 2 && f.hit == HTCAPTION && !f.left_alt)
        return Do(A::RollUpHoldRelease, next.action);
    return next;
}

MouseDecision FrameRightPress(const MouseFacts& f)
{
    const MouseDecision rest = FrameRightPressWithoutInformation(f);
    return f.window_info ? ShowInformationOr(rest) : rest;
}

MouseDecision ClientRightPressWithoutInformation(const MouseFacts& f)
{
    if (f.auto_scrolling)
        return Do(A::Swallow);
    if (f.chord && !f.chord_release_pending) {
        if (f.marked_data)
            return Pass(L"WM_RBUTTONDOWN lpmshkstr->mouseData == EVENT_INFO");
        if (f.marked_extra)
            return Pass(L"WM_RBUTTONDOWN lpmshkstr->dwExtraInfo == EVENT_INFO");
        if (f.left_button)
            return Do(A::StartChord);
    }
    return Pass(L"WM_RBUTTONDOWN exit");
}

MouseDecision ClientRightPress(const MouseFacts& f)
{
    const MouseDecision rest = ClientRightPressWithoutInformation(f);
    return f.window_info ? ShowInformationOr(rest) : rest;
}

MouseDecision RightRelease(const MouseFacts& f)
{
    // While information mode is on no application gets a right release, so
    // no context menu opens after the press it showed.
    if (f.auto_scrolling || f.window_info)
        return Do(A::Swallow);
    if (f.chord) {
        if (f.marked_data)
            return Pass(L"WM_RBUTTONUP lpmshkstr->mouseData == EVENT_INFO");
        if (f.marked_extra)
            return Pass(L"WM_RBUTTONUP lpmshkstr->dwExtraInfo == EVENT_INFO");
    }
    if (f.chord_release_pending)
        return Do(A::EndChordRelease, A::PassOn, L"WM_RBUTTONUP s_b_avoid_rbtn_up");
    return Pass(L"WM_RBUTTONUP exit");
}

MouseDecision MiddlePress(const MouseFacts& f)
{
    if (f.auto_scrolling)
        return f.scroll_mode == 2 ? Do(A::EndAutoScrollAndSwallow) : Pass();
    return f.mbutton_code ? Do(A::MarkMiddlePress) : Pass();
}

// Whether the action works on a window (or on this process's state for
// one); the others only end or keep the program's state in the shared block.
bool ActsOnWindow(MouseAction action)
{
    switch (action) {
    case A::PassOn:
    case A::Swallow:
    case A::EndAutoScrollAndPass:
    case A::EndAutoScrollAndSwallow:
    case A::EndChordRelease:
        return false;
    default:
        return true;
    }
}

// A window action finds nothing to do on another process's window: what
// follows when it does not act is done instead, if that acts on no window.
MouseDecision WithoutWindowActions(MouseDecision decision)
{
    if (ActsOnWindow(decision.action)) {
        decision.action = decision.otherwise;
        decision.otherwise = A::PassOn;
    }
    if (ActsOnWindow(decision.action))
        decision.action = A::PassOn;
    if (ActsOnWindow(decision.otherwise))
        decision.otherwise = A::PassOn;
    return decision;
}

MouseDecision MiddleRelease(const MouseFacts& f)
{
    if (f.auto_scrolling && !f.marked_extra && f.scroll_mode == 1)
        return Do(A::EndAutoScrollAndPass);
    if (f.mbutton_code && f.mbutton_state == 1)
        return Do(A::ToggleMaximize);
    return Pass();
}
}  // namespace

namespace {
MouseDecision DecideForMessage(const MouseFacts& f)
{
    switch (f.message) {
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
        return LeftRelease(f);
    case WM_NCLBUTTONDBLCLK:
        return CaptionDoubleClick(f);
    case WM_NCRBUTTONDOWN:
        return FrameRightPress(f);
    case WM_RBUTTONDOWN:
        return ClientRightPress(f);
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
        return RightRelease(f);
    case WM_NCMBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return MiddlePress(f);
    case WM_NCMBUTTONUP:
    case WM_MBUTTONUP:
        return MiddleRelease(f);
    case WM_LBUTTONDOWN:
        // Any left press ends auto-scroll and releases a cursor clip.
        return Do(A::EndAutoScrollAndPass);
    case WM_MOUSEWHEEL:
        // Applications keep Ctrl + wheel.
        return f.control ? Pass() : Do(A::DirectScroll);
    default:
        return Pass();
    }
}
}  // namespace

MouseDecision DecideMouse(const MouseFacts& f)
{
    const MouseDecision decision = DecideForMessage(f);
    return f.foreign_window ? WithoutWindowActions(decision) : decision;
}
