#pragma once
// The decisions of the mouse hook, kept free of system calls: the hook
// gathers what it knows about one mouse message into MouseFacts, asks
// DecideMouse what to do, and carries the answer out.
#include <windows.h>

// Whether any action of the mouse hook can apply to the message; the hook
// looks up the window under the cursor only for these.
inline bool MouseMessageMayAct(UINT message)
{
    switch (message) {
    // A caption or border press prepares docking, the move cursor and the
    // size display.
    case WM_NCLBUTTONDOWN:
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

struct MouseFacts {
    UINT message;         // the mouse message (wParam of the hook)
    UINT hit;             // the record's hit-test code
    bool marked_extra;    // dwExtraInfo carries EVENT_INFO: our own input
    bool marked_data;     // mouseData carries EVENT_INFO
    bool right_alt;       // keys held
    bool left_alt;
    bool left_button;
    bool control;
    bool rollup;          // feature switches
    bool chord;
    bool auto_scrolling;
    LONG rollup_hotaction;  // 1 caption double click, 2 caption right click
    SHORT scroll_mode;      // 1 ends at the middle release, 2 at a click
    bool chord_release_pending;  // s_b_avoid_rbtn_up
    LONG mbutton_code;
    LONG mbutton_state;
    bool window_info;       // information mode: right presses show, releases are swallowed
    // The message's window belongs to another process (on 64-bit Windows, a
    // 32-bit application's window, with the hook called in the program's
    // process): no window action, only the bookkeeping of the program's
    // own state (auto-scroll, a held right release).
    bool foreign_window;
};

enum class MouseAction {
    PassOn,
    Swallow,
    EndAutoScrollAndPass,     // stop auto-scroll (and its step), pass on
    EndAutoScrollAndSwallow,  // stop auto-scroll (and its step), swallow
    CloseWindow,              // post WM_CLOSE to the window under the point, swallow
    RollUp,                   // toggle roll-up; swallow when it acted
    RollUpHoldRelease,        // the same, and the coming right release is swallowed too
    ToggleTopmost,            // on the captioned window under the point; swallow and hold the release when it acted
    ToggleMoveByBorder,       // bottom border: switch the border move mode; swallow, hold the release
    StartChord,               // replay as Alt + right click on a thread of its own; swallow
    EndChordRelease,          // the release after a chord or a toggle: end the bookkeeping, swallow
    MarkMiddlePress,          // a captioned, not exempt window: focus it, remember the press, swallow
    ToggleMaximize,           // the press was ours: maximize or restore; swallow when it acted
    DirectScroll,             // re-post the wheel to the window under the point; swallow when posted
    ShowWindowInformation,    // show and copy the window under the point's classes; swallow
};

struct MouseDecision {
    MouseAction action;
    // What to do instead when the action did not act (a window action that
    // found nothing to do).
    MouseAction otherwise;
    // The diagnostic of the branch taken, or null.
    const wchar_t* trace;
};

MouseDecision DecideMouse(const MouseFacts& facts);
