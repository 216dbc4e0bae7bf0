// The mouse hook's decisions as values: one message and what is known about
// it in, the action (and what to do when that action finds nothing to do) out.
#include <windows.h>

#include <functional>

#include "ostrilix/hooks/mouse_dispatch.h"
#include "tests/framework/check.h"

namespace {
using A = MouseAction;

// Roll-up by caption double click, chord on, nothing held, nothing running.
MouseFacts Plain(UINT message, UINT hit = HTCLIENT)
{
    MouseFacts f = {};
    f.message = message;
    f.hit = hit;
    f.rollup = true;
    f.chord = true;
    f.rollup_hotaction = 1;
    f.scroll_mode = 1;
    return f;
}

struct Case {
    const char* what;
    MouseFacts facts;
    A action;
    A otherwise;
};

MouseFacts With(MouseFacts f, const std::function<void(MouseFacts&)>& change)
{
    change(f);
    return f;
}

// The same message for a window of another process.
MouseFacts Foreign(MouseFacts f)
{
    f.foreign_window = true;
    return f;
}
}  // namespace

TEST_CASE("mouse_hook_decides_each_gesture_from_the_message_and_what_is_held")
{
    const MouseFacts caption_dbl = Plain(WM_NCLBUTTONDBLCLK, HTCAPTION);
    const MouseFacts caption_right = Plain(WM_NCRBUTTONDOWN, HTCAPTION);
    const MouseFacts client_right = Plain(WM_RBUTTONDOWN);
    const MouseFacts right_up = Plain(WM_RBUTTONUP);
    const MouseFacts middle_down = Plain(WM_MBUTTONDOWN);
    const MouseFacts middle_up = Plain(WM_MBUTTONUP);
    const Case cases[] = {
        // Caption double click: roll-up, closing, left alone.
        {"double click rolls up", caption_dbl, A::RollUp, A::PassOn},
        {"double click on the top border rolls up", Plain(WM_NCLBUTTONDBLCLK, HTTOP), A::RollUp, A::PassOn},
        {"double click with roll-up off", With(caption_dbl, [](auto& f) { f.rollup = false; }), A::PassOn, A::PassOn},
        {"double click while right click is the hot action",
         With(caption_dbl, [](auto& f) { f.rollup_hotaction = 2; }), A::PassOn, A::PassOn},
        {"left Alt keeps the system's double click", With(caption_dbl, [](auto& f) { f.left_alt = true; }),
         A::PassOn, A::PassOn},
        {"right Alt closes", With(caption_dbl, [](auto& f) { f.right_alt = true; }), A::CloseWindow, A::PassOn},
        {"right Alt on a border closes nothing",
         With(Plain(WM_NCLBUTTONDBLCLK, HTTOP), [](auto& f) { f.right_alt = true; }), A::PassOn, A::PassOn},

        // Right press on a frame: topmost, roll-up by right click, border mode, chord.
        {"caption right click toggles topmost", caption_right, A::ToggleTopmost, A::PassOn},
        {"top border right click toggles topmost", Plain(WM_NCRBUTTONDOWN, HTTOP), A::ToggleTopmost, A::PassOn},
        {"right click rolls up when it is the hot action",
         With(caption_right, [](auto& f) { f.rollup_hotaction = 2; }), A::RollUpHoldRelease, A::StartChord},
        {"right click hot action, chord off: nothing else",
         With(caption_right, [](auto& f) { f.rollup_hotaction = 2; f.chord = false; }),
         A::RollUpHoldRelease, A::PassOn},
        {"right click hot action on the top border toggles topmost",
         With(Plain(WM_NCRBUTTONDOWN, HTTOP), [](auto& f) { f.rollup_hotaction = 2; }), A::ToggleTopmost, A::PassOn},
        {"caption right click with the left button held starts the chord",
         With(caption_right, [](auto& f) { f.left_button = true; }), A::StartChord, A::PassOn},
        {"bottom border right click switches the border move mode", Plain(WM_NCRBUTTONDOWN, HTBOTTOM),
         A::ToggleMoveByBorder, A::PassOn},
        {"right press on another frame part starts the chord", Plain(WM_NCRBUTTONDOWN, HTLEFT),
         A::StartChord, A::PassOn},
        {"our own right press on a frame passes", With(Plain(WM_NCRBUTTONDOWN, HTLEFT),
         [](auto& f) { f.marked_extra = true; }), A::PassOn, A::PassOn},
        {"frame right press while auto-scroll runs", With(caption_right, [](auto& f) { f.auto_scrolling = true; }),
         A::Swallow, A::PassOn},

        // Right press in a client area: the chord.
        {"right press with the left button held starts the chord",
         With(client_right, [](auto& f) { f.left_button = true; }), A::StartChord, A::PassOn},
        {"right press alone passes", client_right, A::PassOn, A::PassOn},
        {"right press marked in mouseData passes although the left button is held",
         With(client_right, [](auto& f) { f.left_button = true; f.marked_data = true; }), A::PassOn, A::PassOn},
        {"right press marked in dwExtraInfo passes",
         With(client_right, [](auto& f) { f.left_button = true; f.marked_extra = true; }), A::PassOn, A::PassOn},
        {"no second chord before the first one's release",
         With(client_right, [](auto& f) { f.left_button = true; f.chord_release_pending = true; }),
         A::PassOn, A::PassOn},
        {"chord off", With(client_right, [](auto& f) { f.left_button = true; f.chord = false; }), A::PassOn, A::PassOn},
        {"client right press while auto-scroll runs", With(client_right, [](auto& f) { f.auto_scrolling = true; }),
         A::Swallow, A::PassOn},

        // Right release.
        {"the release after a chord or a toggle is swallowed",
         With(right_up, [](auto& f) { f.chord_release_pending = true; }), A::EndChordRelease, A::PassOn},
        {"the chord's own release passes", With(right_up, [](auto& f) { f.chord_release_pending = true; f.marked_extra = true; }),
         A::PassOn, A::PassOn},
        {"a marked release with the chord off is still the pending one",
         With(right_up, [](auto& f) { f.chord = false; f.chord_release_pending = true; f.marked_data = true; }),
         A::EndChordRelease, A::PassOn},
        {"a plain release passes", right_up, A::PassOn, A::PassOn},
        {"a double-click release counts as a release",
         With(Plain(WM_NCRBUTTONDBLCLK, HTCAPTION), [](auto& f) { f.chord_release_pending = true; }),
         A::EndChordRelease, A::PassOn},
        {"release while auto-scroll runs", With(right_up, [](auto& f) { f.auto_scrolling = true; }), A::Swallow, A::PassOn},

        // Middle button: maximize and the end of auto-scroll.
        {"middle press with no action configured", middle_down, A::PassOn, A::PassOn},
        {"middle press is remembered", With(middle_down, [](auto& f) { f.mbutton_code = 1; }),
         A::MarkMiddlePress, A::PassOn},
        {"middle press ends auto-scroll in click mode",
         With(middle_down, [](auto& f) { f.auto_scrolling = true; f.scroll_mode = 2; f.mbutton_code = 1; }),
         A::EndAutoScrollAndSwallow, A::PassOn},
        {"middle press passes while auto-scroll runs in release mode",
         With(middle_down, [](auto& f) { f.auto_scrolling = true; f.mbutton_code = 1; }), A::PassOn, A::PassOn},
        {"middle release after our press maximizes",
         With(middle_up, [](auto& f) { f.mbutton_code = 1; f.mbutton_state = 1; }), A::ToggleMaximize, A::PassOn},
        {"middle release without our press", With(middle_up, [](auto& f) { f.mbutton_code = 1; f.mbutton_state = 2; }),
         A::PassOn, A::PassOn},
        {"middle release ends auto-scroll in release mode", With(middle_up, [](auto& f) { f.auto_scrolling = true; }),
         A::EndAutoScrollAndPass, A::PassOn},
        {"the worker's own release does not end auto-scroll",
         With(middle_up, [](auto& f) { f.auto_scrolling = true; f.marked_extra = true; }), A::PassOn, A::PassOn},

        // Left button and wheel.
        {"a left press always ends auto-scroll", Plain(WM_LBUTTONDOWN), A::EndAutoScrollAndPass, A::PassOn},
        {"a left release ends auto-scroll in click mode",
         With(Plain(WM_LBUTTONUP), [](auto& f) { f.auto_scrolling = true; f.scroll_mode = 2; }),
         A::EndAutoScrollAndPass, A::PassOn},
        {"a left release in release mode passes",
         With(Plain(WM_NCLBUTTONUP, HTCAPTION), [](auto& f) { f.auto_scrolling = true; }), A::PassOn, A::PassOn},
        {"the wheel scrolls the window under the cursor", Plain(WM_MOUSEWHEEL), A::DirectScroll, A::PassOn},
        {"Ctrl + wheel stays with the application", With(Plain(WM_MOUSEWHEEL), [](auto& f) { f.control = true; }),
         A::PassOn, A::PassOn},
        {"a move has no action", Plain(WM_MOUSEMOVE), A::PassOn, A::PassOn},

        // Another process's window: no window action, the program's own
        // bookkeeping still ends auto-scroll and swallows a held release.
        {"another process's caption double click", Foreign(caption_dbl), A::PassOn, A::PassOn},
        {"another process's caption right click", Foreign(caption_right), A::PassOn, A::PassOn},
        {"another process's right click roll-up and chord",
         Foreign(With(caption_right, [](auto& f) { f.rollup_hotaction = 2; })), A::PassOn, A::PassOn},
        {"another process's window closed with right Alt",
         Foreign(With(caption_dbl, [](auto& f) { f.right_alt = true; })), A::PassOn, A::PassOn},
        {"another process's bottom border", Foreign(Plain(WM_NCRBUTTONDOWN, HTBOTTOM)), A::PassOn, A::PassOn},
        {"another process's chord", Foreign(With(client_right, [](auto& f) { f.left_button = true; })),
         A::PassOn, A::PassOn},
        {"another process's middle press and release",
         Foreign(With(middle_up, [](auto& f) { f.mbutton_code = 1; f.mbutton_state = 1; })), A::PassOn, A::PassOn},
        {"another process's wheel", Foreign(Plain(WM_MOUSEWHEEL)), A::PassOn, A::PassOn},
        {"another process's information press",
         Foreign(With(client_right, [](auto& f) { f.window_info = true; })), A::PassOn, A::PassOn},
        {"information press on another process's window while auto-scroll runs",
         Foreign(With(caption_right, [](auto& f) { f.window_info = true; f.auto_scrolling = true; })),
         A::Swallow, A::PassOn},
        {"a left press on another process's window ends auto-scroll", Foreign(Plain(WM_LBUTTONDOWN)),
         A::EndAutoScrollAndPass, A::PassOn},
        {"a middle press on another process's window ends auto-scroll in click mode",
         Foreign(With(middle_down, [](auto& f) { f.auto_scrolling = true; f.scroll_mode = 2; })),
         A::EndAutoScrollAndSwallow, A::PassOn},
        {"the held release on another process's window is swallowed",
         Foreign(With(right_up, [](auto& f) { f.chord_release_pending = true; })), A::EndChordRelease, A::PassOn},
    };
    for (const Case& c : cases) {
        const MouseDecision d = DecideMouse(c.facts);
        if (!CHECK_EQ(int(d.action), int(c.action)) || !CHECK_EQ(int(d.otherwise), int(c.otherwise)))
            MESSAGE(check::Format("case: %s", c.what));
    }
}
