// What a drag shows, through the real program with the real pointer: the
// size label (the program's main window placed over the dragged window of
// another process, "W x H (x, y)") while a caption is dragged or a border
// sized, following the window and gone at the release; nothing with the
// switch off; and the move cursor over a pressed caption.
#include <string>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/input.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
std::string LabelTrace(const RECT& r)
{
    return "size label \"" + std::to_string(RectWidth(r)) + " x " + std::to_string(RectHeight(r)) + " (" +
           std::to_string(r.left) + ", " + std::to_string(r.top) + ")\"";
}

// The label is centred on the window (within the rounding of halves).
bool LabelCentredOn(HWND cover, HWND wnd)
{
    if (!IsWindowVisible(cover))
        return false;
    const RECT c = WindowRect(cover);
    const RECT w = WindowRect(wnd);
    return RectWidth(c) > 0 && abs(int((c.left + c.right) / 2 - (w.left + w.right) / 2)) <= 1 &&
           abs(int((c.top + c.bottom) / 2 - (w.top + w.bottom) / 2)) <= 1;
}
}  // namespace

TEST_CASE("size_label_follows_a_caption_drag_and_a_border_sizing_and_goes_at_the_release")
{
    struct Row {
        const char* name;
        bool on;
        LRESULT hit;     // where the drag starts
        POINT step;      // how far the pointer goes
        SIZE size_after; // the window's size after the step
    } rows[] = {
        {"caption", true, HTCAPTION, {60, 40}, {400, 300}},
        {"lower right corner", true, HTBOTTOMRIGHT, {50, 30}, {450, 330}},
        {"caption, switch off", false, HTCAPTION, {60, 40}, {400, 300}},
    };
    for (const Row& r : rows) {
        MESSAGE(check::Format("%s", r.name));
        Program program(L"sizelabel", WithSettings(r.on ? "[sizewindow]\r\nenable=1\r\n" : "[sizewindow]\r\nenable=0\r\n"));
        // The label's text is read from the debug output.
        DebugMonitor monitor;
        TargetWindow target;
        REQUIRE(StartProgramAndTarget(program, target));
        REQUIRE(monitor.Active());
        HWND wnd = target.Window();
        HWND cover = program.MainWindow();
        REQUIRE(cover != nullptr);
        CHECK(!IsWindowVisible(cover));

        POINT start;
        if (r.hit == HTBOTTOMRIGHT) {
            // Just inside the lower right corner (a grid search would take
            // long to get there).
            const RECT frame = WindowRect(wnd);
            start = {frame.right - 2, frame.bottom - 2};
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(wnd, WM_NCHITTEST, 0, MAKELPARAM(start.x, start.y), SMTO_ABORTIFHUNG, 2000, &hit);
            REQUIRE_EQ(LRESULT(hit), LRESULT(HTBOTTOMRIGHT));
        } else {
            REQUIRE(FindHitPoint(wnd, r.hit, &start));
        }
        const RECT before = WindowRect(wnd);
        const size_t loops_ended = target.Count(WM_EXITSIZEMOVE);
        REQUIRE(input::RealMoveTo(start));
        REQUIRE(input::RealLeftDown());
        if (r.on) {
            CHECK(WaitFor([&] { return LabelCentredOn(cover, wnd); }, 5000));
            CHECK(monitor.WaitForText(LabelTrace(before), 5000));
        }
        const POINT to = {start.x + r.step.x, start.y + r.step.y};
        REQUIRE(input::RealMoveTo(to));
        CHECK(WaitFor([&] {
            const RECT now = WindowRect(wnd);
            return RectWidth(now) == r.size_after.cx && RectHeight(now) == r.size_after.cy &&
                   now.bottom != before.bottom;
        }, 5000));
        const RECT moved = WindowRect(wnd);
        if (r.on) {
            // It follows the window and tells the new size and place.
            CHECK(WaitFor([&] { return LabelCentredOn(cover, wnd); }, 5000));
            CHECK(monitor.WaitForText(LabelTrace(moved), 5000));
        }
        REQUIRE(input::RealLeftUp());
        if (r.on) {
            CHECK(WaitFor([&] { return !IsWindowVisible(cover); }, 5000));
        } else {
            // Nothing was shown, nothing was put in front of the window, by
            // the time the move or size loop is over.
            CHECK(WaitFor([&] { return target.Count(WM_EXITSIZEMOVE) > loops_ended; }, 10000));
            CHECK(!IsWindowVisible(cover));
            CHECK(!monitor.Contains("size label"));
            CHECK(target.RunsOwnProcedure());
        }
        CHECK(target.Responsive());
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("a_sizing_key_during_a_drag_leaves_the_label_up_until_the_release")
{
    // The keyboard sizing's label and the drag's label are one window; the
    // keyboard's one-second timer must not take it away while the caption
    // is still held.
    Program program(L"sizelabelkey", WithSettings("[sizewindow]\r\nenable=1\r\n"));
    DebugMonitor monitor;
    TargetWindow target;
    REQUIRE(StartProgramAndTarget(program, target));
    REQUIRE(monitor.Active());
    HWND wnd = target.Window();
    HWND cover = program.MainWindow();
    POINT caption;
    REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
    REQUIRE(input::RealMoveTo(caption));
    REQUIRE(input::RealLeftDown());
    CHECK(WaitFor([&] { return LabelCentredOn(cover, wnd); }, 5000));
    // Hotkey 8, "reduce_width", as the system delivers it.
    PostMessageW(cover, WM_HOTKEY, 8, 0);
    REQUIRE(monitor.WaitForText("Hotkey 8 pressed", 5000));
    CHECK(monitor.WaitForText("size display kept", 5000));
    CHECK(IsWindowVisible(cover));
    REQUIRE(input::RealLeftUp());
    CHECK(WaitFor([&] { return !IsWindowVisible(cover); }, 5000));
    CHECK(target.Responsive());
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("move_cursor_over_a_pressed_caption_with_the_switch_on_and_the_system_cursor_with_it_off")
{
    for (bool on : {true, false}) {
        MESSAGE(check::Format("move cursor %s", on ? "on" : "off"));
        Program program(L"movecursor",
                        WithSettings(on ? "[changecursor]\r\nenable=1\r\n" : "[changecursor]\r\nenable=0\r\n"));
        TargetWindow target;
        REQUIRE(StartProgramAndTarget(program, target));
        HWND wnd = target.Window();
        POINT caption;
        REQUIRE(FindHitPoint(wnd, HTCAPTION, &caption));
        REQUIRE(input::RealMoveTo(caption));
        REQUIRE(input::RealLeftDown());
        // The system asks the window which cursor to show over its caption.
        DWORD_PTR answer = 0;
        CHECK(SendMessageTimeoutW(wnd, WM_SETCURSOR, WPARAM(wnd), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE),
                                  SMTO_ABORTIFHUNG, 3000, &answer));
        CHECK_EQ(target.ShowsMoveCursor(), on);
        REQUIRE(input::RealLeftUp());
        // After the release the caption shows the system's cursor again.
        SendMessageTimeoutW(wnd, WM_SETCURSOR, WPARAM(wnd), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE), SMTO_ABORTIFHUNG,
                            3000, &answer);
        CHECK(!target.ShowsMoveCursor());
        CHECK_EQ(program.Close(), 0);
    }
}
