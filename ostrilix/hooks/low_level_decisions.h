#pragma once
// The decisions of the low-level hooks, auto-scroll and the right-button
// chord, kept free of system calls: values in, answers out.  The hooks gather
// the key states and shared values and act on the answer.
#include <windows.h>

// Next auto-scroll step for one wheel notch, in 16-bit arithmetic (the sum
// wraps like the shared 16-bit field it is stored in).  From no step, or on a
// reversal, the step is the first distance in the wheel's direction; a notch
// in the running direction adds (or, toward the user, subtracts) the delta.
SHORT CalcWhellDelta(SHORT wheel, SHORT current, SHORT distance, SHORT delta);

// What the low-level mouse hook does with a wheel event.
enum class WheelAction {
    AdjustTransparency,  // Left Alt + Left Ctrl: fade the window, swallow
    SwallowInjected,     // our own auto-scroll input while the right button is held
    PassAndRemember,     // store mouseData for the mouse hook, pass on
    StartAutoScroll,     // middle button held: start or speed up, swallow
    ChangeStep,          // auto-scroll running: change the step, swallow
};

struct WheelState {
    bool left_alt;
    bool left_ctrl;
    bool injected;        // dwExtraInfo carries EVENT_INFO
    bool right_button;
    bool middle_button;
    bool auto_scrolling;  // feature bit 0x4
};

WheelAction DecideWheel(const WheelState& state);

// A right-button release as the low-level hook sees it.  After a chord the
// user's own release (not marked) must never reach the application, and the
// chord's bookkeeping ends with it; the chord's injected release passes and
// leaves the bookkeeping for the user's release still to come.
enum class RightUpAction { Pass, SwallowAndEndChord };
RightUpAction DecideRightUp(bool chord_enabled, bool sending_click, bool avoid_rbtn_up,
                            bool injected);

// F6 as the left Windows key.  win_key_down: this hook pressed the Windows key
// for F6 and has not released it yet.
enum class F6Action { Pass, PressWinKey, ReleaseWinKey };
F6Action DecideF6(DWORD virtual_key, WPARAM message, bool win_key_down);

// lParam of a re-posted WM_MOUSEWHEEL: x in the low 16 bits, y in the high
// 16 bits (screen coordinates, negative ones kept as 16-bit values).
LPARAM WheelPointLParam(POINT point);

// The four records of the chord: Alt down, the right press and release at
// the point (left-button events when the buttons are swapped, so that the
// application still sees a right click), Alt up.  Each carries EVENT_INFO.
void BuildChordInputs(POINT point, bool buttons_swapped, INPUT (&inputs)[4]);
