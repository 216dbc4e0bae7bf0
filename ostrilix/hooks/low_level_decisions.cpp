#include "ostrilix/hooks/low_level_decisions.h"

#include "common/ostrilix_interface.h"

SHORT CalcWhellDelta(SHORT wheel, SHORT current, SHORT distance, SHORT delta)
{
    // Products of two 16-bit values fit an int.
    if (int(wheel) * int(current) > 0)
        return SHORT(wheel > 0 ? current + delta : current - delta);
    return SHORT(wheel > 0 ? distance : -distance);
}

WheelAction DecideWheel(const WheelState& s)
{
    if (s.left_alt && s.left_ctrl)
        return WheelAction::AdjustTransparency;
    if (s.injected)
        return s.right_button ? WheelAction::SwallowInjected : WheelAction::PassAndRemember;
    if (s.left_ctrl)
        return WheelAction::PassAndRemember;
    if (s.middle_button)
        return WheelAction::StartAutoScroll;
    if (s.auto_scrolling)
        return WheelAction::ChangeStep;
    return WheelAction::PassAndRemember;
}

RightUpAction DecideRightUp(bool chord_enabled, bool sending_click, bool avoid_rbtn_up,
                            bool injected)
{
    if (chord_enabled && sending_click && avoid_rbtn_up && !injected)
        return RightUpAction::SwallowAndEndChord;
    return RightUpAction::Pass;
}

F6Action DecideF6(DWORD virtual_key, WPARAM message, bool win_key_down)
{
    if (virtual_key != VK_F6)
        return F6Action::Pass;
    switch (message) {
    case WM_KEYDOWN:
        return F6Action::PressWinKey;
    case WM_SYSKEYDOWN:
        // Alt+F6 reaches applications unchanged, but once F6 went down as the
        // Windows key its auto-repeat stays the Windows key.
        return win_key_down ? F6Action::PressWinKey : F6Action::Pass;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // Only a Windows key this hook pressed is released, whatever Alt does
        // meanwhile: no stray release, and no Windows key left held.
        return win_key_down ? F6Action::ReleaseWinKey : F6Action::Pass;
    default:
        return F6Action::Pass;
    }
}

LPARAM WheelPointLParam(POINT point)
{
    return LPARAM(DWORD(WORD(point.x)) | (DWORD(WORD(point.y)) << 16));
}

void BuildChordInputs(POINT point, bool buttons_swapped, INPUT (&inputs)[4])
{
    for (INPUT& in : inputs)
        in = INPUT{};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = VK_MENU;
    inputs[0].ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    inputs[0].ki.dwExtraInfo = EVENT_INFO;

    // No move flag: the click lands where the cursor is, which is where the
    // user pressed.
    for (int i = 1; i <= 2; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = point.x;
        inputs[i].mi.dy = point.y;
        inputs[i].mi.mouseData = DWORD(EVENT_INFO);
        inputs[i].mi.dwExtraInfo = EVENT_INFO;
    }
    inputs[1].mi.dwFlags = buttons_swapped ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN;
    inputs[2].mi.dwFlags = buttons_swapped ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;

    inputs[3] = inputs[0];
    inputs[3].ki.dwFlags = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;
}
